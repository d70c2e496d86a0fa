#pragma once

#include "reports/report_definition_editor.h"

#include <QWidget>

#include <array>
#include <memory>

class Database;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class UiPort;
struct WindowCall;

/// The window of WDEFINFO: the header of the report, a page per list pair
/// (Datos, Clasificación, Filtro) with its subject combo, narrowing text,
/// available and chosen lists and their buttons, and the calculated
/// columns, the formula check and "Renovar lista de campos" at the foot.
/// Every rule is the editor's; the window draws it and hands it what the
/// person does.
class ReportDefinitionWindow : public QWidget {
    Q_OBJECT
public:
    ReportDefinitionWindow(Database& database, UiPort& ui, std::shared_ptr<WindowCall> call,
                           QWidget* parent = nullptr);
    ~ReportDefinitionWindow() override;

    ReportDefinitionEditor& editor() { return *editor_; }
    QTabWidget* pages() const { return pages_; }
    /// The widgets of one list pair.
    struct ListPage {
        QComboBox* subject = nullptr;
        QLineEdit* narrowing = nullptr;
        QListWidget* available = nullptr;
        QListWidget* chosen = nullptr;
        QPushButton* add = nullptr;
        QPushButton* remove = nullptr;
        QPushButton* up = nullptr;
        QPushButton* down = nullptr;
    };
    const ListPage& page(ReportList list) const { return lists_[static_cast<int>(list)]; }
    QLineEdit* descriptionBox() const { return description_; }
    QRadioButton* detailedButton() const { return detailed_; }
    QRadioButton* summarisedButton() const { return summarised_; }
    QComboBox* folderBox() const { return folder_; }
    QPushButton* subtotalButton() const { return subtotal_; }
    /// "Emiti&r" (Alt+R; Alt+E belongs to the "< &Eliminar" buttons): runs
    /// the saved definition.
    QPushButton* emitButton() const { return emit_; }
    QLabel* lastRunLabel() const { return lastRun_; }
    /// Confirm: hands the header to the editor and saves; closes when saved.
    void confirm();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* makeListPage(ReportList list);
    void refresh(ReportList list, int chosenRow = -1);
    void refreshAll();
    void addChosen(ReportList list);
    void editFilter(int row);
    void openCalculated();
    void checkFormulas();
    void renewFields();
    void emitSaved();
    void takeHeader();
    void focusRefused();

    Database& database_;
    UiPort& ui_;
    std::shared_ptr<WindowCall> call_;
    std::unique_ptr<ReportDefinitionEditor> editor_;
    QLineEdit* description_;
    QRadioButton* detailed_;
    QRadioButton* summarised_;
    QComboBox* folder_;
    QComboBox* category_;
    QLabel* lastRun_;
    QTabWidget* pages_;
    std::array<ListPage, 3> lists_;
    QPushButton* subtotal_ = nullptr;
    QPushButton* condition_ = nullptr;
    QPushButton* emit_ = nullptr;
};

/// Registers WDEFINFO with the window registry.
void registerReportDefinitionWindows();
