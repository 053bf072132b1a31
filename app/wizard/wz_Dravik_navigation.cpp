// The clone wizard's navigation: the checks before a page may be left, the
// skipping of the object pages, loading the lists, the summary, starting the
// job, the local/remote switches, the file dialogs and the stop question.
#include "app/wizard/form_widgets.h"
#include "app/wizard/wz_Dravik.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include <string>
#include <vector>

namespace dravik::wizard {

namespace {

const char* const kRemotePathCaption = "Database full path file (relative to server)";
const char* const kLocalPathCaption = "Database full path file";

// Enables the server-name edit for a remote database (window colour) or
// disables it (button-face colour); the file button only works locally.
void ShowServerChoice(bool remote, QLineEdit* server, QLabel* pathLabel, QToolButton* fileButton) {
    server->setEnabled(remote);
    const QPalette standard;  // the application's colours
    SetBaseColour(server, standard.color(remote ? QPalette::Base : QPalette::Button));
    pathLabel->setText(remote ? kRemotePathCaption : kLocalPathCaption);
    pathLabel->adjustSize();
    fileButton->setEnabled(!remote);
}

}  // namespace

void Twizard_Dravik::InstallDefaultDialogs() {
    if (!dialogs.showMessage)
        dialogs.showMessage = [this](const QString& text) { QMessageBox::information(this, windowTitle(), text); };
    if (!dialogs.askYesNo) dialogs.askYesNo = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    if (!dialogs.chooseFile) dialogs.chooseFile = [this](const FileRequest& request) {
        QFileDialog dialog(this);
        dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        // "Name (*.x)|*.x|..." pairs: Qt reads the pattern from the name.
        const QStringList parts = request.filter.split('|');
        QStringList filters;
        for (int i = 0; i + 1 < parts.size(); i += 2) filters << parts[i];
        dialog.setNameFilters(filters);
        dialog.setDefaultSuffix(QString(request.defaultExtension).remove("*.").remove('.'));
        if (!request.directory.isEmpty()) dialog.setDirectory(request.directory);
        if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
        return dialog.selectedFiles().first();
    };
}

void Twizard_Dravik::ConnectHandlers() {
    QObject::disconnect(btnCancel, &QPushButton::clicked, this, nullptr);
    connect(btnCancel, &QPushButton::clicked, this, [this] { Guarded([this] { btnCancelClick(); }); });

    connect(RBlocal, &QRadioButton::toggled, this, [this](bool on) { if (on) ServerTypeChoise(); });
    connect(RBremote, &QRadioButton::toggled, this, [this](bool on) { if (on) ServerTypeChoise(); });
    connect(RBlocalD, &QRadioButton::toggled, this, [this](bool on) { if (on) dst_local_or_remote(); });
    connect(RBremoteD, &QRadioButton::toggled, this, [this](bool on) { if (on) dst_local_or_remote(); });
    connect(RadioButton1, &QRadioButton::toggled, this, [this] { whole_copy(); });
    connect(cbCreateRole, &QCheckBox::toggled, this, [this] { cbCreateRoleClick(); });

    for (QLineEdit* edit : {eRemoteServerName, eSrc, eSrcUser, eSrcPwd})
        connect(edit, &QLineEdit::textChanged, this, [this] { SrcWsaChanged(); });
    connect(cbSrcCodePage, &QComboBox::currentTextChanged, this, [this] { SrcWsaChanged(); });

    connect(btn_connection_test, &QPushButton::clicked, this,
            [this] { Guarded([this] { btn_connection_testClick(); }); });
    connect(btn_src_database, &QToolButton::clicked, this, [this] { btn_src_databaseClick(); });
    connect(btn_dst_database, &QToolButton::clicked, this, [this] { btn_dst_databaseClick(); });
}

void Twizard_Dravik::FormCreate() {
    TWizard::FormCreate();
    initialSummaryText_ = m_log->Text();
    initialRunText_ = r_Log->Text();
    cbCreateRoleClick();
    BuildStepList();
    GoToPage(kPageSource);
}

void Twizard_Dravik::GoToPage(int target) {
    const int current = CurrentPageIndex();
    if (!CheckSourceTested()) return;
    if (!CheckDestinationDefined(target)) return;
    // "Copy all the DB objects" skips the object pages both ways.
    if (cbCopyAllDatabaseObjects->isChecked() && target > kPageDestination && target < kPageSummary)
        target = target > current ? kPageSummary : kPageDestination;
    if (current == kPageDestination && target > current) {
        if (!CheckPageSize()) return;
        LoadFramesIfSourceChanged();
    }

    TWizard::GoToPage(target);
    const int active = CurrentPageIndex();
    if (active < 0) return;
    ShowStep(PageCaption(active).toStdString());
    if (active == pages->indexOf(page9)) {
        // Only the tables the Tables page creates have rows to copy.
        job_->DataFollowsTables();
        Frame_select_data->Refresh();
    } else if (active == kPageSummary)
        WriteJobSummary();
    else if (active == kPageRun)
        RunJob();
}

bool Twizard_Dravik::CheckSourceTested() {
    if (CurrentPageIndex() != kPageSource || !ImageSrcTested->isHidden()) return true;
    ShowMessage("You need to test connection to the source database");
    return false;
}

bool Twizard_Dravik::CheckDestinationDefined(int target) {
    if (CurrentPageIndex() != kPageDestination || !eDst->text().trimmed().isEmpty() || target < 2) return true;
    ShowMessage("The destination databases is not defined");
    return false;
}

bool Twizard_Dravik::CheckPageSize() {
    const std::string problem = engine::PageSizeProblem(cbDstPageSize->currentText().trimmed().toStdString());
    if (problem.empty()) return true;
    ShowMessage("Page size: " + problem);
    cbDstPageSize->setFocus();
    return false;
}

void Twizard_Dravik::LoadFrames() {
    CopySettings();
    job_->LoadFrames();
    const engine::JobSettings& s = job_->settings;
    loadedSource_ = {s.srcRemote ? s.srcServer : "", s.srcPath, s.srcUser, s.srcPassword};
    for (TFrameView* view : FrameViews()) view->Refresh();
}

void Twizard_Dravik::LoadFramesIfSourceChanged() {
    CopySettings();
    const engine::JobSettings& s = job_->settings;
    const std::vector<std::string> source = {s.srcRemote ? s.srcServer : "", s.srcPath, s.srcUser, s.srcPassword};
    // The user's picks stay while the source they were made from stays.
    if (source != loadedSource_) LoadFrames();
}

void Twizard_Dravik::WriteJobSummary() {
    m_log->Clear();
    CopySettings();
    job_->WriteJobSummary(initialSummaryText_);
}

void Twizard_Dravik::ServerTypeChoise() {
    SrcWsaChanged();
    eSrc->clear();
    ShowServerChoice(RBremote->isChecked(), eRemoteServerName, Label2, btn_src_database);
}

void Twizard_Dravik::dst_local_or_remote() {
    eDst->clear();
    ShowServerChoice(RBremoteD->isChecked(), eRemoteServerNameD, Label6, btn_dst_database);
}

void Twizard_Dravik::whole_copy() { cbCopyAllDatabaseObjects->setChecked(RadioButton1->isChecked()); }

void Twizard_Dravik::cbCreateRoleClick() {
    const bool roles = cbCreateRole->isChecked();
    cbGrant->setEnabled(roles);
    if (!roles) cbGrant->setChecked(false);
}

void Twizard_Dravik::SrcWsaChanged() { ImageSrcTested->hide(); }

QString Twizard_Dravik::ChooseDatabaseFile(bool save, const QString& path) {
    FileRequest request;
    request.save = save;
    // Firebird's own files end in ".fdb", InterBase's in ".gdb": both are shown.
    request.filter = "Firebird and InterBase databases (*.fdb *.gdb)|*.fdb;*.gdb|All files (*.*)|*.*";
    request.defaultExtension = "*.gdb";
    request.directory = path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
    request.fileName = path;
    return dialogs.chooseFile(request);
}

void Twizard_Dravik::btn_src_databaseClick() {
    const QString chosen = ChooseDatabaseFile(false, eSrc->text());
    if (!chosen.isEmpty()) eSrc->setText(chosen);
}

void Twizard_Dravik::btn_dst_databaseClick() {
    const QString chosen = ChooseDatabaseFile(true, eDst->text());
    if (!chosen.isEmpty()) eDst->setText(chosen);
}

void Twizard_Dravik::btnCancelClick() {
    if (!dialogs.askYesNo("Stop the wizard?")) return;
    job_->RequestStop();
    close();
}

void Twizard_Dravik::closeEvent(QCloseEvent* event) {
    if (job_->StopRequested() || job_->Finished()) {
        event->accept();
        return;
    }
    if (dialogs.askYesNo("Stop the wizard?")) {
        job_->RequestStop();  // a running job ends after its current object
        event->accept();
    } else {
        event->ignore();
    }
}

void Twizard_Dravik::ReportError(const QString& message) { dialogs.showMessage(message); }

}  // namespace dravik::wizard
