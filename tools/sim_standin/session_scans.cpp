// SPDX-License-Identifier: MIT
#include "session_scans.h"

#include <algorithm>
#include <cstring>

#include "memory_writer.h"

namespace kerbview::standin {
namespace {

// The memory image read as the simulator's process: every address of [start, start + size).
class ImageReader final : public telemetry::ProcessReader {
public:
    ImageReader(const std::vector<unsigned char>& image, std::uint64_t start)
        : m_image(image), m_start(start) {}
    std::size_t Read(telemetry::Address address, void* buffer, std::size_t count) override {
        if (address < m_start || address - m_start >= m_image.size()) return 0;
        const std::size_t from = address - m_start;
        const std::size_t n = std::min(count, m_image.size() - from);
        std::memcpy(buffer, m_image.data() + from, n);
        return n;
    }

private:
    const std::vector<unsigned char>& m_image;
    std::uint64_t m_start;
};

}  // namespace

// The track path's leading folders lie just before the lowest address the map reads, as in the
// stand-in's own memory block.
SessionScans::SessionScans(std::uint32_t seed)
    : m_model(seed),
      m_image(m_map.End() - m_map.Lowest() + 64),
      m_start(m_map.Lowest() - 64),
      m_reader(std::make_unique<ImageReader>(m_image, m_start)),
      m_readers(m_errors),
      m_acquisition(m_readers, m_map) {
    m_readers.SetProcess(m_reader.get());
}

SessionScans::~SessionScans() = default;

bool SessionScans::Scan(telemetry::Snapshot& snapshot) {
    MemoryWriter writer(m_image.data(), m_start, m_image.size());
    m_model.Publish(writer);
    return m_acquisition.Acquire(snapshot) == telemetry::AcquireResult::Complete;
}

}  // namespace kerbview::standin
