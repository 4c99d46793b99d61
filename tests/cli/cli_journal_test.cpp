// The journal from the command line: a run, its listing and its undo, and
// runs killed at every point of their work.

#include "cli_fixture.h"

#include "journal/run_journal.h"
#include "journal/runs_list.h"
#include "journal/undo.h"

#include <QProcess>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>

using namespace strovex;
using namespace strovex::test;

namespace {

// The journal of the commands run in this process goes to `folder` while the scope lasts.
class DataFolderScope {
public:
    explicit DataFolderScope(const QString &folder) : previous_(qgetenv("STROVEX_DATA_DIR"))
    {
        qputenv("STROVEX_DATA_DIR", folder.toLocal8Bit());
    }
    ~DataFolderScope() { qputenv("STROVEX_DATA_DIR", previous_); }
    DataFolderScope(const DataFolderScope &) = delete;
    DataFolderScope &operator=(const DataFolderScope &) = delete;

private:
    QByteArray previous_;
};

QByteArray labelDocument(int n)
{
    return QStringLiteral(R"({"SimulatedLabel": 1, "PrinterName": "Old %1", "Variables": [{"Name": "Lot", "Length": %1}]})")
        .arg(n)
        .toUtf8();
}

} // namespace

TEST_F(CliTest, ARunIsListedAndUndoneWithFixedOutput)
{
    TempDir data;
    const DataFolderScope scope(data.path());
    const QString a = dir.write(QStringLiteral("a.lbl"), labelDocument(1));
    const QString b = dir.write(QStringLiteral("b.lbl"), labelDocument(2));
    const QByteArray aBefore = readAll(a), bBefore = readAll(b);

    const CliResult run = runCliCaptured({QStringLiteral("set-printer"), QStringLiteral("Dock 9"), a, b});
    std::vector<RunSummary> runs = listRuns(journalFolder());
    ASSERT_EQ(runs.size(), 1u);
    const RunSummary kept = runs[0];
    EXPECT_EQ(run.status, CliOk);
    EXPECT_EQ(run.out, printedLines({a + QStringLiteral(" - Done."), b + QStringLiteral(" - Done."),
                                     QStringLiteral("Journal: run %1 (\"strovex-cli undo %1\" takes it back).")
                                         .arg(kept.id)}));

    const CliResult listed = runCliCaptured({QStringLiteral("runs")});
    const QString time = kept.time.toString(Qt::ISODate);
    const QString size = sizeText(kept.bytes);
    const QString idColumn = QStringLiteral("ID").leftJustified(kept.id.size() + 2);
    EXPECT_EQ(listed.status, CliOk);
    EXPECT_EQ(listed.out,
              printedLines({idColumn + QStringLiteral("TIME").leftJustified(time.size() + 2)
                                + QStringLiteral("COMMAND      LABELS  SIZE"),
                            kept.id + QStringLiteral("  ") + time + QStringLiteral("  set-printer  2       ") + size,
                            QStringLiteral("Space taken: %1 in 1 run.").arg(size)}));

    const CliResult dry = runCliCaptured({QStringLiteral("undo"), kept.id, QStringLiteral("--dry-run")});
    EXPECT_EQ(dry.status, CliOk);
    EXPECT_EQ(dry.out, printedLines({b + QStringLiteral(" - would be restored"), a + QStringLiteral(" - would be restored"),
                                     QStringLiteral("Dry run: 2 labels would have been restored.")}));

    const CliResult undone = runCliCaptured({QStringLiteral("undo"), kept.id});
    runs = listRuns(journalFolder());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(undone.status, CliOk);
    EXPECT_EQ(undone.out, printedLines({b + QStringLiteral(" - restored"), a + QStringLiteral(" - restored"),
                                        QStringLiteral("Restored 2 labels."),
                                        QStringLiteral("Journal: run %1 (\"strovex-cli undo %1\" takes it back).")
                                            .arg(runs[1].id)}));
    EXPECT_EQ(readAll(a), aBefore);
    EXPECT_EQ(readAll(b), bBefore);

    const CliResult json = runCliCaptured({QStringLiteral("runs"), QStringLiteral("--json")});
    const QJsonArray array = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(array.size(), 2);
    EXPECT_EQ(array[1][QLatin1String("command")].toString(), QStringLiteral("undo"));
    EXPECT_EQ(array[1][QLatin1String("arguments")].toArray().first().toString(), kept.id);
    EXPECT_EQ(array[0][QLatin1String("labels")].toInt(), 2);
    EXPECT_EQ(array[0][QLatin1String("time")].toString(), time);

    // Without a journal the report says the run cannot be undone, and nothing is kept.
    const CliResult unjournalled =
        runCliCaptured({QStringLiteral("set-printer"), QStringLiteral("P"), a, QStringLiteral("--no-journal")});
    EXPECT_EQ(unjournalled.out, printedLines({a + QStringLiteral(" - Done."),
                                              QStringLiteral("No journal was kept (--no-journal): this run cannot be "
                                                             "undone.")}));
    EXPECT_EQ(listRuns(journalFolder()).size(), 2u);

    const CliResult climbing = runCliCaptured({QStringLiteral("undo"), QStringLiteral("../") + kept.id});
    EXPECT_EQ(climbing.status, CliUsage);
    EXPECT_TRUE(climbing.err.startsWith(QStringLiteral("\"../%1\" is not a run id").arg(kept.id)));

    const CliResult pruned = runCliCaptured({QStringLiteral("runs"), QStringLiteral("--prune"), QStringLiteral("0")});
    EXPECT_EQ(pruned.out.left(pruned.out.indexOf(u';')), QStringLiteral("Removed 2 runs older than 0 days"));
    EXPECT_EQ(runCliCaptured({QStringLiteral("runs")}).out, QStringLiteral("No runs in the journal.\n"));
}

#ifndef _WIN32
// The program killed at each point of a run, one point after the other: every
// label is either as it was, or changed with its old bytes in the journal, and
// undo then puts back every label byte for byte.
TEST_F(CliTest, ARunKilledAtAnyPointCanBeUndoneByteForByte)
{
    constexpr int kLabels = 6;
    int points = 0;
    bool ranThrough = false;
    for (int point = 1; point < 200 && !ranThrough; ++point) {
        const TempDir work;
        const QString data = work.file(QStringLiteral("data"));
        QStringList labels;
        QList<QByteArray> before;
        for (int i = 0; i < kLabels; ++i) {
            labels << work.write(QStringLiteral("label%1.lbl").arg(i), labelDocument(i));
            before << readAll(labels.last());
        }
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("STROVEX_DATA_DIR"), data);
        environment.insert(QStringLiteral("STROVEX_SIM_KILL_POINT"), QString::number(point));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(STROVEX_CLI_PATH), QStringList{QStringLiteral("set-printer"), QStringLiteral("New")} + labels);
        ASSERT_TRUE(process.waitForFinished(60000));
        ranThrough = process.exitStatus() == QProcess::NormalExit;
        if (ranThrough) {
            EXPECT_EQ(process.exitCode(), CliOk);
        } else {
            ++points;
        }

        const QString root = journalFolder(data);
        const std::vector<RunSummary> runs = listRuns(root);
        ASSERT_LE(runs.size(), 1u) << "point " << point;
        RunManifest manifest;
        if (!runs.empty())
            manifest = readManifest(root + QLatin1Char('/') + runs[0].id);
        for (int i = 0; i < kLabels; ++i) {
            if (readAll(labels[i]) == before[i])
                continue;
            const auto kept = std::find_if(manifest.labels.begin(), manifest.labels.end(), [&](const JournalEntry &e) {
                return e.path == labels[i]
                    && readAll(root + QLatin1Char('/') + manifest.id + QLatin1Char('/') + e.bytesFile) == before[i];
            });
            EXPECT_NE(kept, manifest.labels.end()) << "point " << point << ": label " << i << " changed, not kept";
        }
        if (!runs.empty())
            undoRun(root, runs[0].id, {});
        for (int i = 0; i < kLabels; ++i)
            EXPECT_EQ(readAll(labels[i]), before[i]) << "point " << point << ": label " << i << " not restored";
    }
    EXPECT_TRUE(ranThrough);
    EXPECT_GE(points, 30);
}
#endif
