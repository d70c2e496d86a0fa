#pragma once

#include <QHash>
#include <QTimer>
#include <QWidget>

#include <memory>

class Database;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTableWidget;
class UiPort;
struct ProfileFormInput;
struct WindowCall;

/// Registers WPERFILE, WABMPERF, WCOPIAPE and WSELGRLD with the object host.
void registerProfilesWindows();

/// `WPERFILE`: the list of permission profiles (key, description,
/// hierarchy) with the commands add, change, delete and copy, each behind
/// the profiles gate (right 9, automatic copy).
class ProfilesWindow : public QWidget {
    Q_OBJECT
public:
    ProfilesWindow(Database& database, UiPort& ui, QWidget* parent = nullptr);

    QTableWidget* grid() const { return grid_; }
    QString currentKey() const;
    void add();
    void modify();
    void remove();
    void copy();
    /// Opens the directory settings (WPARLDAP).
    void directory();
    void refresh(const QString& key = {});

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void callForm(const QString& object, const QString& key, const QString& mode);

    Database& database_;
    UiPort& ui_;
    QTableWidget* grid_;
    bool busy_ = false;
};

/// `WABMPERF`: the profile form in mode "INS", "UPD", "DLT" or "DSP": key,
/// description and directory group, one tab per group of rights (a check
/// box for a yes-no right, a list of "Sin permiso", "Consultar" and
/// "Modificar" for the others), and the access to every place of work with
/// the three choices that set them all at once.
class ProfileFormWindow : public QWidget {
    Q_OBJECT
public:
    ProfileFormWindow(Database& database, UiPort& ui, std::shared_ptr<WindowCall> call, QWidget* parent = nullptr);
    ~ProfileFormWindow() override;

    QLineEdit* keyEdit() const { return key_; }
    QLineEdit* descriptionEdit() const { return description_; }
    QSpinBox* hierarchyBox() const { return hierarchy_; }
    QTabWidget* tabs() const { return tabs_; }
    /// The control of right `position`: a QCheckBox or a QComboBox.
    QWidget* rightControl(int position) const { return rights_.value(position); }
    QTableWidget* workPlaces() const { return places_; }
    /// Sets every place of work to "N", "C" or "S".
    void setAllWorkPlaces(QChar access);
    /// What the form holds now.
    ProfileFormInput input() const;
    void confirm();
    /// Wide enough for the longest right and the tabs' captions.
    QSize sizeHint() const override { return {900, 520}; }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildRightsTab(const QString& tab);
    QWidget* buildWorkPlacesTab();
    void showInput(const ProfileFormInput& input);
    void chooseGroup();

    Database& database_;
    UiPort& ui_;
    std::shared_ptr<WindowCall> call_;
    QString mode_;
    QLineEdit* key_;
    QLineEdit* description_;
    QSpinBox* hierarchy_;
    QLineEdit* group_;
    QPushButton* groupButton_;
    QTabWidget* tabs_;
    QHash<int, QWidget*> rights_;
    QTableWidget* places_ = nullptr;
    QList<int> placeIds_;
    QList<QPushButton*> setAllButtons_;
    QPushButton* confirm_ = nullptr;
    bool busy_ = false;
};

/// `WSELGRLD`: selects a directory group; "--Ninguno--" first clears the
/// link. The key passed in is the current group; the key handed back is the
/// chosen one (empty for none), or the one passed in when nothing is chosen.
class GroupSelectionWindow : public QWidget {
    Q_OBJECT
public:
    GroupSelectionWindow(Database& database, std::shared_ptr<WindowCall> call, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    QLineEdit* filterEdit() const { return filter_; }
    /// Why the directory gave no groups; hidden when it answered.
    QLabel* problemLabel() const { return problem_; }
    /// Asks the directory again for the groups the filter names.
    void fill();
    void confirm();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Database& database_;
    std::shared_ptr<WindowCall> call_;
    QLineEdit* filter_;
    QListWidget* list_;
    QLabel* problem_;
    QTimer typing_;
};
