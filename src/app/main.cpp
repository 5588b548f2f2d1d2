// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QLocale>
#include <QStringList>
#include <QTimer>
#include <string>

#include "app/main_window.h"
#include "app/program.h"
#include "app/screenshots.h"
#include "telemetry/platform.h"

namespace {

// The user's decimal separator: a comma in comma locales, a point otherwise.
char LocaleDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point == QLatin1String(",") ? ',' : '.';
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // closing the main window ends the program

    kerbview::app::Program program(QCoreApplication::applicationDirPath().toStdString(),
                                   LocaleDecimalSeparator(), kerbview::telemetry::MakePlatform());
    kerbview::app::QtFrontEnd frontEnd(program);
    if (!program.Main(frontEnd)) {
        return 0;  // a setting out of range: start-up ended without a window
    }

    // Documentation aid: --screenshot <initial.png> <resized.png> [delay ms] saves the panel at
    // its initial size and after a resize, then ends.
    const QStringList args = QCoreApplication::arguments();
    if (const auto at = args.indexOf(QStringLiteral("--screenshot"));
        at >= 0 && at + 2 < args.size()) {
        const int delay = at + 3 < args.size() ? args.at(at + 3).toInt() : 300;
        QTimer::singleShot(delay, [&] {
            kerbview::app::SaveScreenshots(*frontEnd.MainWindow(), args.at(at + 1),
                                           args.at(at + 2));
            frontEnd.MainWindow()->close();
        });
    }
    return QApplication::exec();
}
