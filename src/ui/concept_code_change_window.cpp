// The windows of the concept panel's "Cambiar nº" (WCONCAMB: the new code,
// merge and date range, the preview of what moves, then the question) and
// "Control" (PCTRCON2: the control runs and its warnings are shown). The
// panels and procedures hold the rules; these only draw them.
#include "ui/concept_code_change_window.h"

#include "data/work_database.h"
#include "payroll/concept_code_change.h"
#include "payroll/concept_consistency.h"
#include "support/ui_port.h"
#include "ui/procedure_window.h"
#include "ui/text_viewer.h"
#include "ui/window_registry.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDir>
#include <QIntValidator>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QWidget* makeCodeChange(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    auto panel = std::make_shared<WCONCAMB>(database, ui);
    panel->start(call ? call->key : QString());
    auto* window = new ProcedureWindow(u"WCONCAMB"_s, u"Cambio de número de concepto"_s);
    QLineEdit* oldCode = window->addInput(u"&Concepto:"_s, 4);
    oldCode->setValidator(new QIntValidator(1, 9999, oldCode));
    if (panel->oldCode() > 0)
        oldCode->setText(QString::number(panel->oldCode()));
    QLineEdit* newCode = window->addInput(u"&Nuevo concepto:"_s, 4);
    newCode->setValidator(new QIntValidator(1, 9999, newCode));
    auto* merge = new QCheckBox(u"E&xistente (unifica con el concepto indicado)"_s, window);
    auto* only = new QCheckBox(u"&Solo liquidaciones"_s, window);
    QLineEdit* from = window->addInput(u"Fecha &desde:"_s, 10);
    QLineEdit* to = window->addInput(u"Fecha &hasta:"_s, 10);
    from->setPlaceholderText(u"dd/mm/aaaa"_s);
    to->setPlaceholderText(u"dd/mm/aaaa"_s);
    auto enableDates = [from, to, only] {
        from->setEnabled(only->isChecked());
        to->setEnabled(only->isChecked());
    };
    QObject::connect(only, &QCheckBox::toggled, window, enableDates);
    enableDates();
    auto* preview = new QPlainTextEdit(window);
    preview->setReadOnly(true);
    preview->setLineWrapMode(QPlainTextEdit::NoWrap);
    preview->setPlaceholderText(u"Lo que cambia se muestra aquí antes de confirmar."_s);
    preview->setMinimumSize(560, 240);
    auto* layout = static_cast<QBoxLayout*>(window->layout());
    layout->insertWidget(1, merge);
    layout->insertWidget(2, only);
    layout->insertWidget(3, preview);

    panel->onImpact([preview](const QStringList& lines) { preview->setPlainText(lines.join(u'\n')); });
    auto take = [panel, oldCode, newCode, merge, only, from, to] {
        panel->setOldCode(oldCode->text());
        panel->setNewCode(newCode->text());
        panel->setMerge(merge->isChecked());
        panel->setOnlyLiquidations(only->isChecked());
        panel->setDates(from->text(), to->text());
    };
    window->addButton(u"&Vista previa"_s, QString(), [panel, take] {
        take();
        panel->preview();
    });
    window->finish(u"&Confirmar"_s, [panel, take, call] {
        take();
        if (!panel->confirm())
            return false;
        if (call)
            call->key = QString::number(panel->change().newCode);
        return true;
    });
    return window;
}

QWidget* makeConsistencyControl(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>&)
{
    // The warnings file is the workstation's own: two people running the
    // control at once each read their own.
    const QString file = QDir(temporaryFolder()).filePath(QString::fromUtf16(consistencyFileName));
    ProcedureResult result;
    {
        const WaitScope wait(ui);
        result = PCTRCON2(database, ui, file);
    }
    auto* viewer = new TextViewer(u"PCTRCON2"_s, u"Control de errores en los conceptos"_s);
    if (!result.ok()) {
        ui.message(result.message, MessageIcon::Exclamation);
        viewer->showText(result.message);
        return viewer;
    }
    viewer->showFile(file, u"No se encontraron errores en los conceptos."_s);
    return viewer;
}

}  // namespace

void registerConceptMaintenanceWindows()
{
    WindowRegistry::add(u"WCONCAMB"_s, u"Cambio de número de concepto"_s, &makeCodeChange);
    WindowRegistry::add(u"PCTRCON2"_s, u"Control de errores en los conceptos"_s, &makeConsistencyControl);
}
