// Loading a large simulated label into a label view (every page filled, the
// columns fitted, the preview drawn and painted) against a bare walk that
// makes the very same designer calls with no widgets: the calls the view made
// are recorded once, then both run side by side in every iteration.
//
// Also counts the designer calls per object and per variable loaded, against
// the distinct members read for each.
//
//   STROVEX_SIM_LATENCY_US  latency of each designer call (default 0)

#include "automation/designer.h"
#include "call_recording.h"
#include "inspect/grid_pages.h"
#include "inspect/label_contents.h"
#include "inspect/label_view.h"
#include "large_label.h"
#include "sim/sim_designer.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <set>

namespace {

using namespace strovex;
using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

constexpr int kExportPreview = 57; // IQuillmark::ExportPreview

// Member names for the summary; the DispIDs are those of the typed interfaces.
const std::map<int, const char *> kObjectMembers = {
    {2, "Left"}, {3, "Top"}, {6, "Name"}, {7, "Kind"}, {9, "Status"}, {13, "Locked"}, {17, "Variable"},
    {24, "Contents"}, {25, "FontName"}, {26, "Italic"}, {27, "Bold"}, {31, "FontSize"}, {45, "Underline"},
    {46, "Strikeout"}};
const std::map<int, const char *> kVariableMembers = {
    {1, "ID"}, {2, "Name"}, {6, "Kind"}, {10, "Length"}, {22, "InputFormat"}, {26, "DefaultValue"},
    {27, "PromptMode"}, {41, "IsUsed"}, {50, "PromptOrder"}, {61, "Marked"}};

// Adds up the time spent inside designer calls; objects handed out are wrapped too.
class TimedDispatch : public Dispatch {
public:
    TimedDispatch(DispatchRef inner, std::shared_ptr<Clock::duration> inside)
        : inner_(std::move(inner)), inside_(std::move(inside))
    {
    }
    Value invoke(int dispId, CallKind kind, std::span<const Value> args) override
    {
        const auto start = Clock::now();
        Value result;
        try {
            result = inner_->invoke(dispId, kind, args);
        } catch (...) {
            *inside_ += Clock::now() - start;
            throw;
        }
        *inside_ += Clock::now() - start;
        if (auto *object = std::get_if<DispatchRef>(&result); object && *object)
            return DispatchRef(std::make_shared<TimedDispatch>(*object, inside_));
        return result;
    }

private:
    DispatchRef inner_;
    std::shared_ptr<Clock::duration> inside_;
};

// Which item of which list each slot of a recording belongs to: items come
// from Item(i) on a list the label handed out; objects an item hands out
// (an object's variable) belong to the same item.
struct ItemCalls {
    std::size_t calls = 0;              // Item(i) included
    std::set<std::pair<int, int>> distinct; // (depth, dispId): depth 0 is Item, 1 the item, 2 what it handed out
    std::map<std::pair<int, int>, int> perMember;
};

struct Attribution {
    std::map<int, ItemCalls> objects;   // by index
    std::map<int, ItemCalls> variables; // by index (Variables first, then OtherVariables offset by 1,000,000)
    std::size_t listFetches = 0;        // label.Objects(), label.Variables() ... calls
    std::size_t other = 0;
};

Attribution attribute(const bench::Recording &recording)
{
    enum class Role { None, Application, Label, ObjectList, VariableList, OtherVariableList, Object, Variable };
    struct SlotInfo {
        Role role = Role::None;
        int index = 0;
        int depth = 0;
    };
    std::vector<SlotInfo> info(std::size_t(recording.slotCount));
    info[0].role = Role::Application;
    Attribution a;
    for (const bench::RecordedStep &step : recording.steps) {
        if (step.release)
            continue;
        const bench::RecordedCall &c = step.call;
        const SlotInfo &target = info[std::size_t(c.target)];
        SlotInfo result;
        ItemCalls *item = nullptr;
        int depth = 0;
        switch (target.role) {
        case Role::Application:
            if (c.dispId == 24)
                result.role = Role::Label;
            ++a.other;
            break;
        case Role::Label:
            if (c.dispId == 11)
                result.role = Role::ObjectList;
            else if (c.dispId == 12)
                result.role = Role::VariableList;
            else if (c.dispId == 17)
                result.role = Role::OtherVariableList;
            if (c.dispId == 11 || c.dispId == 12 || c.dispId == 17)
                ++a.listFetches;
            else
                ++a.other;
            break;
        case Role::ObjectList:
        case Role::VariableList:
        case Role::OtherVariableList:
            if (c.dispId == 2 && c.kind == CallKind::Method && !c.args.empty()) {
                const int index = std::get<std::int32_t>(c.args[0]);
                result.role = target.role == Role::ObjectList ? Role::Object : Role::Variable;
                result.index = target.role == Role::OtherVariableList ? 1000000 + index : index;
                result.depth = 1;
                item = target.role == Role::ObjectList ? &a.objects[index] : &a.variables[result.index];
            } else {
                ++a.other;
            }
            break;
        case Role::Object:
        case Role::Variable:
            item = target.role == Role::Object ? &a.objects[target.index] : &a.variables[target.index];
            depth = target.depth;
            result = target;
            result.depth = target.depth + 1;
            break;
        case Role::None:
            ++a.other;
            break;
        }
        if (item) {
            ++item->calls;
            item->distinct.insert({depth, c.dispId});
            ++item->perMember[{depth, c.dispId}];
        }
        if (c.resultSlot >= 0)
            info[std::size_t(c.resultSlot)] = result;
    }
    return a;
}

struct Averages {
    double calls = 0;
    double distinct = 0;
    std::map<std::pair<int, int>, double> perMember;
};

Averages average(const std::map<int, ItemCalls> &items)
{
    Averages avg;
    if (items.empty())
        return avg;
    for (const auto &[index, item] : items) {
        avg.calls += double(item.calls);
        avg.distinct += double(item.distinct.size());
        for (const auto &[member, count] : item.perMember)
            avg.perMember[member] += count;
    }
    const double n = double(items.size());
    avg.calls /= n;
    avg.distinct /= n;
    for (auto &[member, total] : avg.perMember)
        total /= n;
    return avg;
}

void printMembers(const char *what, const Averages &avg, const std::map<int, const char *> &names)
{
    std::printf("%s: %.2f designer calls per item, %.2f distinct members per item; calls per item by member:",
                what, avg.calls, avg.distinct);
    for (const auto &[member, count] : avg.perMember) {
        const auto [depth, dispId] = member;
        const char *name = "?";
        if (depth == 0)
            name = "Item";
        else if (depth == 1 && names.count(dispId))
            name = names.at(dispId);
        else if (depth == 2 && kVariableMembers.count(dispId))
            name = kVariableMembers.at(dispId);
        std::printf(" %s%s %.2f", depth == 2 ? "Variable." : "", name, count);
    }
    std::printf("\n");
}

void BM_LabelViewLoadVersusBareWalk(benchmark::State &state)
{
    const int objectCount = int(state.range(0));
    const int variableCount = int(state.range(1));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.lbl"));
    if (!bench::writeLargeLabel(path, objectCount, variableCount)) {
        state.SkipWithError("cannot write the label document");
        return;
    }

    TLabelInfo view;
    view.PrepareGrids();
    view.resize(1000, 700);
    view.show();
    QCoreApplication::processEvents();

    const QuillApp app(sim::createApplication());

    // The calls of one load, recorded through a proxy (not timed).
    auto recording = std::make_shared<bench::Recording>();
    {
        const QuillApp recorded(bench::recordCalls(app.ref(), recording));
        if (!view.LoadLabel(recorded, path)) {
            state.SkipWithError("the view did not load the label");
            return;
        }
        QCoreApplication::processEvents();
        view.ReleaseLabel();
    }
    const std::size_t recordedCalls = recording->calls();
    // The walk draws the preview into the file the view used; it is removed after each walk.
    QStringList previewFiles;
    for (const bench::RecordedStep &step : recording->steps) {
        if (!step.release && step.call.dispId == kExportPreview && !step.call.args.empty())
            if (const auto *file = std::get_if<std::u16string>(&step.call.args[0]))
                previewFiles << toQString(*file);
    }

    double viewWall = 0, viewCpu = 0, bareWall = 0, bareCpu = 0;
    for (auto _ : state) {
        sim::resetCallCount();
        auto start = Clock::now();
        double cpu = cpuSeconds();
        const bool loaded = view.LoadLabel(app, path);
        QCoreApplication::processEvents(); // the preview page painted
        view.ReleaseLabel();
        const double viewTime = seconds(Clock::now() - start);
        viewCpu += cpuSeconds() - cpu;
        if (!loaded || sim::callCount() != recordedCalls) {
            state.SkipWithError("the view did not load the label, or made other calls than recorded");
            return;
        }

        sim::resetCallCount();
        start = Clock::now();
        cpu = cpuSeconds();
        bench::replay(*recording, app.ref());
        const double bareTime = seconds(Clock::now() - start);
        bareCpu += cpuSeconds() - cpu;
        for (const QString &picture : previewFiles)
            QFile::remove(picture);
        if (sim::callCount() != recordedCalls) {
            state.SkipWithError("the bare walk made other calls than the view");
            return;
        }

        viewWall += viewTime;
        bareWall += bareTime;
        state.SetIterationTime(viewTime);
    }
    const double n = double(state.iterations());
    state.counters["view_ms"] = benchmark::Counter(viewWall * 1000 / n);
    state.counters["bare_ms"] = benchmark::Counter(bareWall * 1000 / n);
    state.counters["ratio"] = benchmark::Counter(viewWall / bareWall);
    state.counters["view_cpu_ms"] = benchmark::Counter(viewCpu * 1000 / n);
    state.counters["bare_cpu_ms"] = benchmark::Counter(bareCpu * 1000 / n);
    state.counters["cpu_ratio"] = benchmark::Counter(viewCpu / bareCpu);
    state.counters["calls"] = benchmark::Counter(double(recordedCalls));

    // One more load through a proxy that clocks each call: the view's own time
    // is what it spends outside them (the proxy's clock readings land on both sides).
    auto inside = std::make_shared<Clock::duration>();
    {
        const QuillApp timed(std::make_shared<TimedDispatch>(app.ref(), inside));
        const auto start = Clock::now();
        view.LoadLabel(timed, path);
        QCoreApplication::processEvents();
        view.ReleaseLabel();
        const double total = seconds(Clock::now() - start);
        state.counters["view_own_ms"] = benchmark::Counter((total - seconds(*inside)) * 1000);
        state.counters["view_designer_ms"] = benchmark::Counter(seconds(*inside) * 1000);
    }

    static bool printed = false;
    if (!printed) {
        printed = true;
        const Attribution a = attribute(*recording);
        std::printf("Designer calls of one load: %zu (%zu fetches of a list from the label, %zu other calls)\n",
                    recordedCalls, a.listFetches, a.other);
        printMembers("Objects", average(a.objects), kObjectMembers);
        printMembers("Variables", average(a.variables), kVariableMembers);
        std::fflush(stdout);
    }
}
BENCHMARK(BM_LabelViewLoadVersusBareWalk)
    ->Args({10000, 5000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Column fitting alone, the largest part of the view's own time in a load:
// the Objects page (arg 0) or the Variables page (arg 1) of the same label.
void BM_GridPageFitColumns(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.lbl"));
    if (!bench::writeLargeLabel(path, 10000, 5000)) {
        state.SkipWithError("cannot write the label document");
        return;
    }
    const QuillApp app(sim::createApplication());
    const IQuillmark label = app.OpenLabel(path);
    ObjectsPage objects;
    VariablesPage variables;
    GridPage *page = state.range(0) == 0 ? static_cast<GridPage *>(&objects) : &variables;
    const LabelContents contents = readLabelContents(LabelHandles::fromLabel(label));
    if (page == &objects)
        objects.showRows(contents.objects);
    else
        variables.showRows(contents.variables);
    page->resize(1000, 600);
    page->show();
    QCoreApplication::processEvents();
    for (auto _ : state)
        page->fitColumns();
    state.SetLabel(page == &objects ? "Objects, 10,000 rows" : "Variables, 5,000 rows");
}
BENCHMARK(BM_GridPageFitColumns)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
