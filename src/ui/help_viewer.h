#pragma once

#include <QString>

class QWidget;

/// The folder of the help topics: "help/" beside the executable, or the
/// source tree's help folder when running from the build folder.
QString helpFolder();

/// The help file of `objectName`: "HLP_<Object>.htm" when the object has a
/// topic of its own, otherwise the index "index.htm".
QString helpTopicFile(const QString& objectName);

/// Shows the help of `objectName` (F1) in the help viewer.
void showHelp(const QString& objectName, QWidget* parent);
