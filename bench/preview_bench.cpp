// The simulated designer's preview of documents made to cost it the most:
// full-label graphics stacked a thousand deep on a large picture, and 200,000
// graphics at the command line's default size, each either the same object
// again or each somewhere else. The counters give the work units spent
// against the budget, the objects drawn and left out, and whether the
// picture came out complete.

#include "sim/sim_preview.h"

#include <benchmark/benchmark.h>

namespace {

using namespace strovex;

struct Case {
    const char *name;
    int objects;
    bool shifted; // each object a unit further than the one before
    int width, height;
};

const Case kCases[] = {
    {"1000 full-label graphics, 6000x6000", 1'000, false, 6000, 6000},
    {"1000 full-label graphics shifted, 6000x6000", 1'000, true, 6000, 6000},
    {"200000 full-label graphics, 800x600", 200'000, false, 800, 600},
    {"200000 graphics each elsewhere, 800x600", 200'000, true, 800, 600},
};

sim::PreviewPage pageOf(const Case &c)
{
    sim::PreviewPage page;
    page.width = 10000; // 10 x 5 cm
    page.length = 5000;
    for (int i = 0; i < c.objects; ++i) {
        sim::PreviewShape s;
        s.kind = 303;
        s.left = c.shifted ? i % 5000 : 0;
        s.top = c.shifted ? (i / 5000) * 100 % 5000 : 0;
        s.width = c.shifted && c.objects > 1'000 ? 5000 : 10000;
        s.height = c.shifted && c.objects > 1'000 ? 2500 : 5000;
        page.shapes << s;
    }
    return page;
}

void BM_Preview(benchmark::State &state)
{
    const Case &c = kCases[state.range(0)];
    state.SetLabel(c.name);
    const sim::PreviewPage page = pageOf(c);
    sim::PreviewStats stats;
    for (auto _ : state)
        benchmark::DoNotOptimize(sim::renderPreviewBmp(page, c.width, c.height, &stats));
    state.counters["work"] = double(stats.work);
    state.counters["budget"] = double(sim::previewWorkBudget(c.width, c.height));
    state.counters["drawn"] = double(stats.drawn);
    state.counters["skipped"] = double(stats.skipped);
    state.counters["complete"] = stats.complete ? 1 : 0;
}
BENCHMARK(BM_Preview)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
