// The windows of the basic values' own panels: the change of a basic's
// number (WCAMBIAB), the import's separators (WPREFIMP) and the import of a
// file (WIMPBASI). The panels hold the rules; these only draw them.
#include "payroll/basic_value_procedures.h"
#include "reports/basic_values_import.h"
#include "support/ui_port.h"
#include "ui/basic_values_windows.h"
#include "ui/procedure_window.h"
#include "ui/window_registry.h"

#include <QBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QWidget* makeNumberChange(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    auto panel = std::make_shared<WCAMBIAB>(database, ui);
    panel->start(call ? call->key : QString());
    auto* window = new ProcedureWindow(u"WCAMBIAB"_s, u"Cambio de número de básico"_s);
    window->addText(u"Básico actual:"_s, QString::number(panel->oldNumber()));
    QLineEdit* number = window->addInput(u"&Nuevo número:"_s, 4);
    number->setValidator(new QIntValidator(1, 9999, number));
    window->finish(u"&Confirmar"_s, [panel, number, call] {
        panel->setNewNumber(number->text().toInt());
        panel->confirm();
        if (!panel->closeRequested())
            return false;
        if (call)
            call->key = panel->handBack();
        return true;
    });
    return window;
}

QWidget* makeImportPreferences(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>&)
{
    auto panel = std::make_shared<WPREFIMP>(database, ui);
    panel->start();
    auto* window = new ProcedureWindow(u"WPREFIMP"_s, u"Preferencias de importación"_s);
    QLineEdit* field = window->addInput(u"Separador de &campo:"_s, 1);
    QLineEdit* decimal = window->addInput(u"Separador &decimal:"_s, 1);
    auto show = [panel, field, decimal] {
        field->setText(panel->separators().field);
        decimal->setText(panel->separators().decimal);
    };
    auto take = [panel, field, decimal] {
        panel->setFieldSeparator(field->text());
        panel->setDecimalSeparator(decimal->text());
    };
    show();
    window->addButton(u"C&SV"_s, QString(), [panel, show, take] {
        take();
        panel->pressCsv();
        show();
    });
    window->finish(u"&Confirmar"_s, [panel, take] {
        take();
        return panel->confirm();
    });
    return window;
}

QWidget* makeImport(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>&)
{
    auto* window = new ProcedureWindow(u"WIMPBASI"_s, u"Importación de básicos"_s);
    auto* format = new QLabel(u"El archivo (texto delimitado, .csv, .xls o .xlsx) lleva una fila de títulos:\n"
                              "Cod basico, Desc basico, Cargo, CCostos, Ref, Clasif, Valor, Valor ant, Vigencia;\n"
                              "y una fila por valor. Si hay errores no se importa nada y se muestran en errImpBas.txt."_s,
                              window);
    format->setWordWrap(false);
    static_cast<QBoxLayout*>(window->layout())->insertWidget(0, format);
    UiPort* port = &ui;
    window->addButton(u"&Preferencias..."_s, QString(), [port] {
        QString key;
        QString mode;
        port->callObject(u"WPREFIMP"_s, key, mode);
    });
    Database* data = &database;
    window->finish(u"&Importar..."_s, [data, port] {
        WIMPBASI panel(*data, *port);
        return panel.start() && panel.importFile();
    });
    return window;
}

}  // namespace

void registerBasicValuesWindows()
{
    WindowRegistry::add(u"WCAMBIAB"_s, u"Cambio de número de básico"_s, &makeNumberChange);
    WindowRegistry::add(u"WPREFIMP"_s, u"Preferencias de importación"_s, &makeImportPreferences);
    WindowRegistry::add(u"WIMPBASI"_s, u"Importación de básicos"_s, &makeImport);
}
