#pragma once

/// Registers the windows of the concept panel's copy (WCONCOPI) with the
/// window registry.
void registerConceptCopyWindow();
/// Registers the where-used window (WCONUSAD) with the window registry.
void registerConceptUsageWindow();
