// The windows of the concept export (WEXPCONE), its preference (WEXPEXCE)
// and the choice of concept listing (WCONLIS). The panels hold the rules;
// these draw them, and the export's window opens the written file with the
// desktop's program for it.
#include "ui/concept_export_windows.h"

#include "reports/concept_export.h"
#include "support/ui_port.h"
#include "ui/procedure_window.h"
#include "ui/window_registry.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QUrl>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

FileOpener& customOpener()
{
    static FileOpener opener;
    return opener;
}

bool openWithDesktop(const QString& file)
{
    if (customOpener())
        return customOpener()(file);
    // Nobody looks at an offscreen session: nothing is launched there.
    if (QGuiApplication::platformName() == u"offscreen")
        return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

QString preferenceLabel(int value)
{
    for (const PreferenceChoice& choice : spreadsheetPreferenceChoices()) {
        if (choice.value == value)
            return choice.label;
    }
    return {};
}

/// Inserts `widget` above the window's own buttons.
void insertAboveButtons(ProcedureWindow* window, QWidget* widget)
{
    auto* layout = static_cast<QBoxLayout*>(window->layout());
    layout->insertWidget(layout->count() - 1, widget);
}

QWidget* makeExport(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>&)
{
    auto panel = std::make_shared<WEXPCONE>(database, ui);
    panel->start();
    auto* window = new ProcedureWindow(u"WEXPCONE"_s, u"Exportación de coneptos a Excel"_s);
    auto* preference = new QLabel(window);
    auto show = [panel, preference] { preference->setText(u"Planilla: "_s + preferenceLabel(panel->preference())); };
    show();
    insertAboveButtons(window, preference);
    auto* formulas = new QCheckBox(u"Incluir &fórmulas (cálculo de importe y cantidad, acumuladores y expansión)"_s,
                                   window);
    insertAboveButtons(window, formulas);
    window->addButton(u"&Preferencias..."_s, QString(), [panel, show] {
        panel->pressPreferences();
        show();
    });
    UiPort* port = &ui;
    window->finish(u"&Exportar"_s, [panel, formulas, port] {
        panel->setFormulas(formulas->isChecked());
        if (!panel->confirm())
            return false;
        if (!openWithDesktop(panel->file()))
            port->message(u"Se generó el archivo "_s + QDir::toNativeSeparators(panel->file())
                              + u" pero no se pudo abrir con el programa de planillas"_s,
                          MessageIcon::Information);
        return true;
    });
    formulas->setFocus();
    return window;
}

QWidget* makePreference(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    auto panel = std::make_shared<WEXPEXCE>(database, ui);
    panel->start(call ? call->key : QString());
    auto* window = new ProcedureWindow(u"WEXPEXCE"_s, u"Preferencias para exportación a Excel"_s);
    auto* box = new QGroupBox(u"Planilla"_s, window);
    auto* rows = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (const PreferenceChoice& choice : spreadsheetPreferenceChoices()) {
        auto* option = new QRadioButton(u"&%1 %2"_s.arg(choice.value).arg(choice.label), box);
        option->setChecked(choice.value == panel->choice());
        group->addButton(option, choice.value);
        rows->addWidget(option);
    }
    insertAboveButtons(window, box);
    window->finish(u"&Confirmar"_s, [panel, group] {
        panel->setChoice(group->checkedId() > 0 ? group->checkedId() : 0);
        return panel->confirm();
    });
    if (group->checkedButton())
        group->checkedButton()->setFocus();
    return window;
}

QWidget* makeListingChoice(Database&, UiPort& ui, const std::shared_ptr<WindowCall>&)
{
    auto panel = std::make_shared<WCONLIS>(ui);
    auto* window = new ProcedureWindow(u"WCONLIS"_s, u"Listado de conceptos"_s);
    auto* box = new QGroupBox(u"Tipo de listado"_s, window);
    auto* rows = new QVBoxLayout(box);
    auto* detailed = new QRadioButton(u"&Detallado"_s, box);
    auto* summarised = new QRadioButton(u"&Resumido"_s, box);
    rows->addWidget(detailed);
    rows->addWidget(summarised);
    insertAboveButtons(window, box);
    window->finish(u"&Confirmar"_s, [panel, detailed, summarised] {
        panel->setKind(detailed->isChecked() ? u"D"_s : summarised->isChecked() ? u"R"_s : QString());
        return panel->confirm();
    });
    detailed->setFocus();
    return window;
}

}  // namespace

void setExportedFileOpener(FileOpener opener)
{
    customOpener() = std::move(opener);
}

void registerConceptExportWindows()
{
    WindowRegistry::add(u"WEXPCONE"_s, u"Exportación de coneptos a Excel"_s, &makeExport);
    WindowRegistry::add(u"WEXPEXCE"_s, u"Preferencias para exportación a Excel"_s, &makePreference);
    WindowRegistry::add(u"WCONLIS"_s, u"Listado de conceptos"_s, &makeListingChoice);
}
