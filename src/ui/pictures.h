#pragma once

#include <QIcon>
#include <QString>

/// The picture `fileName` ("tabla.ico", "Confirmar.ico"): looked up in the
/// picture folder (and then the application folder) when it has no folder
/// of its own, without regard to letter case. A picture the installation
/// does not have is drawn from the desktop's own icon set, so every button
/// still shows one.
QIcon picture(const QString& fileName);
