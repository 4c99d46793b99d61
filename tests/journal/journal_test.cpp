#include "journal_fixture.h"

#include "journal/runs_list.h"

#include <QDir>

using namespace strovex;
using namespace strovex::test;

namespace {

const QByteArray kSaveRefused =
    R"({"SimulatedLabel": 1, "PrinterName": "Old", "Faults": {"Save": {"Return": false, "ErrorText": "Disk full"}}})";

} // namespace

TEST_F(JournalTest, KeepsEachLabelsBytesBeforeTheSaveAndItsNewHashAfter)
{
    const QString changed = label(QStringLiteral("a.lbl"));
    const QString refused = labels.write(QStringLiteral("refused.lbl"), kSaveRefused);
    const QString missing = labels.file(QStringLiteral("missing.lbl"));
    const QByteArray before = readAll(changed);

    RunJournal journal(root(), QStringLiteral("set-printer"), {QStringLiteral("New"), changed});
    RunHooks hooks = journalled({}, journal);
    int saves = 0;
    hooks.save = [&](const IQuillmark &opened) {
        // What a kill here would leave: the label's bytes and its record on disk.
        const RunManifest onDisk = readManifest(journal.folder());
        EXPECT_EQ(onDisk.labels.size(), std::size_t(saves + 1));
        const JournalEntry &entry = onDisk.labels.back();
        EXPECT_TRUE(entry.newSha.isEmpty());
        EXPECT_EQ(readAll(journal.folder() + QLatin1Char('/') + entry.bytesFile), readAll(entry.target));
        ++saves;
        return opened.Save();
    };
    LinesReport report;
    runSetPrinter({changed, missing, refused}, app, QStringLiteral("New"), report, hooks);
    journal.finish();

    EXPECT_EQ(saves, 2);
    const RunManifest manifest = readManifest(journal.folder());
    EXPECT_TRUE(manifest.finished);
    EXPECT_EQ(manifest.command, QStringLiteral("set-printer"));
    EXPECT_EQ(manifest.arguments, (QStringList{QStringLiteral("New"), changed}));
    ASSERT_EQ(manifest.labels.size(), 2u);
    const JournalEntry &first = manifest.labels[0];
    EXPECT_EQ(first.path, QFileInfo(changed).absoluteFilePath());
    EXPECT_EQ(first.size, before.size());
    EXPECT_EQ(first.oldSha, sha256Hex(before));
    EXPECT_EQ(first.newSha, sha256Hex(readAll(changed)));
    EXPECT_NE(first.newSha, first.oldSha);
    EXPECT_EQ(first.outcome, changed + QStringLiteral(" - Done."));
    EXPECT_EQ(readAll(journal.folder() + QLatin1Char('/') + first.bytesFile), before);
    // A refused save leaves the label as it was, and the journal says so.
    EXPECT_EQ(manifest.labels[1].newSha, manifest.labels[1].oldSha);
    EXPECT_TRUE(manifest.labels[1].outcome.startsWith(refused + QStringLiteral(" - Error: Printer \"New\" cannot be set!")));
    EXPECT_EQ(manifest.labelsChanged(), 1);
}

TEST_F(JournalTest, ALabelWhoseCopyCannotBeKeptIsNotSavedAndTheLogSaysWhy)
{
    const QString first = labels.write(QStringLiteral("first.lbl"),
                                       R"({"SimulatedLabel": 1, "Variables": [{"Name": "Lot", "Length": 5}]})");
    const QString second = labels.write(QStringLiteral("second.lbl"),
                                        R"({"SimulatedLabel": 1, "Variables": [{"Name": "Lot", "Length": 5}]})");
    const QByteArray firstBefore = readAll(first);

    RunJournal journal(root(), QStringLiteral("set-variable-length"), {});
    // A folder where the first copy would go: the copy cannot be written.
    ASSERT_TRUE(QDir().mkdir(journal.folder() + QStringLiteral("/1.bytes")));
    LinesReport report;
    runSetVariableLength({first, second}, app, {QStringLiteral("Lot"), 9}, report, journalled({}, journal));
    journal.finish();

    EXPECT_EQ(readAll(first), firstBefore);
    const QStringList lines = report.lines();
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("Error: Label \"%1\" was not saved: its copy for undo cannot be "
                                                   "kept. The copy \"%2/1.bytes\" cannot be written.")
                                        .arg(first, journal.folder())))
        << lines[4].toStdString();
    // The next label is kept and saved as usual.
    EXPECT_EQ(lines.mid(lines.size() - 2), (QStringList{QStringLiteral("Done"), QStringLiteral(" ")}));
    const RunManifest manifest = readManifest(journal.folder());
    ASSERT_EQ(manifest.labels.size(), 1u);
    EXPECT_EQ(manifest.labels[0].path, second);
}

TEST_F(JournalTest, ARunThatSavedNothingLeavesNoFolder)
{
    const QString missing = labels.file(QStringLiteral("missing.lbl"));
    const QString id = journalledRun({missing});
    EXPECT_FALSE(QFileInfo::exists(root() + QLatin1Char('/') + id));
    EXPECT_TRUE(listRuns(root()).empty());
}

TEST_F(JournalTest, RunsAreListedWithTheirSpaceAndOldOnesPruned)
{
    const QString a = label(QStringLiteral("a.lbl"));
    const QString b = label(QStringLiteral("b.lbl"));
    const QString first = journalledRun({a, b});
    const QString second = journalledRun({a}, QStringLiteral("Newer"));
    ASSERT_NE(first, second);
    // A run whose manifest was damaged is listed all the same, and says so.
    QDir().mkpath(root() + QStringLiteral("/20000101-000000"));
    data.write(QStringLiteral("runs/20000101-000000/manifest.json"), "{");
    // Not runs: a link and a name no run has.
    QFile::link(root() + QLatin1Char('/') + first, root() + QStringLiteral("/linked"));
    QDir().mkpath(root() + QStringLiteral("/not a run"));

    std::vector<RunSummary> runs = listRuns(root());
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].id, first);
    EXPECT_EQ(runs[0].command, QStringLiteral("set-printer"));
    EXPECT_EQ(runs[0].labels, 2);
    EXPECT_TRUE(runs[0].finished);
    EXPECT_GT(runs[0].bytes, readAll(a).size() + readAll(b).size());
    EXPECT_EQ(runs[1].id, second);
    EXPECT_EQ(runs[1].labels, 1);
    // Dated by its folder, which was made last.
    EXPECT_EQ(runs[2].id, QStringLiteral("20000101-000000"));
    EXPECT_TRUE(runs[2].problem.contains(QStringLiteral("is damaged"))) << runs[2].problem.toStdString();

    // The run a run or undo holds stays.
    const std::unique_ptr<QLockFile> held = lockRun(root() + QLatin1Char('/') + second);
    ASSERT_TRUE(held);
    const PruneResult pruned = pruneRuns(root(), 1, QDateTime::currentDateTimeUtc().addDays(2));
    EXPECT_EQ(pruned.removed, 2);
    EXPECT_EQ(pruned.inUse, QStringList{second});
    EXPECT_TRUE(QFileInfo::exists(root() + QStringLiteral("/not a run")));
    runs = listRuns(root());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].id, second);
    EXPECT_EQ(pruneRuns(root(), 1, QDateTime::currentDateTimeUtc()).removed, 0);
}

TEST(SizeText, BytesThenBinaryUnitsWithOneDecimal)
{
    const std::pair<qint64, const char *> cases[] = {
        {0, "0 bytes"}, {1023, "1023 bytes"}, {1024, "1.0 KB"}, {1536, "1.5 KB"},
        {5 * 1024 * 1024, "5.0 MB"}, {qint64(3) << 30, "3.0 GB"},
    };
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(sizeText(bytes), QString::fromLatin1(text)) << bytes;
}
