#pragma once

/// Registers the windows of the concept maintenance: the change of code
/// (WCONCAMB) and the consistency control (PCTRCON2), which runs and shows
/// "avisos.txt" in the text viewer.
void registerConceptMaintenanceWindows();
