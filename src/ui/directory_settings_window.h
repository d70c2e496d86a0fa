#pragma once

#include <QWidget>

#include <memory>

class Database;
class QCheckBox;
class QLineEdit;
class QPushButton;
class UiPort;
struct DirectorySettings;
struct WindowCall;

/// `WPARLDAP`: the directory the profiles' groups come from: whether it is
/// used ("USALDAP"), the server's address, the account to sign in with (none
/// signs in anonymously) and StartTLS. "Probar" searches with what the form
/// holds and says how many groups it found or why it could not; "Aceptar"
/// stores the settings.
class DirectorySettingsWindow : public QWidget {
    Q_OBJECT
public:
    DirectorySettingsWindow(Database& database, UiPort& ui, std::shared_ptr<WindowCall> call,
                            QWidget* parent = nullptr);

    QCheckBox* inUseCheck() const { return inUse_; }
    QLineEdit* uriEdit() const { return uri_; }
    QLineEdit* bindDnEdit() const { return bindDn_; }
    QLineEdit* passwordEdit() const { return password_; }
    QCheckBox* startTlsCheck() const { return startTls_; }
    QPushButton* testButton() const { return test_; }

    /// What the form holds.
    DirectorySettings settings() const;
    void test();
    void confirm();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Database& database_;
    UiPort& ui_;
    std::shared_ptr<WindowCall> call_;
    QCheckBox* inUse_;
    QLineEdit* uri_;
    QLineEdit* bindDn_;
    QLineEdit* password_;
    QCheckBox* startTls_;
    QPushButton* test_;
    bool busy_ = false;
};
