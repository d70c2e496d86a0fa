#pragma once

/// Registers the windows of the accounting entries' procedure panels
/// (WASICOPI, WPIDENRO) and of the changes of a cost-centre code (WCAMCCOS)
/// and of a heading's number (WRUBCAMB) with the window registry.
void registerEntryWindows();
