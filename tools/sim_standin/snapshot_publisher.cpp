// SPDX-License-Identifier: MIT
#include "snapshot_publisher.h"

#include <cstddef>
#include <string>

#include "telemetry/memory_map.h"

namespace kerbview::standin {
namespace {

using telemetry::MemoryMap;

constexpr double kKelvin = 273.15;
// The wheel radius factor laid out for both axles: the wheel speed read is
// rotation x -1.0 x factor / 0.284, so with 0.284 the rotation is nearly the speed itself.
constexpr double kRadiusFactor = 0.284;

double ToKelvin(float celsius) { return static_cast<double>(celsius) + kKelvin; }

}  // namespace

void PublishSnapshot(const telemetry::Snapshot& s, MemoryWriter& memory) {
    const MemoryMap map = telemetry::LoadMemoryMap();
    const int slot = s.DriverSlot >= 0 && s.DriverSlot < MemoryMap::SlotCount ? s.DriverSlot : 0;
    for (int other = 0; other < MemoryMap::SlotCount; ++other) {
        if (other != slot) memory.Text(MemoryMap::SlotField(map.SlotName, other), "", 1);
    }
    const auto at = [slot](telemetry::Address slot0) { return MemoryMap::SlotField(slot0, slot); };
    memory.Text(at(map.SlotName), s.DriverName, MemoryMap::SlotNameLength);
    memory.Text(at(map.CarName), s.CarName, MemoryMap::CarNameLength);
    memory.Single(at(map.EngineSpeed), s.EngineSpeed);
    memory.Int32(at(map.Position), s.Position);
    memory.Single(at(map.EngineMaxSpeed), s.EngineMaxSpeed);
    memory.Int32(at(map.LapNumber), s.LapNumber - 1);
    memory.Single(at(map.Fuel), s.Fuel);
    memory.Single(at(map.BestLap), s.BestLap);
    memory.Single(at(map.LastLap), s.LastLap);
    memory.Int32(at(map.CentreReadout), s.CentreReadout);
    memory.Byte(at(map.InPits), static_cast<std::uint8_t>(s.InPits));

    // The name before the separator is the player's; the simulator keeps more after it.
    memory.Text(map.PlayerName, s.DriverName + "\\", MemoryMap::PlayerNameLength);
    memory.Int32(map.PlayerSlot, slot);
    memory.Double(map.OilTemp, ToKelvin(s.OilTemp));
    memory.Double(map.WaterTemp, ToKelvin(s.WaterTemp));
    memory.Byte(map.Contact, static_cast<std::uint8_t>(s.Contact));
    // The track's name is the path's part after its first separator, less a four-character
    // extension; its folder is the name again, as the simulator's is, when it fits.
    const std::string file = s.TrackName + ".trk";
    const bool folderFits = s.TrackName.size() + 1 + file.size() < MemoryMap::TrackPathLength;
    memory.Text(map.TrackPath, (folderFits ? s.TrackName : std::string()) + "\\" + file,
                MemoryMap::TrackPathLength);
    memory.Byte(map.PitLimiter, static_cast<std::uint8_t>(s.PitLimiter));
    memory.Byte(map.TcState, static_cast<std::uint8_t>(s.TcState));
    memory.Byte(map.AbsState, static_cast<std::uint8_t>(s.AbsState));
    memory.Single(map.BarPercent1, s.BarPercent1 / 100.0f);
    memory.Single(map.BarPercent2, s.BarPercent2 / 100.0f);
    memory.Single(map.TrackTemp, s.TrackTemp);
    memory.Single(map.AmbientTemp, s.AmbientTemp);

    for (int w = 0; w < MemoryMap::WheelCount; ++w) {
        const auto i = static_cast<std::size_t>(w);
        for (int zone = 0; zone < 3; ++zone) {
            memory.Double(map.WheelField(w, map.Wheel.TyreTemp + 8 * zone),
                          ToKelvin(s.TyreTemp[i * 3 + static_cast<std::size_t>(zone)]));
        }
        memory.Double(map.WheelField(w, map.Wheel.TyrePressure), s.TyrePressure[i]);
        memory.Double(map.WheelField(w, map.Wheel.BrakeTemp), ToKelvin(s.BrakeTemp[i]));
        memory.Double(map.WheelField(w, map.Wheel.RadiusFactor), kRadiusFactor);
        memory.Double(map.WheelField(w, map.Wheel.Rotation), -s.WheelSpeed[i]);
        memory.Double(map.WheelField(w, map.Wheel.TyreRatio), s.TyreRatio[i]);
    }
}

}  // namespace kerbview::standin
