#include "ui/report_run_window.h"

#include "data/cursor.h"
#include "data/database.h"
#include "reports/kqrview.h"
#include "reports/listings.h"
#include "reports/report_definition.h"
#include "reports/report_run.h"
#include "startup/main_menu.h"
#include "startup/vbglob.h"
#include "support/dates.h"
#include "support/ui_port.h"
#include "ui/object_host.h"
#include "ui/pictures.h"
#include "ui/report_definition_window_dialogs.h"
#include "ui/report_render.h"
#include "ui/security_window_parts.h"
#include "ui/window_registry.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString helpTopic = u"HLP_WInforme.htm"_s;

/// Permission positions of the report generator.
constexpr int emissionRight = 10;        ///< "Emisión de informes, ..."
constexpr int definitionRight = 30;      ///< "Crear y modificar informes"
constexpr int firstCategoryRight = 31;   ///< "Emitir informes de las categoría" 0 to 9

/// The folder a file chosen last was in, for the next run of this session.
QString& lastFolder()
{
    static QString folder = QDir::homePath();
    return folder;
}

QString suffixOf(ReportEmission::Output output)
{
    return output == ReportEmission::Output::Workbook ? u".xlsx"_s : u".pdf"_s;
}

bool isFile(ReportEmission::Output output)
{
    return output == ReportEmission::Output::Pdf || output == ReportEmission::Output::Workbook;
}

/// `title` as a file name: letters, digits, blanks and hyphens.
QString fileNameOf(const QString& title)
{
    QString name;
    for (const QChar character : title.trimmed()) {
        if (character.isLetterOrNumber() || character == u' ' || character == u'-')
            name += character;
    }
    return name.isEmpty() ? u"informe"_s : name;
}

/// Why the user may not run a report of `category`; empty when allowed.
QString emissionRefusal(int category)
{
    const QString permissions = VBGlob::get(u"Permisos"_s);
    if (permissionIs(permissions, emissionRight, u'N'))
        return noPermissionMessage;
    if (category >= 0 && category <= 9 && permissionIs(permissions, firstCategoryRight + category, u'N'))
        return u"No tiene permisos para emitir informes de la categoría "_s + QString::number(category);
    return {};
}

/// Asks the condition of each filter marked "E" through WFILTRO in mode
/// "EMI", the definition's condition offered; false when one is cancelled.
bool askEmissionFilters(QWidget* parent, Database& database, UiPort& ui, const ReportDefinition& definition,
                        QHash<int, QString>& answers)
{
    ReportCatalogue catalogue;
    if (DbError error = catalogue.load(database)) {
        ui.message(error.fullText(), MessageIcon::Exclamation);
        return false;
    }
    for (const FilterField& stored : definition.filters) {
        const ReportField* field = catalogue.find(stored.field);
        // A field gone from the catalogue: the run says so.
        if (stored.isFixed() || !field)
            continue;
        FilterField asked = stored;
        if (!editFilterDialog(parent, ui, *field, asked, u"EMI"_s))
            return false;
        answers.insert(stored.field, asked.condition);
    }
    return true;
}

}  // namespace

bool chooseReportEmission(QWidget* parent, UiPort& ui, const QString& title, ReportEmission& emission)
{
    QDialog dialog(parent);
    dialog.setObjectName(u"WEMIINFO"_s);
    dialog.setWindowTitle(u"Emisión de "_s + title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* preview = new QRadioButton(u"Vista &previa"_s, &dialog);
    preview->setObjectName(u"Pantalla"_s);
    auto* printer = new QRadioButton(u"&Impresora"_s, &dialog);
    printer->setObjectName(u"Impresora"_s);
    auto* pdf = new QRadioButton(u"Archivo P&DF"_s, &dialog);
    pdf->setObjectName(u"Pdf"_s);
    auto* workbook = new QRadioButton(u"Planilla .&xlsx"_s, &dialog);
    workbook->setObjectName(u"Xlsx"_s);
    const QList<std::pair<QRadioButton*, ReportEmission::Output>> choices = {
        {preview, ReportEmission::Output::Preview}, {printer, ReportEmission::Output::Printer},
        {pdf, ReportEmission::Output::Pdf}, {workbook, ReportEmission::Output::Workbook}};
    auto* group = new QButtonGroup(&dialog);
    for (const auto& [button, output] : choices) {
        group->addButton(button);
        layout->addWidget(button);
        button->setChecked(output == emission.output);
    }
    auto* fileRow = new QHBoxLayout;
    auto* fileLabel = new QLabel(u"&Archivo:"_s, &dialog);
    auto* path = new QLineEdit(&dialog);
    path->setObjectName(u"Archivo"_s);
    path->setMinimumWidth(320);
    fileLabel->setBuddy(path);
    auto* browse = new QPushButton(u"..."_s, &dialog);
    browse->setObjectName(u"Examinar"_s);
    browse->setToolTip(u"Elegir el archivo"_s);
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(path, 1);
    fileRow->addWidget(browse);
    layout->addLayout(fileRow);

    const auto chosen = [&choices] {
        for (const auto& [button, output] : choices) {
            if (button->isChecked())
                return output;
        }
        return ReportEmission::Output::Preview;
    };
    // The file follows the kind: its suffix changes with the choice.
    const auto showFile = [&] {
        const ReportEmission::Output output = chosen();
        path->setEnabled(isFile(output));
        browse->setEnabled(isFile(output));
        if (!isFile(output))
            return;
        QString file = path->text().trimmed();
        if (file.isEmpty())
            file = QDir(lastFolder()).filePath(fileNameOf(title));
        const QFileInfo info(file);
        path->setText(QDir(info.path()).filePath(info.completeBaseName() + suffixOf(output)));
    };
    path->setText(emission.path);
    showFile();
    QObject::connect(group, &QButtonGroup::buttonToggled, &dialog, [showFile](QAbstractButton*, bool on) {
        if (on)
            showFile();
    });
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
        const bool workbookChosen = chosen() == ReportEmission::Output::Workbook;
        const QString picked = ui.pickFile({u"Guardar el informe"_s, QFileInfo(path->text()).path(),
                                            workbookChosen ? u"Planillas (*.xlsx)"_s : u"Documentos PDF (*.pdf)"_s,
                                            true});
        if (!picked.isEmpty())
            path->setText(picked);
    });

    auto* foot = new QDialogButtonBox(&dialog);
    foot->addButton(u"&Emitir"_s, QDialogButtonBox::AcceptRole)->setObjectName(u"Emitir"_s);
    foot->addButton(u"Ca&ncelar"_s, QDialogButtonBox::RejectRole);
    QObject::connect(foot, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(foot, &QDialogButtonBox::accepted, &dialog, [&] {
        const ReportEmission::Output output = chosen();
        const QString file = path->text().trimmed();
        if (isFile(output) && file.isEmpty()) {
            ui.message(u"Falta indicar el archivo"_s, MessageIcon::Exclamation);
            path->setFocus();
            return;
        }
        if (isFile(output) && QFileInfo::exists(file)
            && !ui.question(u"El archivo "_s + file + u" ya existe. ¿Desea reemplazarlo?"_s, DefaultButton::No)) {
            path->setFocus();
            return;
        }
        dialog.accept();
    });
    layout->addWidget(foot);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    emission.output = chosen();
    emission.path = isFile(emission.output) ? QFileInfo(path->text().trimmed()).absoluteFilePath() : QString();
    if (!emission.path.isEmpty())
        lastFolder() = QFileInfo(emission.path).path();
    return true;
}

bool emitReport(QWidget* parent, Database& database, UiPort& ui, int reportId)
{
    ReportDefinition definition;
    DbError readError;
    if (!readReportDefinition(database, reportId, definition, &readError)) {
        ui.message(readError ? readError.fullText() : u"No existe el informe "_s + QString::number(reportId),
                   MessageIcon::Exclamation);
        return false;
    }
    if (const QString refusal = emissionRefusal(definition.category); !refusal.isEmpty()) {
        ui.message(refusal, MessageIcon::Information);
        return false;
    }
    ReportRunOptions options;
    if (!askEmissionFilters(parent, database, ui, definition, options.answers))
        return false;
    ReportEmission emission;
    emission.output = ReportOutputChoice::current() == u"PRN"_s ? ReportEmission::Output::Printer
                                                                : ReportEmission::Output::Preview;
    if (!chooseReportEmission(parent, ui, definition.description, emission))
        return false;

    // Long runs show their progress after a moment and can be cancelled.
    QProgressDialog progress(u"Emitiendo "_s + definition.description + u"..."_s, u"&Cancelar"_s, 0, 0, parent);
    progress.setObjectName(u"Progreso"_s);
    progress.setWindowTitle(u"Emisión de informe"_s);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.reset();  // no window until the run is long enough: shown below
    QElapsedTimer clock;
    clock.start();
    bool shown = false;
    options.progress = [&](qint64 rows) {
        if (!shown && clock.elapsed() > 400) {
            progress.show();
            shown = true;
        }
        progress.setLabelText(u"Emitiendo "_s + definition.description + u": "_s + QString::number(rows)
                              + u" filas"_s);
        QCoreApplication::processEvents();
        return !(shown && progress.wasCanceled());
    };

    // Busy, yet the progress window's Cancel can still be pressed.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    ReportRunResult result;
    QString deliveryError;
    if (emission.output == ReportEmission::Output::Workbook) {
        result = writeReportWorkbook(database, ui, reportId, options, emission.path);
    } else {
        QString company;
        ListingResult companyError;
        readCompanyName(database, company, companyError);
        const QString user = VBGlob::get(u"Usuario"_s);
        if (emission.output == ReportEmission::Output::Pdf) {
            // No output: the pages stay here and go to the file.
            KQRView view(nullptr);
            result = printReport(database, ui, reportId, options, view, company, user);
            if (result.ok && !writePdf(view.document(), emission.path, deliveryError)) {
                result.ok = false;
                result.message = deliveryError;
            }
        } else {
            options.output = emission.output == ReportEmission::Output::Printer ? u"PRN"_s : u"SCR"_s;
            KQRView view;
            result = printReport(database, ui, reportId, options, view, company, user);
        }
    }
    progress.hide();
    QApplication::restoreOverrideCursor();
    restoreCursor.dismiss();
    if (result.cancelled) {
        ui.message(u"Emisión cancelada"_s, MessageIcon::Information);
        return false;
    }
    if (!result.ok) {
        ui.message(result.message, MessageIcon::Exclamation);
        return false;
    }
    for (const QString& notice : result.notices)
        ui.message(notice, MessageIcon::Information);
    if (isFile(emission.output))
        ui.message(u"Informe guardado en "_s + emission.path, MessageIcon::Information);
    return true;
}

// ---- WINFORME ------------------------------------------------------------------

namespace {

QWidget* makeListWindow(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>&)
{
    return new ReportListWindow(database, ui);
}

}  // namespace

ReportListWindow::ReportListWindow(Database& database, UiPort& ui, QWidget* parent)
    : QWidget(parent), database_(database), ui_(ui), folder_(new QComboBox(this)), reports_(new QTreeWidget(this))
{
    setObjectName(u"WINFORME"_s);
    setWindowTitle(u"Generador de informes"_s);
    setWindowIcon(picture("tabla.ico"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    folder_->setObjectName(u"Carpeta"_s);
    folder_->setMinimumContentsLength(24);
    auto* folderLabel = new QLabel(u"Car&peta:"_s, this);
    folderLabel->setBuddy(folder_);
    top->addRow(folderLabel, folder_);
    layout->addLayout(top);

    reports_->setObjectName(u"Informes"_s);
    reports_->setHeaderLabels({u"Número"_s, u"Descripción"_s, u"Última emisión"_s});
    reports_->setRootIsDecorated(false);
    reports_->setAllColumnsShowFocus(true);
    reports_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    reports_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    reports_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    // The window opens at its contents' size: room for a long description.
    reports_->setMinimumSize(560, 280);
    layout->addWidget(reports_, 1);

    auto* buttons = new QHBoxLayout;
    add_ = newCommand(this, u"&Nuevo"_s, u"agregar.ico"_s);
    add_->setObjectName(u"Nuevo"_s);
    change_ = newCommand(this, u"&Modificar"_s, u"modifica.ico"_s);
    change_->setObjectName(u"Modificar"_s);
    emit_ = newCommand(this, u"&Emitir"_s, u"imprimir.ico"_s);
    emit_->setObjectName(u"Emitir"_s);
    auto* folders = new QPushButton(u"Ca&rpetas..."_s, this);
    folders->setObjectName(u"Carpetas"_s);
    for (QPushButton* button : {add_, change_, emit_, folders})
        buttons->addWidget(button);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addLayout(formCommands(this, nullptr, helpTopic));

    // Defining reports is a right of its own; running them is the menu's.
    const bool defines = !permissionIs(VBGlob::get(u"Permisos"_s), definitionRight, u'N');
    add_->setEnabled(defines);
    change_->setEnabled(defines);
    connect(add_, &QPushButton::clicked, this, [this] { define(u"INS"_s); });
    connect(change_, &QPushButton::clicked, this, [this] { define(u"UPD"_s); });
    connect(emit_, &QPushButton::clicked, this, &ReportListWindow::emitCurrent);
    connect(reports_, &QTreeWidget::itemActivated, this, [this] { emitCurrent(); });
    connect(folders, &QPushButton::clicked, this, [this] {
        QString key;
        QString mode;
        ui_.callObject(u"WINFCARP"_s, key, mode);
        fillFolders();
        refresh();
    });
    connect(folder_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });

    fillFolders();
    refresh();
    reports_->setFocus();
}

void ReportListWindow::fillFolders()
{
    const QSignalBlocker blocker(folder_);
    const QVariant chosen = folder_->currentData();
    folder_->clear();
    folder_->addItem(u"(todas)"_s, -1);
    for (const ReportFolder& entry : PINFORM5(database_))
        folder_->addItem(entry.description, entry.id);
    folder_->setCurrentIndex(std::max(0, folder_->findData(chosen.isValid() ? chosen : QVariant(-1))));
}

void ReportListWindow::refresh()
{
    const int chosen = currentReport();
    reports_->clear();
    const int folder = folder_->currentData().toInt();
    QueryCursor rows(database_);
    const DbError error =
        folder < 0 ? rows.open(u"SELECT InfId, InfDes, InfUltEjec FROM INFORME ORDER BY InfDes, InfId"_s)
                   : rows.open(u"SELECT InfId, InfDes, InfUltEjec FROM INFORME WHERE InfCarId = ? ORDER BY InfDes, InfId"_s,
                               {folder});
    if (error) {
        ui_.message(error.fullText(), MessageIcon::Exclamation);
        return;
    }
    for (; rows.hasCurrent(); rows.moveNext()) {
        const int id = int(rows.integer(u"InfId"_s));
        const QDate lastRun = rows.date(u"InfUltEjec"_s).date();
        auto* item = new QTreeWidgetItem(reports_, {QString::number(id), rows.text(u"InfDes"_s).trimmed(),
                                                    isEmptyDate(lastRun) ? QString() : formatDate(lastRun, u"dd/mm/yyyy"_s)});
        item->setData(0, Qt::UserRole, id);
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        if (id == chosen)
            reports_->setCurrentItem(item);
    }
    database_.idleFreeLocks();
    if (!reports_->currentItem() && reports_->topLevelItemCount() > 0)
        reports_->setCurrentItem(reports_->topLevelItem(0));
    const bool any = reports_->topLevelItemCount() > 0;
    change_->setEnabled(any && !permissionIs(VBGlob::get(u"Permisos"_s), definitionRight, u'N'));
    emit_->setEnabled(any);
}

int ReportListWindow::currentReport() const
{
    const QTreeWidgetItem* item = reports_->currentItem();
    return item ? item->data(0, Qt::UserRole).toInt() : 0;
}

void ReportListWindow::define(const QString& mode)
{
    QString key = mode == u"INS"_s ? QString() : QString::number(currentReport());
    if (mode != u"INS"_s && currentReport() == 0)
        return;
    QString called = mode;
    ui_.callObject(u"WDEFINFO"_s, key, called);
    refresh();
    // A new report is chosen in the list once it is saved.
    if (mode == u"INS"_s && key.toInt() > 0) {
        for (int row = 0; row < reports_->topLevelItemCount(); ++row) {
            if (reports_->topLevelItem(row)->data(0, Qt::UserRole).toInt() == key.toInt())
                reports_->setCurrentItem(reports_->topLevelItem(row));
        }
    }
}

void ReportListWindow::emitCurrent()
{
    const int report = currentReport();
    if (report == 0)
        return;
    emitReport(this, database_, ui_, report);
    refresh();
}

void ReportListWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closed();
}

void ReportListWindow::keyPressEvent(QKeyEvent* event)
{
    if (!formKey(this, event, helpTopic, {}))
        QWidget::keyPressEvent(event);
}

void registerReportRunWindows()
{
    WindowRegistry::add(u"WINFORME"_s, u"Generador de informes"_s, &makeListWindow);
}
