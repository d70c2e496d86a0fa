// The folders of the user-defined reports: INFORME5, a number (`InfCarId`,
// "ZZZ9") and a description (`InfCarDes`). A report names its folder in
// `InfCarId`; a folder that holds reports cannot be deleted. The list reads
// the folders ordered by description. The folders belong to the report
// generator's synchronisation group "Inf".
#include "reports/report_folders.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

using namespace Qt::StringLiterals;

const TransactionDecl& TINFORM5()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TINFORM5"_s;
        declaration.title = u"Carpeta de informes"_s;
        declaration.table = u"INFORME5"_s;
        declaration.index = u"IINFOR14"_s;
        declaration.fields = {
            keyField(u"InfCarId"_s, u"Carpeta"_s, u"ZZZ9"_s),
            textField(u"InfCarDes"_s, u"Descripción"_s, u"Falta descripción"_s),
        };
        declaration.keyMissingMessage = u"Falta número de carpeta"_s;
        declaration.deleteChecks = {{u"INFORME"_s, u"IINFOR11"_s, u"InfCarId"_s, u"Informe"_s}};
        declaration.audit.insert = u"Agrega carpeta de informes "_s;
        declaration.audit.modify = u"Modifica carpeta de informes "_s;
        declaration.audit.remove = u"Elimina carpeta de informes "_s;
        declaration.audit.parts = {{u"InfCarDes"_s, u", descripción = "_s}};
        declaration.audit.area = AuditArea::UserReports;
        declaration.syncGroup = u"Inf"_s;
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WINFCARP()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"WINFCARP"_s;
        declaration.title = u"Carpetas de informes"_s;
        declaration.table = u"INFORME5"_s;
        declaration.index = u"IINFOR14"_s;
        declaration.columns = {
            {u"InfCarId"_s, u"Carpeta"_s, u"ZZZ9"_s, {}},
            {u"InfCarDes"_s, u"Descripción"_s, {}, {}},
        };
        declaration.transaction = u"TINFORM5"_s;
        declaration.filterField = u"InfCarDes"_s;
        declaration.syncGroup = u"Inf"_s;
        declaration.sourceQuery = [](const WorkPanel&) {
            return SourceQuery{u"SELECT * FROM INFORME5  ORDER BY InfCarDes"_s, {}};
        };
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TINFORM5);
const ObjectRegistration panel(&WINFCARP);
[[maybe_unused]] const bool listEntry = [] {
    ObjectRegistry::addEntry(u"PINFORM5"_s, ObjectKind::Procedure, u"Lista de carpetas de informes"_s);
    return true;
}();
}  // namespace
