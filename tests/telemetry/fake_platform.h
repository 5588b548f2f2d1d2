// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "telemetry/game_link.h"
#include "telemetry/process_memory.h"
#include "telemetry/window_finder.h"

namespace kerbview::telemetry::testing {

/// A process memory image: bytes at absolute addresses; everything else is unreadable.
/// Records every read so tests can count and order them.
class MemoryImage {
public:
    void Bytes(Address address, std::vector<std::uint8_t> bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) m_bytes[address + i] = bytes[i];
    }
    void Text(Address address, std::string_view text) {
        Bytes(address, std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    void Int32(Address address, std::int32_t value) { Raw(address, value); }
    void Single(Address address, float value) { Raw(address, value); }
    void Double(Address address, double value) { Raw(address, value); }

    std::size_t Read(Address address, void* buffer, std::size_t count) {
        m_reads.push_back(address);
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (std::size_t i = 0; i < count; ++i) {
            const auto it = m_bytes.find(address + i);
            if (it == m_bytes.end()) return 0;
            out[i] = it->second;
        }
        return count;
    }

    const std::vector<Address>& Reads() const { return m_reads; }
    void ClearReads() { m_reads.clear(); }

private:
    template <typename T>
    void Raw(Address address, T value) {
        std::vector<std::uint8_t> bytes(sizeof value);
        std::memcpy(bytes.data(), &value, sizeof value);  // the test host is little-endian
        Bytes(address, bytes);
    }

    std::map<Address, std::uint8_t> m_bytes;
    std::vector<Address> m_reads;
};

class FakeReader final : public ProcessReader {
public:
    FakeReader(std::shared_ptr<MemoryImage> image, int& open)
        : m_image(std::move(image)), m_open(open) {
        ++m_open;
    }
    ~FakeReader() override { --m_open; }
    std::size_t Read(Address address, void* buffer, std::size_t count) override {
        return m_image->Read(address, buffer, count);
    }

private:
    std::shared_ptr<MemoryImage> m_image;
    int& m_open;
};

/// Opens readers over one image, or refuses with a fixed reason. Counts opens and live readers.
class FakeProcessMemory final : public ProcessMemory {
public:
    std::shared_ptr<MemoryImage> image = std::make_shared<MemoryImage>();
    bool refuse = false;
    int opens = 0;
    int openReaders = 0;
    std::uint32_t lastProcessId = 0;

    OpenResult Open(std::uint32_t processId) override {
        ++opens;
        lastProcessId = processId;
        if (refuse) return {nullptr, "no permission"};
        return {std::make_unique<FakeReader>(image, openReaders), {}};
    }
};

class FakeWindowFinder final : public WindowFinder {
public:
    WindowId window = 0;
    std::uint32_t processId = 4242;

    WindowId FindWindow(std::string_view) override { return window; }
    std::uint32_t WindowProcessId(WindowId w) override { return w == window ? processId : 0; }
};

class RecordingObserver final : public LinkObserver {
public:
    std::vector<LinkStatus> statuses;
    std::vector<std::string> failures;

    void ShowStatus(LinkStatus status) override { statuses.push_back(status); }
    void ShowOpenFailure(const std::string& message, const std::string& detail) override {
        failures.push_back(message + "|" + detail);
    }
};

}  // namespace kerbview::telemetry::testing
