#include "app/wizard/screenshots.h"

#include "app/wizard/wz_Dravik.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

namespace dravik::wizard {

namespace {

class Shooter {
public:
    Shooter(Twizard_Dravik& wizard, const QString& folder) : wizard_(wizard), folder_(folder) {}

    // Saves the window as NN-<page caption>.png.
    void Shoot() {
        QCoreApplication::processEvents();
        if (folder_.isEmpty()) return;
        const int page = wizard_.CurrentPageIndex();
        const QString name =
            QString("%1-%2.png").arg(page + 1, 2, 10, QChar('0')).arg(wizard_.PageCaption(page));
        const QString path = QDir(folder_).filePath(name);
        if (wizard_.grab().save(path, "PNG")) {
            std::printf("%s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            failed_ = true;
        }
    }
    bool Failed() const { return failed_; }

private:
    Twizard_Dravik& wizard_;
    QString folder_;
    bool failed_ = false;
};

// Shows a selection page with its first picked object moved back to the
// offered list and focused there, then restores the picks.
void ShootFramePage(Shooter& shooter, TFrameView& view) {
    frames::TFrame_select& frame = view.Frame();
    if (frame.dstList.Count() == 0) {
        shooter.Shoot();
        return;
    }
    const controls::TQorListItem item = frame.dstList.Item(0);
    frame.Deselect(item.ObjectName);
    frame.srcList.SetFocused(frame.srcList.IndexOfCaption(item.Caption));
    view.Refresh();
    shooter.Shoot();
    frame.Select(item.ObjectName);
    view.Refresh();
}

// Every page as it is, without a database behind it.
int ShootPagesOnly(Twizard_Dravik& wizard, Shooter& shooter) {
    for (int i = 0; i < wizard.PageCount(); ++i) {
        wizard.TWizard::GoToPage(i);
        wizard.ShowStep(wizard.PageCaption(i).toStdString());
        shooter.Shoot();
    }
    return shooter.Failed() ? 1 : 0;
}

int ShootClone(Twizard_Dravik& wizard, Shooter& shooter, const ScreenshotOptions& options) {
    QTemporaryDir temporary;
    wizard.eSrc->setText(options.source);
    wizard.btn_connection_test->click();
    if (wizard.ImageSrcTested->isHidden()) {
        std::fprintf(stderr, "the source %s cannot be reached\n", qPrintable(options.source));
        return 1;
    }
    shooter.Shoot();

    wizard.btnNext->click();
    wizard.eDst->setText(options.destination.isEmpty() ? temporary.filePath("clone.fdb") : options.destination);
    wizard.RadioButton2->setChecked(true);  // custom copy, so that every list is shown
    shooter.Shoot();

    wizard.btnNext->click();  // loads the lists
    if (wizard.CurrentPageIndex() != 2) {
        std::fprintf(stderr, "the selection pages were not reached\n");
        return 1;
    }
    for (TFrameView* view : wizard.FrameViews()) {
        if (view == wizard.Frame_select_data) {
            // Rows of every table, as the command-line driver copies them.
            view->btn_selectAllClick();
        }
        ShootFramePage(shooter, *view);
        wizard.btnNext->click();
    }
    shooter.Shoot();  // the summary

    wizard.btnNext->click();  // runs the clone inside the click
    shooter.Shoot();
    const bool finished = wizard.LastReport() && wizard.LastReport()->outcome == engine::JobOutcome::Finished;
    if (!finished) std::fprintf(stderr, "the clone did not finish\n");
    return shooter.Failed() || !finished ? 1 : 0;
}

}  // namespace

bool ParseScreenshotArguments(const QStringList& arguments, ScreenshotOptions& options, QString& error) {
    if (arguments.size() >= 2 && arguments[1] == "--run") {
        if (arguments.size() != 4) {
            error = "--run needs a SOURCE and a DESTINATION database";
            return false;
        }
        options.source = arguments[2];
        options.destination = arguments[3];
        return true;
    }
    if (!arguments.contains("--screenshots")) return false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        QString* target = a == "--screenshots"   ? &options.folder
                          : a == "--source"      ? &options.source
                          : a == "--destination" ? &options.destination
                                                 : nullptr;
        if (!target) {
            error = "unknown argument: " + a;
            return false;
        }
        if (i + 1 >= arguments.size()) {
            error = a + " needs a value";
            return false;
        }
        *target = arguments[++i];
    }
    return true;
}

int TakeScreenshots(const ScreenshotOptions& options) {
    if (!options.folder.isEmpty() && !QDir().mkpath(options.folder)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(options.folder));
        return 1;
    }
    WizardDialogs dialogs;
    dialogs.showMessage = [](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); };
    dialogs.askYesNo = [](const QString&) { return true; };
    dialogs.chooseFile = [](const FileRequest&) { return QString(); };
    Twizard_Dravik wizard(dialogs);
    wizard.show();
    Shooter shooter(wizard, options.folder);
    const int status =
        options.source.isEmpty() ? ShootPagesOnly(wizard, shooter) : ShootClone(wizard, shooter, options);
    wizard.close();
    return status;
}

}  // namespace dravik::wizard
