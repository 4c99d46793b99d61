#include "tools/batch_runs.h"
#include "tools/extract_scripts.h"

#include "sim/sim_designer.h"
#include "support/keyed_calls.h"
#include "support/temp_dir.h"
#include "print_qt.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace strovex {
void PrintTo(const LinesReport::Reason &reason, std::ostream *os)
{
    *os << reason.line << ' ' << reason.path.toStdString() << ": " << reason.text.toStdString();
}
} // namespace strovex

using namespace strovex;
using strovex::test::readAll;
using strovex::test::TempDir;

namespace {

// Every run goes to the simulated designer over label documents in a fresh folder.
class BatchRun : public ::testing::Test {
protected:
    void TearDown() override
    {
        sim::setKnobs({});
        app.release();
        EXPECT_EQ(sim::liveLabels(), 0) << "a run left a label open";
    }
    QString label(const QString &name, const QByteArray &json) { return dir.write(name, json); }
    static QJsonObject reread(const QString &path) { return QJsonDocument::fromJson(readAll(path)).object(); }
    QString missing() const { return dir.file(QStringLiteral("missing.lbl")); }
    QString cannotOpenDetails(const QString &path) const
    {
        return QStringLiteral(" Details: Cannot open label file\r\nThe file \"%1\" does not exist.").arg(path);
    }

    TempDir dir;
    QuillApp app{sim::createApplication()};
    LinesReport report;
};

const QByteArray kSaveRefused = R"("Save": {"Return": false, "ErrorText": "Disk full", "ErrorDetail": "No space left"})";

} // namespace

// ---------------------------------------------------------------- Set printer

TEST_F(BatchRun, SetPrinterAnnotatesEveryLineAndSavesWhatItCan)
{
    const QString ok = label(QStringLiteral("ok.lbl"), R"({"SimulatedLabel": 1, "PrinterName": "Old", "Extra": [1, 2]})");
    const QString refused = label(QStringLiteral("refused.lbl"),
                                  R"({"SimulatedLabel": 1, "PrinterName": "Old", "Faults": {)" + kSaveRefused + "}}");
    const QByteArray refusedBefore = readAll(refused);
    // A typed name holding a place marker is sent and quoted as typed.
    const QString printer = QStringLiteral("Zebra %1 on \\\\srv");

    runSetPrinter({ok, missing(), refused, ok}, app, printer, report);

    EXPECT_EQ(report.lines(), (QStringList{
                                  ok + QStringLiteral(" - Done."),
                                  missing() + QStringLiteral(" - Error: Cannot open label."),
                                  refused + QStringLiteral(" - Error: Printer \"Zebra %1 on \\\\srv\" cannot be set! "
                                                           "Details: Disk full\r\nNo space left"),
                                  ok + QStringLiteral(" - Done."),
                              }));
    const QJsonObject saved = reread(ok);
    EXPECT_EQ(saved.value(QLatin1String("PrinterName")).toString(), printer);
    EXPECT_EQ(saved.value(QLatin1String("Extra")).toArray().size(), 2);
    EXPECT_EQ(readAll(refused), refusedBefore);
}

TEST_F(BatchRun, SetPrinterRunsAgainFromThePlainNamesAndSendsAnEmptyName)
{
    const QString ok = label(QStringLiteral("ok.lbl"), R"({"SimulatedLabel": 1, "PrinterName": "Old"})");
    runSetPrinter({ok}, app, QStringLiteral("First"), report);
    runSetPrinter({ok}, app, QString(), report);
    EXPECT_EQ(report.lines(), QStringList{ok + QStringLiteral(" - Done.")});
    EXPECT_EQ(reread(ok).value(QLatin1String("PrinterName")).toString(), QString());
}

TEST_F(BatchRun, SetPrinterLeavesALabelAnotherDesignerHoldsAsItWas)
{
    const QString held = label(QStringLiteral("held.lbl"), R"({"SimulatedLabel": 1, "PrinterName": "Old"})");
    const QString free = label(QStringLiteral("free.lbl"), R"({"SimulatedLabel": 1, "PrinterName": "Old"})");
    const QByteArray before = readAll(held);
    QuillApp other(sim::createApplication());
    IQuillmark holding = other.OpenLabel(held);
    ASSERT_FALSE(holding.isNull());

    runSetPrinter({held, free}, app, QStringLiteral("New"), report);

    EXPECT_EQ(report.lines(), (QStringList{held + QStringLiteral(" - Error: Cannot open label."), free + QStringLiteral(" - Done.")}));
    EXPECT_EQ(readAll(held), before);
    EXPECT_EQ(reread(free).value(QStringLiteral("PrinterName")), QStringLiteral("New"));
    holding.release();
}

TEST_F(BatchRun, SetPrinterEmptyListReportsNothing)
{
    report.reset({QStringLiteral("earlier")});
    runSetPrinter({}, app, QStringLiteral("P"), report);
    EXPECT_TRUE(report.lines().isEmpty());
}

TEST_F(BatchRun, SetPrinterFailingCallEndsTheRunKeepingEarlierLines)
{
    const QString a = label(QStringLiteral("a.lbl"), R"({"SimulatedLabel": 1})");
    const QString b = label(QStringLiteral("b.lbl"),
                            R"({"SimulatedLabel": 1, "Faults": {"PrinterName=": {"Raise": "Printer rejected"}}})");
    const QString c = label(QStringLiteral("c.lbl"), R"({"SimulatedLabel": 1})");
    const QByteArray cBefore = readAll(c);
    EXPECT_THROW(runSetPrinter({a, b, c}, app, QStringLiteral("P"), report), AutomationError);
    EXPECT_EQ(report.lines(), (QStringList{a + QStringLiteral(" - Done."), b, c}));
    EXPECT_EQ(readAll(c), cBefore);
}

// ---------------------------------------------------------------- Set paths

TEST(SetPathsText, TrimAndFirstOccurrenceWithOnlyAsciiLettersFolded)
{
    EXPECT_EQ(trimControls(QStringLiteral("\t \x01 C:\\Pics \r\n")), QStringLiteral("C:\\Pics"));
    EXPECT_EQ(trimControls(QStringLiteral("\u00A0x\u00A0")), QStringLiteral("\u00A0x\u00A0"));
    EXPECT_EQ(trimControls(QStringLiteral(" \x1F ")), QString());

    const struct {
        const char16_t *haystack;
        const char16_t *needle;
        qsizetype at;
    } cases[] = {
        {u"C:\\old\\old.bmp", u"old", 3},  {u"c:\\pics\\logo.bmp", u"C:\\Pics", 0},
        {u"X\\ÉTÉ\\a.bmp", u"été", -1},    {u"X\\ÉTÉ\\a.bmp", u"ÉTÉ", 2},
        {u"abc", u"", -1},                 {u"ab", u"abc", -1},
        {u"aab", u"ab", 1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(indexOfAsciiFolded(QString::fromUtf16(c.haystack), QString::fromUtf16(c.needle)), c.at)
            << QString::fromUtf16(c.haystack).toStdString();
    }
}

TEST_F(BatchRun, SetPathsLogsChangesRefusalsAndSavesOnlyChangedLabels)
{
    const QString pics = dir.path() + QStringLiteral("/Pics");
    const QString art = dir.path() + QStringLiteral("/Art");
    dir.write(QStringLiteral("Art/logo.bmp"), "BM");
    dir.write(QStringLiteral("Art/exists.bmp"), "BM");
    const QByteArray graphics = QStringLiteral(R"({"SimulatedLabel": 1, "Objects": [
        {"Name": "Logo", "Kind": 303, "Contents": "%1/PICS/logo.bmp"},
        {"Name": "Caption", "Kind": 300, "Contents": "%1/Pics/text.bmp"},
        {"Name": "Stamp", "Kind": 303, "Contents": "%1/Pics/stamp.bmp"},
        {"Name": "Other", "Kind": 303, "Contents": "/elsewhere/x.bmp"}]})")
                                    .arg(dir.path())
                                    .toUtf8();
    const QString changed = label(QStringLiteral("changed.lbl"), graphics);
    const QString none = label(QStringLiteral("none.lbl"),
                               R"({"SimulatedLabel": 1, "Objects": [{"Name": "T", "Kind": 300, "Contents": "x"}]})");
    const QString noMatch = label(QStringLiteral("nomatch.lbl"),
                                  R"({"SimulatedLabel": 1, "Objects": [{"Kind": 303, "Contents": "/else/a.bmp"}]})");
    const QString refusedExisting = label(
        QStringLiteral("refused.lbl"),
        QStringLiteral(R"({"SimulatedLabel": 1, "Objects": [{"Kind": 303, "Contents": "%1/Pics/exists.bmp"}],
            "Faults": {"Objects[1].SetFileName": {"Return": -1, "ErrorText": "Locked", "ErrorDetail": ""}}})")
            .arg(dir.path())
            .toUtf8());
    const QByteArray noneBefore = readAll(none), noMatchBefore = readAll(noMatch), refusedBefore = readAll(refusedExisting);
    const QString newTyped = QStringLiteral("  ") + art + QStringLiteral("\t");

    runSetPaths({changed, missing(), none, noMatch, refusedExisting}, app, QStringLiteral(" ") + pics + QStringLiteral("\n"),
                newTyped, report);

    const QString p = dir.path();
    EXPECT_EQ(report.lines(), (QStringList{
        QStringLiteral("Changing paths for graphics in \"%1\"").arg(changed),
        QStringLiteral("Changing path from \"%1/PICS/logo.bmp\" to \"%1/Art/logo.bmp\"").arg(p),
        QStringLiteral("Changing path from \"%1/Pics/stamp.bmp\" to \"%1/Art/stamp.bmp\"").arg(p),
        QStringLiteral("Error: Path \"%1\" cannot be set because file \"%2/Art/stamp.bmp\" does not exist! "
                       "Details: Cannot set picture file\r\nThe file \"%2/Art/stamp.bmp\" does not exist.")
            .arg(newTyped, p),
        QStringLiteral("Done"),
        QStringLiteral(" "),
        QStringLiteral("Error: Cannot open label.") + cannotOpenDetails(missing()),
        QStringLiteral("Changing paths for graphics in \"%1\"").arg(none),
        QStringLiteral("No graphics files found."),
        QStringLiteral(" "),
        QStringLiteral("Changing paths for graphics in \"%1\"").arg(noMatch),
        QStringLiteral(" "),
        QStringLiteral("Changing paths for graphics in \"%1\"").arg(refusedExisting),
        QStringLiteral("Changing path from \"%1/Pics/exists.bmp\" to \"%1/Art/exists.bmp\"").arg(p),
        QStringLiteral("Error: Path \"%1\" cannot be set! Details: Locked").arg(newTyped),
        QStringLiteral(" "),
    }));

    const QJsonArray objects = reread(changed).value(QLatin1String("Objects")).toArray();
    EXPECT_EQ(objects[0].toObject().value(QLatin1String("Contents")).toString(), art + QStringLiteral("/logo.bmp"));
    EXPECT_EQ(objects[1].toObject().value(QLatin1String("Contents")).toString(), p + QStringLiteral("/Pics/text.bmp"));
    EXPECT_EQ(objects[2].toObject().value(QLatin1String("Contents")).toString(), p + QStringLiteral("/Pics/stamp.bmp"));
    EXPECT_EQ(readAll(none), noneBefore);
    EXPECT_EQ(readAll(noMatch), noMatchBefore);
    EXPECT_EQ(readAll(refusedExisting), refusedBefore);
}

TEST_F(BatchRun, SetPathsReplacesOnlyTheFirstOccurrenceWithoutAdjustingSeparators)
{
    // Drive paths are kept as they are by the designer; none exists here, so each
    // change is refused and the log shows the path that was asked for.
    const QString l = label(QStringLiteral("l.lbl"), R"({"SimulatedLabel": 1, "Objects": [
        {"Kind": 303, "Contents": "C:\\old\\old.bmp"}, {"Kind": 303, "Contents": "C:\\Pics\\logo.bmp"}]})");
    const struct {
        QString oldPath, newPath, first, second;
    } cases[] = {
        {QStringLiteral("old"), QStringLiteral("new"), QStringLiteral("C:\\new\\old.bmp"), QString()},
        {QStringLiteral("C:\\Pics\\"), QStringLiteral("D:\\Art"), QString(), QStringLiteral("D:\\Artlogo.bmp")},
        {QStringLiteral("\\Pics"), QString(), QString(), QStringLiteral("C:\\logo.bmp")},
    };
    for (const auto &c : cases) {
        runSetPaths({l}, app, c.oldPath, c.newPath, report);
        QStringList changes;
        for (const QString &line : report.lines()) {
            if (line.startsWith(QStringLiteral("Changing path from")))
                changes << line;
        }
        QStringList expected;
        if (!c.first.isEmpty())
            expected << QStringLiteral("Changing path from \"C:\\old\\old.bmp\" to \"%1\"").arg(c.first);
        if (!c.second.isEmpty())
            expected << QStringLiteral("Changing path from \"C:\\Pics\\logo.bmp\" to \"%1\"").arg(c.second);
        EXPECT_EQ(changes, expected) << c.oldPath.toStdString();
    }
}

TEST_F(BatchRun, SetPathsEmptyOldPathChangesNothing)
{
    const QString l = label(QStringLiteral("l.lbl"), R"({"SimulatedLabel": 1, "Objects": [{"Kind": 303, "Contents": "/a.bmp"}]})");
    const QString n = label(QStringLiteral("n.lbl"), R"({"SimulatedLabel": 1})");
    runSetPaths({l, n}, app, QStringLiteral(" \t"), QStringLiteral("/x"), report);
    EXPECT_EQ(report.lines(), (QStringList{
                                  QStringLiteral("Changing paths for graphics in \"%1\"").arg(l),
                                  QStringLiteral(" "),
                                  QStringLiteral("Changing paths for graphics in \"%1\"").arg(n),
                                  QStringLiteral("No graphics files found."),
                                  QStringLiteral(" "),
                              }));
}

TEST_F(BatchRun, SetPathsSaveRefusedAndFailingCall)
{
    dir.write(QStringLiteral("new/a.bmp"), "BM");
    const QString refused = label(QStringLiteral("r.lbl"),
                                  QStringLiteral(R"({"SimulatedLabel": 1, "Objects": [{"Kind": 303, "Contents": "%1/old/a.bmp"}],
                                      "Faults": {%2}})").arg(dir.path(), QString::fromUtf8(kSaveRefused)).toUtf8());
    const QString failing = label(QStringLiteral("f.lbl"),
                                  QStringLiteral(R"({"SimulatedLabel": 1, "Objects": [{"Kind": 303, "Contents": "%1/old/a.bmp"},
                                      {"Kind": 303, "Contents": "%1/old/b.bmp"}],
                                      "Faults": {"Objects[2].Contents": {"Raise": "Object gone"}}})").arg(dir.path()).toUtf8());
    const QByteArray failingBefore = readAll(failing);
    const QString oldPath = dir.path() + QStringLiteral("/old"), newPath = dir.path() + QStringLiteral("/new");
    EXPECT_THROW(runSetPaths({refused, failing, refused}, app, oldPath, newPath, report), AutomationError);
    EXPECT_EQ(report.lines(), (QStringList{
        QStringLiteral("Changing paths for graphics in \"%1\"").arg(refused),
        QStringLiteral("Changing path from \"%1/a.bmp\" to \"%2/a.bmp\"").arg(oldPath, newPath),
        QStringLiteral("Error: Label \"%1\" cannot be saved! Details: Disk full\r\nNo space left").arg(refused),
        QStringLiteral(" "),
        QStringLiteral("Changing paths for graphics in \"%1\"").arg(failing),
        QStringLiteral("Changing path from \"%1/a.bmp\" to \"%2/a.bmp\"").arg(oldPath, newPath),
    }));
    // The first graphic of the failing label was pointed elsewhere but the label was never saved.
    EXPECT_EQ(readAll(failing), failingBefore);
}

// ---------------------------------------------------------------- Set variable length

TEST(SetVariableRequestCheck, EmptyNameOrNoWholeNumberMeansNoRun)
{
    EXPECT_FALSE(setVariableRequest(QString(), QStringLiteral("5")));
    EXPECT_FALSE(setVariableRequest(QStringLiteral("Batch"), QString()));
    EXPECT_FALSE(setVariableRequest(QStringLiteral("Batch"), QStringLiteral("ten")));
    const auto request = setVariableRequest(QStringLiteral(" Batch "), QStringLiteral("  $1A"));
    ASSERT_TRUE(request);
    EXPECT_EQ(request->name, QStringLiteral(" Batch ")); // used exactly as typed
    EXPECT_EQ(request->newLength, 26);
}

TEST_F(BatchRun, SetVariableLengthLog)
{
    const QString other = label(QStringLiteral("other.lbl"),
                                R"({"SimulatedLabel": 1, "Variables": [{"Name": "Batch", "Length": 10}, {"Name": "Lot", "Length": 4}]})");
    const QString same = label(QStringLiteral("same.lbl"), R"({"SimulatedLabel": 1, "Variables": [{"Name": "Batch", "Length": 20}]})");
    const QString without = label(QStringLiteral("without.lbl"),
                                  R"({"SimulatedLabel": 1, "Variables": [{"Name": "Lot", "Length": 4}],
                                      "OtherVariables": [{"Name": "Batch", "Length": 4}]})");
    const QString refused = label(QStringLiteral("refused.lbl"),
                                  R"({"SimulatedLabel": 1, "Variables": [{"Name": "Batch", "Length": 1}], "Faults": {)" + kSaveRefused + "}}");
    const QByteArray sameBefore = readAll(same), withoutBefore = readAll(without);

    runSetVariableLength({other, missing(), same, without, refused}, app, {QStringLiteral("Batch"), 20}, report);

    EXPECT_EQ(report.lines(), (QStringList{
        QStringLiteral("Opening \"%1\"").arg(other),
        QStringLiteral("Changing variable length for variable \"Batch\" in \"%1\"").arg(other),
        QStringLiteral("Old length: 10; New length: 20"),
        QStringLiteral("Saving \"%1\"").arg(other),
        QStringLiteral("Done"),
        QStringLiteral(" "),
        QStringLiteral("Opening \"%1\"").arg(missing()),
        QStringLiteral("Error: Cannot open label."),
        QStringLiteral("Opening \"%1\"").arg(same),
        QStringLiteral("Done"),
        QStringLiteral(" "),
        QStringLiteral("Opening \"%1\"").arg(without),
        QStringLiteral("Variable \"Batch\" does not exist\""),
        QStringLiteral("Done"),
        QStringLiteral(" "),
        QStringLiteral("Opening \"%1\"").arg(refused),
        QStringLiteral("Changing variable length for variable \"Batch\" in \"%1\"").arg(refused),
        QStringLiteral("Old length: 1; New length: 20"),
        QStringLiteral("Saving \"%1\"").arg(refused),
        QStringLiteral("Error: Label \"%1\" cannot be saved! Details: Disk full\r\nNo space left").arg(refused),
        QStringLiteral(" "),
    }));
    const QJsonArray vars = reread(other).value(QLatin1String("Variables")).toArray();
    EXPECT_EQ(vars[0].toObject().value(QLatin1String("Length")).toInt(), 20);
    EXPECT_EQ(vars[1].toObject().value(QLatin1String("Length")).toInt(), 4);
    EXPECT_EQ(readAll(same), sameBefore);
    EXPECT_EQ(readAll(without), withoutBefore);
}

TEST_F(BatchRun, SetVariableLengthRejectedByTheDesignerEndsTheRun)
{
    // The designer refuses a length below 1 by raising.
    const QString a = label(QStringLiteral("a.lbl"), R"({"SimulatedLabel": 1, "Variables": [{"Name": "Batch", "Length": 10}]})");
    const QString b = label(QStringLiteral("b.lbl"), R"({"SimulatedLabel": 1, "Variables": [{"Name": "Batch", "Length": 10}]})");
    const QByteArray aBefore = readAll(a), bBefore = readAll(b);
    EXPECT_THROW(runSetVariableLength({a, b}, app, {QStringLiteral("Batch"), -3}, report), AutomationError);
    EXPECT_EQ(report.lines(), (QStringList{
                                  QStringLiteral("Opening \"%1\"").arg(a),
                                  QStringLiteral("Changing variable length for variable \"Batch\" in \"%1\"").arg(a),
                                  QStringLiteral("Old length: 10; New length: -3"),
                              }));
    EXPECT_EQ(readAll(a), aBefore);
    EXPECT_EQ(readAll(b), bBefore);
}

TEST_F(BatchRun, DesignerThatStopsMidRunLeavesNoLabelHalfChanged)
{
    // Every call after the Nth fails, for every N a run can reach: the report
    // keeps its lines, and each label file is either untouched or fully saved.
    const QString a = label(QStringLiteral("a.lbl"), R"({"SimulatedLabel": 1, "Variables": [{"Name": "V", "Length": 1}]})");
    const QString b = label(QStringLiteral("b.lbl"), R"({"SimulatedLabel": 1, "Variables": [{"Name": "V", "Length": 1}]})");
    const QByteArray aBefore = readAll(a), bBefore = readAll(b);
    const auto lengthOf = [](const QString &path) {
        return reread(path).value(QLatin1String("Variables")).toArray()[0].toObject().value(QLatin1String("Length")).toInt();
    };
    for (std::uint64_t n = 1;; ++n) {
        QFile::remove(a);
        QFile::remove(b);
        dir.write(QStringLiteral("a.lbl"), aBefore);
        dir.write(QStringLiteral("b.lbl"), bBefore);
        sim::Knobs knobs;
        knobs.stopAfter = n;
        sim::setKnobs(knobs);
        LinesReport lines;
        bool failed = false;
        try {
            runSetVariableLength({a, b}, app, {QStringLiteral("V"), 7}, lines);
        } catch (const AutomationError &) {
            failed = true;
        }
        sim::setKnobs({});
        for (const QString &path : {a, b}) {
            const int length = lengthOf(path);
            EXPECT_TRUE(length == 1 || length == 7) << n;
            if (length == 1) {
                EXPECT_EQ(readAll(path), path == a ? aBefore : bBefore) << n;
            }
        }
        if (!failed) {
            EXPECT_EQ(lengthOf(a), 7);
            EXPECT_EQ(lengthOf(b), 7);
            break;
        }
        ASSERT_LT(n, 100u) << "the run never completed";
    }
}

// ---------------------------------------------------------------- Why a label did not open

// The runs whose refusal line names no reason keep that line exactly and hand
// the designer's reason to the sink beside it, for a label another designer
// holds, a damaged one and a missing one.
TEST_F(BatchRun, CannotOpenLabelLinesCarryTheDesignersReason)
{
    using Run = std::function<void(const QStringList &, const QuillApp &, ReportSink &)>;
    struct Case {
        const char *name;
        Run run;
        int linesPerLabel; // the refusal is the last of them
        QString refusal;   // "@" for the label's path
    };
    const Case cases[] = {
        {"set printer", [](const QStringList &f, const QuillApp &a, ReportSink &r) { runSetPrinter(f, a, QStringLiteral("P"), r); },
         1, QStringLiteral("@ - Error: Cannot open label.")},
        {"set variable length",
         [](const QStringList &f, const QuillApp &a, ReportSink &r) { runSetVariableLength(f, a, {QStringLiteral("V"), 3}, r); },
         2, QStringLiteral("Error: Cannot open label.")},
        {"extract scripts", [](const QStringList &f, const QuillApp &a, ReportSink &r) { runExtractScripts(f, a, QString(), r); },
         1, QStringLiteral("@ - Error: Cannot open label.")},
    };
    const QString held = label(QStringLiteral("held.lbl"), R"({"SimulatedLabel": 1})");
    const QString damaged = label(QStringLiteral("damaged.lbl"), R"({"SimulatedLabel": 1,)");
    QuillApp other(sim::createApplication());
    IQuillmark holding = other.OpenLabel(held);
    ASSERT_FALSE(holding.isNull());
    const std::vector<LinesReport::Reason> expected{
        {0, held, QStringLiteral("The file is in use by another process.\r\nThe file \"%1\" is open in another designer.").arg(held)},
        {1, damaged, QStringLiteral("Cannot open label file\r\nThe file \"%1\" is damaged or not a label: "
                                    "unterminated object at offset 21.").arg(damaged)},
        {2, missing(), QStringLiteral("Cannot open label file\r\nThe file \"%1\" does not exist.").arg(missing())},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LinesReport lines;
        c.run({held, damaged, missing()}, app, lines);
        ASSERT_EQ(lines.lines().size(), 3 * c.linesPerLabel);
        std::vector<LinesReport::Reason> reasons = expected;
        for (LinesReport::Reason &reason : reasons) {
            reason.line = (reason.line + 1) * c.linesPerLabel - 1;
            EXPECT_EQ(lines.lines()[reason.line], QString(c.refusal).replace(u'@', reason.path));
        }
        // The holder's name follows where the system can tell it (a process
        // id and name on Linux): only the designer's own words are compared.
        std::vector<LinesReport::Reason> got = lines.reasons();
        ASSERT_EQ(got.size(), reasons.size());
        const QString holderText = reasons[0].text.chopped(1); // without the final "."
        EXPECT_TRUE(got[0].text.startsWith(holderText)) << got[0].text.toStdString();
        EXPECT_TRUE(got[0].text.endsWith(u'.'));
        got[0].text = reasons[0].text;
        EXPECT_EQ(got, reasons);
    }
    holding.release();
}

// ---------------------------------------------------------------- Stop

// Stop asked while label 4 of 10 is about to start: labels 1 to 3 are done
// and saved, 4 to 10 untouched and not in the report, whose last line says so.
TEST_F(BatchRun, StopEndsTheRunBetweenLabels)
{
    struct Case {
        const char *name;
        QByteArray json;
        bool annotate;
        std::function<void(const QStringList &, const QuillApp &, ReportSink &, const RunHooks &)> run;
    };
    const Case cases[] = {
        {"set printer", R"({"SimulatedLabel": 1, "PrinterName": "Old"})", true,
         [](const QStringList &files, const QuillApp &app, ReportSink &report, const RunHooks &hooks) {
             runSetPrinter(files, app, QStringLiteral("New"), report, hooks);
         }},
        {"set variable length", R"({"SimulatedLabel": 1, "Variables": [{"Name": "Batch", "Length": 10}]})", false,
         [](const QStringList &files, const QuillApp &app, ReportSink &report, const RunHooks &hooks) {
             runSetVariableLength(files, app, {QStringLiteral("Batch"), 20}, report, hooks);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList files;
        for (int i = 1; i <= 10; ++i)
            files << label(QStringLiteral("%1-%2.lbl").arg(QLatin1String(c.name)).arg(i), c.json);
        RunHooks hooks;
        QList<int> started;
        hooks.fileStarted = [&started](int index, int total, const QString &) {
            EXPECT_EQ(total, 10);
            started << index;
        };
        hooks.stopRequested = [&started] { return started.last() == 3; };
        LinesReport stopped;
        c.run(files, app, stopped, hooks);

        EXPECT_EQ(started, (QList<int>{0, 1, 2, 3}));
        const QStringList &lines = stopped.lines();
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.last(), QStringLiteral("Stopped by the user after 3 of 10 labels."));
        for (int i = 0; i < 10; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(readAll(files[i]) != c.json, i < 3) << "saved exactly when done";
            const bool named = std::any_of(lines.begin(), lines.end() - 1, [&](const QString &line) {
                return line.contains(files[i]) && !(c.annotate && line == files[i]);
            });
            EXPECT_EQ(named, i < 3) << "reported exactly when done";
        }
        if (c.annotate) {
            EXPECT_EQ(lines.size(), 11); // the file list, then the stopped line
        }
    }
}

// Each run reads each member of each designer object once per label.
TEST_F(BatchRun, RunsReadEachMemberOnce)
{
    const QString path = label(QStringLiteral("once.lbl"), R"({"SimulatedLabel": 1, "PrinterName": "Old",
        "Variables": [{"Name": "Batch", "Length": 10}, {"Name": "Lot", "Length": 4}],
        "Objects": [{"Name": "T", "Kind": 301, "Contents": "x"}, {"Name": "P1", "Kind": 303, "Contents": "a.bmp"},
                    {"Name": "P2", "Kind": 303, "Contents": "b.bmp"}],
        "Functions": [{"Name": "F", "Kind": 9, "KindName": "QUILLScript", "Script": "#x"},
                      {"Name": "G", "Kind": 9, "KindName": "QUILLScript", "Script": "#y"}]})");
    auto calls = std::make_shared<test::KeyedCalls>();
    const QuillApp counted(test::keyedCalls(app.ref(), calls));
    int dry = 0;
    const RunHooks hooks = dryRunHooks(dry);
    const std::pair<const char *, std::function<void()>> runs[] = {
        {"set printer", [&] { runSetPrinter({path}, counted, QStringLiteral("New"), report, hooks); }},
        {"set paths", [&] { runSetPaths({path}, counted, QStringLiteral("nowhere"), QStringLiteral("x"), report, hooks); }},
        {"set variable length", [&] { runSetVariableLength({path}, counted, {QStringLiteral("Lot"), 8}, report, hooks); }},
        {"extract scripts", [&] { runExtractScripts({path}, counted, dir.file(QString()), report, hooks); }},
    };
    for (const auto &[name, run] : runs) {
        SCOPED_TRACE(name);
        calls->reset();
        run();
        EXPECT_GT(calls->total, 1);
        for (const std::string &repeated : calls->repeated())
            ADD_FAILURE() << "read again: " << repeated;
    }
}
