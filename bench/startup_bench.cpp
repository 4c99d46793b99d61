// Start-up to the first painted main window: whole runs of the program (on the
// offscreen platform, ending itself after its first paint) against whole runs
// of an empty QMainWindow program with a menu bar that does the same (the
// goal's baseline), alternating in every iteration. Wall time from spawn to
// exit, and the child's CPU time. The empty window without a menu bar, and
// with two file dialogs made up front as the main window once made them, run
// in the same iterations for reference.
#include <QByteArray>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

struct RunTimes {
    double wall = -1; // negative: the run failed
    double cpu = 0;
};

// The inherited environment with the variables in `overrides` replaced.
std::vector<std::string> environmentWith(const std::vector<std::string> &overrides)
{
    std::vector<std::string> result;
    for (char **entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const std::string &o : overrides)
            replaced |= text.compare(0, o.find('=') + 1, o, 0, o.find('=') + 1) == 0;
        if (!replaced)
            result.push_back(text);
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

// One run of `program`; a run still going after 30 s is killed and counts as failed.
RunTimes runOnce(const char *program, std::vector<std::string> &environment, const char *argument = nullptr)
{
    std::vector<char *> envp;
    for (std::string &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string name = program;
    std::string extra = argument ? argument : "";
    char *argv[] = {name.data(), argument ? extra.data() : nullptr, nullptr};

    RunTimes times;
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, envp.data()) != 0)
        return times;
    std::atomic<bool> finished{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 3000 && !finished; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!finished)
            ::kill(pid, SIGKILL);
    });
    int status = 0;
    rusage usage{};
    const pid_t waited = ::wait4(pid, &status, 0, &usage);
    const auto end = Clock::now();
    finished = true;
    watchdog.join();
    if (waited != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return times;
    times.wall = std::chrono::duration<double>(end - start).count();
    times.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    return times;
}

void BM_StartupToFirstPaint(benchmark::State &state)
{
    // Settings are read and written in a folder of this run's own.
    QTemporaryDir config;
    std::vector<std::string> environment = environmentWith(
        {"QT_QPA_PLATFORM=offscreen", "STROVEX_EXIT_AFTER_FIRST_PAINT=1",
         "XDG_CONFIG_HOME=" + config.path().toStdString()});

    // One untimed run of each: the libraries in the page cache for both.
    if (runOnce(STROVEX_APP_PATH, environment).wall < 0 || runOnce(EMPTY_WINDOW_PATH, environment).wall < 0) {
        state.SkipWithError("a program did not end by itself after its first paint");
        return;
    }
    double appWall = 0, appCpu = 0, emptyWall = 0, emptyCpu = 0, dialogsWall = 0, dialogsCpu = 0;
    double menuWall = 0, menuCpu = 0;
    for (auto _ : state) {
        const RunTimes app = runOnce(STROVEX_APP_PATH, environment);
        const RunTimes menu = runOnce(EMPTY_WINDOW_PATH, environment, "--menu-bar");
        const RunTimes empty = runOnce(EMPTY_WINDOW_PATH, environment);
        const RunTimes dialogs = runOnce(EMPTY_WINDOW_PATH, environment, "--save-dialogs");
        if (app.wall < 0 || menu.wall < 0 || empty.wall < 0 || dialogs.wall < 0) {
            state.SkipWithError("a program did not end by itself after its first paint");
            return;
        }
        appWall += app.wall;
        appCpu += app.cpu;
        menuWall += menu.wall;
        menuCpu += menu.cpu;
        emptyWall += empty.wall;
        emptyCpu += empty.cpu;
        dialogsWall += dialogs.wall;
        dialogsCpu += dialogs.cpu;
        state.SetIterationTime(app.wall);
    }
    const double n = double(state.iterations());
    state.counters["strovex_ms"] = benchmark::Counter(appWall * 1000 / n);
    state.counters["empty_ms"] = benchmark::Counter(emptyWall * 1000 / n);
    state.counters["ratio"] = benchmark::Counter(appWall / emptyWall);
    // Against the empty window with a menu bar.
    state.counters["menu_bar_ms"] = benchmark::Counter(menuWall * 1000 / n);
    state.counters["menu_bar_cpu_ms"] = benchmark::Counter(menuCpu * 1000 / n);
    state.counters["menu_bar_ratio"] = benchmark::Counter(appWall / menuWall);
    state.counters["menu_bar_cpu_ratio"] = benchmark::Counter(appCpu / menuCpu);
    state.counters["strovex_cpu_ms"] = benchmark::Counter(appCpu * 1000 / n);
    state.counters["empty_cpu_ms"] = benchmark::Counter(emptyCpu * 1000 / n);
    state.counters["cpu_ratio"] = benchmark::Counter(appCpu / emptyCpu);
    state.counters["empty_dialogs_ms"] = benchmark::Counter(dialogsWall * 1000 / n);
    state.counters["empty_dialogs_cpu_ms"] = benchmark::Counter(dialogsCpu * 1000 / n);
}
BENCHMARK(BM_StartupToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
