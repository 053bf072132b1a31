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
#include <cstring>
#include <exception>

#ifndef DRAVIK_VERSION
#define DRAVIK_VERSION "unknown"
#endif

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

// Answered before the window's toolkit starts, so they need no display.
constexpr const char* kHelp = R"(Usage: dravik-wizard
  or:  dravik-wizard --run SOURCE DESTINATION
  or:  dravik-wizard --screenshots DIR [--source DB] [--destination DB]

Opens the Dravik wizard: a window that walks through the source database, the
destination, the objects of each kind to rebuild, the tables whose rows are
copied and a summary, then clones the source into a new destination database
and shows the coloured run log. The command-line driver of the same clone is
dravik-clone(1).

Options:
      --run SOURCE DESTINATION
                          drive a whole clone of SOURCE into DESTINATION
                          through the window's pages, as a user would, and
                          save nothing else (exit 0 when it finished)
      --screenshots DIR   save every page of the window as a PNG file in DIR
      --source DB         with --screenshots: the database to clone on the
                          way (default: the pages only, without data)
      --destination DB    with --screenshots: the clone (default: a file in a
                          temporary folder)
  -h, --help              show this text
      --version           show the program's version
)";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("dravik-wizard %s\n", DRAVIK_VERSION);
            return 0;
        }
    }
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
