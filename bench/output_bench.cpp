// The generators at scale: the four command files and both graphs of a
// simulated label with N prompted variables and N objects (N = 10,000 and
// 20,000, to see how the time grows with the label). Every object shows a
// variable; N / 100 functions and databases read and write a few each.
// Half the variables have default values, half get random samples.
//
// The simulated designer answers Object.Variable and the variables of a
// function's or database's lists by searching the label's variable list, so
// with those links the graphs cost it time proportional to objects ×
// variables. The graph benchmarks therefore run twice: "linked:1" is the label
// above (one iteration), "linked:0" the same label without those links, which
// shows how the writers themselves grow with the label.
//
//   STROVEX_SIM_LATENCY_US  latency of each designer call (default 0)

#include "automation/designer.h"
#include "output/command_files.h"
#include "output/graphs.h"
#include "sim/sim_designer.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>

namespace {

using namespace strovex;

QByteArray labelDocument(int n, bool linked)
{
    QJsonArray variables;
    for (int i = 0; i < n; ++i) {
        variables.append(QJsonObject{
            {QStringLiteral("ID"), i + 1},
            {QStringLiteral("Name"), QStringLiteral("Variable %1").arg(i)},
            {QStringLiteral("Kind"), 1},
            {QStringLiteral("PromptMode"), i % 3 == 0 ? 1 : 0},
            {QStringLiteral("PromptOrder"), (i * 7919) % n},
            {QStringLiteral("Length"), 10 + i % 20},
            {QStringLiteral("InputFormat"), i % 8},
            {QStringLiteral("DefaultValue"), i % 2 ? QStringLiteral("Default & <value> %1").arg(i) : QString()},
        });
    }
    QJsonArray objects;
    for (int i = 0; i < n; ++i) {
        objects.append(QJsonObject{
            {QStringLiteral("Name"), QStringLiteral("Object-%1").arg(i)},
            {QStringLiteral("Kind"), 100},
            {QStringLiteral("Variable"), linked ? QJsonValue(QStringLiteral("Variable %1").arg((i * 31) % n)) : QJsonValue()},
        });
    }
    const auto names = [n, linked](int first, int count) {
        QJsonArray list;
        for (int k = 0; linked && k < count; ++k)
            list.append(QStringLiteral("Variable %1").arg((first + k * 97) % n));
        return list;
    };
    QJsonArray functions, databases;
    for (int i = 0; i < n / 100; ++i) {
        functions.append(QJsonObject{{QStringLiteral("Name"), QStringLiteral("Function %1").arg(i)},
                                     {QStringLiteral("InputVariables"), names(i, 3)},
                                     {QStringLiteral("OutputVariables"), names(i + 1, 2)}});
        databases.append(QJsonObject{{QStringLiteral("Name"), QStringLiteral("Database %1").arg(i)},
                                     {QStringLiteral("InputVariables"), names(i + 2, 2)},
                                     {QStringLiteral("OutputVariables"), names(i + 3, 3)}});
    }
    const QJsonObject root{
        {QStringLiteral("SimulatedLabel"), 1},
        {QStringLiteral("PrinterName"), QStringLiteral("Bench printer")},
        {QStringLiteral("Variables"), variables},
        {QStringLiteral("Objects"), objects},
        {QStringLiteral("Functions"), functions},
        {QStringLiteral("Databases"), databases},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

// One opened label per size, kept for every benchmark of the run.
struct Bench {
    QTemporaryDir dir;
    QuillApp app{sim::createApplication()};
    std::map<std::pair<int, bool>, LabelHandles> labels;

    const LabelHandles &label(int n, bool linked)
    {
        auto found = labels.find({n, linked});
        if (found != labels.end())
            return found->second;
        const QString path = dir.filePath(QStringLiteral("bench-%1-%2.lbl").arg(n).arg(int(linked)));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(labelDocument(n, linked)) < 0)
            throw std::runtime_error("cannot write the label document");
        file.close();
        const IQuillmark opened = app.OpenLabel(path);
        if (opened.isNull())
            throw std::runtime_error("cannot open the label document");
        return labels.emplace(std::pair{n, linked}, LabelHandles::fromLabel(opened)).first->second;
    }
};

Bench &bench()
{
    static Bench b;
    return b;
}

using Writer = void (*)(const LabelHandles &, const QString &);

void BM_Write(benchmark::State &state, Writer write, const char *extension)
{
    const int n = int(state.range(0));
    const LabelHandles &view = bench().label(n, state.range(1) != 0);
    const QString path = bench().dir.filePath(QStringLiteral("out") + QLatin1String(extension));
    sim::resetCallCount();
    for (auto _ : state)
        write(view, path);
    state.counters["calls"] = double(sim::callCount()) / double(state.iterations());
    state.counters["bytes"] = double(QFile(path).size());
}

} // namespace

#define COMMAND_FILE(name, writer, extension) \
    BENCHMARK_CAPTURE(BM_Write, name, writer, extension) \
        ->ArgNames({"n", "linked"})->Args({10000, 1})->Args({20000, 1})->Unit(benchmark::kMillisecond)
#define GRAPH(name, writer, extension) \
    BENCHMARK_CAPTURE(BM_Write, name, writer, extension) \
        ->ArgNames({"n", "linked"})->Args({10000, 0})->Args({20000, 0})->Unit(benchmark::kMillisecond); \
    BENCHMARK_CAPTURE(BM_Write, name, writer, extension) \
        ->ArgNames({"n", "linked"})->Args({10000, 1})->Iterations(1)->Unit(benchmark::kMillisecond)

COMMAND_FILE(job, WriteJobFile, ".job");
COMMAND_FILE(xml, WriteXmlCommandFile, ".xml");
COMMAND_FILE(csv, WriteCsvCommandFile, ".csv");
COMMAND_FILE(dat, WriteDataFile, ".dat");
GRAPH(dot, WriteDotGraph, ".dot");
GRAPH(dgml, WriteDgmlGraph, ".dgml");
