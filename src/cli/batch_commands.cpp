// The batch tools: the dialogs' runs over a file list built from the command
// line, their report printed as the dialog shows it after the run.

#include "cli/cli_internal.h"
#include "cli/run_progress.h"
#include "journal/run_journal.h"
#include "platform/files.h"
#include "tools/batch_runs.h"
#include "tools/extract_scripts.h"
#include "tools/find_files.h"
#include "tools/whole_number.h"

#include <QFileInfo>

#include <functional>
#include <memory>
#include <optional>

namespace strovex::cli {
namespace {

enum class Style { Annotate, Log };

struct BatchRequest {
    QStringList files;
    bool dryRun = false;
    QStringList skipped; // what the folder searches passed over, as SkippedNameLine lines
    // A run that changes labels keeps them in a journal unless told not to.
    bool changesLabels = false;
    bool journal = false;
    QString command;
    QStringList arguments;
};

// The parameters (the first `parameters` positional arguments) and the file
// list in argument order, each --folder adding what the recursive search finds.
BatchRequest fileList(const ParsedArgs &args, int parameters, QStringList &values)
{
    BatchRequest request;
    request.dryRun = args.has(QStringLiteral("dry-run"));
    request.journal = !args.has(QStringLiteral("no-journal"));
    for (const ParsedArgs::Item &item : args.items) {
        if (!item.option.isEmpty())
            request.arguments << QStringLiteral("--") + item.option;
        if (!item.option.isEmpty() && item.value.isNull())
            continue;
        request.arguments << item.value;
    }
    int positional = 0;
    for (const ParsedArgs::Item &item : args.items) {
        if (item.option.isEmpty()) {
            if (positional++ < parameters)
                values << item.value;
            else
                request.files << item.value;
        } else if (item.option == u"folder") {
            if (!QFileInfo(item.value).isDir())
                throw UsageError{QStringLiteral("\"%1\" is not a folder.").arg(item.value)};
            FindFilesOptions options;
            options.skipped = [&request](const QString &path) { request.skipped << SkippedNameLine(path); };
            FindFiles(QStringLiteral("*.lbl"), item.value, options, request.files);
        }
    }
    if (values.size() < parameters)
        throw UsageError{QStringLiteral("Too few arguments.")};
    if (request.files.isEmpty() && !args.has(QStringLiteral("folder")))
        throw UsageError{QStringLiteral("No labels given: name at least one LABEL or --folder DIR.")};
    return request;
}

// One line: the label and why the designer would not open it. The designer
// parts its text and detail with CR LF; any other control character (in a
// name the text quotes) is shown as in the report lines.
QString reasonLine(const QString &path, const QString &text)
{
    return QStringLiteral("File \"%1\" cannot be opened: %2")
        .arg(oneLine(path), oneLine(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" "))));
}

bool reportsError(Style style, const QString &line, const QString &path)
{
    if (style == Style::Annotate)
        return line.startsWith(path + QStringLiteral(" - Error: "));
    return line.startsWith(QStringLiteral("Error: "));
}

using Run = std::function<void(const QuillApp &app, ReportSink &report, const RunHooks &hooks)>;

// Runs one tool and prints its report. An AutomationError or FileError that
// ends the run is reported after the lines written so far.
int runBatch(Context &context, const BatchRequest &request, Style style, const QString &wouldWrite, const Run &run)
{
    const QuillApp &app = context.designer();
    for (const QString &line : request.skipped)
        context.message(line);
    int count = 0;
    RunHooks hooks = request.dryRun ? dryRunHooks(count) : RunHooks{};
    ProgressLine progress(context.err, context.options.progressLine);
    hooks.fileStarted = [&progress](int index, int total, const QString &path) {
        progress.fileStarted(index, total, path);
    };
    const InterruptStopsRun interrupt;
    bool stopped = false;
    hooks.stopRequested = [&interrupt, &stopped] { return stopped = interrupt.requested(); };
    // Made before the first label, so that a journal that cannot be kept changes nothing.
    std::unique_ptr<RunJournal> journal;
    if (request.changesLabels && request.journal && !request.dryRun) {
        journal = std::make_unique<RunJournal>(journalFolder(), request.command, request.arguments);
        hooks = journalled(hooks, *journal);
    }

    LinesReport report;
    std::optional<int> failure;
    QString failureText;
    try {
        run(app, report, hooks);
    } catch (const AutomationError &e) {
        failure = CliNoDesigner;
        failureText = toQString(e.text());
    } catch (const FileError &e) {
        failure = CliFileErrors;
        failureText = e.message();
    }
    progress.finish();

    bool errors = false;
    const QStringList &lines = report.lines();
    auto reason = report.reasons().begin();
    for (int i = 0; i < lines.size(); ++i) {
        context.out << oneLine(lines[i]) << '\n';
        const QString path = i < request.files.size() ? request.files[i] : QString();
        errors = errors || reportsError(style, lines[i], path);
        // The designer's reason goes to standard error right after its line.
        for (; reason != report.reasons().end() && reason->line == i; ++reason) {
            context.out.flush();
            context.err << reasonLine(reason->path, reason->text) << '\n';
            context.err.flush();
        }
    }
    if (journal) {
        journal->finish();
        if (!journal->manifest().labels.empty())
            context.out << journalLine(journal->id()) << '\n';
    } else if (request.changesLabels && !request.dryRun) {
        context.out << QStringLiteral("No journal was kept (--no-journal): this run cannot be undone.") << '\n';
    }
    context.out.flush();
    for (; reason != report.reasons().end(); ++reason)
        context.err << reasonLine(reason->path, reason->text) << '\n';
    context.err.flush();
    if (failure) {
        context.message(failureText);
        return *failure;
    }
    if (stopped)
        return CliStopped;
    if (request.dryRun)
        context.out << QStringLiteral("Dry run: %1 %2.").arg(count).arg(wouldWrite.arg(count == 1 ? QString()
                                                                                                 : QStringLiteral("s")))
                    << '\n';
    return errors || !request.skipped.isEmpty() ? CliFileErrors : CliOk;
}

const QString kLabelsSaved = QStringLiteral("label%1 would have been saved");

} // namespace

int setPrinterCommand(Context &context, const ParsedArgs &args)
{
    QStringList values;
    BatchRequest request = fileList(args, 1, values);
    request.changesLabels = true;
    request.command = QStringLiteral("set-printer");
    return runBatch(context, request, Style::Annotate, kLabelsSaved,
                    [&](const QuillApp &app, ReportSink &report, const RunHooks &hooks) {
                        runSetPrinter(request.files, app, values[0], report, hooks);
                    });
}

int setPathsCommand(Context &context, const ParsedArgs &args)
{
    QStringList values;
    BatchRequest request = fileList(args, 2, values);
    request.changesLabels = true;
    request.command = QStringLiteral("set-paths");
    return runBatch(context, request, Style::Log, kLabelsSaved,
                    [&](const QuillApp &app, ReportSink &report, const RunHooks &hooks) {
                        runSetPaths(request.files, app, values[0], values[1], report, hooks);
                    });
}

int setVariableLengthCommand(Context &context, const ParsedArgs &args)
{
    QStringList values;
    BatchRequest request = fileList(args, 2, values);
    request.changesLabels = true;
    request.command = QStringLiteral("set-variable-length");
    if (values[0].isEmpty())
        throw UsageError{QStringLiteral("NAME must not be empty.")};
    const std::optional<SetVariableRequest> change = setVariableRequest(values[0], values[1]);
    if (!change)
        throw UsageError{QStringLiteral("LENGTH \"%1\" is not a whole number: optional leading spaces, an optional "
                                        "sign, then decimal digits, or hexadecimal digits after \"$\", \"x\" or "
                                        "\"0x\", with nothing after them, in the signed 32-bit range.")
                             .arg(values[1])};
    return runBatch(context, request, Style::Log, kLabelsSaved,
                    [&](const QuillApp &app, ReportSink &report, const RunHooks &hooks) {
                        runSetVariableLength(request.files, app, *change, report, hooks);
                    });
}

int extractScriptsCommand(Context &context, const ParsedArgs &args)
{
    QStringList values;
    const BatchRequest request = fileList(args, 0, values);
    const QString destination = args.value(QStringLiteral("dest"));
    // Checked up front so that a dry run cannot promise files a real run would fail to write.
    if (!destination.isEmpty() && !QFileInfo(destination).isDir())
        throw UsageError{QStringLiteral("The destination \"%1\" is not a folder.").arg(destination)};
    return runBatch(context, request, Style::Annotate, QStringLiteral("script file%1 would have been written"),
                    [&](const QuillApp &app, ReportSink &report, const RunHooks &hooks) {
                        runExtractScripts(request.files, app, destination, report, hooks);
                    });
}

} // namespace strovex::cli
