// SPDX-License-Identifier: MIT
// One scan through the real Linux layer (X11 window check, one batched process_vm_readv, or
// /proc/PID/mem read by read) against the stand-in simulator, the two floors for the same
// bytes (bare pread calls; one process_vm_readv), and the server's whole tick through the
// Program (acquisition, presentation, send).
// Needs an X display and the stand-in program, whose path is built in (KERBVIEW_STANDIN).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "telemetry/acquisition.h"
#include "telemetry/game_link.h"
#include "telemetry/platform.h"
#include "web/no_dashboard.h"

namespace {

using namespace kerbview;
using Clock = std::chrono::steady_clock;

// The stand-in simulator as a child process driven through pipes; it quits when its command
// pipe closes.
class StandIn {
public:
    explicit StandIn(const char* path) {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
            m_error = "pipe failed";
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::execl(path, path, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        m_commands = in[1];
        m_replies = out[0];
        if (!WaitFor("ready", std::chrono::seconds(10))) {
            m_error = std::string("no 'ready' from ") + path;
        }
    }
    ~StandIn() {
        if (m_commands >= 0) ::close(m_commands);
        if (m_replies >= 0) ::close(m_replies);
        if (m_pid > 0) {
            const auto until = Clock::now() + std::chrono::seconds(5);
            while (::waitpid(m_pid, nullptr, WNOHANG) == 0) {
                if (Clock::now() > until) {
                    ::kill(m_pid, SIGKILL);
                    ::waitpid(m_pid, nullptr, 0);
                    break;
                }
                ::usleep(10000);
            }
        }
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    const std::string& Error() const { return m_error; }

private:
    bool WaitFor(const std::string& word, std::chrono::seconds limit) {
        std::string seen;
        const auto until = Clock::now() + limit;
        while (Clock::now() < until) {
            pollfd p{m_replies, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buffer[256];
            const ssize_t got = ::read(m_replies, buffer, sizeof buffer);
            if (got <= 0) return false;
            seen.append(buffer, static_cast<std::size_t>(got));
            if (seen.find(word) != std::string::npos) return true;
        }
        return false;
    }

    pid_t m_pid = -1;
    int m_commands = -1;
    int m_replies = -1;
    std::string m_error;
};

// Ticks the link until it has opened the simulator: the appearance delay is counted in ticks.
// An open that fails leaves its reason in failure.
bool Attach(telemetry::GameLink& link, std::string& failure) {
    const auto until = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < until) {
        const telemetry::LinkStep step = link.RACE07_Actiu();
        if (step.openFailure) failure = *step.openFailure;
        if (step.running && link.HoldsProcessHandle()) return true;
    }
    return false;
}

// Passes reads through and notes each one's address and size.
class RecordingReader : public telemetry::ProcessReader {
public:
    explicit RecordingReader(telemetry::ProcessReader& inner) : m_inner(inner) {}
    std::size_t Read(telemetry::Address address, void* buffer, std::size_t count) override {
        reads.push_back({address, count});
        return m_inner.Read(address, buffer, count);
    }
    std::vector<telemetry::ReadRange> reads;

private:
    telemetry::ProcessReader& m_inner;
};

// An acquisition of its own over `reader`.
struct AcquisitionOver {
    explicit AcquisitionOver(telemetry::ProcessReader& reader) { readers.SetProcess(&reader); }
    core::ErrorReporter errors;
    telemetry::MemoryReaders readers{errors};
    telemetry::Acquisition acquisition{readers};
    telemetry::Snapshot snapshot;
};

// The simulator link and acquisition over the real platform, attached to the stand-in.
struct LinkedScan {
    telemetry::Platform platform = telemetry::MakePlatform();
    core::ErrorReporter errors;
    telemetry::GameLink link{*platform.windows, *platform.memory, errors};
    telemetry::Acquisition acquisition{link.Readers()};
    telemetry::Snapshot snapshot;
    std::string error;

    LinkedScan() {
        link.SetScanTime(10);
        if (std::string failure; !Attach(link, failure)) {
            error = "the stand-in's window was not found or its memory not opened " + failure;
        } else if (acquisition.Acquire(snapshot) != telemetry::AcquireResult::Complete) {
            error = "the acquisition found no player slot in the stand-in";
        }
    }
};

// The reads of one acquisition once the player's slot is known (the first one also searches the
// slot table), in order.
std::vector<telemetry::ReadRange> ReadsOfOneScan(std::uint32_t pid) {
    auto memory = telemetry::MakeProcessMemory();
    telemetry::OpenResult opened = memory->Open(pid);
    if (!opened.reader) return {};
    RecordingReader recorder(*opened.reader);
    AcquisitionOver scan(recorder);
    scan.acquisition.Acquire(scan.snapshot);
    recorder.reads.clear();
    scan.acquisition.Acquire(scan.snapshot);
    return recorder.reads;
}

void ScanThroughLinuxLayer(benchmark::State& state, bool withLink) {
    LinkedScan scan;
    if (!scan.error.empty()) {
        state.SkipWithError(scan.error.c_str());
        return;
    }
    for (auto _ : state) {
        if (withLink) benchmark::DoNotOptimize(scan.link.RACE07_Actiu().running);
        benchmark::DoNotOptimize(scan.acquisition.Acquire(scan.snapshot));
    }
    if (!scan.link.HoldsProcessHandle() || scan.snapshot.CarName.empty()) {
        state.SkipWithError("the stand-in went away during the run");
    }
}

void BM_Scan_LinkAndAcquisition(benchmark::State& state) { ScanThroughLinuxLayer(state, true); }
void BM_Scan_AcquisitionOnly(benchmark::State& state) { ScanThroughLinuxLayer(state, false); }

// The real reader without its batched read: every reader call is one pread of its own, as
// when a batch comes back short.
class RangeByRangeReader : public telemetry::ProcessReader {
public:
    explicit RangeByRangeReader(telemetry::ProcessReader& inner) : m_inner(inner) {}
    std::size_t Read(telemetry::Address address, void* buffer, std::size_t count) override {
        return m_inner.Read(address, buffer, count);
    }

private:
    telemetry::ProcessReader& m_inner;
};

void BM_Scan_AcquisitionRangeByRange(benchmark::State& state) {
    LinkedScan scan;
    if (!scan.error.empty()) {
        state.SkipWithError(scan.error.c_str());
        return;
    }
    telemetry::OpenResult opened = scan.platform.memory->Open(scan.link.GameProcessId());
    if (!opened.reader) {
        state.SkipWithError("cannot open the stand-in's memory");
        return;
    }
    RangeByRangeReader reader(*opened.reader);
    AcquisitionOver own(reader);
    for (auto _ : state) {
        benchmark::DoNotOptimize(own.acquisition.Acquire(own.snapshot));
    }
    if (own.snapshot.CarName.empty()) {
        state.SkipWithError("the stand-in went away during the run");
    }
}

void BM_Scan_LinkOnly(benchmark::State& state) {
    LinkedScan scan;
    if (!scan.error.empty()) {
        state.SkipWithError(scan.error.c_str());
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(scan.link.RACE07_Actiu().running);
    }
}

// The same reads as bare pread calls on /proc/PID/mem: one system call per reader call.
void BM_Floor_BarePread(benchmark::State& state) {
    LinkedScan scan;
    if (!scan.error.empty()) {
        state.SkipWithError(scan.error.c_str());
        return;
    }
    const auto reads = ReadsOfOneScan(scan.link.GameProcessId());
    const std::string path = "/proc/" + std::to_string(scan.link.GameProcessId()) + "/mem";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (reads.empty() || fd < 0) {
        state.SkipWithError("cannot record or replay the reads");
        if (fd >= 0) ::close(fd);
        return;
    }
    std::vector<char> buffer(4096);
    std::size_t failed = 0;
    for (auto _ : state) {
        for (const auto& r : reads) {
            if (::pread(fd, buffer.data(), r.count, static_cast<off_t>(r.address)) !=
                static_cast<ssize_t>(r.count)) {
                ++failed;
            }
        }
        benchmark::ClobberMemory();
    }
    ::close(fd);
    state.counters["reads"] = static_cast<double>(reads.size());
    if (failed != 0) state.SkipWithError("a replayed read failed");
}

// The same bytes with one process_vm_readv call: the floor the platform allows.
void BM_Floor_ProcessVmReadv(benchmark::State& state) {
    LinkedScan scan;
    if (!scan.error.empty()) {
        state.SkipWithError(scan.error.c_str());
        return;
    }
    const auto reads = ReadsOfOneScan(scan.link.GameProcessId());
    std::size_t total = 0;
    for (const auto& r : reads) total += r.count;
    std::vector<char> buffer(total);
    std::vector<iovec> local;
    std::vector<iovec> remote;
    std::size_t at = 0;
    for (const auto& r : reads) {
        local.push_back({buffer.data() + at, r.count});
        remote.push_back({reinterpret_cast<void*>(r.address), r.count});
        at += r.count;
    }
    const auto pid = static_cast<pid_t>(scan.link.GameProcessId());
    std::size_t failed = 0;
    for (auto _ : state) {
        if (::process_vm_readv(pid, local.data(), local.size(), remote.data(), remote.size(), 0) !=
            static_cast<ssize_t>(total)) {
            ++failed;
        }
        benchmark::ClobberMemory();
    }
    state.counters["reads"] = static_cast<double>(reads.size());
    state.counters["bytes"] = static_cast<double>(total);
    if (reads.empty() || failed != 0) state.SkipWithError("process_vm_readv did not read it all");
}

// ---- The server's whole tick ---------------------------------------------------------------

class HeadlessFrontEnd : public app::FrontEnd {
public:
    void CreateMainWindow() override {}
    void SetBackgroundColour(core::ColourNumber) override {}
    panel::DesktopRect Desktop() override { return {0, 0, 28800, 16200}; }
    double TwipsPerPixel() override { return 15; }
    app::WindowSize MainWindowSize() override { return {9960, 8535, 9720, 7935}; }
    float MainWindowLeft() override { return 0; }
    float MainWindowTop() override { return 0; }
    void MoveMainWindow(std::int32_t, std::int32_t) override {}
    void ShowMainWindow() override {}
    void CloseMainWindow() override {}
    void Quit() override {}
    void SetTimerInterval(int) override {}
    void SetTimerEnabled(bool) override {}
    void ShowAdminWindow(const app::AdminTexts&) override {}
    void ShowDebugWindow(const std::string&) override {}
    void ShowAbout(const app::AboutTexts&) override {}
    void ShowIntroPort(const net::IntroTexts&, const std::string&) override {}
    void ShowIntroIP(const net::IntroTexts&, const std::string&, const std::string&) override {}
    void ShowMessage(const std::string&, const std::string&) override {}
    void ShowDashboardWindow(const app::DashboardWindowTexts&) override {}
    void CloseDashboardWindow() override {}
    void ChooseRecording(const std::string&) override {}
    void ChooseExport(const std::string&, const std::string&) override {}
    void ShowLapsWindow() override {}
    void LapsChanged() override {}
    void ShowRaceDialog(const app::RaceDialogTexts&, const app::RaceDialogValues&) override {}
    bool DecodePicture(panel::Element, const std::string&) override { return false; }
};

// A server socket over one end of a socket pair: a client is connected as soon as it listens;
// send is one real write, and the send-complete event follows at once, as a kernel with buffer
// room would report it.
class PairSocket : public net::Socket {
public:
    explicit PairSocket(int fd) : m_fd(fd) {}
    net::SocketState state() const override {
        return m_listened ? net::SocketState::Connected : net::SocketState::Closed;
    }
    void close() override {}
    void listen(std::int32_t) override { m_listened = true; }
    void accept() override {}
    void connect(const std::string&, std::int32_t) override {}
    void send(std::string_view bytes) override {
        if (::write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size())) {
            ++sent;
        }
        if (m_events.sendComplete) m_events.sendComplete();
    }
    std::string readAll() override { return {}; }
    void setEvents(net::SocketEvents events) override { m_events = std::move(events); }
    std::uint64_t sent = 0;

private:
    int m_fd;
    bool m_listened = false;
    net::SocketEvents m_events;
};

class ClosedSocket : public net::Socket {
public:
    net::SocketState state() const override { return net::SocketState::Closed; }
    void close() override {}
    void listen(std::int32_t) override {}
    void accept() override {}
    void connect(const std::string&, std::int32_t) override {}
    void send(std::string_view) override {}
    std::string readAll() override { return {}; }
    void setEvents(net::SocketEvents) override {}
};

void BM_ServerTick(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("kerbview-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "Kerbview.ini")
        << "[Opcions]\r\nScanTime=10\r\nTipusConexio=1\r\nPort=1001\r\nDadesServ=True\r\n";
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        state.SkipWithError("socketpair failed");
        return;
    }
    ::fcntl(pair[0], F_SETFL, O_NONBLOCK);
    ::fcntl(pair[1], F_SETFL, O_NONBLOCK);
    {
        PairSocket server(pair[0]);
        ClosedSocket client;
        HeadlessFrontEnd frontEnd;
        web::NoDashboard dashboard;
        app::Program program(folder.string(), '.', telemetry::MakePlatform(), {server, client},
                             dashboard);
        std::vector<char> drain(1 << 16);
        const auto until = Clock::now() + std::chrono::seconds(10);
        bool attached = program.Main(frontEnd);
        // Until the appearance delay has passed, every tick sends a status-only packet.
        while (attached && !program.Link().HoldsProcessHandle() && Clock::now() < until) {
            program.Tick();
            while (::read(pair[1], drain.data(), drain.size()) > 0) {
            }
        }
        attached = attached && program.Link().HoldsProcessHandle();
        if (!attached) {
            state.SkipWithError("the program did not attach to the stand-in");
        } else {
            const std::uint64_t before = server.sent;
            std::int64_t n = 0;
            for (auto _ : state) {
                program.Tick();
                // The client side of the pair, emptied outside the measured work now and then.
                if ((++n & 7) == 0) {
                    state.PauseTiming();
                    while (::read(pair[1], drain.data(), drain.size()) > 0) {
                    }
                    state.ResumeTiming();
                }
            }
            state.counters["packets_per_tick"] =
                static_cast<double>(server.sent - before) / static_cast<double>(n);
            if (server.sent == before) state.SkipWithError("the server sent no packet");
        }
    }
    ::close(pair[0]);
    ::close(pair[1]);
    fs::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "scan_bench: needs an X display (DISPLAY)\n");
        return 2;
    }
    const StandIn standIn(KERBVIEW_STANDIN);
    if (!standIn.Error().empty()) {
        std::fprintf(stderr, "scan_bench: %s\n", standIn.Error().c_str());
        return 2;
    }
    benchmark::RegisterBenchmark("BM_Scan_LinkAndAcquisition", BM_Scan_LinkAndAcquisition);
    benchmark::RegisterBenchmark("BM_Scan_AcquisitionOnly", BM_Scan_AcquisitionOnly);
    benchmark::RegisterBenchmark("BM_Scan_AcquisitionRangeByRange",
                                 BM_Scan_AcquisitionRangeByRange);
    benchmark::RegisterBenchmark("BM_Scan_LinkOnly", BM_Scan_LinkOnly);
    benchmark::RegisterBenchmark("BM_Floor_BarePread", BM_Floor_BarePread);
    benchmark::RegisterBenchmark("BM_Floor_ProcessVmReadv", BM_Floor_ProcessVmReadv);
    benchmark::RegisterBenchmark("BM_ServerTick", BM_ServerTick);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
