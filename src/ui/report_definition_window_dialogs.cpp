#include "ui/report_definition_window_dialogs.h"

#include "reports/report_definition_calculated.h"
#include "reports/report_definition_editor.h"
#include "reports/report_definition_filter.h"
#include "support/ui_port.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTextDocument>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

/// Confirm and Cancel at the foot of a dialog; Confirm runs `accept`, which
/// says whether the dialog may close.
void addFoot(QDialog& dialog, QVBoxLayout* layout, const std::function<bool()>& accept)
{
    auto* foot = new QDialogButtonBox(&dialog);
    foot->addButton(u"&Confirmar"_s, QDialogButtonBox::AcceptRole)->setObjectName(u"Confirmar"_s);
    foot->addButton(u"Ca&ncelar"_s, QDialogButtonBox::RejectRole);
    QObject::connect(foot, &QDialogButtonBox::accepted, &dialog, [&dialog, accept] {
        if (accept())
            dialog.accept();
    });
    QObject::connect(foot, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(foot);
}

}  // namespace

bool editFilterDialog(QWidget* parent, UiPort& ui, const ReportField& field, FilterField& filter,
                      const QString& mode)
{
    WFILTRO editor(field, filter, mode);
    QDialog dialog(parent);
    dialog.setObjectName(u"WFILTRO"_s);
    dialog.setWindowTitle(editor.caption());
    auto* layout = new QVBoxLayout(&dialog);
    auto* caption = new QLabel(editor.caption(), &dialog);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    layout->addWidget(caption);

    auto* form = new QFormLayout;
    auto* operators = new QComboBox(&dialog);
    operators->setObjectName(u"Operador"_s);
    operators->addItems(editor.operators());
    operators->setCurrentText(editor.operatorText());
    operators->setEnabled(!editor.isEmission());
    auto* condition = new QLineEdit(editor.condition(), &dialog);
    condition->setObjectName(u"InfCondici"_s);
    form->addRow(u"&Operador:"_s, operators);
    form->addRow(u"Con&dición:"_s, condition);
    auto* fixed = new QRadioButton(u"&Fijo"_s, &dialog);
    auto* atRun = new QRadioButton(u"Al &emitir"_s, &dialog);
    auto* kinds = new QButtonGroup(&dialog);
    kinds->addButton(fixed);
    kinds->addButton(atRun);
    (editor.isFixed() ? fixed : atRun)->setChecked(true);
    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(fixed);
    kindRow->addWidget(atRun);
    kindRow->addStretch();
    form->addRow(u"Valor:"_s, kindRow);
    form->setRowVisible(kindRow, !editor.isEmission());
    layout->addLayout(form);

    auto* examples = new QLabel(u"Ejemplos:\n"_s + editor.examples().join(u'\n'), &dialog);
    examples->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    examples->setObjectName(u"Ejemplos"_s);
    layout->addWidget(examples);

    addFoot(dialog, layout, [&] {
        editor.setOperator(operators->currentText());
        editor.setCondition(condition->text());
        editor.setFixed(fixed->isChecked());
        if (editor.confirm(ui))
            return true;
        condition->setFocus();
        return false;
    });
    condition->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    filter = editor.filter();
    return true;
}

QString chooseColumnDialog(QWidget* parent, Database& database, const QStringList& columnNames)
{
    QDialog dialog(parent);
    dialog.setObjectName(u"WSELCOLU"_s);
    dialog.setWindowTitle(u"Columnas y funciones"_s);
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    for (const ColumnChoice& choice : WSELCOLU(database, columnNames)) {
        auto* item = new QListWidgetItem(choice.shown, list);
        item->setData(Qt::UserRole, choice.inserted);
    }
    list->setCurrentRow(0);
    layout->addWidget(list);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    addFoot(dialog, layout, [list] { return list->currentItem() != nullptr; });
    dialog.resize(360, 420);
    if (dialog.exec() != QDialog::Accepted || !list->currentItem())
        return {};
    return list->currentItem()->data(Qt::UserRole).toString();
}

bool calculatedColumnDialog(QWidget* parent, Database& database, UiPort& ui, const ReportDefinitionEditor& editor,
                            CalculatedColumn& column)
{
    WDEFCALC panel(database, column, editor.calculated());
    QDialog dialog(parent);
    dialog.setObjectName(u"WDEFCALC"_s);
    dialog.setWindowTitle(u"Columna calculada"_s);
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    auto* title = new QLineEdit(column.title, &dialog);
    title->setObjectName(u"InfCalTitu"_s);
    title->setMaxLength(30);
    auto* kind = new QComboBox(&dialog);
    kind->setObjectName(u"InfConteni"_s);
    kind->addItem(QString());
    kind->addItems(CalculatedKind::all());
    kind->setCurrentText(column.kind);
    form->addRow(u"&Título:"_s, title);
    form->addRow(u"C&ontenido:"_s, kind);
    layout->addLayout(form);

    auto* panels = new QStackedWidget(&dialog);
    panels->addWidget(new QWidget(panels));  // no kind yet

    // WPARBASI
    auto* basicPage = new QWidget(panels);
    basicPage->setObjectName(u"WPARBASI"_s);
    auto* basicForm = new QFormLayout(basicPage);
    auto* basicCode = new QLineEdit(column.kind == CalculatedKind::basic ? column.first : QString(), basicPage);
    auto* byPosition = new QCheckBox(u"Cargo"_s, basicPage);
    auto* byCentre = new QCheckBox(u"Centro de costo"_s, basicPage);
    byPosition->setChecked(column.kind == CalculatedKind::basic && column.second == u"S"_s);
    byCentre->setChecked(column.kind == CalculatedKind::basic && column.third == u"S"_s);
    basicForm->addRow(u"Código de &básico:"_s, basicCode);
    basicForm->addRow(QString(), byPosition);
    basicForm->addRow(QString(), byCentre);
    panels->addWidget(basicPage);

    // WPARCONC
    const bool conceptKind = WDEFCALC::panelOf(column.kind) == u"WPARCONC"_s;
    auto* conceptPage = new QWidget(panels);
    conceptPage->setObjectName(u"WPARCONC"_s);
    auto* conceptForm = new QFormLayout(conceptPage);
    auto* concepts = new QLineEdit(conceptKind ? column.first : QString(), conceptPage);
    concepts->setPlaceholderText(u"10,12,20:25"_s);
    auto* groups = new QLineEdit(conceptKind ? column.second : QString(), conceptPage);
    auto* conceptType = new QComboBox(conceptPage);
    conceptType->addItem(QString());
    conceptType->addItems(conceptTypeTexts());
    if (conceptKind && !column.third.isEmpty())
        conceptType->setCurrentIndex(column.third.toInt());
    conceptForm->addRow(u"Códigos de &concepto:"_s, concepts);
    conceptForm->addRow(u"Códigos de &grupo:"_s, groups);
    conceptForm->addRow(u"T&ipo de concepto:"_s, conceptType);
    panels->addWidget(conceptPage);

    // WPARCALC
    auto* formulaPage = new QWidget(panels);
    formulaPage->setObjectName(u"WPARCALC"_s);
    auto* formulaLayout = new QVBoxLayout(formulaPage);
    auto* formula = new QPlainTextEdit(column.formula, formulaPage);
    formula->setObjectName(u"InfCalForm"_s);
    auto* choose = new QPushButton(u"Col&umnas y funciones..."_s, formulaPage);
    auto* formulaLabel = new QLabel(u"&Fórmula (las columnas entre corchetes: [Título]):"_s, formulaPage);
    formulaLabel->setBuddy(formula);
    formulaLayout->addWidget(formulaLabel);
    formulaLayout->addWidget(formula);
    formulaLayout->addWidget(choose, 0, Qt::AlignLeft);
    QObject::connect(choose, &QPushButton::clicked, &dialog, [&] {
        QStringList names;
        for (const ReportListEntry& entry : editor.chosen(ReportList::Data))
            names << entry.text;
        const QString chosen = chooseColumnDialog(&dialog, database, names);
        if (!chosen.isEmpty())
            formula->insertPlainText(chosen);
        formula->setFocus();
    });
    panels->addWidget(formulaPage);

    // WPARFICC
    auto* filePage = new QWidget(panels);
    filePage->setObjectName(u"WPARFICC"_s);
    auto* fileForm = new QFormLayout(filePage);
    auto* annotations = new QLineEdit(column.kind == CalculatedKind::fileSum ? column.first : QString(), filePage);
    fileForm->addRow(u"Códigos de &anotación:"_s, annotations);
    panels->addWidget(filePage);
    layout->addWidget(panels);

    auto showPanel = [panels, basicPage, conceptPage, formulaPage, filePage](const QString& chosenKind) {
        const QString name = WDEFCALC::panelOf(chosenKind);
        QWidget* page = name == u"WPARBASI"_s   ? basicPage
                        : name == u"WPARCONC"_s ? conceptPage
                        : name == u"WPARCALC"_s ? formulaPage
                        : name == u"WPARFICC"_s ? filePage
                                                : panels->widget(0);
        panels->setCurrentWidget(page);
    };
    showPanel(column.kind);
    QObject::connect(kind, &QComboBox::currentTextChanged, &dialog, showPanel);

    addFoot(dialog, layout, [&] {
        panel.setTitle(title->text());
        panel.setKind(kind->currentText());
        const QString name = WDEFCALC::panelOf(kind->currentText());
        if (name == u"WPARBASI"_s)
            panel.setBasic(basicCode->text(), byPosition->isChecked(), byCentre->isChecked());
        else if (name == u"WPARCONC"_s)
            panel.setConceptFilter(concepts->text(), groups->text(), conceptType->currentText());
        else if (name == u"WPARCALC"_s)
            panel.setFormula(formula->toPlainText());
        else if (name == u"WPARFICC"_s)
            panel.setAnnotationCodes(annotations->text());
        return panel.confirm(ui);
    });
    dialog.resize(520, 360);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    column = panel.column();
    return true;
}

void calculatedColumnsDialog(QWidget* parent, Database& database, UiPort& ui, ReportDefinitionEditor& editor)
{
    QDialog dialog(parent);
    dialog.setObjectName(u"WDEFCALL"_s);
    dialog.setWindowTitle(u"Columnas calculadas"_s);
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    auto fill = [&editor, list] {
        const int row = list->currentRow();
        list->clear();
        for (const CalculatedColumn& column : editor.calculated()) {
            auto* item = new QListWidgetItem(column.title + u"  ("_s + column.kind + u')', list);
            item->setData(Qt::UserRole, column.id);
        }
        list->setCurrentRow(std::min(std::max(row, 0), list->count() - 1));
    };
    fill();
    layout->addWidget(list);
    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton(u"&Agregar"_s, &dialog);
    auto* change = new QPushButton(u"&Modificar"_s, &dialog);
    auto* remove = new QPushButton(u"&Eliminar"_s, &dialog);
    auto* close = new QPushButton(u"&Cerrar"_s, &dialog);
    for (QPushButton* button : {add, change, remove})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    QObject::connect(add, &QPushButton::clicked, &dialog, [&] {
        CalculatedColumn column = editor.newCalculated();
        if (calculatedColumnDialog(&dialog, database, ui, editor, column) && editor.storeCalculated(column))
            fill();
    });
    auto modify = [&] {
        const QListWidgetItem* item = list->currentItem();
        if (!item)
            return;
        const CalculatedColumn* stored = editor.definition().calculatedColumn(item->data(Qt::UserRole).toInt());
        if (!stored)
            return;
        CalculatedColumn column = *stored;
        if (calculatedColumnDialog(&dialog, database, ui, editor, column) && editor.storeCalculated(column))
            fill();
    };
    QObject::connect(change, &QPushButton::clicked, &dialog, modify);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, modify);
    QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
        const QListWidgetItem* item = list->currentItem();
        if (!item || !ui.question(u"¿Elimina la columna calculada "_s + item->text() + u'?', DefaultButton::No))
            return;
        editor.removeCalculated(item->data(Qt::UserRole).toInt());
        fill();
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.resize(420, 320);
    dialog.exec();
}

void formulaCheckDialog(QWidget* parent, const QList<FormulaCheckLine>& lines)
{
    QDialog dialog(parent);
    dialog.setObjectName(u"WMUESTRA"_s);
    dialog.setWindowTitle(QString::fromUtf16(formulaCheckTitle));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(u"Resultado"_s);
    auto* onlyErrors = new QCheckBox(u"Mostrar solo errores"_s, &dialog);
    auto fill = [&lines, list, onlyErrors] {
        list->clear();
        for (const FormulaCheckLine& line : lines) {
            if (!line.error && onlyErrors->isChecked())
                continue;
            list->addItem(line.text);
        }
        if (list->count() == 0)
            list->addItem(u"No hay columnas calculadas para controlar"_s);
    };
    fill();
    QObject::connect(onlyErrors, &QCheckBox::toggled, &dialog, fill);
    layout->addWidget(onlyErrors);
    layout->addWidget(list);
    auto* buttons = new QHBoxLayout;
    auto* print = new QPushButton(u"&Imprimir"_s, &dialog);
    auto* close = new QPushButton(u"&Cerrar"_s, &dialog);
    buttons->addWidget(print);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    QObject::connect(print, &QPushButton::clicked, &dialog, [&dialog, list] {
        QPrinter printer;
        QPrintDialog choose(&printer, &dialog);
        if (choose.exec() != QDialog::Accepted)
            return;
        QStringList texts{dialog.windowTitle(), QString()};
        for (int row = 0; row < list->count(); ++row)
            texts << list->item(row)->text();
        QTextDocument document;
        document.setPlainText(texts.join(u'\n'));
        document.print(&printer);
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.resize(640, 360);
    dialog.exec();
}
