// dravik-wizard: the clone wizard window.
//   dravik-wizard                                   opens the window
//   dravik-wizard --screenshots DIR [--source DB] [--destination DB]
//                                                   saves every page as PNG
//   dravik-wizard --run SOURCE DESTINATION          drives a whole clone through
//                                                   the window, saving nothing
#include "app/wizard/screenshots.h"
#include "app/wizard/wz_Dravik.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyleFactory>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    try {
        dravik::wizard::ScreenshotOptions shots;
        QString error;
        if (dravik::wizard::ParseScreenshotArguments(QApplication::arguments(), shots, error))
            return dravik::wizard::TakeScreenshots(shots);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "dravik-wizard: %s\n", qPrintable(error));
            return 2;
        }
        dravik::wizard::Twizard_Dravik wizard;
        wizard.show();
        return app.exec();
    } catch (const std::exception& e) {
        // The client library could not be loaded, or the like.
        std::fprintf(stderr, "dravik-wizard: %s\n", e.what());
        if (!QApplication::arguments().contains("--screenshots") && !QApplication::arguments().contains("--run"))
            QMessageBox::critical(nullptr, "Dravik wizard", QString::fromUtf8(e.what()));
        return 1;
    }
}
