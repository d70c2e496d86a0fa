#include "ui/help_viewer.h"

#include "support/file_names.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

QString helpFolder()
{
    const QString beside = QApplication::applicationDirPath() + "/help/";
    if (QFileInfo::exists(beside + "index.htm"))
        return beside;
#ifdef UORDANE_SOURCE_HELP
    return QStringLiteral(UORDANE_SOURCE_HELP "/");
#else
    return beside;
#endif
}

QString helpTopicFile(const QString& objectName)
{
    const QString topic = findFileIgnoringCase(helpFolder() + "HLP_" + objectName + ".htm");
    if (QFileInfo::exists(topic))
        return topic;
    return helpFolder() + "index.htm";
}

void showHelp(const QString& objectName, QWidget* parent)
{
    // One viewer for the whole program, brought forward for each topic.
    static QPointer<QDialog> viewer;
    static QTextBrowser* browser = nullptr;
    if (!viewer) {
        viewer = new QDialog(parent ? parent->window() : nullptr);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setWindowTitle(QStringLiteral("Ayuda"));
        viewer->resize(640, 520);
        browser = new QTextBrowser(viewer);
        browser->setOpenLinks(true);
        browser->setSearchPaths({helpFolder()});
        auto* layout = new QVBoxLayout(viewer);
        layout->addWidget(browser);
    }
    browser->setSource(QUrl::fromLocalFile(helpTopicFile(objectName)));
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}
