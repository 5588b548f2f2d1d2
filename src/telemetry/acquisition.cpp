// SPDX-License-Identifier: MIT
#include "telemetry/acquisition.h"

namespace kerbview::telemetry {

namespace {

constexpr double kKelvinOffset = 273.15;
constexpr double kWheelSpeedDivisor = 0.284;
constexpr std::int16_t kLapCountLimit = 32767;

bool InSlotTable(std::int16_t slot) { return slot >= 0 && slot < MemoryMap::SlotCount; }

// A name read from a slot is a name when it is not empty and does not begin with character 0.
bool HoldsName(const std::string& text) { return !text.empty() && text.front() != '\0'; }

// The text before its first character 0; a text without one is a fault in the memory contents.
std::string CutAtNul(const std::string& text, const char* what) {
    const auto nul = text.find('\0');
    if (nul == std::string::npos) {
        throw LecturesError(std::string(what) + " holds no character 0");
    }
    return text.substr(0, nul);
}

float FromKelvin(double kelvin) { return static_cast<float>(kelvin - kKelvinOffset); }

// One scan of the readers, ended however the acquisition ends.
class ScanScope {
public:
    explicit ScanScope(const MemoryReaders& readers) : m_readers(readers) { m_readers.BeginScan(); }
    ~ScanScope() { m_readers.EndScan(); }
    ScanScope(const ScanScope&) = delete;
    ScanScope& operator=(const ScanScope&) = delete;

private:
    const MemoryReaders& m_readers;
};

}  // namespace

AcquireResult Acquisition::Acquire(Snapshot& snapshot) {
    snapshot = Snapshot{};
    const ScanScope scan(m_readers);
    const AcquireResult result = ReadScan(snapshot);
    return m_readers.EveryReadOfTheScanFailed() ? AcquireResult::NothingRead : result;
}

AcquireResult Acquisition::ReadScan(Snapshot& snapshot) {
    switch (m_DriverSelectMode) {
        case 0:
            if (!FindSlotByName(snapshot)) {
                return AcquireResult::EndTick;
            }
            break;
        case 1:
            if (!TakeSlot(m_readers.ReadMemoryInteger(m_map.PlayerSlot, 4), snapshot)) {
                return AcquireResult::EndTick;
            }
            break;
        case 2:
            if (!TakeSlot(m_FixedDriverSlot, snapshot)) {
                return AcquireResult::EndTick;
            }
            break;
        default:
            // No other mode exists; the slot found last is used as it is.
            if (!InSlotTable(m_DriverSlot)) {
                return AcquireResult::EndTick;
            }
            break;
    }

    snapshot.CarName =
        CutAtNul(m_readers.ReadMemory(MemoryMap::SlotField(m_map.CarName, m_DriverSlot),
                                      MemoryMap::CarNameLength),
                 "car name");
    // A car name that nothing was read for is no car: the picture stays as it is.
    if (m_readers.ScanReadAnything()) {
        m_CurrentCar = snapshot.CarName;
    }

    ReadSlotValues(snapshot);
    ReadCarValues(snapshot);
    snapshot.DriverSlot = m_DriverSlot;
    if (m_readers.ScanReadAnything()) {
        m_CurrentCar = snapshot.CarName;
    }
    return AcquireResult::Complete;
}

bool Acquisition::FindSlotByName(Snapshot& snapshot) {
    const std::string player = m_readers.ReadMemory(m_map.PlayerName, MemoryMap::PlayerNameLength);
    const auto backslash = player.find('\\');
    snapshot.DriverName = backslash == std::string::npos ? "Error" : player.substr(0, backslash);

    // A slot number left out of the table by mode 1 is not read; the search below replaces it.
    snapshot.SlotName = "NoTincNiidea";
    if (InSlotTable(m_DriverSlot)) {
        const std::string text = m_readers.ReadMemory(
            MemoryMap::SlotField(m_map.SlotName, m_DriverSlot), MemoryMap::SlotNameLength);
        if (HoldsName(text)) {
            snapshot.SlotName = CutAtNul(text, "driver slot name");
        }
    }

    if (snapshot.SlotName != snapshot.DriverName) {
        for (int slot = 0; slot < MemoryMap::SlotCount; ++slot) {
            const std::string text = m_readers.ReadMemory(
                MemoryMap::SlotField(m_map.SlotName, slot), MemoryMap::SlotNameLength);
            if (!HoldsName(text)) {
                // An empty slot leaves an empty name, not its zero bytes: SlotName travels in a
                // NUL-separated packet.
                snapshot.SlotName.clear();
                continue;
            }
            snapshot.SlotName = CutAtNul(text, "driver slot name");
            if (snapshot.SlotName == snapshot.DriverName) {
                m_DriverSlot = static_cast<std::int16_t>(slot);
                break;
            }
        }
    }
    return InSlotTable(m_DriverSlot);
}

bool Acquisition::TakeSlot(std::int16_t slot, Snapshot& snapshot) {
    m_DriverSlot = slot;
    if (!InSlotTable(m_DriverSlot)) {
        return false;
    }
    const std::string text = m_readers.ReadMemory(
        MemoryMap::SlotField(m_map.SlotName, m_DriverSlot), MemoryMap::SlotNameLength);
    const auto nul = text.find('\0');
    if (nul == std::string::npos) {
        return false;
    }
    snapshot.DriverName = text.substr(0, nul);
    return true;
}

void Acquisition::ReadSlotValues(Snapshot& snapshot) {
    const auto field = [this](Address slot0) { return MemoryMap::SlotField(slot0, m_DriverSlot); };
    snapshot.EngineSpeed = m_readers.ReadMemorySingle(field(m_map.EngineSpeed), 4);
    snapshot.Position = m_readers.ReadMemoryInteger(field(m_map.Position), 4);
    snapshot.EngineMaxSpeed = m_readers.ReadMemorySingle(field(m_map.EngineMaxSpeed), 4);
    const std::int16_t lapCount = m_readers.ReadMemoryInteger(field(m_map.LapNumber), 4);
    if (lapCount == kLapCountLimit) {
        throw LecturesError("lap count 32767 does not fit a lap number");
    }
    snapshot.LapNumber = static_cast<std::int16_t>(lapCount + 1);
    snapshot.Fuel = m_readers.ReadMemorySingle(field(m_map.Fuel), 4);
    snapshot.BestLap = m_readers.ReadMemorySingle(field(m_map.BestLap), 4);
    snapshot.LastLap = m_readers.ReadMemorySingle(field(m_map.LastLap), 4);
    snapshot.CentreReadout = m_readers.ReadMemoryInteger(field(m_map.CentreReadout), 4);
    snapshot.InPits = m_readers.ReadMemoryInteger(field(m_map.InPits), 1);
}

void Acquisition::ReadCarValues(Snapshot& snapshot) {
    const auto& wheel = m_map.Wheel;
    snapshot.OilTemp = FromKelvin(m_readers.ReadMemoryDouble(m_map.OilTemp));
    snapshot.WaterTemp = FromKelvin(m_readers.ReadMemoryDouble(m_map.WaterTemp));
    snapshot.Contact = m_readers.ReadMemoryInteger(m_map.Contact, 1);

    for (int w = 0; w < MemoryMap::WheelCount; ++w) {
        for (int zone = 0; zone < 3; ++zone) {
            snapshot.TyreTemp[static_cast<std::size_t>(w * 3 + zone)] = FromKelvin(
                m_readers.ReadMemoryDouble(m_map.WheelField(w, wheel.TyreTemp + 8 * zone)));
        }
    }
    for (int w = 0; w < MemoryMap::WheelCount; ++w) {
        snapshot.TyrePressure[static_cast<std::size_t>(w)] =
            static_cast<float>(m_readers.ReadMemoryDouble(m_map.WheelField(w, wheel.TyrePressure)));
    }
    for (int w = 0; w < MemoryMap::WheelCount; ++w) {
        snapshot.BrakeTemp[static_cast<std::size_t>(w)] =
            FromKelvin(m_readers.ReadMemoryDouble(m_map.WheelField(w, wheel.BrakeTemp)));
    }

    const double frontRadius = m_readers.ReadMemoryDouble(m_map.WheelField(0, wheel.RadiusFactor));
    const double rearRadius = m_readers.ReadMemoryDouble(m_map.WheelField(2, wheel.RadiusFactor));
    for (int w = 0; w < MemoryMap::WheelCount; ++w) {
        const double rotation = m_readers.ReadMemoryDouble(m_map.WheelField(w, wheel.Rotation));
        const double radius = w < 2 ? frontRadius : rearRadius;
        snapshot.WheelSpeed[static_cast<std::size_t>(w)] =
            rotation * -1.0 * radius / kWheelSpeedDivisor;
    }
    for (int w = 0; w < MemoryMap::WheelCount; ++w) {
        snapshot.TyreRatio[static_cast<std::size_t>(w)] =
            m_readers.ReadMemoryDouble(m_map.WheelField(w, wheel.TyreRatio));
    }

    snapshot.TrackName = ReadTrackName();
    snapshot.PitLimiter = m_readers.ReadMemoryInteger(m_map.PitLimiter, 1);
    snapshot.TcState = m_readers.ReadMemoryInteger(m_map.TcState, 1);
    snapshot.AbsState = m_readers.ReadMemoryInteger(m_map.AbsState, 1);
    snapshot.BarPercent1 = m_readers.ReadMemorySingle(m_map.BarPercent1, 4) * 100.0f;
    snapshot.BarPercent2 = m_readers.ReadMemorySingle(m_map.BarPercent2, 4) * 100.0f;
    snapshot.TrackTemp = m_readers.ReadMemorySingle(m_map.TrackTemp, 4);
    snapshot.AmbientTemp = m_readers.ReadMemorySingle(m_map.AmbientTemp, 4);
}

// The file name part of the path: after the first backslash, without a four-character
// extension (".trk").
std::string Acquisition::ReadTrackName() {
    const std::string raw = m_readers.ReadMemory(m_map.TrackPath, MemoryMap::TrackPathLength);
    const auto nul = raw.find('\0');
    if (nul == std::string::npos) {
        return "Error";
    }
    const std::string path = raw.substr(0, nul);
    const auto backslash = path.find('\\');
    if (backslash == std::string::npos) {
        return "Error";
    }
    const std::size_t after = path.size() - backslash - 1;
    if (after < 4) {
        throw LecturesError("track path too short after its backslash");
    }
    return path.substr(backslash + 1, after - 4);
}

}  // namespace kerbview::telemetry
