#include "reports/report_definition_editor.h"

#include "data/database.h"
#include "engine/accent_filter.h"
#include "engine/audit.h"
#include "engine/synchronisation.h"
#include "reports/report_definition_calculated.h"
#include "reports/report_definition_filter.h"
#include "reports/report_subjects.h"
#include "support/ui_port.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

/// The synchronisation group of the report generator.
const QString reportSyncGroup = u"Inf"_s;

QString listName(ReportList list, bool into)
{
    switch (list) {
    case ReportList::Data:
        return into ? u"' a Datos, "_s : u"' de Datos, "_s;
    case ReportList::Classification:
        return into ? u"' a Clasificación, "_s : u"' de Clasificación, "_s;
    case ReportList::Filter:
        return into ? u"' a Filtro, "_s : u"' de Filtro, "_s;
    }
    return {};
}

QString fixedText(const FilterField& filter)
{
    return filter.isFixed() ? u"Fijo, "_s : u"Emisión, "_s;
}

QString operatorText(const FilterField& filter)
{
    if (filter.negation == FilterOperator::notEqual)
        return FilterOperatorText::notEqual;
    if (filter.negation == FilterOperator::containing)
        return FilterOperatorText::containing;
    return FilterOperatorText::equal;
}

template <typename Entry>
const Entry* entryOf(const QList<Entry>& entries, int field)
{
    for (const Entry& entry : entries) {
        if (entry.field == field)
            return &entry;
    }
    return nullptr;
}

}  // namespace

ReportDefinitionEditor::ReportDefinitionEditor(Database& database, UiPort& ui) : database_(database), ui_(ui)
{
    subjects_.fill(ReportSubjects::Employee);
}

bool ReportDefinitionEditor::start(const QString& key, const QString& mode)
{
    mode_ = mode.trimmed().toUpper();
    if (mode_.isEmpty())
        mode_ = u"INS"_s;
    reloadCatalogue();
    folders_ = PINFORM5(database_);
    current_ = ReportDefinition();
    stored_ = ReportDefinition();
    if (mode_ == u"INS"_s)
        return true;
    DbError error;
    if (!readReportDefinition(database_, key.trimmed().toInt(), current_, &error)) {
        ui_.message(error ? error.fullText() : u"No existe el informe "_s + key.trimmed(),
                    MessageIcon::Exclamation);
        return false;
    }
    stored_ = current_;
    return true;
}

void ReportDefinitionEditor::reloadCatalogue()
{
    if (DbError error = catalogue_.load(database_))
        ui_.message(error.fullText(), MessageIcon::Exclamation);
}

QString ReportDefinitionEditor::fieldName(int field) const
{
    if (field == ReportFields::counterField)
        return u"# (contador)"_s;
    if (field == ReportFields::inTotalsField)
        return u"* (en totales)"_s;
    if (ReportFields::isCalculated(field)) {
        const CalculatedColumn* column = current_.calculatedColumn(field - ReportFields::calculatedFieldBase);
        if (!column)
            column = stored_.calculatedColumn(field - ReportFields::calculatedFieldBase);
        if (column && !column->title.isEmpty())
            return column->title;
        return u"Cálculo "_s + QString::number(field - ReportFields::calculatedFieldBase);
    }
    if (const ReportField* catalogued = catalogue_.find(field))
        return catalogued->description;
    return u"Campo "_s + QString::number(field);
}

QList<int> ReportDefinitionEditor::chosenFields(ReportList list) const
{
    QList<int> fields;
    switch (list) {
    case ReportList::Data:
        for (const DataColumn& column : current_.data)
            fields.append(column.field);
        break;
    case ReportList::Classification:
        for (const ClassificationField& field : current_.classification)
            fields.append(field.field);
        break;
    case ReportList::Filter:
        for (const FilterField& filter : current_.filters)
            fields.append(filter.field);
        break;
    }
    return fields;
}

int ReportDefinitionEditor::chosenCount(ReportList list) const
{
    return int(chosenFields(list).size());
}

bool ReportDefinitionEditor::isChosen(ReportList list, int field) const
{
    return chosenFields(list).contains(field);
}

QList<ReportListEntry> ReportDefinitionEditor::available(ReportList list) const
{
    const AccentFilter narrowing(narrowing_[index(list)]);
    QList<ReportListEntry> entries;
    auto offer = [&](int field, const QString& text) {
        if (!isChosen(list, field) && narrowing.passes(text))
            entries.append({field, text});
    };
    if (list == ReportList::Data) {
        offer(ReportFields::counterField, fieldName(ReportFields::counterField));
        offer(ReportFields::inTotalsField, fieldName(ReportFields::inTotalsField));
    }
    for (const ReportField& field : catalogue_.fieldsOf(subjects_[index(list)]))
        offer(field.id, field.description);
    if (list == ReportList::Data) {
        for (const CalculatedColumn& column : current_.calculated)
            offer(column.field(), fieldName(column.field()));
    }
    return entries;
}

QList<ReportListEntry> ReportDefinitionEditor::chosen(ReportList list) const
{
    QList<ReportListEntry> entries;
    if (list == ReportList::Classification) {
        for (const ClassificationField& field : current_.classification)
            entries.append({field.field, (field.subtotal ? u"*"_s : QString()) + fieldName(field.field)});
        return entries;
    }
    for (int field : chosenFields(list))
        entries.append({field, fieldName(field)});
    return entries;
}

bool ReportDefinitionEditor::add(ReportList list, int field)
{
    if (isReadOnly() || isChosen(list, field))
        return false;
    const bool catalogued = catalogue_.find(field) != nullptr;
    switch (list) {
    case ReportList::Data: {
        const bool fixedEntry = field == ReportFields::counterField || field == ReportFields::inTotalsField;
        const bool calculated = ReportFields::isCalculated(field)
                                && current_.calculatedColumn(field - ReportFields::calculatedFieldBase);
        if (!catalogued && !fixedEntry && !calculated)
            return false;
        if (current_.data.size() >= reportColumnLimit) {
            ui_.message(u"No puede agregar mas columnas al informe"_s, MessageIcon::Exclamation);
            return false;
        }
        current_.data.append({field, 0, 0});
        return true;
    }
    case ReportList::Classification:
        if (!catalogued)
            return false;
        current_.classification.append({field, false});
        return true;
    case ReportList::Filter:
        if (!catalogued)
            return false;
        FilterField filter;
        filter.field = field;
        current_.filters.append(filter);
        return true;
    }
    return false;
}

bool ReportDefinitionEditor::remove(ReportList list, int row)
{
    if (isReadOnly() || row < 0 || row >= chosenCount(list))
        return false;
    switch (list) {
    case ReportList::Data:
        current_.data.removeAt(row);
        break;
    case ReportList::Classification:
        current_.classification.removeAt(row);
        break;
    case ReportList::Filter:
        current_.filters.removeAt(row);
        break;
    }
    return true;
}

bool ReportDefinitionEditor::swap(ReportList list, int row, int other)
{
    const int count = chosenCount(list);
    if (isReadOnly() || row < 0 || other < 0 || row >= count || other >= count)
        return false;
    switch (list) {
    case ReportList::Data:
        current_.data.swapItemsAt(row, other);
        break;
    case ReportList::Classification:
        current_.classification.swapItemsAt(row, other);
        break;
    case ReportList::Filter:
        current_.filters.swapItemsAt(row, other);
        break;
    }
    return true;
}

bool ReportDefinitionEditor::moveUp(ReportList list, int row)
{
    return swap(list, row, row - 1);
}

bool ReportDefinitionEditor::moveDown(ReportList list, int row)
{
    return swap(list, row, row + 1);
}

bool ReportDefinitionEditor::toggleSubtotal(int row)
{
    if (isReadOnly() || row < 0 || row >= current_.classification.size())
        return false;
    ClassificationField& field = current_.classification[row];
    const ReportField* catalogued = catalogue_.find(field.field);
    if (!field.subtotal && catalogued && catalogued->summable) {
        ui_.message(u"No se puede totalizar por campos de importes o cantidades"_s, MessageIcon::Exclamation);
        return false;
    }
    field.subtotal = !field.subtotal;
    return true;
}

void ReportDefinitionEditor::setFilter(int row, const FilterField& filter)
{
    if (isReadOnly() || row < 0 || row >= current_.filters.size())
        return;
    current_.filters[row] = filter;
}

CalculatedColumn ReportDefinitionEditor::newCalculated() const
{
    int highest = 0;
    for (const CalculatedColumn& column : current_.calculated)
        highest = std::max(highest, column.id);
    CalculatedColumn column;
    column.id = highest + 1;
    return column;
}

bool ReportDefinitionEditor::storeCalculated(const CalculatedColumn& column)
{
    if (isReadOnly())
        return false;
    for (CalculatedColumn& stored : current_.calculated) {
        if (stored.id == column.id) {
            stored = column;
            return true;
        }
    }
    if (current_.data.size() >= reportColumnLimit) {
        ui_.message(u"No puede agregar mas columnas al informe"_s, MessageIcon::Exclamation);
        return false;
    }
    current_.calculated.append(column);
    current_.data.append({column.field(), 0, 0});
    return true;
}

void ReportDefinitionEditor::removeCalculated(int id)
{
    if (isReadOnly())
        return;
    const int field = ReportFields::calculatedFieldBase + id;
    current_.calculated.removeIf([id](const CalculatedColumn& column) { return column.id == id; });
    current_.data.removeIf([field](const DataColumn& column) { return column.field == field; });
}

QList<FormulaCheckLine> ReportDefinitionEditor::checkFormulas() const
{
    return PCONTFOR(current_, catalogue_, accumulatorNames_);
}

QString ReportDefinitionEditor::refusal()
{
    if (current_.description.isEmpty()) {
        focus_ = ReportEditorFocus::Description;
        return u"Falta descripción del informe"_s;
    }
    if (current_.detailOrSummary != u"D"_s && current_.detailOrSummary != u"R"_s) {
        focus_ = ReportEditorFocus::DetailOrSummary;
        return u"Falta indicar si es Detallado o Resumido"_s;
    }
    if (current_.data.isEmpty()) {
        focus_ = ReportEditorFocus::DataList;
        return u"No indicó ningún dato para el informe"_s;
    }
    const bool clockMarks = std::any_of(current_.data.cbegin(), current_.data.cend(), [](const DataColumn& column) {
        return ReportSubjects::isClockMarkField(column.field);
    });
    const bool dateFilter = std::any_of(current_.filters.cbegin(), current_.filters.cend(),
                                        [this](const FilterField& filter) {
                                            const ReportField* field = catalogue_.find(filter.field);
                                            return field && field->isDate();
                                        });
    if (clockMarks && !dateFilter) {
        focus_ = ReportEditorFocus::DataList;
        return u"Si incluyó campos calculados de marcas en el informe, debe incluir un filtro por fecha."_s;
    }
    return {};
}

DbError ReportDefinitionEditor::write()
{
    ReportDefinition written = current_;
    if (DbError error = database_.beginTransaction())
        return error;
    auto steps = [&]() -> DbError {
        if (DbError error = PGRAINF1(database_, written))
            return error;
        const int report = written.id;
        if (DbError error = PGRAINF2(database_, report, 0, {}, ListWriteMode::DeleteAll))
            return error;
        for (int position = 1; position <= written.data.size(); ++position) {
            if (DbError error = PGRAINF2(database_, report, position, written.data.at(position - 1),
                                         ListWriteMode::WriteOne))
                return error;
        }
        if (DbError error = PGRAINF3(database_, report, 0, {}, ListWriteMode::DeleteAll))
            return error;
        for (int position = 1; position <= written.classification.size(); ++position) {
            if (DbError error = PGRAINF3(database_, report, position, written.classification.at(position - 1),
                                         ListWriteMode::WriteOne))
                return error;
        }
        if (DbError error = PGRAINF4(database_, report, 0, {}, ListWriteMode::DeleteAll))
            return error;
        for (int position = 1; position <= written.filters.size(); ++position) {
            if (DbError error = PGRAINF4(database_, report, position, written.filters.at(position - 1),
                                         ListWriteMode::WriteOne))
                return error;
        }
        return writeCalculatedColumns(database_, report, written.calculated);
    };
    if (DbError error = steps()) {
        database_.rollback();
        return error;
    }
    if (DbError error = database_.commit()) {
        database_.rollback();
        return error;
    }
    current_.id = written.id;
    return {};
}

QString ReportDefinitionEditor::folderName(int folder) const
{
    for (const ReportFolder& entry : folders_) {
        if (entry.id == folder)
            return entry.description;
    }
    return folder == 0 ? QString() : QString::number(folder);
}

QString ReportDefinitionEditor::addAuditText() const
{
    return u"Agrega informe "_s + current_.description + u", Carpeta '"_s + folderName(current_.folder) + u"', "_s
           + u"Categoría "_s + QString::number(current_.category);
}

QString ReportDefinitionEditor::changeAuditText() const
{
    QString items;
    if (current_.description != stored_.description)
        items += u"Descripción '"_s + current_.description + u"', "_s;
    if (current_.detailOrSummary != stored_.detailOrSummary)
        items += u"Título '"_s + (current_.detailOrSummary == u"D"_s ? u"Detallado"_s : u"Resumido"_s) + u"', "_s;
    if (current_.folder != stored_.folder)
        items += u"Carpeta '"_s + folderName(current_.folder) + u"', "_s;
    if (current_.category != stored_.category)
        items += u"Categoría "_s + QString::number(current_.category) + u", "_s;

    auto added = [&](ReportList list, int field) {
        return u"Agrega la columna '"_s + fieldName(field) + listName(list, true);
    };
    auto removed = [&](ReportList list, int field) {
        return u"Elimina la columna '"_s + fieldName(field) + listName(list, false);
    };
    auto changed = [&](ReportList list, int field) {
        return u"Modifica la columna '"_s + fieldName(field) + listName(list, false);
    };

    for (const DataColumn& column : current_.data) {
        if (!entryOf(stored_.data, column.field))
            items += added(ReportList::Data, column.field);
    }
    for (const DataColumn& column : stored_.data) {
        if (!entryOf(current_.data, column.field))
            items += removed(ReportList::Data, column.field);
    }

    for (const ClassificationField& field : current_.classification) {
        const ClassificationField* before = entryOf(stored_.classification, field.field);
        if (!before)
            items += added(ReportList::Classification, field.field) + (field.subtotal ? u"Subtotal, "_s : QString());
        else if (before->subtotal != field.subtotal)
            items += changed(ReportList::Classification, field.field)
                     + (field.subtotal ? u"Subtotal, "_s : u"No es subtotal, "_s);
    }
    for (const ClassificationField& field : stored_.classification) {
        if (!entryOf(current_.classification, field.field))
            items += removed(ReportList::Classification, field.field);
    }

    auto conditionText = [&](const FilterField& filter) {
        return fieldName(filter.field) + u"' "_s + operatorText(filter) + u' ' + filter.condition + u", "_s;
    };
    for (const FilterField& filter : current_.filters) {
        const FilterField* before = entryOf(stored_.filters, filter.field);
        if (!before) {
            items += added(ReportList::Filter, filter.field) + fixedText(filter);
            if (!filter.condition.isEmpty())
                items += u"Condición de columna '"_s + conditionText(filter);
            continue;
        }
        if (before->fixedOrAtRun != filter.fixedOrAtRun)
            items += changed(ReportList::Filter, filter.field) + fixedText(filter);
        if (before->condition != filter.condition || before->negation != filter.negation)
            items += u"Modifica condición de columna '"_s + conditionText(filter);
    }
    for (const FilterField& filter : stored_.filters) {
        if (!entryOf(current_.filters, filter.field))
            items += removed(ReportList::Filter, filter.field);
    }

    if (items.isEmpty())
        return {};
    items.chop(2);
    return u"Modifica informe '"_s + stored_.description + u"': "_s + items;
}

bool ReportDefinitionEditor::confirm()
{
    focus_ = ReportEditorFocus::None;
    if (isReadOnly())
        return false;
    if (readSyncSwitches(database_, reportSyncGroup).copiedAutomatically()) {
        ui_.message(u"El generador de informes se copia automáticamente"_s, MessageIcon::Exclamation);
        return false;
    }
    if (const QString text = refusal(); !text.isEmpty()) {
        ui_.message(text, MessageIcon::Exclamation);
        return false;
    }
    if (DbError error = write()) {
        ui_.message(u"No se pudo grabar el informe: "_s + error.fullText(), MessageIcon::Exclamation);
        return false;
    }
    markSynchronisedChange(database_, ui_);

    QStringList audit;
    audit.append(mode_ == u"INS"_s ? addAuditText() : changeAuditText());
    for (const CalculatedColumn& column : current_.calculated) {
        const CalculatedColumn* before = stored_.calculatedColumn(column.id);
        if (!before || !(*before == column))
            audit.append(calculatedAuditText(column));
    }
    for (const QString& text : audit) {
        if (!text.isEmpty())
            writeAuditEntry(database_, AuditArea::UserReports, text);
    }
    stored_ = current_;
    mode_ = u"UPD"_s;
    return true;
}
