#pragma once

#include <QWidget>

#include <array>
#include <memory>

class Database;
class QCheckBox;
class QSpinBox;
class QTableWidget;
class UiPort;
class WPARFERI;
struct WindowCall;

/// The window of the range panel WPARFERI: the years, the weekday check
/// boxes, "Feriados móviles" and, when adding, the 30 lines of fixed days.
/// Confirm hands them to the panel; the window closes when the holidays
/// were changed and stays open on a refusal.
class HolidayRangeWindow : public QWidget {
    Q_OBJECT
public:
    HolidayRangeWindow(Database& database, UiPort& ui, std::shared_ptr<WindowCall> call, QWidget* parent = nullptr);
    ~HolidayRangeWindow() override;

    QSpinBox* yearFromBox() const { return yearFrom_; }
    QSpinBox* yearToBox() const { return yearTo_; }
    QCheckBox* weekdayBox(int dayOfWeek) const { return weekdays_.at(dayOfWeek - 1); }
    QTableWidget* linesGrid() const { return lines_; }
    void confirm();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<WPARFERI> panel_;
    QSpinBox* yearFrom_;
    QSpinBox* yearTo_;
    std::array<QCheckBox*, 7> weekdays_ = {};
    QCheckBox* movable_;
    QTableWidget* lines_;
    bool busy_ = false;
};

/// Registers WPARFERI with the window registry.
void registerHolidayRangeWindow();
