// The printer settings file: the keys of one section read and written without
// regard to case, and every other line of the file kept as it was.
#include "reports/printer_settings.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

namespace {

PrinterSettings sample()
{
    PrinterSettings settings;
    settings.printer = "Oficina 2";
    settings.mode = "RAW";
    settings.orientation = PrinterSettings::landscape;
    settings.paperSize = 9;
    settings.paperLength = 2970;
    settings.paperWidth = 2100;
    settings.scale = 100;
    settings.defaultSource = 7;
    settings.printQuality = 600;
    settings.color = PrinterSettings::monochrome;
    settings.duplex = 2;
    return settings;
}

TEST(PrinterSettingsFile, ReadsItsSectionOnlyWithoutRegardToCaseAndDefaultsWithoutAFile)
{
    TempFolder folder;
    EXPECT_EQ(PrinterSettingsFile::load(folder.file("KQPRN.INI")), PrinterSettings());
    const QString path = folder.write("kqprn.ini",
                                      "[Otros]\r\nPrinter=No esta\r\nScale=50\r\n"
                                      "[listados]\r\n; elegida por el usuario\r\nprinter = Dep\xf3" "sito\r\n"
                                      "ORIENTATION=2\r\npapersize=9\r\nColor=1\r\n"
                                      "[Despues]\r\nDuplex=3\r\n");
    const PrinterSettings settings = PrinterSettingsFile::load(path);
    EXPECT_EQ(settings.printer, "Depósito");  // the file is Latin-1
    EXPECT_EQ(settings.orientation, 2);
    EXPECT_EQ(settings.paperSize, 9);
    EXPECT_EQ(settings.color, 1);
    EXPECT_EQ(settings.scale, 0);
    EXPECT_EQ(settings.duplex, 0);
    // The file itself is found without regard to case.
    const QString found = PrinterSettingsFile::findFile(folder.path());
    EXPECT_TRUE(found.endsWith("kqprn.ini")) << found.toStdString();
    EXPECT_EQ(PrinterSettingsFile::load(found).printer, "Depósito");
}

TEST(PrinterSettingsFile, SavingCreatesTheFileAndReadsBackTheSameOrSaysWhyNot)
{
    TempFolder folder;
    const QString path = folder.file("KQPRN.INI");
    QString error;
    ASSERT_TRUE(PrinterSettingsFile::save(path, sample(), error)) << error.toStdString();
    EXPECT_EQ(PrinterSettingsFile::load(path), sample());
    const QByteArray bytes = folder.read("KQPRN.INI");
    EXPECT_TRUE(bytes.startsWith("[LISTADOS]\r\nPrinter=Oficina 2\r\nMode=RAW\r\nOrientation=2\r\n"))
        << bytes.toStdString();
    for (const char* key : {"PaperSize=9", "PaperLength=2970", "PaperWidth=2100", "Scale=100",
                            "DefaultSource=7", "PrintQuality=600", "Color=1", "Duplex=2"})
        EXPECT_TRUE(bytes.contains(key)) << key;

    const QString missingFolder = folder.file("no/existe/KQPRN.INI");
    EXPECT_FALSE(PrinterSettingsFile::save(missingFolder, sample(), error));
    EXPECT_TRUE(error.startsWith("No se pudo")) << error.toStdString();
    EXPECT_TRUE(error.contains(missingFolder)) << error.toStdString();
}

TEST(PrinterSettingsFile, SavingKeepsEveryOtherLineAsItWas)
{
    TempFolder folder;
    const QByteArray before =
        "; impresoras de los listados\r\n"
        "[Recibos]\r\nPrinter=Recibos\r\nColor=2\r\n\r\n"
        "[Listados]\r\nprinter=Vieja\r\n; no tocar\r\nExtra=se queda\r\nduplex=1\r\n\r\n"
        "[Fin]\r\nPrinter=Otra\r\n";
    const QString path = folder.write("kqprn.ini", before);
    PrinterSettings settings;
    settings.printer = "Nueva";
    settings.duplex = 3;
    QString error;
    ASSERT_TRUE(PrinterSettingsFile::save(path, settings, error)) << error.toStdString();

    const QByteArray after = folder.read("kqprn.ini");
    const QByteArray expected =
        "; impresoras de los listados\r\n"
        "[Recibos]\r\nPrinter=Recibos\r\nColor=2\r\n\r\n"
        "[Listados]\r\nPrinter=Nueva\r\n; no tocar\r\nExtra=se queda\r\nDuplex=3\r\n"
        "Mode=\r\nOrientation=0\r\nPaperSize=0\r\nPaperLength=0\r\nPaperWidth=0\r\nScale=0\r\n"
        "DefaultSource=0\r\nPrintQuality=0\r\nColor=0\r\n\r\n"
        "[Fin]\r\nPrinter=Otra\r\n";
    EXPECT_EQ(after, expected) << after.toStdString();
    EXPECT_EQ(PrinterSettingsFile::load(path), settings);
}

TEST(PrinterSettingsFile, ASectionIsAddedAfterTheOthersAndUnixLineEndsStay)
{
    TempFolder folder;
    const QString path = folder.write("KQPRN.INI", "[Recibos]\nPrinter=Recibos\n");
    QString error;
    ASSERT_TRUE(PrinterSettingsFile::save(path, sample(), error)) << error.toStdString();
    const QByteArray after = folder.read("KQPRN.INI");
    EXPECT_TRUE(after.startsWith("[Recibos]\nPrinter=Recibos\n[LISTADOS]\nPrinter=Oficina 2\n")) << after.toStdString();
    EXPECT_FALSE(after.contains('\r'));
    EXPECT_EQ(PrinterSettingsFile::load(path), sample());
}

}  // namespace
