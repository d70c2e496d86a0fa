#include "startup/archivos_ini.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

namespace {

const QByteArray sample =
    "; configuración de la empresa\r\n"
    "[KqFiles]\r\n"
    "DataPath = /datos/empresa \r\n"
    "Otra=\"  con comillas  \"\r\n"
    "\r\n"
    "[Listados]\r\n"
    "Impresora=HP\r\n";

}  // namespace

TEST(ArchivosIni, FileSectionsAndKeysIgnoreLetterCase)
{
    TempFolder folder;
    const QString file = folder.write("uordane.ini", sample);
    EXPECT_EQ(ArchivosIni::readValue("KQFILES", "datapath", "x", file), "/datos/empresa");
    // The value is trimmed after its quotes are dropped.
    EXPECT_EQ(ArchivosIni::readValue("kqfiles", "OTRA", "x", file), "con comillas");
    EXPECT_EQ(ArchivosIni::readValue("KqFiles", "Impresora", "nada", file), "nada");
    EXPECT_EQ(ArchivosIni::readValue("KqFiles", "DataPath", "def", folder.file("falta.ini")), "def");
    // The file name too is found without regard to case.
    folder.write("OTRO.INI", sample);
    EXPECT_EQ(ArchivosIni::readValue("KqFiles", "DataPath", "", folder.file("otro.ini")), "/datos/empresa");
}

TEST(ArchivosIni, ValueIsCutToTheBuffer)
{
    TempFolder folder;
    const QString file = folder.write("a.ini", "[S]\nK=" + QByteArray(300, 'x') + "\n");
    EXPECT_EQ(ArchivosIni::readValue("S", "K", "", file).size(), 254);
    EXPECT_EQ(ArchivosIni::readValue("S", "K", "", file, 2048).size(), 300);
}

TEST(ArchivosIni, WriteChangesOnlyItsLineAndKeepsTheRestByteForByte)
{
    TempFolder folder;
    QByteArray original = sample;
    original.replace("; configuración", QString("; configuración").toLatin1());  // a Latin-1 file
    const QString file = folder.write("a.ini", original);

    EXPECT_EQ(ArchivosIni::writeValue("kqfiles", "datapath", "/otra", file), "S");
    QByteArray expected = original;
    expected.replace("DataPath = /datos/empresa \r\n", "datapath=/otra\r\n");
    EXPECT_EQ(folder.read("a.ini"), expected);

    // A new key goes after the last entry of its section, before the blank line.
    EXPECT_EQ(ArchivosIni::writeValue("KqFiles", "Nueva", "1", file), "S");
    expected.replace("con comillas  \"\r\n", "con comillas  \"\r\nNueva=1\r\n");
    EXPECT_EQ(folder.read("a.ini"), expected);

    // A new section goes at the end.
    EXPECT_EQ(ArchivosIni::writeValue("Export", "Hoja", "Conceptos", file), "S");
    EXPECT_EQ(folder.read("a.ini"), expected + "[Export]\r\nHoja=Conceptos\r\n");
}

TEST(ArchivosIni, WriteCreatesAFileAndRefusesAnUnwritablePlace)
{
    TempFolder folder;
    EXPECT_EQ(ArchivosIni::writeValue("KQFiles", "DataPath", "/d/", folder.file("nuevo.ini")), "S");
    EXPECT_EQ(folder.read("nuevo.ini"), "[KQFiles]\r\nDataPath=/d/\r\n");
    EXPECT_EQ(ArchivosIni::writeValue("S", "K", "V", folder.file("no/hay/carpeta.ini")), "N");
}

TEST(ArchivosIni, DeleteKeyRemovesOnlyThatLine)
{
    TempFolder folder;
    const QString file = folder.write("a.ini", sample);
    EXPECT_EQ(ArchivosIni::deleteKey("LISTADOS", "impresora", file), "S");
    QByteArray expected = sample;
    expected.replace("Impresora=HP\r\n", "");
    EXPECT_EQ(folder.read("a.ini"), expected);
    EXPECT_EQ(ArchivosIni::deleteKey("Listados", "NoEsta", file), "S");
    EXPECT_EQ(ArchivosIni::deleteKey("S", "K", folder.file("falta.ini")), "N");
}

TEST(ArchivosIni, UnixLineEndsStayUnixLineEnds)
{
    TempFolder folder;
    const QString file = folder.write("a.ini", "[A]\nx=1\n");
    ASSERT_EQ(ArchivosIni::writeValue("A", "y", "2", file), "S");
    EXPECT_EQ(folder.read("a.ini"), "[A]\nx=1\ny=2\n");
}
