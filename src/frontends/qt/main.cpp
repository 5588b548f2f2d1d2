// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTimer>
#include <iostream>
#include <vector>

#include "app/front_end_rules.h"
#include "app/program.h"
#include "app/startup.h"
#include "core/path_text.h"
#include "core/settings.h"
#include "frontends/qt/child_watch.h"
#include "frontends/qt/dashboard_host.h"
#include "frontends/qt/qt_front_end.h"
#include "frontends/qt/qt_message_log.h"
#include "frontends/qt/qt_socket.h"
#include "frontends/qt/screenshots.h"
#include "telemetry/platform.h"
#include "web/dashboard_server.h"

namespace {

// The user's decimal separator: a comma in comma locales, a point otherwise.
char LocaleDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point == QLatin1String(",") ? ',' : '.';
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace kerbview;
    // Before Qt: --help and --version need no display, and a launched command gets the
    // environment and signal handling exactly as this program received them.
    app::Startup startup = app::Prepare(argc, argv, std::cout, std::cerr);
    if (startup.exitStatus) return *startup.exitStatus;
    std::vector<char*> qtArgv = app::ToolkitArguments(startup.options, argv);
    int qtArgc = static_cast<int>(qtArgv.size()) - 1;
    QApplication app(qtArgc, qtArgv.data());
    QApplication::setQuitOnLastWindowClosed(false);  // closing the main window ends the program

    // Everything is made here, in one go: the main window's two sockets and the web dashboard,
    // the program over them, and the toolkit side that shows it. Destroyed in the reverse order.
    qt::QtSocket tcpServer;
    qt::QtSocket tcpClient;
    qt::DashboardHost dashboardHost;
    web::DashboardServer dashboard(dashboardHost);
    app::Program program(startup.settings.path, LocaleDecimalSeparator(), telemetry::MakePlatform(),
                         {tcpServer, tcpClient}, dashboard, std::cerr, core::SystemClock(),
                         {startup.settings.recordings, nullptr, nullptr});
    qt::QtFrontEnd frontEnd(program);
    // Launcher mode: the window closes when the command ends, or when a signal asks the program
    // to end; the waiter above this process then waits for the command and ends with its status.
    qt::ChildWatch childWatch(startup.child.get(), [&frontEnd] {
        if (frontEnd.MainWindow() != nullptr) {
            frontEnd.CloseMainWindow();
        } else {
            QApplication::closeAllWindows();
        }
    });
    qt::QtMessageLog toolkitMessages(program.Log());
    if (!program.Main(frontEnd)) {
        // A setting stopped the start; standard error says which, and with --error-dialog (the
        // desktop entry's) a message box too.
        if (startup.options.errorDialog) {
            qt::ShowStartFailure(program.StartFailure(),
                                 core::PathToUtf8(core::IniPathFor(startup.settings.path)));
        }
        return 1;
    }

    if (const auto& replay = startup.options.replay) {
        program.StartReplay(core::PathFromUtf8(*replay), startup.options.replaySpeed);
    }

    // Documentation aid: --screenshot <initial.png> <resized.png> [delay ms] saves the panel at
    // its initial size and after a resize, then ends.
    if (const auto& shot = startup.options.screenshot) {
        const QString initial = QString::fromLocal8Bit(shot->initial);
        const QString resized = QString::fromLocal8Bit(shot->resized);
        QTimer::singleShot(shot->delayMs, frontEnd.MainWindow(), [&frontEnd, initial, resized] {
            qt::SaveScreenshots(*frontEnd.MainWindow(), initial, resized);
            frontEnd.MainWindow()->close();
        });
    }

    // Measurement aid: --stats-file <path> rewrites path once a second with the packets sent and
    // presented so far and the milliseconds since start (scripts/measure.sh and soak.sh).
    QTimer statsTimer;
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (const auto& stats = startup.options.statsFile) {
        QObject::connect(&statsTimer, &QTimer::timeout, [&program, &sinceStart, path = *stats] {
            app::WriteStatsFile(path, sinceStart.elapsed(), program.PacketsSent(),
                                program.PacketsPresented());
        });
        statsTimer.start(1000);
    }

    return QApplication::exec();
}
