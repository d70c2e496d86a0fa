#include "ui/users_window.h"

#include "data/database.h"
#include "reports/kqrview.h"
#include "reports/users_listing.h"
#include "security/profiles.h"
#include "security/user_forms.h"
#include "security/users.h"
#include "support/ui_port.h"
#include "ui/help_viewer.h"
#include "ui/object_host.h"
#include "ui/pictures.h"
#include "ui/security_window_parts.h"
#include "ui/window_registry.h"

#include <QCloseEvent>
#include <QSignalBlocker>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QWidget* makeUsers(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>&)
{
    return new UsersWindow(database, ui);
}

QWidget* makeUserForm(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    return new UserFormWindow(database, ui, call);
}

QWidget* makeUserCopy(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    return new CopyFormWindow({QStringLiteral("WCOPIAUS"), QStringLiteral("Copiar usuario"),
                               QStringLiteral("Usuario origen:"), QStringLiteral("&Usuario nuevo:"), userNameWidth,
                               &WCOPIAUS},
                              database, ui, call);
}

}  // namespace

void registerUsersWindows()
{
    WindowRegistry::add(QStringLiteral("WUSUARIO"), QStringLiteral("Usuarios"), &makeUsers);
    WindowRegistry::add(QStringLiteral("WABMUSUA"), QStringLiteral("Usuario"), &makeUserForm);
    WindowRegistry::add(QStringLiteral("WCOPIAUS"), QStringLiteral("Copia de usuario"), &makeUserCopy);
}

// ---- WUSUARIO ---------------------------------------------------------------

UsersWindow::UsersWindow(Database& database, UiPort& ui, QWidget* parent)
    : QWidget(parent),
      database_(database),
      ui_(ui),
      grid_(newListGrid(this, {QStringLiteral("Usuario"), QStringLiteral("Nombre"), QStringLiteral("Perfil"),
                               QStringLiteral("Contraseña")}))
{
    setObjectName(QStringLiteral("WUSUARIO"));
    setWindowTitle(QStringLiteral("Usuarios"));
    setWindowIcon(picture("tabla.ico"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    grid_->setColumnWidth(0, grid_->fontMetrics().horizontalAdvance(QString(22, '0')));
    grid_->setColumnWidth(1, grid_->fontMetrics().horizontalAdvance(QString(30, '0')));
    grid_->setColumnWidth(2, grid_->fontMetrics().horizontalAdvance(QString(20, '0')));
    grid_->installEventFilter(this);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { modify(); });
    layout->addWidget(grid_, 1);

    struct Command {
        QString caption;
        QString icon;
        void (UsersWindow::*run)();
    };
    const QList<Command> commands = {
        {QStringLiteral("&Agregar"), QStringLiteral("agregar.ico"), &UsersWindow::add},
        {QStringLiteral("&Modificar"), QStringLiteral("modifica.ico"), &UsersWindow::modify},
        {QStringLiteral("&Eliminar"), QStringLiteral("eliminar.ico"), &UsersWindow::remove},
        {QStringLiteral("Co&piar"), QStringLiteral("copiar.ico"), &UsersWindow::copy},
        {QStringLiteral("&Borrar contraseña"), QStringLiteral("eliminar.ico"), &UsersWindow::clearPassword},
        {QStringLiteral("&Imprimir"), QStringLiteral("imprimir.ico"), &UsersWindow::print},
        {QStringLiteral("Per&files"), QStringLiteral("tabla.ico"), &UsersWindow::profiles},
    };
    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(6);
    int column = 0;
    for (const Command& command : commands) {
        QPushButton* button = newCommand(this, command.caption, command.icon);
        connect(button, &QPushButton::clicked, this, command.run);
        rows->addWidget(button, 0, column++);
    }
    QPushButton* renew = newCommand(this, QStringLiteral("Re&novar"), QStringLiteral("renovar.ico"));
    QPushButton* help = newCommand(this, QStringLiteral("Ay&uda"), QStringLiteral("ayuda.ico"));
    QPushButton* close = newCommand(this, QStringLiteral("Cerra&r"), QStringLiteral("cerrar.ico"));
    connect(renew, &QPushButton::clicked, this, [this] { refresh(currentName()); });
    connect(help, &QPushButton::clicked, this, [this] { showHelp(QStringLiteral("WUSUARIO"), this); });
    connect(close, &QPushButton::clicked, this, [this] { closeWindow(this); });
    rows->addWidget(renew, 1, 4);
    rows->addWidget(help, 1, 5);
    rows->addWidget(close, 1, 6);
    layout->addLayout(rows);

    refresh();
    resize(820, 440);
    grid_->setFocus();
}

QString UsersWindow::currentName() const
{
    const int row = grid_->currentRow();
    if (row < 0 || !grid_->item(row, 0))
        return {};
    return grid_->item(row, 0)->text();
}

void UsersWindow::refresh(const QString& name)
{
    QList<UserListing> users;
    DbError error;
    {
        const WaitScope wait(ui_);
        error = WUSUARIO(database_, users);
    }
    if (error)
        ui_.message(error.fullText(), MessageIcon::Exclamation);
    grid_->setRowCount(0);
    for (int row = 0; row < users.size(); ++row) {
        const UserListing& user = users[row];
        setGridRow(grid_, row,
                   {user.name, user.fullName, user.profile, user.hasPassword ? QStringLiteral("Sí") : QStringLiteral("No")});
    }
    selectRowWithKey(grid_, name);
}

void UsersWindow::run(void (UsersWindow::*command)())
{
    if (busy_)
        return;
    busy_ = true;
    (this->*command)();
    busy_ = false;
    grid_->setFocus();
}

void UsersWindow::add()
{
    run(&UsersWindow::doAdd);
}
void UsersWindow::modify()
{
    run(&UsersWindow::doModify);
}
void UsersWindow::remove()
{
    run(&UsersWindow::doRemove);
}
void UsersWindow::copy()
{
    run(&UsersWindow::doCopy);
}
void UsersWindow::clearPassword()
{
    run(&UsersWindow::doClearPassword);
}
void UsersWindow::print()
{
    run(&UsersWindow::doPrint);
}
void UsersWindow::profiles()
{
    run(&UsersWindow::doProfiles);
}

void UsersWindow::doAdd()
{
    if (!usersActionAllowed(database_, ui_, UsersAction::Add))
        return;
    QString key;
    QString mode = QStringLiteral("INS");
    ui_.callObject(QStringLiteral("WABMUSUA"), key, mode);
    refresh(key);
}

void UsersWindow::doModify()
{
    const QString name = currentName();
    if (name.isEmpty() || !usersActionAllowed(database_, ui_, UsersAction::Change))
        return;
    QString key = name;
    QString mode = QStringLiteral("UPD");
    ui_.callObject(QStringLiteral("WABMUSUA"), key, mode);
    refresh(name);
}

void UsersWindow::doRemove()
{
    const QString name = currentName();
    if (name.isEmpty() || !usersActionAllowed(database_, ui_, UsersAction::Delete))
        return;
    const int row = grid_->currentRow();
    if (deleteUser(database_, ui_, name)) {
        refresh();
        if (grid_->rowCount() > 0)
            grid_->selectRow(qMin(row, grid_->rowCount() - 1));
    }
}

void UsersWindow::doCopy()
{
    const QString name = currentName();
    if (name.isEmpty() || !usersActionAllowed(database_, ui_, UsersAction::Copy))
        return;
    QString key = name;
    QString mode = QStringLiteral("INS");
    ui_.callObject(QStringLiteral("WCOPIAUS"), key, mode);
    refresh(key);
}

void UsersWindow::doClearPassword()
{
    const QString name = currentName();
    if (name.isEmpty() || !usersActionAllowed(database_, ui_, UsersAction::ClearPassword))
        return;
    if (clearUserPassword(database_, ui_, name))
        refresh(name);
}

void UsersWindow::doPrint()
{
    if (!usersActionAllowed(database_, ui_, UsersAction::Print))
        return;
    QList<UserListing> users;
    if (DbError error = WUSUARIO(database_, users)) {
        ui_.message(error.fullText(), MessageIcon::Exclamation);
        return;
    }
    QList<UsersListingRow> rows;
    for (const UserListing& user : users)
        rows.append({user.name, user.fullName, user.profile, user.hasPassword});
    KQRView view;
    ListingRun listing = ListingRun::now(database_);
    listing.ui = &ui_;
    ListingResult result;
    {
        const WaitScope wait(ui_);
        result = RUSUARIO(view, listing, rows);
    }
    if (!result.ok())
        ui_.message(result.errorMessage, MessageIcon::Exclamation);
}

void UsersWindow::doProfiles()
{
    QString key;
    QString mode;
    ui_.callObject(QStringLiteral("WPERFILE"), key, mode);
    refresh(currentName());
}

void UsersWindow::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void UsersWindow::keyPressEvent(QKeyEvent* event)
{
    if (!formKey(this, event, QStringLiteral("WUSUARIO"), nullptr))
        QWidget::keyPressEvent(event);
}

bool UsersWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grid_ && event->type() == QEvent::KeyPress
        && listGridKey(static_cast<QKeyEvent*>(event), [this] { add(); }, [this] { modify(); }, [this] { remove(); }))
        return true;
    return QWidget::eventFilter(watched, event);
}

// ---- WABMUSUA ---------------------------------------------------------------

UserFormWindow::UserFormWindow(Database& database, UiPort& ui, std::shared_ptr<WindowCall> call, QWidget* parent)
    : QWidget(parent),
      database_(database),
      ui_(ui),
      call_(std::move(call)),
      name_(new QLineEdit(this)),
      fullName_(new QLineEdit(this)),
      profile_(new QComboBox(this)),
      password_(new QLineEdit(this)),
      repeated_(new QLineEdit(this))
{
    setObjectName(QStringLiteral("WABMUSUA"));
    setWindowTitle(QStringLiteral("Usuario"));
    setWindowIcon(picture("tabla.ico"));

    name_->setMaxLength(userNameWidth);
    fullName_->setMaxLength(userFullNameWidth);
    password_->setMaxLength(userNameWidth);
    repeated_->setMaxLength(userNameWidth);
    password_->setEchoMode(QLineEdit::Password);
    repeated_->setEchoMode(QLineEdit::Password);
    // The keys are stored scrambled, so the list is read through WPERFILE
    // and filled entry by entry: key and description shown, key kept.
    QList<ProfileListing> listed;
    if (DbError error = WPERFILE(database_, listed))
        ui_.message(error.fullText(), MessageIcon::Exclamation);
    std::sort(listed.begin(), listed.end(),
              [](const ProfileListing& left, const ProfileListing& right) { return left.key < right.key; });
    for (const ProfileListing& profile : std::as_const(listed)) {
        const QString shown = profile.description.isEmpty() ? profile.key
                                                            : profile.key + QStringLiteral(" - ") + profile.description;
        profiles_.add({profile.key, shown});
    }
    connect(profile_, &QComboBox::currentIndexChanged, this, [this](int index) { profiles_.selectIndex(index); });

    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("&Usuario:"), name_);
    fields->addRow(QStringLiteral("&Nombre:"), fullName_);
    fields->addRow(QStringLiteral("&Perfil:"), profile_);
    fields->addRow(QStringLiteral("C&ontraseña:"), password_);
    fields->addRow(QStringLiteral("R&epetir contraseña:"), repeated_);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(formCommands(this, &confirm_, QStringLiteral("WABMUSUA")));
    connect(confirm_, &QPushButton::clicked, this, &UserFormWindow::confirm);

    const QString mode = call_->mode.trimmed().toUpper();
    const QString defaultProfile = QStringLiteral("Supervisor");
    showProfile(defaultProfile.toUpper(), false);
    if (mode != QLatin1String("INS")) {
        const std::optional<UserData> user = readUser(database_, call_->key);
        name_->setText(call_->key.trimmed().toUpper());
        name_->setEnabled(false);
        if (user) {
            fullName_->setText(user->fullName.trimmed());
            showProfile(user->profile.trimmed(), true);
            // The stored password stays unless it is typed again.
            password_->setText(user->password.trimmed());
            repeated_->setText(user->password.trimmed());
        }
    }
    if (mode == QLatin1String("DSP") || mode == QLatin1String("DLT")) {
        for (QWidget* input : QList<QWidget*>{fullName_, profile_, password_, repeated_})
            input->setEnabled(false);
    }
    confirm_->setEnabled(mode != QLatin1String("DSP"));
    setTabOrder(name_, fullName_);
    setTabOrder(fullName_, profile_);
    setTabOrder(profile_, password_);
    setTabOrder(password_, repeated_);
    setTabOrder(repeated_, confirm_);
    (mode == QLatin1String("INS") ? name_ : fullName_)->setFocus();
    resize(sizeHint());
}

void UserFormWindow::confirm()
{
    if (busy_ || !confirm_->isEnabled())
        return;
    busy_ = true;
    const QString mode = call_->mode.trimmed().toUpper();
    bool done = false;
    if (mode == QLatin1String("DLT")) {
        done = usersActionAllowed(database_, ui_, UsersAction::Delete) && deleteUser(database_, ui_, name_->text());
    } else {
        const UserFormInput input{name_->text(), fullName_->text(), profiles_.selectedCode(), password_->text(),
                                  repeated_->text()};
        done = WABMUSUA(database_, ui_, input, mode == QLatin1String("INS") ? QStringLiteral("INS")
                                                                           : QStringLiteral("UPD"));
    }
    busy_ = false;
    if (!done)
        return;
    call_->key = name_->text().trimmed().toUpper();
    closeWindow(this);
}

void UserFormWindow::showProfile(const QString& key, bool keepWhenMissing)
{
    if (!profiles_.select(key) && keepWhenMissing && !key.isEmpty() && profiles_.add({key, key}))
        profiles_.select(key);
    showProfiles();
}

void UserFormWindow::showProfiles()
{
    const QSignalBlocker blocker(profile_);
    profile_->clear();
    for (const SelectionEntry& entry : profiles_.entries())
        profile_->addItem(entry.description, entry.code);
    profile_->setCurrentIndex(profiles_.selectedIndex());
}

void UserFormWindow::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void UserFormWindow::keyPressEvent(QKeyEvent* event)
{
    if (!formKey(this, event, QStringLiteral("WABMUSUA"), [this] { confirm(); }))
        QWidget::keyPressEvent(event);
}
