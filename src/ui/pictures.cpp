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

/// A picture the installation does not have: the icon theme's picture for
/// the same action, or else the style's own.
QIcon builtIn(const QString& fileName)
{
    struct Stand {
        const char* theme;
        QStyle::StandardPixmap style;
    };
    static const QHash<QString, Stand> standard = {
        {"tabla.ico", {"x-office-spreadsheet", QStyle::SP_FileDialogDetailedView}},
        {"cerrar.ico", {"window-close", QStyle::SP_DialogCloseButton}},
        {"confirmar.ico", {"emblem-default", QStyle::SP_DialogApplyButton}},
        {"ayuda.ico", {"help-browser", QStyle::SP_DialogHelpButton}},
        {"agregar.ico", {"list-add", QStyle::SP_FileDialogNewFolder}},
        {"modifica.ico", {"document-properties", QStyle::SP_FileDialogContentsView}},
        {"eliminar.ico", {"edit-delete", QStyle::SP_TrashIcon}},
        {"imprimir.ico", {"document-print", QStyle::SP_DialogSaveButton}},
        {"renovar.ico", {"view-refresh", QStyle::SP_BrowserReload}},
        {"buscar.ico", {"edit-find", QStyle::SP_FileDialogListView}},
        {"copiar.ico", {"edit-copy", QStyle::SP_FileDialogNewFolder}},
        {"subir.ico", {"go-up", QStyle::SP_ArrowUp}},
        {"bajar.ico", {"go-down", QStyle::SP_ArrowDown}},
    };
    const auto found = standard.find(fileName.toLower());
    if (found == standard.end())
        return {};
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(found->theme));
    if (!themed.isNull())
        return themed;
    return QApplication::style()->standardIcon(found->style);
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
