#pragma once
// The labels the batch benchmarks run over, and their designer latency.

#include "sim/sim_designer.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace strovex::bench {

// 50 µs a designer call unless STROVEX_SIM_LATENCY_US says otherwise.
inline void useBatchLatency()
{
    sim::loadKnobsFromEnvironment();
    sim::Knobs knobs = sim::knobs();
    if (qEnvironmentVariableIsEmpty("STROVEX_SIM_LATENCY_US"))
        knobs.latencyUs = 50;
    sim::setKnobs(knobs);
}

// `count` label documents in `dir`, three variables and two objects each.
inline QStringList writeBatchLabels(const QTemporaryDir &dir, int count)
{
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QString path = dir.filePath(QStringLiteral("label%1.lbl").arg(i));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(R"({"SimulatedLabel": 1, "PrinterName": "Office",
            "Variables": [{"Name": "Article", "Length": 12}, {"Name": "Batch", "Length": 10}, {"Name": "Lot", "Length": 6}],
            "Objects": [{"Name": "Text1", "Kind": 300, "Contents": "Hello"}, {"Name": "Logo", "Kind": 303, "Contents": "logo.bmp"}]})");
        files << path;
    }
    return files;
}

} // namespace strovex::bench
