#pragma once

/// Registers the windows of WCAMBIAB, WPREFIMP and WIMPBASI with the window
/// registry.
void registerBasicValuesWindows();
