// Processor time used by an open serial port whose lines are quiet: the event thread should
// sleep in the kernel. Each case idles one second per iteration with the main thread asleep and
// reports the whole process's CPU time (user + system) as a percentage of the wall time.
//
//   build/bench/bench_comport_idle
//
// Cases: a pseudo-terminal (no modem wait and no lines: the watcher sleeps until stopped), and
// where ttyS0 exists, the UART waiting in TIOCMIWAIT with its periodic re-check, and the same
// UART after its silent driver has put the watcher into polling every 2 ms.

#include "engine/devices/comport.h"
#include "platform/serialdevice_linux.h"
#include "platform/serialports.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

double cpuSeconds()
{
    rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec
        + ru.ru_stime.tv_usec / 1e6;
}

void idle(benchmark::State &state)
{
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double c0 = cpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double w = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        cpu += cpuSeconds() - c0;
        wall += w;
        state.SetIterationTime(w);
    }
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
}

void BM_IdlePseudoTerminal(benchmark::State &state)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    char tmpl[] = "/tmp/kestrelon-bench-XXXXXX";
    const fs::path root = mkdtemp(tmpl);
    fs::create_directories(root / "sys" / "ttyPTY" / "device");
    fs::create_directories(root / "dev");
    fs::create_symlink(ptsname(master), root / "dev" / "ttyPTY");
    {
        TComPort port(nullptr, std::make_unique<serialdev::LinuxSerialDevice>(
                                   (root / "dev").string(), (root / "sys").string()));
        port.SetPort("ttyPTY");
        port.SetSyncMethod(smNone); // no user-interface thread here
        port.SetEvents(ComEvents({evCTS, evDSR, evRLSD}));
        port.Open();
        idle(state);
    }
    ::close(master);
    fs::remove_all(root);
}

void uart(benchmark::State &state, bool forcePolling)
{
    if (!serialports::IsSerialPortName("ttyS0")) {
        state.SkipWithError("no ttyS0");
        return;
    }
    TComPort port;
    port.SetPort("ttyS0");
    port.SetSyncMethod(smNone); // no user-interface thread here
    port.SetEvents(ComEvents({evCTS, evDSR, evRLSD}));
    port.Open();
    auto &device = dynamic_cast<serialdev::LinuxSerialDevice &>(port.Device());
    auto polling = [&] {
        return device.watchMode() == serialdev::LinuxSerialDevice::WatchMode::Polling;
    };
    if (forcePolling) {
        // Loopback changes the inputs without the driver noticing; the re-check sees it and
        // switches the watcher to polling.
        for (int i = 0; i < 100 && !polling(); ++i) {
            const unsigned loop = serialdev::LineLoop;
            port.SetLines(i % 2 ? 0u : loop, i % 2 ? loop : 0u);
            std::this_thread::sleep_for(std::chrono::milliseconds(120));
        }
        port.SetLines(0, serialdev::LineLoop);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    idle(state);
    state.counters["polling"] = polling() ? 1.0 : 0.0;
    port.Close();
}

void BM_IdleUartWaiting(benchmark::State &state) { uart(state, false); }
void BM_IdleUartPolling(benchmark::State &state) { uart(state, true); }

} // namespace

BENCHMARK(BM_IdlePseudoTerminal)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleUartWaiting)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleUartPolling)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
