#pragma once
// Batch runs against the simulated designer over label documents in a fresh
// folder, with the journal in a folder of the test's own.

#include "journal/run_journal.h"
#include "sim/sim_designer.h"
#include "support/temp_dir.h"
#include "tools/batch_runs.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace strovex::test {

class JournalTest : public ::testing::Test {
public:
    void TearDown() override
    {
        sim::setKnobs({});
        app.release();
        EXPECT_EQ(sim::liveLabels(), 0) << "a run left a label open";
    }
    QString label(const QString &name, const QByteArray &printer = "Old")
    {
        return labels.write(name, R"({"SimulatedLabel": 1, "PrinterName": ")" + printer + R"("})");
    }
    QString root() const { return data.file(QStringLiteral("runs")); }

    // A finished Set printer run over `files`, kept in the journal; its id.
    QString journalledRun(const QStringList &files, const QString &printer = QStringLiteral("New"))
    {
        RunJournal journal(root(), QStringLiteral("set-printer"), QStringList{printer} + files);
        LinesReport report;
        runSetPrinter(files, app, printer, report, journalled({}, journal));
        journal.finish();
        return journal.id();
    }

    TempDir labels;
    TempDir data;
    QuillApp app{sim::createApplication()};
};

} // namespace strovex::test
