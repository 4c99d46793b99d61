// The recursive label-file search against find(1) on the same tree, and a
// batch run over 1,000 simulated labels split into Strovex's own time and the
// designer's.
//
//   STROVEX_BENCH_TREE   folder for the generated tree (default: a folder under /tmp, kept between runs)
//   STROVEX_SIM_LATENCY_US  latency of each designer call (default here: 50)

#include "automation/designer.h"
#include "batch_labels.h"
#include "sim/sim_designer.h"
#include "tools/batch_runs.h"
#include "tools/find_files.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// ---------------------------------------------------------------- the tree

constexpr int kTopFolders = 20;
constexpr int kFoldersEach = 999;      // 20 + 20 * 999 = 20,000 folders
constexpr int kFilesPerFolder = 9;     // 180,000 files, every tenth a label: 18,000

QString treeRoot()
{
    const QString given = qEnvironmentVariable("STROVEX_BENCH_TREE");
    return given.isEmpty() ? QDir::tempPath() + QStringLiteral("/strovex-bench-tree") : given;
}

int expectedLabels()
{
    return (kTopFolders + kTopFolders * kFoldersEach) * kFilesPerFolder / 10;
}

// Builds the tree once; a marker file says it is complete.
void ensureTree(const QString &root)
{
    const QString marker = root + QStringLiteral("/.complete");
    if (QFile::exists(marker))
        return;
    QDir(root).removeRecursively();
    static const char *const kLabelExtensions[] = {".lbl", ".LBL", ".Lbl"};
    int fileNumber = 0;
    const auto fill = [&](const QString &folder) {
        QDir().mkpath(folder);
        const QByteArray base = QFile::encodeName(folder) + "/f";
        for (int i = 0; i < kFilesPerFolder; ++i, ++fileNumber) {
            QByteArray name = base + QByteArray::number(fileNumber);
            name += fileNumber % 10 == 0 ? kLabelExtensions[(fileNumber / 10) % 3] : ".txt";
            const int fd = ::open(name.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    };
    for (int t = 0; t < kTopFolders; ++t) {
        const QString top = root + QStringLiteral("/top%1").arg(t);
        fill(top);
        for (int s = 0; s < kFoldersEach; ++s)
            fill(top + QStringLiteral("/sub%1").arg(s));
    }
    QFile f(marker);
    f.open(QIODevice::WriteOnly);
}

// find(1) with its output thrown away, as a child process.
double runFind(const QString &root)
{
    const QByteArray dir = QFile::encodeName(root);
    char find[] = "find";
    char iname[] = "-iname";
    char pattern[] = "*.lbl";
    char *argv[] = {find, const_cast<char *>(dir.constData()), iname, pattern, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "find", &actions, nullptr, argv, environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return -1;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double elapsed = seconds(Clock::now() - start);
    posix_spawn_file_actions_destroy(&actions);
    return elapsed;
}

void BM_FindFilesVersusFind(benchmark::State &state)
{
    const QString root = treeRoot();
    ensureTree(root);
    strovex::setDirectoryLister(nullptr);
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        QStringList list;
        auto start = Clock::now();
        const int found = strovex::FindFiles(QStringLiteral("*.lbl"), root, true, list);
        const double strovexTime = seconds(Clock::now() - start);
        benchmark::DoNotOptimize(found);
        if (found != expectedLabels()) {
            state.SkipWithError("FindFiles found a different number of labels");
            return;
        }
        const double findTime = runFind(root);
        if (findTime < 0) {
            state.SkipWithError("find could not be started");
            return;
        }
        ours += strovexTime;
        theirs += findTime;
        state.SetIterationTime(strovexTime);
    }
    state.counters["strovex_ms"] = benchmark::Counter(ours * 1000 / double(state.iterations()));
    state.counters["find_ms"] = benchmark::Counter(theirs * 1000 / double(state.iterations()));
    state.counters["ratio"] = benchmark::Counter(ours / theirs);
}
BENCHMARK(BM_FindFilesVersusFind)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// ---------------------------------------------------------------- a batch run

// Stands between Strovex and the simulated designer and adds up the time
// spent inside the designer; objects the designer hands out are wrapped too.
struct DesignerClock {
    Clock::duration inside{};
};

class TimedDispatch : public strovex::Dispatch {
public:
    TimedDispatch(strovex::DispatchRef inner, std::shared_ptr<DesignerClock> clock)
        : inner_(std::move(inner)), clock_(std::move(clock))
    {
    }
    strovex::Value invoke(int dispId, strovex::CallKind kind, std::span<const strovex::Value> args) override
    {
        const auto start = Clock::now();
        strovex::Value result;
        try {
            result = inner_->invoke(dispId, kind, args);
        } catch (...) {
            clock_->inside += Clock::now() - start;
            throw;
        }
        clock_->inside += Clock::now() - start;
        if (auto *object = std::get_if<strovex::DispatchRef>(&result); object && *object)
            return strovex::DispatchRef(std::make_shared<TimedDispatch>(*object, clock_));
        return result;
    }

private:
    strovex::DispatchRef inner_;
    std::shared_ptr<DesignerClock> clock_;
};

// Per label over the 1,000 labels of every iteration: Strovex's own time, the
// designer's, and their ratio; then the designer's latency goes again.
void reportOwnShare(benchmark::State &state, double own, double designer)
{
    const double labels = 1000.0 * double(state.iterations());
    state.counters["own_us_per_label"] = benchmark::Counter(own * 1e6 / labels);
    state.counters["designer_us_per_label"] = benchmark::Counter(designer * 1e6 / labels);
    state.counters["own_share"] = benchmark::Counter(own / designer);
    strovex::sim::setKnobs({});
}

void BM_SetVariableLength1000Labels(benchmark::State &state)
{
    strovex::bench::useBatchLatency();
    QTemporaryDir dir;
    const QStringList files = strovex::bench::writeBatchLabels(dir, 1000);

    auto clock = std::make_shared<DesignerClock>();
    const strovex::QuillApp app(std::make_shared<TimedDispatch>(strovex::sim::createApplication(), clock));
    double own = 0, designer = 0;
    int length = 20;
    for (auto _ : state) {
        clock->inside = {};
        strovex::LinesReport report;
        const auto start = Clock::now();
        strovex::runSetVariableLength(files, app, {QStringLiteral("Batch"), length++}, report);
        const double total = seconds(Clock::now() - start);
        const double inside = seconds(clock->inside);
        own += total - inside;
        designer += inside;
        state.SetIterationTime(total);
    }
    reportOwnShare(state, own, designer);
}
BENCHMARK(BM_SetVariableLength1000Labels)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Set paths over 1,000 labels with two pictures each: every run moves every
// picture path from one folder to the other (both hold the pictures), so
// every label is changed and saved.
void BM_SetPaths1000Labels(benchmark::State &state)
{
    strovex::sim::loadKnobsFromEnvironment();
    strovex::sim::Knobs knobs = strovex::sim::knobs();
    if (qEnvironmentVariableIsEmpty("STROVEX_SIM_LATENCY_US"))
        knobs.latencyUs = 50;
    strovex::sim::setKnobs(knobs);

    QTemporaryDir dir;
    for (const char *folder : {"pictures-a", "pictures-b"}) {
        QDir(dir.path()).mkpath(QString::fromLatin1(folder));
        for (const char *picture : {"logo.bmp", "seal.bmp"}) {
            QFile f(dir.filePath(QString::fromLatin1(folder) + QLatin1Char('/') + QString::fromLatin1(picture)));
            f.open(QIODevice::WriteOnly);
            f.write("BM");
        }
    }
    QStringList files;
    for (int i = 0; i < 1000; ++i) {
        const QString path = dir.filePath(QStringLiteral("label%1.lbl").arg(i));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(R"({"SimulatedLabel": 1, "PrinterName": "Office",
            "Variables": [{"Name": "Article", "Length": 12}],
            "Objects": [{"Name": "Text1", "Kind": 301, "Contents": "Hello"},
                        {"Name": "Logo", "Kind": 303, "Contents": "pictures-a/logo.bmp"},
                        {"Name": "Barcode1", "Kind": 304, "Contents": "12345"},
                        {"Name": "Seal", "Kind": 303, "Contents": "pictures-a/seal.bmp"}]})");
        files << path;
    }

    auto clock = std::make_shared<DesignerClock>();
    const strovex::QuillApp app(std::make_shared<TimedDispatch>(strovex::sim::createApplication(), clock));
    double own = 0, designer = 0;
    bool toB = true;
    for (auto _ : state) {
        clock->inside = {};
        strovex::LinesReport report;
        const auto start = Clock::now();
        strovex::runSetPaths(files, app, toB ? QStringLiteral("pictures-a") : QStringLiteral("pictures-b"),
                             toB ? QStringLiteral("pictures-b") : QStringLiteral("pictures-a"), report);
        const double total = seconds(Clock::now() - start);
        const double inside = seconds(clock->inside);
        toB = !toB;
        // Five lines per label when both pictures moved and the label was saved.
        if (report.lines().size() != 1000 * 5
            || report.lines().indexOf(QRegularExpression(QStringLiteral("^Error"))) >= 0) {
            state.SkipWithError("the run did not change every label");
            return;
        }
        own += total - inside;
        designer += inside;
        state.SetIterationTime(total);
    }
    reportOwnShare(state, own, designer);
}
BENCHMARK(BM_SetPaths1000Labels)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
