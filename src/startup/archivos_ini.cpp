#include "startup/archivos_ini.h"

#include "support/file_names.h"

#include <QFile>
#include <QList>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <optional>

namespace {

// An INI file as its raw lines. Lines are decoded only to compare section and
// key names; a write re-encodes only the line it changes, in the encoding the
// file already uses (UTF-8 when it decodes as such, otherwise Latin-1, the
// Windows workstations' code page for Spanish text).
struct IniLines {
    QList<QByteArray> lines;  // without their line ends
    QByteArray lineEnd = "\r\n";
    bool endsWithLineEnd = true;
    bool utf8 = true;

    QString decode(const QByteArray& bytes) const
    {
        return utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    }
    QByteArray encode(const QString& text) const
    {
        return utf8 ? text.toUtf8() : text.toLatin1();
    }
};

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

std::optional<IniLines> load(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    IniLines ini;
    ini.utf8 = isValidUtf8(bytes);
    if (bytes.isEmpty())
        return ini;
    ini.lineEnd = bytes.contains("\r\n") || !bytes.contains('\n') ? QByteArray("\r\n") : QByteArray("\n");
    ini.endsWithLineEnd = bytes.endsWith('\n');
    ini.lines = bytes.split('\n');
    if (ini.endsWithLineEnd)
        ini.lines.removeLast();
    for (QByteArray& line : ini.lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return ini;
}

bool save(const QString& fileName, const IniLines& ini)
{
    QByteArray bytes = ini.lines.join(ini.lineEnd);
    if (!ini.lines.isEmpty() && ini.endsWithLineEnd)
        bytes += ini.lineEnd;
    // Written to a temporary file and renamed, so that a failure half way
    // never leaves a truncated INI behind.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

/// The section name of a "[name]" line, or nothing for any other line.
std::optional<QString> sectionName(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        return trimmed.mid(1).trimmed();
    return trimmed.mid(1, close - 1).trimmed();
}

/// The key of a "key=value" line, or nothing for any other line.
std::optional<QString> keyName(const QString& line)
{
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return line.left(equals).trimmed();
}

QString valueOf(const QString& line)
{
    QString value = line.mid(line.indexOf('=') + 1).trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

bool sameName(const QString& left, const QString& right)
{
    return left.compare(right, Qt::CaseInsensitive) == 0;
}

/// Where a section and a key stand in the file.
struct Location {
    qsizetype section = -1;   // line of "[section]"
    qsizetype lastEntry = -1; // last non-blank line of the section
    qsizetype key = -1;       // line of the key
};

Location locate(const IniLines& ini, const QString& section, const QString& key)
{
    Location found;
    bool inside = false;
    for (qsizetype index = 0; index < ini.lines.size(); ++index) {
        const QString line = ini.decode(ini.lines[index]);
        if (const auto name = sectionName(line)) {
            if (found.section >= 0 && inside)
                break;
            inside = sameName(*name, section);
            if (inside) {
                found.section = index;
                found.lastEntry = index;
            }
            continue;
        }
        if (!inside)
            continue;
        if (!line.trimmed().isEmpty())
            found.lastEntry = index;
        const auto name = keyName(line);
        if (name && found.key < 0 && sameName(*name, key))
            found.key = index;
    }
    return found;
}

QString yesNo(bool ok)
{
    return ok ? QStringLiteral("S") : QStringLiteral("N");
}

}  // namespace

namespace ArchivosIni {

QString readValue(const QString& section, const QString& key, const QString& defaultValue,
                  const QString& file, int bufferSize)
{
    const std::optional<IniLines> ini = load(findFileIgnoringCase(file));
    if (!ini)
        return defaultValue;
    const Location found = locate(*ini, section, key);
    if (found.key < 0)
        return defaultValue;
    QString value = valueOf(ini->decode(ini->lines[found.key]));
    if (bufferSize > 0 && value.size() > bufferSize - 1)
        value.truncate(bufferSize - 1);
    return value.trimmed();
}

QString writeValue(const QString& section, const QString& key, const QString& value,
                   const QString& file)
{
    const QString fileName = findFileIgnoringCase(file);
    IniLines ini;
    if (QFile::exists(fileName)) {
        std::optional<IniLines> loaded = load(fileName);
        if (!loaded)
            return yesNo(false);
        ini = *loaded;
    }
    // A value that the file's encoding cannot hold is written as UTF-8 only
    // when the file is new or already UTF-8; otherwise refused rather than
    // silently mangled.
    if (!ini.utf8 && ini.decode(ini.encode(value)) != value)
        return yesNo(false);
    const QByteArray entry = ini.encode(key + "=" + value);
    const Location found = locate(ini, section, key);
    if (found.key >= 0) {
        ini.lines[found.key] = entry;
    } else if (found.section >= 0) {
        ini.lines.insert(found.lastEntry + 1, entry);
    } else {
        ini.lines.append(ini.encode("[" + section + "]"));
        ini.lines.append(entry);
        ini.endsWithLineEnd = true;
    }
    return yesNo(save(fileName, ini));
}

QString deleteKey(const QString& section, const QString& key, const QString& file)
{
    const QString fileName = findFileIgnoringCase(file);
    std::optional<IniLines> ini = load(fileName);
    if (!ini)
        return yesNo(false);
    const Location found = locate(*ini, section, key);
    if (found.key < 0)
        return yesNo(true);
    ini->lines.removeAt(found.key);
    return yesNo(save(fileName, *ini));
}

}  // namespace ArchivosIni
