// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "core/temp_dir.h"
#include "core/wall_clock.h"
#include "net/fake_socket.h"
#include "panel/element_catalogue.h"
#include "telemetry/fake_platform.h"
#include "telemetry/platform.h"

namespace kerbview::app::testing {

/// A fresh program folder under the temporary folder, removed with its contents.
using ProgramFolder = core::testing::TempDir;

/// Records what the program asks of the front end, in order, as lines ("Move 0,0"); one
/// 1280 x 1024 pixel screen and the window of the initial layout with a frame and menu bar.
class FakeFrontEnd : public FrontEnd {
public:
    void CreateMainWindow() override { Say("CreateMainWindow"); }
    void SetBackgroundColour(core::ColourNumber c) override { Say("Background", c); }
    panel::DesktopRect Desktop() override { return desktop; }
    double TwipsPerPixel() override { return 15; }
    WindowSize MainWindowSize() override { return {9720 + 240, 7935 + 600, 9720, 7935}; }
    float MainWindowLeft() override { return left; }
    float MainWindowTop() override { return top; }
    void MoveMainWindow(std::int32_t x, std::int32_t y) override { Say("Move", x, y); }
    void ShowMainWindow() override { Say("ShowMainWindow"); }
    void CloseMainWindow() override { Say("CloseMainWindow"); }
    void Quit() override { Say("Quit"); }
    void SetTimerInterval(int ms) override { Say("Interval", ms); }
    void SetTimerEnabled(bool on) override { Say(on ? "TimerOn" : "TimerOff"); }
    void ShowAdminWindow(const AdminTexts& t) override { Say("Admin " + t.title); }
    void ShowDebugWindow(const std::string& title) override { Say("Debug " + title); }
    void ShowAbout(const AboutTexts& t) override { Say("About " + t.title); }
    void ShowIntroPort(const net::IntroTexts& t, const std::string& port) override {
        Say(t.title + " " + port);
    }
    void ShowIntroIP(const net::IntroTexts& t, const std::string& ip,
                     const std::string& port) override {
        Say(t.title + " " + ip + " " + port);
    }
    void ShowMessage(const std::string& line1, const std::string& line2) override {
        Say("Message " + line1 + "|" + line2);
        if (onMessage) onMessage();
    }
    void ShowDashboardWindow(const DashboardWindowTexts& t) override {
        Say("Dashboard " + (t.urls.empty() ? t.problem : t.urls.front()));
    }
    void CloseDashboardWindow() override { Say("CloseDashboard"); }
    void ChooseRecording(const std::string& title) override { Say("Choose " + title); }
    void ChooseExport(const std::string& title, const std::string& motecCsv) override {
        Say("ChooseExport " + title + "|" + motecCsv);
    }
    void ShowLapsWindow() override { Say("Laps"); }
    void LapsChanged() override { Say("LapsChanged"); }
    void ShowRaceDialog(const RaceDialogTexts& t, const RaceDialogValues& v) override {
        Say("Race " + t.title + " " + v.length + (v.minutes ? " min " : " laps ") + v.reserve +
            " " + v.tank);
    }
    bool DecodePicture(panel::Element, const std::string& path) override {
        Say("Decode " + std::filesystem::path(path).filename().string());
        std::error_code ec;
        return std::filesystem::file_size(path, ec) > 0 && !ec;
    }

    /// The messages shown, each as "line1|line2;".
    std::string Messages() const {
        std::string out;
        for (const std::string& line : log) {
            if (line.starts_with("Message ")) out += line.substr(8) + ";";
        }
        return out;
    }

    std::vector<std::string> log;
    panel::DesktopRect desktop{0, 0, 1280 * 15, 1024 * 15};
    float left = 0, top = 0;
    /// Runs while a message is shown, as a nested event loop would.
    std::function<void()> onMessage;

private:
    template <class... Numbers>
    void Say(std::string line, Numbers... n) {
        ((line += " " + std::to_string(n)), ...);
        log.push_back(std::move(line));
    }
};

/// A dashboard that serves on any port but busyPort, which another program holds.
class FakeDashboard : public web::DashboardService {
public:
    bool Serve(const panel::PanelModel&, core::ColourNumber, std::uint16_t p,
               const laps::LapsView*) override {
        inUse = p == busyPort;
        port = inUse ? 0 : p;
        return !inUse;
    }
    void Stop() override { port = 0, inUse = false; }
    bool Serving() const override { return port != 0; }
    std::uint16_t Port() const override { return port; }
    web::ServeFailure Failure() const override { return {inUse, ""}; }
    std::vector<std::string> Addresses() const override { return {"192.168.1.5"}; }

    std::uint16_t port = 0, busyPort = 0;
    bool inUse = false;
};

/// No simulator window.
inline telemetry::Platform NoSimulatorPlatform() {
    return {std::make_unique<telemetry::testing::FakeWindowFinder>(),
            std::make_unique<telemetry::testing::FakeProcessMemory>()};
}

/// A monotonic clock the test moves, which is also a wall clock that moves with it.
class FakeClock final : public core::Clock, public core::WallClock {
public:
    std::int64_t NowMs() const override { return now; }
    /// 2026-12-07 19:36:12 in UTC+1 at the clock's start.
    core::WallTime Now() const override { return {1796672172 + (now - 1'000'000) / 1000, 60}; }
    std::int64_t now = 1'000'000;
};

/// A program in a fresh folder, without a simulator, with fake sockets, dashboard and front end;
/// a non-empty ini is written as its settings file before it starts. With fakeClock it runs on
/// clock, which the test moves; else on the system's.
struct ProgramRig {
    explicit ProgramRig(std::string_view ini = "", bool fakeClock = false, char separator = '.')
        : program(folder.Path(), separator, NoSimulatorPlatform(), {server, client}, dashboard,
                  errors, fakeClock ? clock : core::SystemClock()) {
        if (!ini.empty()) folder.Write("Kerbview.ini", ini);
    }
    bool Start() { return program.Main(frontEnd); }
    ProgramFolder folder;
    FakeClock clock;
    net::test::FakeSocket server, client;
    FakeDashboard dashboard;
    std::ostringstream errors;
    FakeFrontEnd frontEnd;
    Program program;
};

/// A server reading a fake simulator (whose values change only when the test writes them, as
/// in a paused game) and its client, on one fake clock. Each tick the server scans, its packets
/// reach the client, then the client ticks ClientLag ms later. The options are lines added to
/// each settings file (sections may follow); the server records through serverFiles when given.
struct ServerAndClient {
    explicit ServerAndClient(int scanTime, std::string_view serverOptions = "",
                             std::string_view clientOptions = "",
                             std::unique_ptr<core::FileSystem> serverFiles = nullptr) {
        const std::string common = "ScanTime=" + std::to_string(scanTime) + "\r\n";
        serverFolder.Write("Kerbview.ini",
                           "[Opcions]\r\nTipusConexio=1\r\n" + common + std::string(serverOptions));
        clientFolder.Write("Kerbview.ini",
                           "[Opcions]\r\nTipusConexio=2\r\n" + common + std::string(clientOptions));
        auto windowService = std::make_unique<telemetry::testing::FakeWindowFinder>();
        auto memoryService = std::make_unique<telemetry::testing::FakeProcessMemory>();
        windows = windowService.get();
        memory = memoryService.get();
        image = memoryService->image.get();
        telemetry::testing::Apply(*image, telemetry::testing::SessionWrites());
        server = std::make_unique<Program>(
            serverFolder.Path(), '.',
            telemetry::Platform{std::move(windowService), std::move(memoryService)},
            Sockets{serverSocket, unused[0]}, dashboards[0], errors, clock,
            RecordingServices{{}, std::move(serverFiles), &clock});
        client = std::make_unique<Program>(clientFolder.Path(), '.', NoSimulatorPlatform(),
                                           Sockets{unused[1], clientSocket}, dashboards[1], errors,
                                           clock, RecordingServices{{}, nullptr, &clock});
        EXPECT_TRUE(server->Main(serverFrontEnd) && client->Main(clientFrontEnd));
        scan = scanTime;
        Tick();  // the server listens and the client connects: both are taken as connected
        serverSocket.m_state = clientSocket.m_state = net::SocketState::Connected;
    }
    /// One scan of both; the packets the server sent in it.
    std::vector<std::string> Tick() {
        server->Tick();
        std::vector<std::string> packets = std::exchange(serverSocket.m_sent, {});
        for (const std::string& packet : packets) {
            sent.push_back(packet);
            if (deliver) {
                clientSocket.m_incoming = packet;
                clientSocket.m_events.dataArrival();
            }
            serverSocket.m_events.sendComplete();
        }
        clock.now += ClientLag();
        client->Tick();
        clock.now += scan - ClientLag();
        return packets;
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) Tick();
    }
    /// The client connected, or cut off with its server's packets lost meanwhile.
    void Connect(bool on) {
        deliver = on;
        clientSocket.m_state = on ? net::SocketState::Connected : net::SocketState::Closed;
    }
    int ClientLag() const { return scan * 9 / 10; }
    /// Ticks until the server has read its simulator and both have presented it.
    bool Attach() {
        windows->window = 77;
        for (int i = 0; i < 10000 / scan; ++i) {
            Tick();
            if (server->Panel()[panel::Element::Label1].text == server->Texts().TxtRunning &&
                client->Panel()[panel::Element::Label1].text == server->Texts().TxtRunning) {
                Tick();
                return true;
            }
        }
        return false;
    }
    /// The simulator's text at address, padded with NULs to its 50 bytes.
    void Text(telemetry::Address address, const std::string& value) {
        image->Text(address, value + std::string(50 - value.size(), '\0'));
    }
    /// The simulator in lap `lap` with `fuel` litres; one tick.
    void Scan(std::int32_t lap, float fuel) {
        const telemetry::MemoryMap map = telemetry::LoadMemoryMap();
        image->Int32(telemetry::MemoryMap::SlotField(map.LapNumber, 5), lap - 1);
        image->Single(telemetry::MemoryMap::SlotField(map.Fuel, 5), fuel);
        Tick();
    }

    FakeClock clock;
    ProgramFolder serverFolder, clientFolder;
    telemetry::testing::FakeWindowFinder* windows = nullptr;
    telemetry::testing::FakeProcessMemory* memory = nullptr;
    telemetry::testing::MemoryImage* image = nullptr;
    net::test::FakeSocket serverSocket, clientSocket, unused[2];
    FakeDashboard dashboards[2];
    std::ostringstream errors;
    FakeFrontEnd serverFrontEnd, clientFrontEnd;
    std::unique_ptr<Program> server, client;
    int scan = 0;
    bool deliver = true;
    std::vector<std::string> sent;  // every packet the server sent
};

}  // namespace kerbview::app::testing
