// The window of WCONCOPI: the concept to copy, the new code and the new
// description; the panel holds the rules.
#include "payroll/concept_copy.h"
#include "ui/concept_maintenance_windows.h"
#include "ui/procedure_window.h"
#include "ui/window_registry.h"

#include <QIntValidator>
#include <QLineEdit>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QWidget* makeConceptCopy(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    auto panel = std::make_shared<WCONCOPI>(database, ui);
    panel->start(call ? call->key : QString());
    auto* window = new ProcedureWindow(u"WCONCOPI"_s, WCONCOPI::title());
    window->addText(u"Concepto a copiar:"_s, QString::number(panel->source()) + u" - "_s + panel->sourceDescription());
    QLineEdit* target = window->addInput(u"&Nuevo concepto:"_s, 4);
    target->setValidator(new QIntValidator(1, 9999, target));
    QLineEdit* description = window->addInput(u"&Descripción:"_s, 30);
    description->setMinimumWidth(description->fontMetrics().horizontalAdvance(QString(30, u'M')));
    description->setText(panel->description());
    window->finish(u"&Confirmar"_s, [panel, target, description, call] {
        panel->setTarget(target->text());
        panel->setDescription(description->text());
        if (!panel->confirm())
            return false;
        if (call)
            call->key = panel->handBack();
        return true;
    });
    return window;
}

}  // namespace

void registerConceptCopyWindow()
{
    WindowRegistry::add(u"WCONCOPI"_s, WCONCOPI::title(), &makeConceptCopy);
}
