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
#include "net/fake_socket.h"
#include "telemetry/platform.h"

namespace kerbview::app::testing {

/// A fresh program folder under the temporary folder, removed with its contents.
using ProgramFolder = core::testing::TempDir;

/// Records what the program asks of the toolkit, in order; one 1280 x 1024 screen and the window
/// of the initial layout with a frame and menu bar.
class FakeFrontEnd : public FrontEnd {
public:
    void CreateMainWindow() override { log.push_back("CreateMainWindow"); }
    void SetBackgroundColour(core::ColourNumber c) override {
        log.push_back("SetBackgroundColour " + std::to_string(c));
    }
    panel::DesktopRect VirtualDesktopPixels() override { return desktop; }
    double TwipsPerPixelX() override { return 15; }
    double TwipsPerPixelY() override { return 15; }
    WindowSize MainWindowSize() override { return {9720 + 240, 7935 + 600, 9720, 7935}; }
    void MoveMainWindow(std::int32_t x, std::int32_t y) override {
        log.push_back("Move " + std::to_string(x) + "," + std::to_string(y));
    }
    float MainWindowLeft() override { return left; }
    float MainWindowTop() override { return top; }
    bool DecodePicture(panel::Element, const std::string& path) override {
        log.push_back("Decode " + std::filesystem::path(path).filename().string());
        std::error_code ec;
        return std::filesystem::file_size(path, ec) > 0 && !ec;
    }
    void SetTimerInterval(int ms) override {
        interval = ms;
        log.push_back("Interval " + std::to_string(ms));
    }
    void SetTimerEnabled(bool enabled) override { log.push_back(enabled ? "TimerOn" : "TimerOff"); }
    void ShowMainWindow() override { log.push_back("ShowMainWindow"); }
    void ShowAdminWindow() override { log.push_back("ShowAdminWindow"); }
    void ShowDebugWindow() override { log.push_back("ShowDebugWindow"); }
    void ShowAbout() override { log.push_back("ShowAbout"); }
    void ShowIntroPort() override { log.push_back("ShowIntroPort"); }
    void ShowIntroIP() override { log.push_back("ShowIntroIP"); }
    void ShowMessage(const std::string& line1, const std::string& line2) override {
        log.push_back("Message " + line1 + "|" + line2);
        if (onMessage) onMessage();
    }
    WebServing ServeWebDashboard(bool enabled, std::uint16_t port) override {
        if (enabled) log.push_back("ServeWebDashboard " + std::to_string(port));
        const bool busy = enabled && port == busyPort;
        return {enabled && !busy, busy, ""};
    }
    void ShowWebDashboardWindow() override { log.push_back("ShowWebDashboardWindow"); }
    void CloseMainWindow() override { log.push_back("CloseMainWindow"); }
    void Quit() override { log.push_back("Quit"); }

    std::vector<std::string> log;
    panel::DesktopRect desktop{0, 0, 1280, 1024};
    int interval = -1;
    std::uint16_t busyPort = 0;
    float left = 0, top = 0;
    /// Runs while a message is shown, as a nested event loop would.
    std::function<void()> onMessage;
};

/// No simulator window, and every process open refused.
class NoSimulator final : public telemetry::WindowFinder, public telemetry::ProcessMemory {
public:
    telemetry::WindowId FindWindow(std::string_view) override { return 0; }
    void PassOver(telemetry::WindowId) override {}
    std::uint32_t WindowProcessId(telemetry::WindowId) override { return 0; }
    telemetry::OpenResult Open(std::uint32_t) override { return {nullptr, "refused"}; }
};

inline telemetry::Platform NoSimulatorPlatform() {
    return {std::make_unique<NoSimulator>(), std::make_unique<NoSimulator>()};
}

/// A program in a fresh folder, without a simulator and with fake sockets; a non-empty ini is
/// written as its settings file before it starts.
struct ProgramRig {
    explicit ProgramRig(std::string_view ini) {
        if (!ini.empty()) folder.Write("Kerbview.ini", ini);
    }
    ProgramFolder folder;
    net::test::FakeSocket server, client;
    std::ostringstream errors;
    Program program{folder.Path(), '.', NoSimulatorPlatform(), {server, client}, errors};
};

}  // namespace kerbview::app::testing
