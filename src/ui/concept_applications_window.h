#pragma once

#include <QWidget>

#include <memory>

class Database;
class QPlainTextEdit;
class QTableWidget;
class UiPort;
class WCONAPLI;
struct WindowCall;

/// The window of the applications panel WCONAPLI ("Se aplica a"): one row
/// per employee attribute, "Condición" typed into, the other columns shown;
/// the help box under the grid follows the current row. Confirm hands the
/// conditions to the panel and closes when they were written; a refused
/// row gets the focus.
class ConceptApplicationsWindow : public QWidget {
    Q_OBJECT
public:
    ConceptApplicationsWindow(Database& database, UiPort& ui, std::shared_ptr<WindowCall> call,
                              QWidget* parent = nullptr);
    ~ConceptApplicationsWindow() override;

    QTableWidget* grid() const { return grid_; }
    QPlainTextEdit* helpBox() const { return help_; }
    void confirm();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showHelp(int row);

    std::unique_ptr<WCONAPLI> panel_;
    QTableWidget* grid_;
    QPlainTextEdit* help_;
    bool busy_ = false;
};

/// Registers WCONAPLI with the window registry.
void registerConceptApplicationsWindow();
