#include "ui/profiles_window.h"

#include "data/database.h"
#include "security/directory_groups.h"
#include "security/profile_forms.h"
#include "security/profiles.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"
#include "ui/directory_settings_window.h"
#include "ui/help_viewer.h"
#include "ui/main_menu_window.h"
#include "ui/object_host.h"
#include "ui/pictures.h"
#include "ui/security_window_parts.h"
#include "ui/window_registry.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace {

/// The choices of a right chosen from none, consult and modify, in the
/// order of their list, and those of a place of work.
const QList<QChar> rightLetters = {QChar('N'), QChar('C'), QChar('M')};
const QList<QChar> placeLetters = {QChar('N'), QChar('C'), QChar('S')};
const QStringList accessNames = {QStringLiteral("Sin permiso"), QStringLiteral("Consultar"),
                                 QStringLiteral("Modificar")};

/// Whether `position` is an item under "Ficha funcional", "Evaluación de
/// desempeño" or "Descripción de cargos": drawn indented below it.
bool isItem(int position)
{
    return (position > Right::PersonnelFile && position <= Right::PersonnelFileLastItem)
           || (position > Right::PerformanceReview && position < Right::PositionDescription)
           || (position > Right::PositionDescription && position <= Right::PositionDescriptionLastItem);
}

QWidget* makeProfiles(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>&)
{
    return new ProfilesWindow(database, ui);
}

QWidget* makeProfileForm(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    return new ProfileFormWindow(database, ui, call);
}

QWidget* makeProfileCopy(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    return new CopyFormWindow({QStringLiteral("WCOPIAPE"), QStringLiteral("Copiar perfil"),
                               QStringLiteral("Perfil origen:"), QStringLiteral("&Perfil nuevo:"), profileKeyWidth,
                               &WCOPIAPE},
                              database, ui, call);
}

QWidget* makeGroupSelection(Database& database, UiPort&, const std::shared_ptr<WindowCall>& call)
{
    return new GroupSelectionWindow(database, call);
}

QWidget* makeDirectorySettings(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    return new DirectorySettingsWindow(database, ui, call);
}

}  // namespace

void registerProfilesWindows()
{
    WindowRegistry::add(QStringLiteral("WPERFILE"), QStringLiteral("Perfiles"), &makeProfiles);
    WindowRegistry::add(QStringLiteral("WABMPERF"), QStringLiteral("Perfil"), &makeProfileForm);
    WindowRegistry::add(QStringLiteral("WCOPIAPE"), QStringLiteral("Copia de perfil"), &makeProfileCopy);
    WindowRegistry::add(QStringLiteral("WSELGRLD"), QStringLiteral("Grupos del directorio"), &makeGroupSelection);
    WindowRegistry::add(QStringLiteral("WPARLDAP"), QStringLiteral("Directorio"), &makeDirectorySettings);
}

// ---- WPERFILE ---------------------------------------------------------------

ProfilesWindow::ProfilesWindow(Database& database, UiPort& ui, QWidget* parent)
    : QWidget(parent),
      database_(database),
      ui_(ui),
      grid_(newListGrid(this, {QStringLiteral("Perfil"), QStringLiteral("Descripción"), QStringLiteral("Jerarquía")}))
{
    setObjectName(QStringLiteral("WPERFILE"));
    setWindowTitle(QStringLiteral("Perfiles"));
    setWindowIcon(picture("tabla.ico"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    grid_->setColumnWidth(0, grid_->fontMetrics().horizontalAdvance(QString(22, '0')));
    grid_->setColumnWidth(1, grid_->fontMetrics().horizontalAdvance(QString(44, '0')));
    grid_->installEventFilter(this);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { modify(); });
    layout->addWidget(grid_, 1);

    auto* commands = new QHBoxLayout;
    const QList<std::pair<QString, QString>> buttons = {
        {QStringLiteral("&Agregar"), QStringLiteral("agregar.ico")},
        {QStringLiteral("&Modificar"), QStringLiteral("modifica.ico")},
        {QStringLiteral("&Eliminar"), QStringLiteral("eliminar.ico")},
        {QStringLiteral("Co&piar"), QStringLiteral("copiar.ico")},
        {QStringLiteral("Re&novar"), QStringLiteral("renovar.ico")},
        {QStringLiteral("&Directorio"), QStringLiteral("buscar.ico")},
    };
    const QList<std::function<void()>> runs = {[this] { add(); },    [this] { modify(); },
                                               [this] { remove(); }, [this] { copy(); },
                                               [this] { refresh(currentKey()); }, [this] { directory(); }};
    for (int index = 0; index < buttons.size(); ++index) {
        QPushButton* button = newCommand(this, buttons[index].first, buttons[index].second);
        connect(button, &QPushButton::clicked, this, runs[index]);
        commands->addWidget(button);
    }
    commands->addLayout(formCommands(this, nullptr, QStringLiteral("WPERFILE")));
    layout->addLayout(commands);

    refresh();
    resize(760, 420);
    grid_->setFocus();
}

QString ProfilesWindow::currentKey() const
{
    const int row = grid_->currentRow();
    if (row < 0 || !grid_->item(row, 0))
        return {};
    return grid_->item(row, 0)->text();
}

void ProfilesWindow::refresh(const QString& key)
{
    QList<ProfileListing> profiles;
    DbError error;
    {
        const WaitScope wait(ui_);
        error = WPERFILE(database_, profiles);
    }
    if (error)
        ui_.message(error.fullText(), MessageIcon::Exclamation);
    grid_->setRowCount(0);
    for (int row = 0; row < profiles.size(); ++row) {
        const ProfileListing& profile = profiles[row];
        setGridRow(grid_, row, {profile.key, profile.description, QString::number(profile.hierarchy)}, {2});
    }
    selectRowWithKey(grid_, key);
}

void ProfilesWindow::callForm(const QString& object, const QString& key, const QString& mode)
{
    if (busy_)
        return;
    busy_ = true;
    QString keyInOut = key;
    QString modeInOut = mode;
    ui_.callObject(object, keyInOut, modeInOut);
    busy_ = false;
    refresh(keyInOut);
    grid_->setFocus();
}

void ProfilesWindow::add()
{
    if (!busy_ && profilesActionAllowed(database_, ui_, ProfilesAction::Add))
        callForm(QStringLiteral("WABMPERF"), QString(), QStringLiteral("INS"));
}

void ProfilesWindow::modify()
{
    const QString key = currentKey();
    if (!busy_ && !key.isEmpty() && profilesActionAllowed(database_, ui_, ProfilesAction::Change))
        callForm(QStringLiteral("WABMPERF"), key, QStringLiteral("UPD"));
}

void ProfilesWindow::copy()
{
    const QString key = currentKey();
    if (!busy_ && !key.isEmpty() && profilesActionAllowed(database_, ui_, ProfilesAction::Copy))
        callForm(QStringLiteral("WCOPIAPE"), key, QStringLiteral("INS"));
}

void ProfilesWindow::directory()
{
    if (!busy_ && profilesActionAllowed(database_, ui_, ProfilesAction::Directory))
        callForm(QStringLiteral("WPARLDAP"), currentKey(), QString());
}

void ProfilesWindow::remove()
{
    const QString key = currentKey();
    if (busy_ || key.isEmpty() || !profilesActionAllowed(database_, ui_, ProfilesAction::Delete))
        return;
    busy_ = true;
    const int row = grid_->currentRow();
    const bool deleted = deleteProfile(database_, ui_, key);
    busy_ = false;
    if (!deleted)
        return;
    refresh();
    if (grid_->rowCount() > 0)
        grid_->selectRow(qMin(row, grid_->rowCount() - 1));
}

void ProfilesWindow::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void ProfilesWindow::keyPressEvent(QKeyEvent* event)
{
    if (!formKey(this, event, QStringLiteral("WPERFILE"), nullptr))
        QWidget::keyPressEvent(event);
}

bool ProfilesWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grid_ && event->type() == QEvent::KeyPress
        && listGridKey(static_cast<QKeyEvent*>(event), [this] { add(); }, [this] { modify(); }, [this] { remove(); }))
        return true;
    return QWidget::eventFilter(watched, event);
}

// ---- WABMPERF ---------------------------------------------------------------

ProfileFormWindow::ProfileFormWindow(Database& database, UiPort& ui, std::shared_ptr<WindowCall> call,
                                     QWidget* parent)
    : QWidget(parent),
      database_(database),
      ui_(ui),
      call_(std::move(call)),
      mode_(call_->mode.trimmed().toUpper()),
      key_(new QLineEdit(this)),
      description_(new QLineEdit(this)),
      hierarchy_(new QSpinBox(this)),
      group_(new QLineEdit(this)),
      groupButton_(new QPushButton(QStringLiteral("..."), this)),
      tabs_(new QTabWidget(this))
{
    setObjectName(QStringLiteral("WABMPERF"));
    setWindowTitle(QStringLiteral("Perfil"));
    setWindowIcon(picture("tabla.ico"));

    key_->setMaxLength(profileKeyWidth);
    description_->setMaxLength(profileDescriptionWidth);
    hierarchy_->setRange(profileHierarchyMinimum, profileHierarchyMaximum);
    hierarchy_->setMaximumWidth(hierarchy_->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    const QString hierarchyHelp = QStringLiteral(
        "Número entero que se guarda tal como se indica. Este programa no lo usa; "
        "su significado lo dan los otros programas del sistema de sueldos.");
    hierarchy_->setToolTip(hierarchyHelp);
    hierarchy_->setWhatsThis(hierarchyHelp);
    group_->setReadOnly(true);
    groupButton_->setToolTip(QStringLiteral("Elegir el grupo del directorio"));
    groupButton_->setAutoDefault(false);
    groupButton_->setFixedWidth(32);
    connect(groupButton_, &QPushButton::clicked, this, &ProfileFormWindow::chooseGroup);

    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("&Perfil:"), key_);
    fields->addRow(QStringLiteral("&Descripción:"), description_);
    auto* hierarchyLabel = new QLabel(QStringLiteral("&Jerarquía:"), this);
    hierarchyLabel->setBuddy(hierarchy_);
    hierarchyLabel->setToolTip(hierarchy_->toolTip());
    fields->addRow(hierarchyLabel, hierarchy_);
    auto* groupRow = new QHBoxLayout;
    groupRow->addWidget(group_, 1);
    groupRow->addWidget(groupButton_);
    auto* groupLabel = new QLabel(QStringLiteral("&Grupo del directorio:"), this);
    groupLabel->setBuddy(groupButton_);
    fields->addRow(groupLabel, groupRow);
    layout->addLayout(fields);

    for (const QString& tab : rightTabs())
        tabs_->addTab(buildRightsTab(tab), tab);
    tabs_->addTab(buildWorkPlacesTab(), QStringLiteral("Lugares de trabajo"));
    layout->addWidget(tabs_, 1);
    layout->addLayout(formCommands(this, &confirm_, QStringLiteral("WABMPERF")));
    connect(confirm_, &QPushButton::clicked, this, &ProfileFormWindow::confirm);

    DbError failure;
    if (mode_ == QLatin1String("INS")) {
        showInput(newProfileForm(database_, &failure));
    } else {
        const std::optional<ProfileFormInput> stored = readProfileForm(database_, call_->key, &failure);
        showInput(stored.value_or(ProfileFormInput{call_->key.trimmed().toUpper(), {}, {}, {}, {}}));
        key_->setEnabled(false);
    }
    if (failure)
        ui_.message(failure.fullText(), MessageIcon::Exclamation);
    if (mode_ == QLatin1String("DSP") || mode_ == QLatin1String("DLT")) {
        description_->setEnabled(false);
        hierarchy_->setEnabled(false);
        groupButton_->setEnabled(false);
        for (QWidget* control : std::as_const(rights_))
            control->setEnabled(false);
        places_->setEnabled(false);
        for (QPushButton* button : std::as_const(setAllButtons_))
            button->setEnabled(false);
    }
    confirm_->setEnabled(mode_ != QLatin1String("DSP"));
    (key_->isEnabled() ? key_ : description_)->setFocus();
    resize(sizeHint());
}

ProfileFormWindow::~ProfileFormWindow() = default;

QWidget* ProfileFormWindow::buildRightsTab(const QString& tab)
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setVerticalSpacing(4);
    int row = 0;
    for (const RightDecl& right : profileRights()) {
        if (right.tab != tab)
            continue;
        const int indent = isItem(right.position) ? 24 : 0;
        if (right.kind == RightKind::YesNo) {
            auto* check = new QCheckBox(right.label, page);
            check->setObjectName(QStringLiteral("Derecho%1").arg(right.position));
            check->setStyleSheet(indent ? QStringLiteral("margin-left: %1px;").arg(indent) : QString());
            grid->addWidget(check, row++, 0, 1, 2);
            rights_.insert(right.position, check);
            continue;
        }
        auto* combo = new QComboBox(page);
        combo->setObjectName(QStringLiteral("Derecho%1").arg(right.position));
        combo->addItems(accessNames);
        auto* label = new QLabel(right.label, page);
        label->setWordWrap(true);
        label->setBuddy(combo);
        grid->addWidget(label, row, 0);
        grid->addWidget(combo, row++, 1);
        rights_.insert(right.position, combo);
    }
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(row, 1);
    auto* scroll = new QScrollArea;
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    return scroll;
}

QWidget* ProfileFormWindow::buildWorkPlacesTab()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* choices = new QHBoxLayout;
    const QList<std::pair<QString, QChar>> setAll = {{QStringLiteral("Sin permiso"), QChar('N')},
                                                     {QStringLiteral("Todos - Consutar"), QChar('C')},
                                                     {QStringLiteral("Todos - modificar"), QChar('S')}};
    for (const auto& [caption, access] : setAll) {
        auto* button = new QPushButton(caption, page);
        button->setAutoDefault(false);
        const QChar letter = access;
        connect(button, &QPushButton::clicked, this, [this, letter] { setAllWorkPlaces(letter); });
        choices->addWidget(button);
        setAllButtons_.append(button);
    }
    choices->addStretch();
    layout->addLayout(choices);
    places_ = newListGrid(page, {QStringLiteral("Lugar"), QStringLiteral("Descripción"), QStringLiteral("Acceso")});
    places_->setSelectionMode(QAbstractItemView::NoSelection);
    places_->setColumnWidth(0, places_->fontMetrics().horizontalAdvance(QString(8, '0')));
    places_->setColumnWidth(1, places_->fontMetrics().horizontalAdvance(QString(34, '0')));
    layout->addWidget(places_, 1);
    return page;
}

void ProfileFormWindow::showInput(const ProfileFormInput& input)
{
    key_->setText(input.key);
    description_->setText(input.description);
    hierarchy_->setValue(input.hierarchy);
    group_->setText(input.directoryGroup);
    for (auto control = rights_.cbegin(); control != rights_.cend(); ++control) {
        const QChar value = rightAt(input.rights, control.key());
        if (auto* check = qobject_cast<QCheckBox*>(control.value()))
            check->setChecked(value == QChar('S'));
        else if (auto* combo = qobject_cast<QComboBox*>(control.value()))
            combo->setCurrentIndex(std::max(0, int(rightLetters.indexOf(value == QChar('S') ? QChar('M') : value))));
    }
    places_->setRowCount(0);
    placeIds_.clear();
    for (int row = 0; row < input.workPlaces.size(); ++row) {
        const WorkPlaceAccess& place = input.workPlaces[row];
        setGridRow(places_, row, {QString::number(place.id), place.description, QString()}, {0});
        auto* access = new QComboBox(places_);
        access->addItems(accessNames);
        access->setCurrentIndex(std::max(0, int(placeLetters.indexOf(place.access))));
        places_->setCellWidget(row, 2, access);
        placeIds_.append(place.id);
    }
}

void ProfileFormWindow::setAllWorkPlaces(QChar access)
{
    const int index = std::max(0, int(placeLetters.indexOf(access)));
    for (int row = 0; row < places_->rowCount(); ++row) {
        if (auto* combo = qobject_cast<QComboBox*>(places_->cellWidget(row, 2)))
            combo->setCurrentIndex(index);
    }
}

ProfileFormInput ProfileFormWindow::input() const
{
    ProfileFormInput input;
    input.key = key_->text();
    input.description = description_->text();
    input.hierarchy = hierarchy_->value();
    input.directoryGroup = group_->text();
    input.rights = QString(profileRightsWidth, QChar(' '));
    for (auto control = rights_.cbegin(); control != rights_.cend(); ++control) {
        QChar value = QChar('N');
        if (auto* check = qobject_cast<QCheckBox*>(control.value()))
            value = check->isChecked() ? QChar('S') : QChar('N');
        else if (auto* combo = qobject_cast<QComboBox*>(control.value()))
            value = rightLetters.value(combo->currentIndex(), QChar('N'));
        setRight(input.rights, control.key(), value);
    }
    for (int row = 0; row < places_->rowCount(); ++row) {
        auto* combo = qobject_cast<QComboBox*>(places_->cellWidget(row, 2));
        input.workPlaces.append({placeIds_.value(row), places_->item(row, 1) ? places_->item(row, 1)->text() : QString(),
                                 placeLetters.value(combo ? combo->currentIndex() : 2, QChar('S'))});
    }
    return input;
}

void ProfileFormWindow::chooseGroup()
{
    QString key = group_->text();
    QString mode;
    if (ui_.callObject(QStringLiteral("WSELGRLD"), key, mode))
        group_->setText(key);
}

void ProfileFormWindow::confirm()
{
    if (busy_ || !confirm_->isEnabled())
        return;
    busy_ = true;
    const ProfileFormInput current = input();
    bool done = false;
    if (mode_ == QLatin1String("DLT")) {
        done = profilesActionAllowed(database_, ui_, ProfilesAction::Delete)
               && deleteProfile(database_, ui_, current.key);
    } else {
        const QString permissions = VBGlob::get(QStringLiteral("Permisos"));
        done = WABMPERF(database_, ui_, current,
                        mode_ == QLatin1String("INS") ? QStringLiteral("INS") : QStringLiteral("UPD"));
        // Saving the profile of this run's user changes the menus at once.
        if (done && VBGlob::get(QStringLiteral("Permisos")) != permissions)
            MainMenuWindow::permissionsChanged();
    }
    busy_ = false;
    if (!done)
        return;
    call_->key = current.key.trimmed().toUpper();
    closeWindow(this);
}

void ProfileFormWindow::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void ProfileFormWindow::keyPressEvent(QKeyEvent* event)
{
    if (!formKey(this, event, QStringLiteral("WABMPERF"), [this] { confirm(); }))
        QWidget::keyPressEvent(event);
}

// ---- WSELGRLD ---------------------------------------------------------------

GroupSelectionWindow::GroupSelectionWindow(Database& database, std::shared_ptr<WindowCall> call, QWidget* parent)
    : QWidget(parent), database_(database), call_(std::move(call)), filter_(new QLineEdit(this)),
      list_(new QListWidget(this)), problem_(new QLabel(this))
{
    setObjectName(QStringLiteral("WSELGRLD"));
    setWindowTitle(QStringLiteral("Grupos del directorio"));
    setWindowIcon(picture("tabla.ico"));
    auto* layout = new QVBoxLayout(this);
    auto* filterRow = new QFormLayout;
    filter_->setPlaceholderText(QStringLiteral("parte del nombre del grupo"));
    filterRow->addRow(QStringLiteral("&Buscar:"), filter_);
    layout->addLayout(filterRow);
    layout->addWidget(list_, 1);
    problem_->setWordWrap(true);
    problem_->hide();
    layout->addWidget(problem_);
    QPushButton* confirmButton = nullptr;
    layout->addLayout(formCommands(this, &confirmButton, QStringLiteral("WSELGRLD")));
    connect(confirmButton, &QPushButton::clicked, this, &GroupSelectionWindow::confirm);
    connect(list_, &QListWidget::itemDoubleClicked, this, &GroupSelectionWindow::confirm);
    // Every search asks the directory: wait until typing pauses.
    typing_.setSingleShot(true);
    typing_.setInterval(300);
    connect(&typing_, &QTimer::timeout, this, &GroupSelectionWindow::fill);
    connect(filter_, &QLineEdit::textChanged, &typing_, qOverload<>(&QTimer::start));
    fill();
    list_->setFocus();
    resize(380, 360);
}

void GroupSelectionWindow::fill()
{
    typing_.stop();
    list_->clear();
    QString problem;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    list_->addItems(WSELGRLD(database_, filter_->text(), &problem));
    QApplication::restoreOverrideCursor();
    problem_->setText(problem.isEmpty() ? QString() : QStringLiteral("No se pudo consultar el directorio. ") + problem);
    problem_->setVisible(!problem.isEmpty());
    const QList<QListWidgetItem*> current = list_->findItems(call_->key.trimmed(), Qt::MatchFixedString);
    list_->setCurrentRow(current.isEmpty() || call_->key.trimmed().isEmpty() ? 0 : list_->row(current.first()));
}

void GroupSelectionWindow::confirm()
{
    // Enter before the search of the typed text ran shows its groups first.
    if (typing_.isActive()) {
        fill();
        return;
    }
    QListWidgetItem* item = list_->currentItem();
    if (!item)
        return;
    call_->key = item->text() == noDirectoryGroup ? QString() : item->text();
    closeWindow(this);
}

void GroupSelectionWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closed();
}

void GroupSelectionWindow::keyPressEvent(QKeyEvent* event)
{
    if (!formKey(this, event, QStringLiteral("WSELGRLD"), [this] { confirm(); }))
        QWidget::keyPressEvent(event);
}
