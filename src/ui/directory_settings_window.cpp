#include "ui/directory_settings_window.h"

#include "security/directory_groups.h"
#include "support/ui_port.h"
#include "ui/object_host.h"
#include "ui/pictures.h"
#include "ui/security_window_parts.h"
#include "ui/window_registry.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

DirectorySettingsWindow::DirectorySettingsWindow(Database& database, UiPort& ui, std::shared_ptr<WindowCall> call,
                                                 QWidget* parent)
    : QWidget(parent),
      database_(database),
      ui_(ui),
      call_(std::move(call)),
      inUse_(new QCheckBox(QStringLiteral("&Vincular perfiles con grupos del directorio"), this)),
      uri_(new QLineEdit(this)),
      bindDn_(new QLineEdit(this)),
      password_(new QLineEdit(this)),
      startTls_(new QCheckBox(QStringLiteral("Usar conexión segura (&StartTLS)"), this)),
      test_(new QPushButton(QStringLiteral("&Probar"), this))
{
    setObjectName(QStringLiteral("WPARLDAP"));
    setWindowTitle(QStringLiteral("Directorio"));
    setWindowIcon(picture("tabla.ico"));

    uri_->setPlaceholderText(QStringLiteral("ldap://servidor"));
    bindDn_->setPlaceholderText(QStringLiteral("vacío: consulta anónima"));
    password_->setEchoMode(QLineEdit::Password);
    test_->setAutoDefault(false);
    connect(test_, &QPushButton::clicked, this, &DirectorySettingsWindow::test);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(inUse_);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Servi&dor:"), uri_);
    fields->addRow(QStringLiteral("Usuario (D&N):"), bindDn_);
    fields->addRow(QStringLiteral("C&ontraseña:"), password_);
    fields->addRow(QString(), startTls_);
    layout->addLayout(fields);
    auto* hint = new QLabel(QStringLiteral("Ejemplos: ldap://dc1.empresa.local, ldaps://ldap.empresa.com:636"), this);
    hint->setEnabled(false);
    layout->addWidget(hint);
    layout->addStretch();
    QPushButton* confirmButton = nullptr;
    QHBoxLayout* commands = formCommands(this, &confirmButton, QStringLiteral("WPARLDAP"));
    commands->insertWidget(0, test_);
    layout->addLayout(commands);
    connect(confirmButton, &QPushButton::clicked, this, &DirectorySettingsWindow::confirm);

    const DirectorySettings stored = readDirectorySettings(database_);
    inUse_->setChecked(directoryInUse(database_));
    uri_->setText(stored.uri);
    bindDn_->setText(stored.bindDn);
    password_->setText(stored.password);
    startTls_->setChecked(stored.startTls);
    uri_->setFocus();
    resize(520, 260);
}

DirectorySettings DirectorySettingsWindow::settings() const
{
    DirectorySettings settings;
    settings.uri = uri_->text().trimmed();
    settings.bindDn = bindDn_->text().trimmed();
    settings.password = password_->text();
    settings.startTls = startTls_->isChecked();
    return settings;
}

void DirectorySettingsWindow::test()
{
    if (busy_)
        return;
    busy_ = true;
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ui_.statusText(1, QStringLiteral("Consultando el directorio..."));
    const DirectorySettings current = settings();
    ui_.processEvents();
    const DirectoryAnswer answer = findDirectoryGroups(current, QString());
    ui_.statusText(1, QString());
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    busy_ = false;
    showDirectoryTest(answer, ui_);
    test_->setFocus();
}

void DirectorySettingsWindow::confirm()
{
    if (busy_ || !saveDirectorySettings(database_, ui_, inUse_->isChecked(), settings()))
        return;
    closeWindow(this);
}

void DirectorySettingsWindow::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void DirectorySettingsWindow::keyPressEvent(QKeyEvent* event)
{
    if (!formKey(this, event, QStringLiteral("WPARLDAP"), [this] { confirm(); }))
        QWidget::keyPressEvent(event);
}
