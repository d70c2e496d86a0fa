#pragma once

struct WorkPanelDecl;

/// The departments of "deptos.txt"; hands back the department's name.
const WorkPanelDecl& WDEPTOS();
/// The localities of "locali.txt"; called with a department (pickerKey), the
/// localities of that department only. Hands back the locality's name.
const WorkPanelDecl& WLOCALI();
/// The wage-council groups of "grupo.txt"; hands back the group's code.
const WorkPanelDecl& WGRUPO();
/// The subgroups of "subgru.txt"; called with a group (pickerKey), that
/// group's subgroups only. Hands back the subgroup's code.
const WorkPanelDecl& WSUBGRUP();
