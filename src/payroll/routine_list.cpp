#include "payroll/routine_list.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

QString& chosenFolder()
{
    static QString folder;
    return folder;
}

QString fileIn(const QString& folder)
{
    return QDir(folder).filePath(QString::fromUtf16(SpecificRoutineList::fileName));
}

/// The folder that holds the list: the chosen one, else the program's own
/// folder or a "data" folder beside it or above it (a program run from its
/// build folder finds the source tree's).
QString folderOfList()
{
    if (!chosenFolder().isEmpty())
        return chosenFolder();
    QDir dir(QCoreApplication::applicationDirPath());
    for (int level = 0; level < 4; ++level) {
        if (QFileInfo::exists(fileIn(dir.path())))
            return dir.path();
        if (QFileInfo::exists(fileIn(dir.filePath(QStringLiteral("data")))))
            return dir.filePath(QStringLiteral("data"));
        if (!dir.cdUp())
            break;
    }
    return QCoreApplication::applicationDirPath();
}

}  // namespace

namespace SpecificRoutineList {

void setFolder(const QString& folder)
{
    chosenFolder() = folder;
}

SpecificRoutines read()
{
    SpecificRoutines routines;
    QFile file(fileIn(folderOfList()));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        routines.error = QStringLiteral("No se puede leer la lista de rutinas ") + QString::fromUtf16(fileName)
                         + QStringLiteral(": ") + file.errorString();
        return routines;
    }
    QTextStream stream(&file);
    stream.setEncoding(QStringConverter::Utf8);
    int lineNumber = 0;
    while (!stream.atEnd()) {
        const QString line = stream.readLine().trimmed();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype separator = line.indexOf(u';');
        bool isNumber = false;
        const int number = line.left(separator).trimmed().toInt(&isNumber);
        if (!isNumber || number < 1 || number > 99) {
            // A routine number is what the "Nº" column takes: 1 to 99.
            routines.error = QStringLiteral("Línea %1 de %2: el número de rutina debe ser de 1 a 99")
                                 .arg(lineNumber)
                                 .arg(QString::fromUtf16(fileName));
            routines.byNumber.clear();
            return routines;
        }
        routines.byNumber.insert(number, separator < 0 ? QString() : line.mid(separator + 1).trimmed());
    }
    return routines;
}

}  // namespace SpecificRoutineList
