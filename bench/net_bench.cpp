// SPDX-License-Identifier: MIT
// Cost of one telemetry packet on each side: building it on the server, and taking it from the
// receive buffer, accepting and unpacking it on the client.
#include <benchmark/benchmark.h>

#include "net/receive_buffer.h"
#include "net/wire_format.h"

namespace {

using namespace kerbview;

telemetry::Snapshot Reading() {
    telemetry::Snapshot s;
    s.DriverName = "Driver Name";
    s.CarName = "BMW 320si";
    s.TrackName = "Anderstorp";
    s.OilTemp = 95.25f;
    s.WaterTemp = 88.5f;
    s.EngineSpeed = 523.456f;
    s.EngineMaxSpeed = 837.758f;
    s.Fuel = 12.345f;
    s.BestLap = 92.345f;
    s.LastLap = 93.001f;
    for (std::size_t i = 0; i < 12; ++i) s.TyreTemp[i] = 70.125f + static_cast<float>(i);
    s.TyrePressure = {180.5f, 181.25f, 175.75f, 176.125f};
    s.WheelSpeed = {50.123456789012, 49.98765432101, 50.5, 50.25};
    s.TyreRatio = {0.987654321, 0.91, 0.5, 0.25};
    s.BrakeTemp = {300.5f, 310.5f, 250.25f, 260.75f};
    s.BarPercent1 = 73.5f;
    s.BarPercent2 = 12.25f;
    return s;
}

void BM_BuildTelemetryPacket(benchmark::State& state) {
    const telemetry::Snapshot s = Reading();
    for (auto _ : state) {
        const std::string body = net::TelemetryBody(s, "RACE07 EN MARCHA", ',');
        std::string packet = net::PacketBytes(net::PacketLengthFor(body), body);
        benchmark::DoNotOptimize(packet);
    }
}
BENCHMARK(BM_BuildTelemetryPacket);

void BM_ReceiveAcceptUnpackPacket(benchmark::State& state) {
    const std::string body = net::TelemetryBody(Reading(), "RACE07 EN MARCHA", ',');
    const std::string packet = net::PacketBytes(net::PacketLengthFor(body), body);
    net::ReceiveBuffer buffer;
    std::string received;
    telemetry::Snapshot s;
    for (auto _ : state) {
        buffer.Feed(packet, [&](std::string_view p) {
            if (net::AcceptPacket(p, received)) net::UnpackTelemetry(received, s, {});
        });
        benchmark::DoNotOptimize(s);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * packet.size()));
}
BENCHMARK(BM_ReceiveAcceptUnpackPacket);

}  // namespace

BENCHMARK_MAIN();
