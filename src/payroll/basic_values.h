#pragma once

struct WorkPanelDecl;

/// The basic values' selection prompt: number and description.
const WorkPanelDecl& WKQ00A0();
