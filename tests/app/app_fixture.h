// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "telemetry/platform.h"

namespace kerbview::app::testing {

/// A fresh program folder under the temporary folder, removed with its contents.
class ProgramFolder {
public:
    ProgramFolder() {
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() /
                 ("kerbview-app-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(m_path);
    }
    ~ProgramFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    std::string Path() const { return m_path.string(); }
    std::string File(std::string_view name) const { return (m_path / name).string(); }
    void Write(std::string_view name, std::string_view bytes) const {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string Read(std::string_view name) const {
        std::ifstream in(File(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path m_path;
};

/// No simulator window, and every process open refused.
class NoSimulator final : public telemetry::WindowFinder, public telemetry::ProcessMemory {
public:
    telemetry::WindowId FindWindow(std::string_view) override { return 0; }
    std::uint32_t WindowProcessId(telemetry::WindowId) override { return 0; }
    telemetry::OpenResult Open(std::uint32_t) override { return {nullptr, "refused"}; }
};

inline telemetry::Platform NoSimulatorPlatform() {
    return {std::make_unique<NoSimulator>(), std::make_unique<NoSimulator>()};
}

}  // namespace kerbview::app::testing
