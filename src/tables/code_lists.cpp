#include "tables/code_lists.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringConverter>
#include <QTextStream>

namespace {

QString& chosenFolder()
{
    static QString folder;
    return folder;
}

bool holdsLists(const QString& folder)
{
    return QFileInfo::exists(QDir(folder).filePath(QStringLiteral("deptos.txt")));
}

/// The file `name` of `folder`, or one whose name differs only in letter case.
QString findFile(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(name)))
        return dir.filePath(name);
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return dir.filePath(name);
}

bool sameText(const QString& left, const QString& right)
{
    return left.trimmed().compare(right.trimmed(), Qt::CaseInsensitive) == 0;
}

}  // namespace

namespace CodeLists {

void setFolder(const QString& folder)
{
    chosenFolder() = folder;
}

QString folder()
{
    if (!chosenFolder().isEmpty())
        return chosenFolder();
    // The installed program keeps the lists beside it; a program run from
    // its build folder finds the source tree's "data" folder above it.
    QDir dir(QCoreApplication::applicationDirPath());
    for (int level = 0; level < 4; ++level) {
        if (holdsLists(dir.path()))
            return dir.path();
        if (holdsLists(dir.filePath(QStringLiteral("data"))))
            return dir.filePath(QStringLiteral("data"));
        if (!dir.cdUp())
            break;
    }
    return QCoreApplication::applicationDirPath();
}

CodeList read(const QString& fileName, int parts)
{
    CodeList list;
    QFile file(findFile(folder(), fileName));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        list.error = QStringLiteral("No se puede leer el archivo ") + fileName + QStringLiteral(": ")
                     + file.errorString();
        return list;
    }
    QTextStream stream(&file);
    stream.setEncoding(QStringConverter::Utf8);
    int lineNumber = 0;
    while (!stream.atEnd()) {
        const QString line = stream.readLine();
        ++lineNumber;
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u';');
        if (fields.size() != parts || fields.last().trimmed().isEmpty()) {
            list.entries.clear();
            list.error = QStringLiteral("El archivo ") + fileName + QStringLiteral(" tiene una línea inválida (")
                         + QString::number(lineNumber) + QStringLiteral(")");
            return list;
        }
        CodeListEntry entry;
        entry.name = fields.last().trimmed();
        if (parts == 3) {
            entry.parent = fields.at(0).trimmed();
            entry.code = fields.at(1).trimmed();
        } else if (parts == 2) {
            entry.code = fields.at(0).trimmed();
        }
        list.entries.append(entry);
    }
    return list;
}

bool containsName(const CodeList& list, const QString& name, const QString& parent)
{
    for (const CodeListEntry& entry : list.entries) {
        if (sameText(entry.name, name) && (parent.trimmed().isEmpty() || sameText(entry.parent, parent)))
            return true;
    }
    return false;
}

QString nameOf(const CodeList& list, const QString& code, const QString& parent)
{
    for (const CodeListEntry& entry : list.entries) {
        if (sameText(entry.code, code) && (parent.trimmed().isEmpty() || sameText(entry.parent, parent)))
            return entry.name;
    }
    return {};
}

}  // namespace CodeLists

CodeList PLEEDEPT()
{
    return CodeLists::read(QStringLiteral("deptos.txt"), 2);
}

CodeList PLEELOCA()
{
    // A locality's parent is its department, given by name.
    CodeList list = CodeLists::read(QStringLiteral("locali.txt"), 2);
    for (CodeListEntry& entry : list.entries) {
        entry.parent = entry.code;
        entry.code.clear();
    }
    return list;
}

CodeList PLEEGRUP()
{
    return CodeLists::read(QStringLiteral("grupo.txt"), 2);
}

CodeList PLEESUBG()
{
    return CodeLists::read(QStringLiteral("subgru.txt"), 3);
}
