// The main of every Google Benchmark program here: a Qt application (widgets
// where the program links them, on the offscreen platform unless told
// otherwise), the simulated designer's knobs from the environment, then the
// benchmarks.

#include "sim/sim_designer.h"

#include <benchmark/benchmark.h>

#ifdef STROVEX_BENCH_WIDGETS
#include <QApplication>
using BenchApplication = QApplication;
#else
#include <QCoreApplication>
using BenchApplication = QCoreApplication;
#endif

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BenchApplication application(argc, argv);
    strovex::sim::loadKnobsFromEnvironment();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
