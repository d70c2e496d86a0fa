// Places of work: LUGARTRA, a number (`TraId`, "ZZ9") and a description
// (`TraDesc`). Synchronisation group "Tra". A place of work cannot be
// deleted while an employee's position (`CARGOSFU`, field `FunTraId`) is
// there.
//
// The record also holds `TraPerfile`, not shown on the form: one character
// per permission profile saying whether that profile reaches the place. The
// profiles form maintains it; a new place is open to every profile.
#include "tables/places_of_work.h"

#include "support/pencript.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

QString newPlaceOfWorkAccess()
{
    // Every profile may use a new place of work; the access string is kept
    // scrambled, as everything the profiles hold.
    return pencriptScramble(QString(50, u'S')).value_or(QString(50, u'S'));
}

const TransactionDecl& TLUGARTR()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TLUGARTR");
        declaration.title = QStringLiteral("Lugar de trabajo");
        declaration.table = QStringLiteral("LUGARTRA");
        declaration.index = QStringLiteral("ILUGARTR");
        declaration.fields = {
            keyField(QStringLiteral("TraId"), QStringLiteral("Lugar de trabajo"), QStringLiteral("ZZ9")),
            textField(QStringLiteral("TraDesc"), QStringLiteral("Descripción"), QStringLiteral("Falta descripción")),
        };
        declaration.keyMissingMessage = QStringLiteral("Falta número de lugar de trabajo");
        declaration.deleteChecks = {
            {QStringLiteral("CARGOSFU"), QStringLiteral("ICARGOS2"), QStringLiteral("FunTraId"),
             QStringLiteral("CargosFuncionario")},
        };
        declaration.audit.insert = QStringLiteral("Agrega lugar de trabajo ");
        declaration.audit.modify = QStringLiteral("Modifica lugar de trabajo ");
        declaration.audit.remove = QStringLiteral("Elimina lugar de trabajo ");
        declaration.audit.parts = {{QStringLiteral("TraDesc"), QStringLiteral(", descripción = ")}};
        declaration.syncGroup = QStringLiteral("Tra");
        declaration.helpTopic = QStringLiteral("HLP_TLUGARTR.htm");
        // A modification keeps the access the profiles form has set.
        declaration.hooks.beforeStore += [](Transaction& form, RecordCursor& record) {
            if (form.mode() == Mode::Insert)
                record.setValue(QStringLiteral("TraPerfile"), newPlaceOfWorkAccess());
        };
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WLUGARST()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WLUGARST");
        declaration.title = QStringLiteral("Lugares de trabajo");
        declaration.table = QStringLiteral("LUGARTRA");
        declaration.index = QStringLiteral("ILUGARTR");
        declaration.columns = {
            {QStringLiteral("TraId"), QStringLiteral("Lugar"), QStringLiteral("ZZ9"), {}},
            {QStringLiteral("TraDesc"), QStringLiteral("Descripción"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TLUGARTR");
        declaration.listing = QStringLiteral("RLUGARTR");
        declaration.protection.names = {QStringLiteral("LugarTraba")};
        declaration.protection.message =
            QStringLiteral("No se puede eliminar el lugar de trabajo, utilizado en preferencias del funcionario");
        declaration.helpTopic = QStringLiteral("HLP_WLUGARST.htm");
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TLUGARTR);
const ObjectRegistration panel(&WLUGARST);
}  // namespace
