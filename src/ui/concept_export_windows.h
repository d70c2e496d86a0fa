#pragma once

#include <QString>

#include <functional>

/// Registers the windows of WEXPCONE, WEXPEXCE and WCONLIS with the window
/// registry.
void registerConceptExportWindows();

/// Opens a written file with the desktop's program for it; false when it could not.
using FileOpener = std::function<bool(const QString& file)>;
/// Replaces the opener of the exported file (tests); an empty one restores
/// the desktop's, which launches nothing on the offscreen platform.
void setExportedFileOpener(FileOpener opener);
