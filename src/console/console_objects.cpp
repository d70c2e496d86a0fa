#include "console/console_objects.h"

#include "data/work_database.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "reports/kqrview.h"
#include "reports/listings.h"
#include "support/ui_port.h"

ConsoleObject findObject(const QString& name)
{
    return {ObjectRegistry::transaction(name), ObjectRegistry::workPanel(name)};
}

namespace {

void runTransaction(const TransactionDecl& declaration, QString& key, QString& mode, Database& database,
                    UiPort& ui)
{
    Transaction form(declaration, database, ui);
    form.start(key, mode);
    if (!form.isClosed())
        form.close();
    form.handBack(key, mode);
}

void runPanel(const WorkPanelDecl& declaration, QString& key, Database& database, UiPort& ui)
{
    WorkPanel panel(declaration, database, ui, WorkDatabase::process());
    if (DbError error = panel.open(key)) {
        ui.message(error.fullText(), MessageIcon::Exclamation);
        return;
    }
    panel.close();
    key = panel.result();
}

}  // namespace

bool runUnattended(const QString& name, QString& key, QString& mode, Database& database, UiPort& ui)
{
    const ConsoleObject object = findObject(name);
    if (object.transaction) {
        runTransaction(*object.transaction, key, mode, database, ui);
        return true;
    }
    if (object.panel) {
        runPanel(*object.panel, key, database, ui);
        return true;
    }
    if (const ListingEntry* listing = Listings::find(name)) {
        // There is no preview on the console: the pages are drawn and
        // dropped; a listing that fails says why.
        KQRView view(nullptr);
        ListingRun run = ListingRun::now(database);
        run.ui = &ui;
        const ListingResult result = listing->run(view, run);
        if (!result.ok())
            ui.message(result.errorMessage, MessageIcon::Exclamation);
        return true;
    }
    return false;
}
