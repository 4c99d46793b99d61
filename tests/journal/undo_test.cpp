#include "journal_fixture.h"

#include "journal/undo.h"

#include <QDir>

#include <functional>

using namespace strovex;
using namespace strovex::test;

namespace {

QString line(const QString &path, const char *text)
{
    return path + QStringLiteral(" - ") + QLatin1String(text);
}

} // namespace

TEST_F(JournalTest, UndoRestoresTheRunsLabelsAndLeavesThoseChangedSinceUnlessForced)
{
    const QString a = label(QStringLiteral("a.lbl"));
    const QString b = label(QStringLiteral("b.lbl"));
    const QString c = label(QStringLiteral("c.lbl"));
    const QByteArray aBefore = readAll(a), bBefore = readAll(b), cBefore = readAll(c);
    // a twice: the undo must end with its bytes from before the first save.
    const QString run = journalledRun({a, b, c, a});
    const QByteArray bAfter = readAll(b);
    const QByteArray cEdited = R"({"SimulatedLabel": 1, "PrinterName": "Edited since"})";
    labels.write(QStringLiteral("c.lbl"), cEdited);

    const UndoResult dry = undoRun(root(), run, {false, true});
    EXPECT_EQ(dry.lines, (QStringList{line(a, "not changed by the run; nothing to restore"),
                                      line(c, "changed since the run; not restored"),
                                      line(b, "would be restored"), line(a, "would be restored")}));
    EXPECT_EQ(readAll(b), bAfter);
    EXPECT_TRUE(dry.journalId.isEmpty());

    const UndoResult undone = undoRun(root(), run, {});
    EXPECT_EQ(undone.lines, (QStringList{line(a, "not changed by the run; nothing to restore"),
                                         line(c, "changed since the run; not restored"), line(b, "restored"),
                                         line(a, "restored")}));
    EXPECT_EQ(undone.restored, 2);
    EXPECT_EQ(undone.notRestored, 1);
    EXPECT_EQ(readAll(a), aBefore);
    EXPECT_EQ(readAll(b), bBefore);
    EXPECT_EQ(readAll(c), cEdited);

    // Again: nothing is restored twice.
    const UndoResult again = undoRun(root(), run, {});
    EXPECT_EQ(again.restored, 0);
    EXPECT_EQ(again.lines.last(), line(a, "as before the run; nothing to restore"));
    EXPECT_TRUE(again.journalId.isEmpty());

    // Forced, the label changed since is restored after its bytes were kept.
    const UndoResult forced = undoRun(root(), run, {true, false});
    EXPECT_EQ(forced.lines[1], line(c, "changed since the run; restored"));
    EXPECT_EQ(readAll(c), cBefore);
    ASSERT_FALSE(forced.journalId.isEmpty());
    const RunManifest kept = readManifest(root() + QLatin1Char('/') + forced.journalId);
    EXPECT_EQ(kept.command, QStringLiteral("undo"));
    EXPECT_EQ(kept.arguments, (QStringList{run, QStringLiteral("--force")}));

    // And the undo itself can be undone.
    const UndoResult redo = undoRun(root(), forced.journalId, {});
    EXPECT_EQ(redo.restored, 1);
    EXPECT_EQ(readAll(c), cEdited);
}

// A run over two labels, then one fault; `first` is the label the fault is
// about, `second` a label beside it.
struct Sabotage {
    const char *name;
    std::function<void(JournalTest &, const QString &folder, const QString &first)> apply;
    QString firstLine;   // empty: the whole undo is refused and nothing restored
    QString wholeRefusal; // part of the refusal's message
};

class UndoFault : public JournalTest, public ::testing::WithParamInterface<Sabotage> {};

TEST_P(UndoFault, RefusesWhatItCannotTrustAndRestoresTheRest)
{
    const Sabotage &c = GetParam();
    QDir(labels.path()).mkdir(QStringLiteral("sub"));
    const QString first = label(QStringLiteral("sub/first.lbl"));
    const QString second = label(QStringLiteral("second.lbl"));
    const QByteArray secondBefore = readAll(second);
    const QString run = journalledRun({first, second});
    const QByteArray secondAfter = readAll(second);
    const QString folder = root() + QLatin1Char('/') + run;
    c.apply(*this, folder, first);
    // What the name leads to now, which a refused label must keep.
    const QByteArray firstNow = readAll(first);

    if (c.firstLine.isEmpty()) {
        try {
            undoRun(root(), c.wholeRefusal == u"not a run id" ? QStringLiteral("../runs/") + run : run, {});
            ADD_FAILURE() << "the undo was not refused";
        } catch (const JournalError &e) {
            EXPECT_TRUE(e.message().contains(c.wholeRefusal)) << e.message().toStdString();
        }
        EXPECT_EQ(readAll(second), secondAfter);
        return;
    }
    const UndoResult result = undoRun(root(), run, {});
    EXPECT_EQ(result.lines, (QStringList{line(second, "restored"), first + QStringLiteral(" - ") + c.firstLine}));
    EXPECT_EQ(readAll(second), secondBefore);
    EXPECT_EQ(result.notRestored, 1);
    EXPECT_EQ(readAll(first), firstNow);
}

namespace {

void plantLink(const QString &at, const QString &to)
{
    QFile::rename(at, at + QStringLiteral(".moved"));
    ASSERT_TRUE(QFile::link(to, at));
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Journal, UndoFault,
    ::testing::Values(
        Sabotage{"KeptCopyAltered",
                 [](JournalTest &, const QString &folder, const QString &) {
                     QFile file(folder + QStringLiteral("/1.bytes"));
                     ASSERT_TRUE(file.open(QIODevice::Append));
                     file.write("x");
                 },
                 QStringLiteral("Error: the journal's copy is damaged or missing; not restored"), {}},
        Sabotage{"KeptCopyMissing",
                 [](JournalTest &, const QString &folder, const QString &) {
                     ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/1.bytes")));
                 },
                 QStringLiteral("Error: the journal's copy is damaged or missing; not restored"), {}},
        Sabotage{"LinkPlantedAtTheLabel",
                 [](JournalTest &t, const QString &, const QString &first) {
                     plantLink(first, t.labels.write(QStringLiteral("elsewhere.lbl"), "keep me"));
                 },
                 QStringLiteral("Error: the label's name now leads to another file; not restored"), {}},
        Sabotage{"LinkPlantedForTheFolderAbove",
                 [](JournalTest &t, const QString &, const QString &first) {
                     QDir(t.labels.path()).mkdir(QStringLiteral("other"));
                     QFile::copy(first, t.labels.file(QStringLiteral("other/first.lbl")));
                     plantLink(t.labels.file(QStringLiteral("sub")), t.labels.file(QStringLiteral("other")));
                 },
                 QStringLiteral("Error: the label's name now leads to another file; not restored"), {}},
        Sabotage{"ManifestDamaged",
                 [](JournalTest &, const QString &folder, const QString &) {
                     QFile file(folder + QStringLiteral("/manifest.json"));
                     ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                     file.write("{\"format\": 1, \"labels\": [");
                 },
                 {}, QStringLiteral("is damaged")},
        Sabotage{"ManifestMissing",
                 [](JournalTest &, const QString &folder, const QString &) {
                     ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/manifest.json")));
                 },
                 {}, QStringLiteral("cannot be read")},
        Sabotage{"RunFolderIsALink",
                 [](JournalTest &, const QString &folder, const QString &) { plantLink(folder, folder + QStringLiteral(".moved")); },
                 {}, QStringLiteral("is a symbolic link")},
        Sabotage{"JournalFolderIsALink",
                 [](JournalTest &t, const QString &, const QString &) {
                     plantLink(t.root(), t.root() + QStringLiteral(".moved"));
                 },
                 {}, QStringLiteral("is a symbolic link")},
        Sabotage{"RunIdClimbsOut", [](JournalTest &, const QString &, const QString &) {}, {},
                 QStringLiteral("not a run id")}),
    [](const ::testing::TestParamInfo<Sabotage> &info) { return std::string(info.param.name); });

TEST_F(JournalTest, ASecondUndoOfARunInHandIsRefusedAndRestoresNothing)
{
    const QString a = label(QStringLiteral("a.lbl"));
    const QString run = journalledRun({a});
    const QByteArray after = readAll(a);
    {
        const std::unique_ptr<QLockFile> first = lockRun(root() + QLatin1Char('/') + run);
        ASSERT_TRUE(first);
        EXPECT_THROW(undoRun(root(), run, {}), JournalError);
        EXPECT_EQ(readAll(a), after);
    }
    EXPECT_EQ(undoRun(root(), run, {}).restored, 1);
}
