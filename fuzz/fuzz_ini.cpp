// The INI reader and writer never crash on any file; a value written reads
// back as written, and every other line of the file survives the write.
#include "startup/archivos_ini.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

QByteArray readAll(const QString& name)
{
    QFile in(name);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    const QString file = folder.path() + "/prueba.ini";
    const QByteArray original(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        out.write(original);
    }
    ArchivosIni::readValue("KQFiles", "DataPath", "x", file);
    if (ArchivosIni::writeValue("KqFiles", "Fuzz", "valor 1", file) != "S")
        return 0;
    if (ArchivosIni::readValue("KQFILES", "fuzz", "", file) != "valor 1")
        std::abort();
    // Every original line is still there, in order.
    const QList<QByteArray> before = original.split('\n');
    const QByteArray after = readAll(file);
    qsizetype from = 0;
    for (QByteArray line : before) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.contains('=') && QString::fromLatin1(line).section('=', 0, 0).trimmed().compare("Fuzz", Qt::CaseInsensitive) == 0)
            continue;  // an existing Fuzz key is the line the write replaces
        const qsizetype at = after.indexOf(line, from);
        if (at < 0)
            std::abort();
        from = at + line.size();
    }
    ArchivosIni::deleteKey("kqfiles", "FUZZ", file);
    return 0;
}
