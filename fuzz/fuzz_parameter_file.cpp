// The parameter file reader never crashes on any bytes, and what the writer
// writes reads back as the very same ten values.
#include "startup/call_parameters.h"

#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    const QString file = folder.path() + "/param.txt";
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        out.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const ParameterSource source = readCallParameters({file});
    if (!source.fromFile())
        std::abort();
    if (!writeCallParameters(source, source.parameters))
        return 0;
    // Every value is written quoted, so blanks, commas, quotes and line ends
    // inside values all survive. The file is read back in the encoding it
    // was written in (a rewritten Latin-1 file may look like UTF-8).
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = in.readAll();
    const QString text = source.latin1 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
    if (CallParameters::fromList(readQuotedFields(text)).values != source.parameters.values)
        std::abort();
    return 0;
}
