// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QPointer>
#include <QSaveFile>
#include <QStringList>
#include <QTimer>
#include <string>

#include "app/main_window.h"
#include "app/net_link.h"
#include "app/program.h"
#include "app/screenshots.h"
#include "app/web_dashboard_link.h"
#include "net/qt/intro_dialogs.h"
#include "net/qt/qt_socket.h"
#include "telemetry/platform.h"

namespace {

// The user's decimal separator: a comma in comma locales, a point otherwise.
char LocaleDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point == QLatin1String(",") ? ',' : '.';
}

// The two address dialogs, made on first use as children of the main window.
struct AddressDialogs {
    kerbview::app::Program& program;
    kerbview::app::QtFrontEnd& frontEnd;
    kerbview::net::NetRoles* roles = nullptr;
    QPointer<kerbview::net::Intro_Port> introPort;
    QPointer<kerbview::net::Intro_IP> introIp;

    kerbview::net::IntroContext Context() {
        return {program.Settings(), program.Texts(), *roles, program.Errors(),
                program.DecimalSeparator()};
    }
    void OpenPort() {
        if (!introPort) introPort = new kerbview::net::Intro_Port(Context(), frontEnd.MainWindow());
        introPort->Open();
    }
    void OpenIp() {
        if (!introIp) introIp = new kerbview::net::Intro_IP(Context(), frontEnd.MainWindow());
        introIp->Open();
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // closing the main window ends the program

    kerbview::app::Program program(QCoreApplication::applicationDirPath().toStdString(),
                                   LocaleDecimalSeparator(), kerbview::telemetry::MakePlatform());
    kerbview::app::QtFrontEnd frontEnd(program);

    // The network link: the main window's two sockets TCPServer and TCPClient, the roles over
    // them and the address dialogs of the Conexio menu.
    kerbview::net::QtSocket tcpServer;
    kerbview::net::QtSocket tcpClient;
    AddressDialogs dialogs{program, frontEnd, nullptr, {}, {}};
    kerbview::app::NetLink netLink(program, tcpServer, tcpClient,
                                   kerbview::net::NetHooks{[&] { frontEnd.SetTimerEnabled(false); },
                                                           [&] { frontEnd.SetTimerEnabled(true); },
                                                           {},
                                                           [&] { dialogs.OpenPort(); },
                                                           [&] { dialogs.OpenIp(); }});
    dialogs.roles = &netLink.Roles();
    program.SetNetworkRoles(&netLink);

    if (!program.Main(frontEnd)) {
        return 0;  // a setting out of range: start-up ended without a window
    }
    // The web dashboard: [Web] settings, its Conexio menu item and address window.
    kerbview::app::WebDashboardLink webDashboard(program, *frontEnd.MainWindow());

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

    // Measurement aid: --stats-file <path> rewrites path once a second with the packets the
    // network roles have sent and presented so far and the milliseconds since start
    // (scripts/measure.sh and scripts/soak.sh read it).
    QTimer statsTimer;
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (const auto at = args.indexOf(QStringLiteral("--stats-file"));
        at >= 0 && at + 1 < args.size()) {
        QObject::connect(&statsTimer, &QTimer::timeout, [&, path = args.at(at + 1)] {
            QSaveFile file(path);
            if (file.open(QIODevice::WriteOnly)) {
                file.write(QStringLiteral("ms=%1\nsent=%2\npresented=%3\n")
                               .arg(sinceStart.elapsed())
                               .arg(netLink.PacketsSent())
                               .arg(netLink.PacketsPresented())
                               .toLatin1());
                file.commit();
            }
        });
        statsTimer.start(1000);
    }
    return QApplication::exec();
}
