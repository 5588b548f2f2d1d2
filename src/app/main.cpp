// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QSaveFile>
#include <QStringList>
#include <QTimer>

#include "app/program.h"
#include "app/qt_front_end.h"
#include "app/screenshots.h"
#include "net/qt/qt_socket.h"
#include "telemetry/platform.h"

namespace {

// The user's decimal separator: a comma in comma locales, a point otherwise.
char LocaleDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point == QLatin1String(",") ? ',' : '.';
}

// The value after an option, or an empty text when the option is absent or has none.
QString OptionValue(const QStringList& args, const QString& option, int offset = 1) {
    const qsizetype at = args.indexOf(option);
    return at >= 0 && at + offset < args.size() ? args.at(at + offset) : QString();
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace kerbview;
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // closing the main window ends the program

    // Everything is made here, in one go: the main window's two sockets, the program over them,
    // and the toolkit side that shows it. Destroyed in the reverse order.
    net::QtSocket tcpServer;
    net::QtSocket tcpClient;
    app::Program program(QCoreApplication::applicationDirPath().toStdString(),
                         LocaleDecimalSeparator(), telemetry::MakePlatform(),
                         {tcpServer, tcpClient});
    app::QtFrontEnd frontEnd(program);
    if (!program.Main(frontEnd)) {
        return 1;  // a setting stopped the start; standard error says which
    }

    // Documentation aid: --screenshot <initial.png> <resized.png> [delay ms] saves the panel at
    // its initial size and after a resize, then ends.
    const QStringList args = QCoreApplication::arguments();
    const QString initialShot = OptionValue(args, QStringLiteral("--screenshot"), 1);
    const QString resizedShot = OptionValue(args, QStringLiteral("--screenshot"), 2);
    if (!initialShot.isEmpty() && !resizedShot.isEmpty()) {
        const QString delayText = OptionValue(args, QStringLiteral("--screenshot"), 3);
        const int delay = delayText.isEmpty() ? 300 : delayText.toInt();
        QTimer::singleShot(delay, frontEnd.MainWindow(), [&frontEnd, initialShot, resizedShot] {
            app::SaveScreenshots(*frontEnd.MainWindow(), initialShot, resizedShot);
            frontEnd.MainWindow()->close();
        });
    }

    // Measurement aid: --stats-file <path> rewrites path once a second with the packets sent and
    // presented so far and the milliseconds since start (scripts/measure.sh and soak.sh).
    QTimer statsTimer;
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (const QString path = OptionValue(args, QStringLiteral("--stats-file")); !path.isEmpty()) {
        QObject::connect(&statsTimer, &QTimer::timeout, [&program, &sinceStart, path] {
            QSaveFile file(path);
            if (file.open(QIODevice::WriteOnly)) {
                file.write(QStringLiteral("ms=%1\nsent=%2\npresented=%3\n")
                               .arg(sinceStart.elapsed())
                               .arg(program.PacketsSent())
                               .arg(program.PacketsPresented())
                               .toLatin1());
                file.commit();
            }
        });
        statsTimer.start(1000);
    }
    return QApplication::exec();
}
