#pragma once

struct WorkPanelDecl;

/// The concepts' selection prompt: from a number on, by description and
/// group, the inactive ones only when asked.
const WorkPanelDecl& WKQ00N0();
