#include "ui/pictures.h"

#include "startup/start_routine.h"
#include "support/file_names.h"

#include <QApplication>
#include <QFileInfo>
#include <QHash>
#include <QStyle>

namespace {

QString findPicture(const QString& fileName)
{
    if (QFileInfo(fileName).isAbsolute())
        return QFileInfo::exists(fileName) ? fileName : QString();
    const QStringList folders = {programState().paths.picture, QApplication::applicationDirPath() + "/"};
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QString found = findFileIgnoringCase(folder + fileName);
        if (QFileInfo::exists(found))
            return found;
    }
    return {};
}

QIcon builtIn(const QString& fileName)
{
    static const QHash<QString, QStyle::StandardPixmap> standard = {
        {"tabla.ico", QStyle::SP_FileDialogDetailedView},
        {"cerrar.ico", QStyle::SP_DialogCloseButton},
        {"confirmar.ico", QStyle::SP_DialogApplyButton},
        {"ayuda.ico", QStyle::SP_DialogHelpButton},
        {"agregar.ico", QStyle::SP_FileDialogNewFolder},
        {"modifica.ico", QStyle::SP_FileDialogContentsView},
        {"eliminar.ico", QStyle::SP_TrashIcon},
        {"imprimir.ico", QStyle::SP_DialogSaveButton},
        {"renovar.ico", QStyle::SP_BrowserReload},
        {"buscar.ico", QStyle::SP_FileDialogListView},
    };
    const auto found = standard.find(fileName.toLower());
    if (found == standard.end())
        return {};
    return QApplication::style()->standardIcon(*found);
}

}  // namespace

QIcon picture(const QString& fileName)
{
    const QString file = findPicture(fileName);
    if (!file.isEmpty()) {
        QIcon icon(file);
        if (!icon.isNull())
            return icon;
    }
    return builtIn(fileName);
}
