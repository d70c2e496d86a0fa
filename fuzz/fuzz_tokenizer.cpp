// The command-line tokenizer never crashes, always yields the number of
// tokens asked for, and a token is never longer than the command line.
#include "startup/call_parameters.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList tokens = tokenizeCommandLine(line);
    if (tokens.size() != CallParameters::count)
        std::abort();
    for (const QString& token : tokens) {
        if (token.size() > line.size())
            std::abort();
    }
    return 0;
}
