// The clone job's side of the window: the settings handed to the engine,
// the connection test, the run started from "Next >>", and what the job
// asks of the window (message boxes, letting events run, the buttons).
#include "app/engine/stop_signals.h"
#include "app/wizard/background_attempt.h"
#include "app/wizard/window_loss.h"
#include "app/wizard/wz_Dravik.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <unistd.h>

#include <atomic>
#include <memory>

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
    ImageSrcTested->hide();
    CopySettings();
    job_->WarnWithoutSourcePath();
    // The attempt runs on a thread of its own: the window stays responsive
    // while a server takes its time, and a stop (Cancel, a signal) ends the
    // wait at once.
    btn_connection_test->setEnabled(false);
    const engine::JobSettings settings = job_->settings;
    // Shared with the thread, which may outlive an abandoned wait.
    const auto dialect = std::make_shared<std::atomic<int>>(3);
    const std::optional<QString> problem = RunInBackground(
        [settings, dialect] {
            const engine::SourceTest test = engine::TestSource(settings);
            *dialect = test.dialect;
            return QString::fromStdString(test.problem);
        },
        [this] { return job_->StopRequested(); });
    btn_connection_test->setEnabled(true);
    if (!problem) return;  // abandoned: the window is closing
    if (!problem->isEmpty()) ShowMessage(problem->toStdString());
    ImageSrcTested->setVisible(problem->isEmpty());
    // The destination gets the source's dialect unless the box is changed.
    if (problem->isEmpty()) cbSQLDialect->setCurrentText(QString::number(dialect->load()));
}

void Twizard_Dravik::WatchStopSignals() {
    const int fd = engine::StopSignalFd();
    if (fd < 0) return;  // the program installed no handlers (a test)
    engine::KeepConnectionsOnStopSignals();
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, fd] {
        char drained[16];
        while (read(fd, drained, sizeof drained) > 0) {
        }
        StopOnSignal();
    });
}

void Twizard_Dravik::WatchWindowLoss() {
    // Only on X11: the id is that of the native top-level window.
    if (QGuiApplication::platformName() != "xcb") return;
    windowLoss_ = std::make_unique<WindowLossFilter>(static_cast<unsigned long>(winId()), [this] {
        // As a signal would: the job stops at its next row or object, and
        // the program ends with the status of a stop.
        engine::RecordStopSignal();
        StopOnSignal();
    });
    QCoreApplication::instance()->installNativeEventFilter(windowLoss_.get());
}

void Twizard_Dravik::StopOnSignal() {
    // A running job sees the request at its next row or object and returns;
    // the window then closes without asking, and the program ends.
    job_->RequestStop();
    close();
}

void Twizard_Dravik::RunJob() {
    CopySettings();
    eventClock_.invalidate();
    lastReport_.reset();
    try {
        lastReport_ = job_->RunJob();
    } catch (...) {
        // An error no step guards (an unreachable source): it is reported,
        // and the user may go back to change what caused it.
        SetNavigationEnabled(true);
        throw;
    }
    WriteErrorCount();
}

void Twizard_Dravik::WriteErrorCount() {
    if (!lastReport_ || lastReport_->outcome != engine::JobOutcome::Finished) return;
    // Written to the control, not through the job: the count is not itself an error line.
    for (const std::string& line : engine::ProblemLines(*lastReport_))
        r_Log->Append(engine::LogEntry("Database copy", engine::kGrey, line, engine::kRed));
}

void Twizard_Dravik::ShowMessage(const std::string& text) { dialogs.showMessage(QString::fromStdString(text)); }

void Twizard_Dravik::ProcessEvents() {
    if (engine::StopSignalArrived()) job_->RequestStop();
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
