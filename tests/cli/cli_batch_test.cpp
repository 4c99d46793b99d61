// The batch commands against the core runs the dialogs use, their exit
// statuses, the dry run and the progress line.

#include "cli_fixture.h"

#include "cli/cli_internal.h"

#include "tools/batch_runs.h"
#include "tools/extract_scripts.h"
#include "tools/find_files.h"

#include <QFileInfo>

#include <functional>

using namespace strovex;
using namespace strovex::test;

namespace {

// A folder of labels to run over: the samples with their pictures, the
// collection tree, and a folder "art" holding only the logo.
QString makeWorkspace(const TempDir &dir, const QString &name)
{
    const QString root = dir.file(name);
    copyTree(QStringLiteral(STROVEX_SAMPLES_DIR), root);
    QDir().mkpath(root + QStringLiteral("/art"));
    QDir().mkpath(root + QStringLiteral("/scripts"));
    QFile::copy(root + QStringLiteral("/pictures/logo.bmp"), root + QStringLiteral("/art/logo.bmp"));
    return root;
}

using CoreRun = std::function<void(const QStringList &files, const QuillApp &app, const QString &root,
                                   ReportSink &report)>;

struct BatchCase {
    const char *title;
    // Arguments with "@" standing for the workspace's root.
    QStringList args;
    // The file list the dialog would hold, in the same notation.
    QStringList files;
    QString folder; // appended to `files` by FindFiles at the "@folder" entry
    CoreRun core;
    int status;
    QString dryRunLine;
    bool sameBytesAsCore; // false where saved labels hold their own absolute paths
    // Lines of the report written out by hand ("@" for the root), one after
    // the other: what the comparison with the core run cannot show wrong.
    QStringList fixedLines;
    QString err; // standard error, "@" for the root
};

QStringList rooted(const QStringList &values, const QString &root)
{
    QStringList result;
    for (const QString &value : values)
        result << QString(value).replace(u'@', root);
    return result;
}

QStringList fileList(const BatchCase &c, const QString &root)
{
    QStringList files;
    for (const QString &entry : c.files) {
        if (entry == u"@folder")
            FindFiles(QStringLiteral("*.lbl"), root + QLatin1Char('/') + c.folder, true, files);
        else
            files << QString(entry).replace(u'@', root);
    }
    return files;
}

std::vector<BatchCase> batchCases()
{
    const QString collection = QStringLiteral("@/collection");
    return {
        {"set-printer over labels, a folder and a missing file",
         {QStringLiteral("set-printer"), QStringLiteral("Dock 9"), QStringLiteral("@/shipping_sscc.lbl"),
          QStringLiteral("@/missing.lbl"), QStringLiteral("--folder"), collection, QStringLiteral("@/asset_dots.lbl")},
         {QStringLiteral("@/shipping_sscc.lbl"), QStringLiteral("@/missing.lbl"), QStringLiteral("@folder"),
          QStringLiteral("@/asset_dots.lbl")},
         QStringLiteral("collection"),
         [](const QStringList &files, const QuillApp &app, const QString &, ReportSink &report) {
             runSetPrinter(files, app, QStringLiteral("Dock 9"), report);
         },
         CliFileErrors, QStringLiteral("Dry run: 6 labels would have been saved."), true,
         {QStringLiteral("@/shipping_sscc.lbl - Done."), QStringLiteral("@/missing.lbl - Error: Cannot open label.")},
         QStringLiteral("File \"@/missing.lbl\" cannot be opened: Cannot open label file The file \"@/missing.lbl\" does not exist.\n")},
        {"set-paths where some graphics refuse their new file",
         {QStringLiteral("set-paths"), QStringLiteral(" /pictures "), QStringLiteral("/art"),
          QStringLiteral("@/shipping_sscc.lbl"), QStringLiteral("@/product_paragraph.lbl"),
          QStringLiteral("@/asset_dots.lbl")},
         {QStringLiteral("@/shipping_sscc.lbl"), QStringLiteral("@/product_paragraph.lbl"),
          QStringLiteral("@/asset_dots.lbl")},
         {},
         [](const QStringList &files, const QuillApp &app, const QString &, ReportSink &report) {
             runSetPaths(files, app, QStringLiteral(" /pictures "), QStringLiteral("/art"), report);
         },
         CliFileErrors, QStringLiteral("Dry run: 1 label would have been saved."), false,
         {QStringLiteral("Changing paths for graphics in \"@/product_paragraph.lbl\""),
          QStringLiteral("Changing path from \"@/pictures/recycling mark.bmp\" to \"@/art/recycling mark.bmp\"")},
         {}},
        {"set-paths where every graphic takes its new file",
         {QStringLiteral("set-paths"), QStringLiteral("/pictures"), QStringLiteral("/art"),
          QStringLiteral("@/shipping_sscc.lbl")},
         {QStringLiteral("@/shipping_sscc.lbl")},
         {},
         [](const QStringList &files, const QuillApp &app, const QString &, ReportSink &report) {
             runSetPaths(files, app, QStringLiteral("/pictures"), QStringLiteral("/art"), report);
         },
         CliOk, QStringLiteral("Dry run: 1 label would have been saved."), false,
         {QStringLiteral("Changing paths for graphics in \"@/shipping_sscc.lbl\""),
          QStringLiteral("Changing path from \"@/pictures/logo.bmp\" to \"@/art/logo.bmp\""), QStringLiteral("Done"),
          QStringLiteral(" ")},
         {}},
        {"set-variable-length with a hexadecimal length over a folder",
         {QStringLiteral("set-variable-length"), QStringLiteral("Supplier"), QStringLiteral(" $28"),
          QStringLiteral("--folder"), collection, QStringLiteral("@/shipping_sscc.lbl")},
         {QStringLiteral("@folder"), QStringLiteral("@/shipping_sscc.lbl")},
         QStringLiteral("collection"),
         [](const QStringList &files, const QuillApp &app, const QString &, ReportSink &report) {
             runSetVariableLength(files, app, SetVariableRequest{QStringLiteral("Supplier"), 40}, report);
         },
         CliOk, QStringLiteral("Dry run: 1 label would have been saved."), true,
         {QStringLiteral("Opening \"@/collection/warehouse/inbound.lbl\""),
          QStringLiteral("Changing variable length for variable \"Supplier\" in \"@/collection/warehouse/inbound.lbl\""),
          QStringLiteral("Old length: 30; New length: 40"), QStringLiteral("Saving \"@/collection/warehouse/inbound.lbl\""),
          QStringLiteral("Done"), QStringLiteral(" ")},
         {}},
        {"extract-scripts into a folder, with a missing file",
         {QStringLiteral("extract-scripts"), QStringLiteral("--dest"), QStringLiteral("@/scripts"),
          QStringLiteral("@/database_scripts.lbl"), QStringLiteral("@/missing.lbl"), QStringLiteral("--folder"),
          collection},
         {QStringLiteral("@/database_scripts.lbl"), QStringLiteral("@/missing.lbl"), QStringLiteral("@folder")},
         QStringLiteral("collection"),
         [](const QStringList &files, const QuillApp &app, const QString &root, ReportSink &report) {
             runExtractScripts(files, app, root + QStringLiteral("/scripts"), report);
         },
         CliFileErrors, QStringLiteral("Dry run: 4 script files would have been written."), true,
         {QStringLiteral("@/database_scripts.lbl - 3 scripts saved."),
          QStringLiteral("@/missing.lbl - Error: Cannot open label.")},
         QStringLiteral("File \"@/missing.lbl\" cannot be opened: Cannot open label file The file \"@/missing.lbl\" does not exist.\n")},
    };
}

} // namespace

TEST_F(CliTest, BatchCommandsPrintTheDialogsReportAndChangeWhatTheCoreRunChanges)
{
    for (const BatchCase &c : batchCases()) {
        SCOPED_TRACE(c.title);
        TempDir work;
        const QString cliRoot = makeWorkspace(work, QStringLiteral("cli"));
        const QString coreRoot = makeWorkspace(work, QStringLiteral("core"));

        const CliResult result = runCliCaptured(rooted(c.args, cliRoot));
        LinesReport report;
        {
            const QuillApp app{sim::createApplication()};
            c.core(fileList(c, coreRoot), app, coreRoot, report);
        }
        QStringList expected = report.lines();
        expected.replaceInStrings(coreRoot, cliRoot);
        // A designer's line break stays visible in its line, as info shows one.
        for (QString &line : expected)
            line = cli::oneLine(line);
        bool journalled = false;
        EXPECT_EQ(withoutJournalLine(result.out, &journalled), printedLines(expected));
        EXPECT_EQ(journalled, c.args.first() != u"extract-scripts");
        EXPECT_TRUE((u'\n' + result.out).contains(u'\n' + printedLines(rooted(c.fixedLines, cliRoot))))
            << result.out.toStdString();
        EXPECT_EQ(result.status, c.status) << result.err.toStdString();
        EXPECT_EQ(result.err, QString(c.err).replace(u'@', cliRoot));
        if (c.sameBytesAsCore)
            EXPECT_EQ(hashTree(cliRoot), hashTree(coreRoot));
        else
            EXPECT_NE(hashTree(cliRoot), hashTree(makeWorkspace(work, QStringLiteral("untouched"))));
    }
}

TEST_F(CliTest, DryRunChangesNoByteOnDiskAndPrintsTheRealRunsLines)
{
    for (const BatchCase &c : batchCases()) {
        SCOPED_TRACE(c.title);
        TempDir work;
        const QString root = makeWorkspace(work, QStringLiteral("labels"));
        const QMap<QString, QByteArray> before = hashTree(root);

        const CliResult dry = runCliCaptured(rooted(c.args, root) + QStringList{QStringLiteral("--dry-run")});
        EXPECT_EQ(hashTree(root), before);
        EXPECT_EQ(dry.status, c.status) << dry.err.toStdString();

        const CliResult real = runCliCaptured(rooted(c.args, root));
        EXPECT_EQ(dry.out, withoutJournalLine(real.out) + c.dryRunLine + QLatin1Char('\n'));
        EXPECT_NE(hashTree(root), before) << "the real run changed nothing, so the comparison proves little";
    }
}

TEST_F(CliTest, DryRunNeverCallsSave)
{
    // A designer whose Save fails outright: a run that called it would end with status 3.
    const QString label = dir.write(QStringLiteral("a.lbl"), R"({"SimulatedLabel": 1, "PrinterName": "Old",
        "Variables": [{"Name": "Lot", "Kind": 1, "Length": 5}],
        "Faults": {"Save": {"Raise": "Save must not be called"}}})");
    const QByteArray before = readAll(label);
    const std::vector<QStringList> commands = {
        {QStringLiteral("set-printer"), QStringLiteral("New")},
        {QStringLiteral("set-variable-length"), QStringLiteral("Lot"), QStringLiteral("9")},
    };
    for (const QStringList &command : commands) {
        const CliResult dry = runCliCaptured(command + QStringList{label, QStringLiteral("--dry-run")});
        EXPECT_EQ(dry.status, CliOk) << dry.err.toStdString();
        EXPECT_TRUE(dry.out.endsWith(QStringLiteral("Dry run: 1 label would have been saved.\n"))) << dry.out.toStdString();
        const CliResult real = runCliCaptured(command + QStringList{label});
        EXPECT_EQ(real.status, CliNoDesigner);
        EXPECT_EQ(real.err, QStringLiteral("Save must not be called\n"));
    }
    EXPECT_EQ(readAll(label), before);
}

TEST_F(CliTest, ADesignerCallThatFailsOutrightEndsTheRunWithStatusThree)
{
    const QString first = dir.write(QStringLiteral("1.lbl"), R"({"SimulatedLabel": 1})");
    const QString refusing = dir.write(QStringLiteral("2.lbl"), R"({"SimulatedLabel": 1,
        "Faults": {"PrinterName=": {"Raise": "The printer name is refused."}}})");
    const QString third = dir.write(QStringLiteral("3.lbl"), R"({"SimulatedLabel": 1})");
    const QByteArray thirdBefore = readAll(third);

    const CliResult result = runCliCaptured({QStringLiteral("set-printer"), QStringLiteral("P"), first, refusing, third});
    EXPECT_EQ(result.status, CliNoDesigner);
    // The lines the dialog shows after such a run: those not reached keep their plain text.
    // The label saved before is in the journal.
    bool journalled = false;
    EXPECT_EQ(withoutJournalLine(result.out, &journalled), printedLines({first + QStringLiteral(" - Done."), refusing, third}));
    EXPECT_TRUE(journalled);
    EXPECT_EQ(result.err, QStringLiteral("The printer name is refused.\n"));
    EXPECT_EQ(readAll(third), thirdBefore);
}

TEST_F(CliTest, AScriptFileThatCannotBeWrittenEndsTheRunWithStatusOne)
{
    const QString label = dir.write(QStringLiteral("bad.lbl"), R"({"SimulatedLabel": 1, "Functions": [
        {"Name": "../escape", "Kind": 9, "KindName": "QUILLScript", "Script": "1MsgBox 1"}]})");
    const CliResult result = runCliCaptured({QStringLiteral("extract-scripts"), label});
    EXPECT_EQ(result.status, CliFileErrors);
    EXPECT_EQ(result.out, printedLines({label}));
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("Cannot create file"))) << result.err.toStdString();
}

TEST_F(CliTest, ProgressLineOnlyOnATerminalAndOnlyForMoreThanTwentyLabels)
{
    // Paths relative to the folder, so the line reads the same whatever TMPDIR
    // is; the last one is longer than the line's room for a path.
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const struct Restore {
        QString path;
        ~Restore() { QDir::setCurrent(path); }
    } restore{saved};
    QStringList labels;
    for (int i = 0; i < 20; ++i)
        labels << QStringLiteral("label%1.lbl").arg(i);
    labels << QStringLiteral("folder-with-a-long-name/another-folder-with-a-long-name/label20.lbl");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(labels.last()).path()));
    for (const QString &label : labels)
        dir.write(label, R"({"SimulatedLabel": 1})");
    struct Case {
        int labels;
        bool terminal;
        bool shown;
    };
    for (const Case c : {Case{21, true, true}, Case{21, false, false}, Case{20, true, false}}) {
        CliOptions options;
        options.progressLine = c.terminal;
        const CliResult result = runCliCaptured(
            QStringList{QStringLiteral("set-printer"), QStringLiteral("P")} + labels.mid(0, c.labels), options);
        EXPECT_EQ(result.status, CliOk);
        EXPECT_EQ(result.out.count(QStringLiteral(" - Done.")), c.labels);
        if (!c.shown) {
            EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
            continue;
        }
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("\r0/21  label0.lbl\r1/21  label1.lbl  ")))
            << result.err.toStdString();
        // No escape codes: a Windows console would print them raw.
        EXPECT_FALSE(result.err.contains(u'\x1b')) << result.err.toStdString();
        // A long path shows its end.
        EXPECT_TRUE(result.err.contains(QStringLiteral("\r20/21  ...ame/another-folder-with-a-long-name/label20.lbl  ")))
            << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral(" left")));
        // The line is blanked out before the report is printed: spaces over
        // the whole of the last line shown, then back to its start.
        const qsizetype lastStart = result.err.lastIndexOf(u'\r', result.err.size() - 2);
        const QString blank = result.err.mid(lastStart);
        EXPECT_EQ(blank.trimmed(), QString()) << result.err.toStdString();
        const qsizetype lastLine = result.err.lastIndexOf(QStringLiteral("\r20/21"));
        ASSERT_GE(lastLine, 0);
        const QString shown = result.err.mid(lastLine + 1, lastStart - lastLine - 1).section(u'\r', -1);
        EXPECT_GE(blank.size() - 2, shown.size()) << result.err.toStdString();
    }
}
