// The windows of the panels that copy an entry, copy or renumber one of its
// lines, and change a cost centre's code or a heading's number everywhere
// it is used. The panels hold the rules and the procedures; these windows
// only ask for the new value.
#include "ui/entry_windows.h"

#include "payroll/accounting_entries_procedures.h"
#include "payroll/cost_centre_change.h"
#include "payroll/heading_number_change.h"
#include "ui/procedure_window.h"
#include "ui/window_registry.h"

#include <QDoubleValidator>
#include <QIntValidator>
#include <QLineEdit>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QWidget* makeEntryCopy(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    auto panel = std::make_shared<WASICOPI>(database, ui);
    panel->start(call ? call->key : QString());
    auto* window = new ProcedureWindow(u"WASICOPI"_s, WASICOPI::title());
    window->addText(u"Asiento:"_s, QString::number(panel->entry()));
    QLineEdit* target = window->addInput(u"Copiar &a:"_s, 4);
    target->setValidator(new QIntValidator(1, 9999, target));
    window->finish(u"&Confirmar"_s, [panel, target, call] {
        panel->setTarget(target->text().toLongLong());
        if (!panel->confirm())
            return false;
        if (call)
            call->key = QString::number(panel->target());
        return true;
    });
    return window;
}

QWidget* makeLineCopy(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    auto panel = std::make_shared<WPIDENRO>(database, ui);
    panel->start(call ? call->key : QString(), call ? call->mode : QString());
    auto* window = new ProcedureWindow(u"WPIDENRO"_s, panel->title());
    window->addText(u"Asiento:"_s, call ? call->key.section(u'\t', 0, 0) : QString());
    window->addText(u"Línea:"_s, call ? call->key.section(u'\t', 1, 1) : QString());
    QLineEdit* line = window->addInput(u"Número de linea &nueva:"_s, 4);
    line->setValidator(new QIntValidator(1, 9999, line));
    window->finish(u"&Confirmar"_s, [panel, line] {
        panel->setNewLine(line->text().toInt());
        return panel->confirm();
    });
    return window;
}

QWidget* makeCostCentreChange(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    auto panel = std::make_shared<WCAMCCOS>(database, ui);
    panel->start(call ? call->key : QString());
    auto* window = new ProcedureWindow(u"WCAMCCOS"_s, WCAMCCOS::title());
    window->addText(u"Centro de costo:"_s, panel->costCentre());
    QLineEdit* code = window->addInput(u"&Nuevo código:"_s, 20);
    window->finish(u"&Confirmar"_s, [panel, code, call] {
        panel->setNewCode(code->text());
        if (!panel->confirm())
            return false;
        if (call)
            call->key = panel->newCode();
        return true;
    });
    return window;
}

QWidget* makeHeadingChange(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    auto panel = std::make_shared<WRUBCAMB>(database, ui);
    panel->start(call ? call->key : QString());
    auto* window = new ProcedureWindow(u"WRUBCAMB"_s, WRUBCAMB::title());
    window->addText(u"Rubro:"_s, QString::number(panel->heading(), 'f', 0));
    QLineEdit* number = window->addInput(u"&Nuevo número:"_s, 12);
    number->setValidator(new QDoubleValidator(1, 999999999999.0, 0, number));
    window->finish(u"&Confirmar"_s, [panel, number, call] {
        panel->setNewNumber(number->text().toDouble());
        if (!panel->confirm())
            return false;
        if (call)
            call->key = QString::number(panel->newNumber(), 'f', 0);
        return true;
    });
    return window;
}

}  // namespace

void registerEntryWindows()
{
    WindowRegistry::add(u"WASICOPI"_s, WASICOPI::title(), &makeEntryCopy);
    WindowRegistry::add(u"WPIDENRO"_s, u"Copia linea de asiento"_s, &makeLineCopy);
    WindowRegistry::add(u"WCAMCCOS"_s, WCAMCCOS::title(), &makeCostCentreChange);
    WindowRegistry::add(u"WRUBCAMB"_s, WRUBCAMB::title(), &makeHeadingChange);
}
