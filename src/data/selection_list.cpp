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
