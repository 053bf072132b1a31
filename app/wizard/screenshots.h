// The screenshot command: drives the wizard through its pages like a user
// and saves each page as a PNG file, so the window can be reviewed without
// a display (run it with QT_QPA_PLATFORM=offscreen). Without a folder
// ("--run SOURCE DESTINATION") it drives the same clone and saves nothing,
// which measures the window's job path.
#pragma once

#include <QString>
#include <QStringList>

namespace dravik::wizard {

struct ScreenshotOptions {
    QString folder;       // where the PNG files go (made when missing); empty: save nothing
    QString source;       // a database to clone; empty: the pages only, without data
    QString destination;  // the clone; empty: a file in a temporary folder
};

// Parses "--screenshots DIR [--source DB] [--destination DB]" or
// "--run SOURCE DESTINATION"; false with an error text on bad arguments.
// Returns false without error when the arguments ask for neither.
bool ParseScreenshotArguments(const QStringList& arguments, ScreenshotOptions& options, QString& error);

// Renders the pages; returns the process exit status (0 when every file
// was written and, with a source, the clone finished).
int TakeScreenshots(const ScreenshotOptions& options);

}  // namespace dravik::wizard
