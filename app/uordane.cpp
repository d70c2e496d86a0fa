// uordane: the desktop program. The start routine reads the folders and the
// call parameters, opens the database and runs the main menu in the main
// window; the program ends when its last top-level object closes.
#include "ui/desktop_program.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("uordane");

    StartEnvironment environment;
    environment.applicationFolder = QApplication::applicationDirPath();
    environment.executableBaseName = QFileInfo(QApplication::applicationFilePath()).completeBaseName();
    environment.arguments = app.arguments().mid(1);
    return runDesktopProgram(environment);
}
