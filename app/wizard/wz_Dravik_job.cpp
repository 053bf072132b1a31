// The clone job's side of the window: the settings handed to the engine,
// the connection test, the run started from "Next >>", and what the job
// asks of the window (message boxes, letting events run, the buttons).
#include "app/wizard/wz_Dravik.h"

#include <QCoreApplication>

namespace dravik::wizard {

namespace {

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
std::string Text(const QComboBox* combo) { return combo->currentText().toStdString(); }

}  // namespace

void Twizard_Dravik::CopySettings() {
    engine::JobSettings& s = job_->settings;
    s.srcPath = Text(eSrc);
    s.srcRemote = RBremote->isChecked();
    s.srcServer = Text(eRemoteServerName);
    s.srcUser = Text(eSrcUser);
    s.srcPassword = Text(eSrcPwd);
    s.srcCodePage = Text(cbSrcCodePage);
    s.dstPath = Text(eDst);
    s.dstRemote = RBremoteD->isChecked();
    s.dstServer = Text(eRemoteServerNameD);
    s.dstUser = Text(eDstUser);
    s.dstPassword = Text(eDstPwd);
    s.dstCodePage = Text(cbDstCodePage);
    s.pageSize = Text(cbDstPageSize);
    s.sqlDialect = Text(cbSQLDialect) == "1" ? 1 : 3;
    s.dstReplace = cbDstReplace->isChecked();
    s.createRoles = cbCreateRole->isChecked();
    s.grant = cbGrant->isChecked();
    s.copyAll = cbCopyAllDatabaseObjects->isChecked();
}

void Twizard_Dravik::btn_connection_testClick() {
    // The mark goes before the attempt, which may block for a while.
    ImageSrcTested->hide();
    QCoreApplication::processEvents();
    CopySettings();
    const bool passed = job_->TestSourceConnection();
    ImageSrcTested->setVisible(passed);
    // The destination gets the source's dialect unless the box is changed.
    if (passed) cbSQLDialect->setCurrentText(QString::number(job_->SourceDialect()));
}

void Twizard_Dravik::RunJob() {
    CopySettings();
    eventClock_.invalidate();
    lastReport_.reset();
    lastReport_ = job_->RunJob();
}

void Twizard_Dravik::ShowMessage(const std::string& text) { dialogs.showMessage(QString::fromStdString(text)); }

void Twizard_Dravik::ProcessEvents() {
    // Called after every log entry, every object and every copied row; the
    // window only needs a turn ten times a second to stay responsive.
    if (eventClock_.isValid() && eventClock_.elapsed() < eventInterval) return;
    QCoreApplication::processEvents();
    eventClock_.start();
}

void Twizard_Dravik::SetNavigationEnabled(bool enabled) {
    btnPrev->setEnabled(enabled);
    btnNext->setEnabled(enabled);
}

void Twizard_Dravik::JobFinished() { btnCancel->setText(btnFinish->text()); }

}  // namespace dravik::wizard
