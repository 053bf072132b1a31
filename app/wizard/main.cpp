// dravik-wizard: the clone wizard window.
//   dravik-wizard                                   opens the window
//   dravik-wizard --screenshots DIR [--source DB] [--destination DB]
//                                                   saves every page as PNG
//   dravik-wizard --run SOURCE DESTINATION          drives a whole clone through
//                                                   the window, saving nothing
#include "app/engine/stop_signals.h"
#include "app/wizard/background_attempt.h"
#include "app/wizard/screenshots.h"
#include "app/wizard/wz_Dravik.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyleFactory>

#include <unistd.h>

#include <cstdio>
#include <exception>

namespace {

// A stop signal ends the program with the command line's status for a stop.
// A connection attempt still waiting on its thread is left to the kernel:
// tearing the client library down under it is not safe.
int Ended(int status) {
    if (dravik::engine::StopSignalArrived()) status = 130;
    if (dravik::wizard::BackgroundWorkPending()) {
        std::fflush(nullptr);
        _exit(status);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // Before the client library is loaded, so that it calls these handlers.
    dravik::engine::InstallStopSignals();
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    try {
        dravik::wizard::ScreenshotOptions shots;
        QString error;
        if (dravik::wizard::ParseScreenshotArguments(QApplication::arguments(), shots, error))
            return Ended(dravik::wizard::TakeScreenshots(shots));
        if (!error.isEmpty()) {
            std::fprintf(stderr, "dravik-wizard: %s\n", qPrintable(error));
            return 2;
        }
        dravik::wizard::Twizard_Dravik wizard;
        wizard.show();
        return Ended(app.exec());
    } catch (const std::exception& e) {
        // The client library could not be loaded, or the like.
        std::fprintf(stderr, "dravik-wizard: %s\n", e.what());
        if (!QApplication::arguments().contains("--screenshots") && !QApplication::arguments().contains("--run"))
            QMessageBox::critical(nullptr, "Dravik wizard", QString::fromUtf8(e.what()));
        return 1;
    }
}
