#pragma once

struct WorkPanelDecl;

/// The liquidation types' selection prompt: type and description.
const WorkPanelDecl& WKQ00S0();
