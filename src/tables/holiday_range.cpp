#include "tables/holiday_range.h"

#include "data/error_translator.h"
#include "engine/object_registry.h"
#include "support/ui_port.h"

WPARFERI::WPARFERI(Database& database, UiPort& ui) : database_(database), ui_(ui)
{
    lines_.resize(lineCount);
}

void WPARFERI::start(const QString& key, const QString& mode)
{
    calendar_ = key.section(u'\t', 0, 0).trimmed();
    description_ = key.section(u'\t', 1).trimmed();
    adding_ = mode.trimmed().compare(QLatin1String("I"), Qt::CaseInsensitive) == 0;
    switches_ = readSyncSwitches(database_, QStringLiteral("DiL"));
    weekdays_ = {};
    lines_ = QList<FixedHoliday>(lineCount);
    if (!adding_)
        return;
    weekdays_.at(Qt::Sunday - 1) = true;
    lines_ = storedFixedHolidays(database_);
}

QString WPARFERI::caption() const
{
    return adding_ ? QStringLiteral("Agregar rango de feriados") : QStringLiteral("Eliminar rango de feriados");
}

QString WPARFERI::weekdayCaption(int dayOfWeek)
{
    static const QStringList captions = {
        QStringLiteral("Lunes"),   QStringLiteral("Martes"),  QStringLiteral("Miercoles"), QStringLiteral("Jueves"),
        QStringLiteral("Viernes"), QStringLiteral("Sabados"), QStringLiteral("Domingos"),
    };
    return captions.value(dayOfWeek - 1);
}

void WPARFERI::setLine(int row, const FixedHoliday& line)
{
    if (row >= 0 && row < lineCount)
        lines_[row] = {line.day.left(5), line.description.left(30)};
}

bool WPARFERI::checksPass()
{
    // Every check that fails is shown, in this order.
    bool passed = true;
    const auto refuse = [&](const QString& text) {
        ui_.message(text, MessageIcon::Information);
        passed = false;
    };
    if (yearFrom_ == 0)
        refuse(QStringLiteral("Debe indicar año desde"));
    if (yearTo_ == 0)
        refuse(QStringLiteral("Debe indicar año hasta"));
    if (yearFrom_ > yearTo_)
        refuse(QStringLiteral("El año hasta debe ser mayor o igual al año desde"));
    return passed;
}

bool WPARFERI::confirm()
{
    if (switches_.copiedAutomatically()) {
        ui_.message(QStringLiteral("Esta tabla se copia automaticamente."), MessageIcon::Information);
        return false;
    }
    if (!checksPass())
        return false;
    if (!adding_) {
        if (DbError error = PDLTFERI(database_, ui_, calendar_, yearFrom_, yearTo_)) {
            translateDatabaseError(ui_, error);
            return false;
        }
        ui_.message(QStringLiteral("La eliminación de feriados ha finalizado"), MessageIcon::Information);
        return true;
    }
    if (DbError error = storeFixedHolidays(database_, ui_, lines_)) {
        translateDatabaseError(ui_, error);
        return false;
    }
    HolidayGeneration generation;
    generation.calendar = calendar_;
    generation.yearFrom = yearFrom_;
    generation.yearTo = yearTo_;
    generation.weekdays = weekdays_;
    generation.movable = movable_;
    for (const FixedHoliday& line : std::as_const(lines_)) {
        if (line.day.trimmed().isEmpty())
            continue;
        generation.fixedDays << line.day.trimmed();
        generation.fixedDescriptions << line.description.trimmed();
    }
    PADDFERI(database_, ui_, generation);
    ui_.message(QStringLiteral("Se han agregado los feriados"), MessageIcon::Information);
    return true;
}

namespace {
const bool registered = [] {
    ObjectRegistry::addEntry(QStringLiteral("WPARFERI"), ObjectKind::Window, QStringLiteral("Rango de feriados"));
    ObjectRegistry::addEntry(QStringLiteral("PADDFERI"), ObjectKind::Procedure, QStringLiteral("Agrega feriados"));
    ObjectRegistry::addEntry(QStringLiteral("PDLTFERI"), ObjectKind::Procedure,
                             QStringLiteral("Elimina feriados por rango"));
    ObjectRegistry::addEntry(QStringLiteral("PDLTCALE"), ObjectKind::Procedure,
                             QStringLiteral("Elimina un calendario con sus feriados"));
    ObjectRegistry::addEntry(QStringLiteral("PPARE1"), ObjectKind::Procedure,
                             QStringLiteral("Elimina un parámetro de lista"));
    return true;
}();
}  // namespace
