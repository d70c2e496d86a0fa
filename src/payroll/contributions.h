#pragma once

struct WorkPanelDecl;

/// The contribution groups' selection prompt: group and description.
const WorkPanelDecl& WKQ00L0();
