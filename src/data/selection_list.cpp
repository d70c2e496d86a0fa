#include "data/selection_list.h"

#include "data/database.h"

#include <QSqlQuery>

namespace {

/// A name that the bracket form can carry: a name with "]" in it would end
/// the bracket early and let the rest be read as SQL.
bool isSafeName(const QString& name)
{
    return !name.trimmed().isEmpty() && !name.contains(']') && !name.contains('[');
}

}  // namespace

QList<SelectionEntry> KQDCJET(Database& database, const QString& table, const QString& codeField,
                              const QString& descriptionField, const QString& sortField)
{
    QList<SelectionEntry> entries;
    if (!isSafeName(table) || !isSafeName(codeField) || !isSafeName(descriptionField))
        return entries;
    QString select = QStringLiteral("SELECT [") + codeField + QStringLiteral("], [") + descriptionField
        + QStringLiteral("] FROM [") + table + QStringLiteral("]");
    if (!sortField.isEmpty()) {
        if (!isSafeName(sortField))
            return entries;
        select += QStringLiteral(" ORDER BY [") + sortField + QStringLiteral("];");
    }
    QSqlQuery query(database.connection());
    query.setForwardOnly(true);
    if (!query.exec(translateJetSql(select, database.backend())))
        return entries;
    while (entries.size() < selectionListLimit && query.next())
        entries.append({query.value(0).toString(), query.value(1).toString()});
    query.finish();
    return entries;
}

namespace {

bool sameCode(const QString& listed, const QString& wanted)
{
    const QString left = listed.trimmed();
    const QString right = wanted.trimmed();
    if (left == right)
        return true;
    bool leftIsNumber = false;
    bool rightIsNumber = false;
    const double leftNumber = left.toDouble(&leftIsNumber);
    const double rightNumber = right.toDouble(&rightIsNumber);
    return leftIsNumber && rightIsNumber && leftNumber == rightNumber;
}

}  // namespace

void SelectionList::fill(Database& database, const QString& table, const QString& codeField,
                         const QString& descriptionField, const QString& sortField)
{
    fill(KQDCJET(database, table, codeField, descriptionField, sortField));
}

void SelectionList::fill(const QList<SelectionEntry>& entries)
{
    entries_ = entries.mid(0, selectionListLimit);
    selected_ = -1;
}

int SelectionList::find(const QString& code, QString* error) const
{
    for (int index = 0; index < count(); ++index) {
        if (sameCode(entries_[index].code, code))
            return index;
    }
    if (error)
        *error = QString::fromUtf16(invalidComboKeyMessage);
    return -1;
}

bool SelectionList::select(const QString& code, QString* error)
{
    const int index = find(code, error);
    if (index < 0)
        return false;
    selected_ = index;
    return true;
}

void SelectionList::selectIndex(int index)
{
    selected_ = index >= 0 && index < count() ? index : -1;
}

QString SelectionList::selectedCode() const
{
    return selected_ >= 0 ? entries_[selected_].code : QString();
}

bool SelectionList::add(const SelectionEntry& entry, int index)
{
    if (isFull())
        return false;
    if (index < 0 || index > count())
        index = count();
    entries_.insert(index, entry);
    if (selected_ >= index)
        ++selected_;
    return true;
}

bool SelectionList::removeAt(int index)
{
    if (index < 0 || index >= count())
        return false;
    entries_.removeAt(index);
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
    return true;
}

bool SelectionList::remove(const QString& code, QString* error)
{
    return removeAt(find(code, error));
}
