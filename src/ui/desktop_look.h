#pragma once

// How the desktop program looks and speaks beyond its own windows: Qt's own
// dialogs (files, printing) in Spanish, the desktop's icon theme for the
// buttons, and a focus frame that a person can see on buttons.

/// Loads Qt's Spanish translation, picks the icon theme and sets the style
/// that marks the focused button. Safe to call more than once.
void prepareDesktopLook();
