#pragma once

#include "data/selection_list.h"

#include <QWidget>

#include <memory>

class Database;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class UiPort;
struct WindowCall;

/// Registers WUSUARIO, WABMUSUA and WCOPIAUS with the object host.
void registerUsersWindows();

/// `WUSUARIO`: the list of users, unscrambled: user, full name, profile and
/// whether a password is set, with the commands add, change, delete, copy,
/// clear password, print and the profiles list. Every command first passes
/// the users gate (right 9, automatic copy).
class UsersWindow : public QWidget {
    Q_OBJECT
public:
    UsersWindow(Database& database, UiPort& ui, QWidget* parent = nullptr);

    QTableWidget* grid() const { return grid_; }
    /// The user name of the current row; empty when there is none.
    QString currentName() const;

    void add();
    void modify();
    void remove();
    void copy();
    void clearPassword();
    void print();
    void profiles();
    /// Reads the users again, staying on the user `name` when given.
    void refresh(const QString& name = {});

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Runs `command` unless another one is running.
    void run(void (UsersWindow::*command)());
    void doAdd();
    void doModify();
    void doRemove();
    void doCopy();
    void doClearPassword();
    void doPrint();
    void doProfiles();

    Database& database_;
    UiPort& ui_;
    QTableWidget* grid_;
    bool busy_ = false;
};

/// `WABMUSUA`: the user form in mode "INS", "UPD", "DLT" or "DSP": user
/// name, full name, profile, password and its repetition. Confirm runs the
/// form's checks in their order; the user name of the last user written is
/// handed back as the key.
class UserFormWindow : public QWidget {
    Q_OBJECT
public:
    UserFormWindow(Database& database, UiPort& ui, std::shared_ptr<WindowCall> call, QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* fullNameEdit() const { return fullName_; }
    QComboBox* profileBox() const { return profile_; }
    /// The profiles offered, their keys behind them, and the one chosen.
    const SelectionList& profiles() const { return profiles_; }
    QLineEdit* passwordEdit() const { return password_; }
    QLineEdit* repeatedEdit() const { return repeated_; }
    void confirm();
    QSize sizeHint() const override { return {500, 250}; }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Database& database_;
    UiPort& ui_;
    std::shared_ptr<WindowCall> call_;
    QLineEdit* name_;
    QLineEdit* fullName_;
    QComboBox* profile_;
    SelectionList profiles_;
    QLineEdit* password_;
    QLineEdit* repeated_;
    QPushButton* confirm_;
    bool busy_ = false;

    /// Chooses the profile `key` in the list; a stored profile that is no
    /// longer among the profiles joins the list, so a save keeps it.
    void showProfile(const QString& key, bool keepWhenMissing);
    /// Puts the list into the combo, the chosen entry current.
    void showProfiles();
};
