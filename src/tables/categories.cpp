// Categories: CATEGORI, a number (`CatId`, "ZZ9") and a description
// (`CatDesc`). Synchronisation group "Car", shared with the positions.
//
// A category cannot be deleted while an employee's position (`CARGOSFU`,
// field `FunCatId`) uses it. The list also refuses to delete the default
// category of the employee preferences: the number value of the parameter
// row ("Default", "Categoria", 0), written by the preferences form beside
// the default position ("Default", "Cargo", 0), which is a position number
// and must not be compared with categories.
#include "tables/categories.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

const TransactionDecl& TCATEGOR()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TCATEGOR");
        declaration.title = QStringLiteral("Categoría");
        declaration.table = QStringLiteral("CATEGORI");
        declaration.index = QStringLiteral("ICATEGOR");
        declaration.fields = {
            keyField(QStringLiteral("CatId"), QStringLiteral("Categoría"), QStringLiteral("ZZ9")),
            textField(QStringLiteral("CatDesc"), QStringLiteral("Descripción"), QStringLiteral("Falta descripción")),
        };
        declaration.keyMissingMessage = QStringLiteral("Falta número de cargo");
        declaration.deleteChecks = {
            {QStringLiteral("CARGOSFU"), QStringLiteral("ICARGOS6"), QStringLiteral("FunCatId"),
             QStringLiteral("CargosFuncionario")},
        };
        declaration.audit.insert = QStringLiteral("Agrega categorìa ");
        declaration.audit.modify = QStringLiteral("Modifica categoría ");
        declaration.audit.remove = QStringLiteral("Elimina categoría ");
        declaration.audit.parts = {{QStringLiteral("CatDesc"), QStringLiteral(", descripción = ")}};
        declaration.syncGroup = QStringLiteral("Car");
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WCATEGOR()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WCATEGOR");
        declaration.title = QStringLiteral("Categorias");
        declaration.table = QStringLiteral("CATEGORI");
        declaration.index = QStringLiteral("ICATEGOR");
        declaration.columns = {
            {QStringLiteral("CatId"), QStringLiteral("Categoría"), QStringLiteral("ZZ9"), {}},
            {QStringLiteral("CatDesc"), QStringLiteral("Descripción"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TCATEGOR");
        declaration.listing = QStringLiteral("RCATEGOR");
        declaration.protection.names = {QStringLiteral("Categoria")};
        declaration.protection.message =
            QStringLiteral("No se puede eliminar la categoría, utilizada en preferencias del funcionario");
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TCATEGOR);
const ObjectRegistration panel(&WCATEGOR);
}  // namespace
