#include "ui/holiday_range_window.h"

#include "tables/holiday_range.h"
#include "ui/object_host.h"
#include "ui/pictures.h"
#include "ui/security_window_parts.h"
#include "ui/window_registry.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString helpTopic = QStringLiteral("HLP_WParFeri.htm");

/// A year box that shows nothing for 0, the year not yet given.
QSpinBox* yearBox(QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(0, 9999);
    box->setSpecialValueText(QStringLiteral(" "));
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    return box;
}

QWidget* makeHolidayRange(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    return new HolidayRangeWindow(database, ui, call);
}

}  // namespace

HolidayRangeWindow::HolidayRangeWindow(Database& database, UiPort& ui, std::shared_ptr<WindowCall> call,
                                       QWidget* parent)
    : QWidget(parent),
      panel_(std::make_unique<WPARFERI>(database, ui)),
      yearFrom_(yearBox(this)),
      yearTo_(yearBox(this)),
      movable_(new QCheckBox(QStringLiteral("Feriados &móviles"), this)),
      lines_(new QTableWidget(WPARFERI::lineCount, 2, this))
{
    setObjectName(QStringLiteral("WPARFERI"));
    panel_->start(call ? call->key : QString(), call ? call->mode : QStringLiteral("I"));
    setWindowTitle(panel_->caption());
    setWindowIcon(picture("tabla.ico"));

    auto* layout = new QVBoxLayout(this);
    auto* years = new QFormLayout;
    years->addRow(QStringLiteral("Calendario:"), new QLabel(panel_->calendar() + QStringLiteral(" - ")
                                                                + panel_->calendarDescription(), this));
    years->addRow(QStringLiteral("Año &desde:"), yearFrom_);
    years->addRow(QStringLiteral("Año &hasta:"), yearTo_);
    layout->addLayout(years);

    auto* days = new QGroupBox(QStringLiteral("Días de la semana"), this);
    auto* dayGrid = new QGridLayout(days);
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day) {
        auto* box = new QCheckBox(WPARFERI::weekdayCaption(day), days);
        box->setChecked(panel_->weekday(day));
        weekdays_.at(day - 1) = box;
        dayGrid->addWidget(box, (day - 1) / 4, (day - 1) % 4);
    }
    dayGrid->addWidget(movable_, 2, 0, 1, 4);
    movable_->setToolTip(QStringLiteral("Carnaval, Semana de Turismo y los feriados que se trasladan al lunes"));
    layout->addWidget(days);

    auto* fixed = new QGroupBox(QStringLiteral("Feriados"), this);
    auto* fixedLayout = new QVBoxLayout(fixed);
    lines_->setHorizontalHeaderLabels({QStringLiteral("Dia"), QStringLiteral("Descripcion")});
    lines_->horizontalHeader()->setStretchLastSection(true);
    lines_->setColumnWidth(0, 70);
    for (int row = 0; row < WPARFERI::lineCount; ++row) {
        const FixedHoliday line = panel_->line(row);
        lines_->setItem(row, 0, new QTableWidgetItem(line.day));
        lines_->setItem(row, 1, new QTableWidgetItem(line.description));
    }
    fixedLayout->addWidget(lines_);
    layout->addWidget(fixed, 1);
    // Deleting uses the years alone.
    days->setVisible(panel_->adding());
    fixed->setVisible(panel_->adding());

    QPushButton* confirmButton = nullptr;
    layout->addLayout(formCommands(this, &confirmButton, helpTopic));
    connect(confirmButton, &QPushButton::clicked, this, &HolidayRangeWindow::confirm);
    yearFrom_->setFocus();
    resize(480, panel_->adding() ? 560 : 200);
}

HolidayRangeWindow::~HolidayRangeWindow() = default;

void HolidayRangeWindow::confirm()
{
    if (busy_)
        return;
    panel_->setYearFrom(yearFrom_->value());
    panel_->setYearTo(yearTo_->value());
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day)
        panel_->setWeekday(day, weekdays_.at(day - 1)->isChecked());
    panel_->setMovable(movable_->isChecked());
    for (int row = 0; row < WPARFERI::lineCount; ++row) {
        const auto text = [&](int column) {
            const QTableWidgetItem* item = lines_->item(row, column);
            return item ? item->text() : QString();
        };
        panel_->setLine(row, {text(0), text(1)});
    }
    busy_ = true;
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool done = panel_->confirm();
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    busy_ = false;
    if (done) {
        closeWindow(this);
        return;
    }
    yearFrom_->setFocus();
}

void HolidayRangeWindow::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void HolidayRangeWindow::keyPressEvent(QKeyEvent* event)
{
    if (!formKey(this, event, helpTopic, [this] { confirm(); }))
        QWidget::keyPressEvent(event);
}

void registerHolidayRangeWindow()
{
    WindowRegistry::add(QStringLiteral("WPARFERI"), QStringLiteral("Rango de feriados"), &makeHolidayRange);
}
