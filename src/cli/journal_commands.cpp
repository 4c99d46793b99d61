// The journal of the changing runs: listing, pruning and undoing them.

#include "cli/cli_internal.h"
#include "journal/run_journal.h"
#include "journal/runs_list.h"
#include "journal/undo.h"
#include "tools/whole_number.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace strovex::cli {
namespace {

QString timeText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODate);
}

void printRuns(Context &context, const std::vector<RunSummary> &runs)
{
    if (runs.empty()) {
        context.out << "No runs in the journal.\n";
        return;
    }
    const QStringList titles{QStringLiteral("ID"), QStringLiteral("TIME"), QStringLiteral("COMMAND"),
                             QStringLiteral("LABELS"), QStringLiteral("SIZE")};
    std::vector<QStringList> rows{titles};
    qint64 total = 0;
    for (const RunSummary &run : runs) {
        const QString command = run.problem.isEmpty()
            ? run.command + (run.finished ? QString() : QStringLiteral(" (not finished)"))
            : QStringLiteral("(manifest damaged)");
        rows.push_back({run.id, timeText(run.time), command, QString::number(run.labels), sizeText(run.bytes)});
        total += run.bytes;
    }
    std::vector<qsizetype> widths(titles.size(), 0);
    for (const QStringList &row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    }
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? row[c].leftJustified(widths[c] + 2) : row[c];
        context.out << line << '\n';
    }
    context.out << QStringLiteral("Space taken: %1 in %2 run%3.")
                       .arg(sizeText(total))
                       .arg(runs.size())
                       .arg(runs.size() == 1 ? QString() : QStringLiteral("s"))
                << '\n';
}

void printRunsJson(Context &context, const std::vector<RunSummary> &runs)
{
    QJsonArray array;
    for (const RunSummary &run : runs) {
        QJsonObject object{
            {QStringLiteral("id"), run.id},
            {QStringLiteral("time"), timeText(run.time)},
            {QStringLiteral("command"), run.command},
            {QStringLiteral("arguments"), QJsonArray::fromStringList(run.arguments)},
            {QStringLiteral("labels"), run.labels},
            {QStringLiteral("bytes"), double(run.bytes)},
            {QStringLiteral("finished"), run.finished},
        };
        if (!run.problem.isEmpty())
            object.insert(QStringLiteral("problem"), run.problem);
        array.append(object);
    }
    context.out << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

} // namespace

QString journalLine(const QString &id)
{
    return QStringLiteral("Journal: run %1 (\"strovex-cli undo %1\" takes it back).").arg(id);
}

int runsCommand(Context &context, const ParsedArgs &args)
{
    requirePositional(args, 0, QStringLiteral("no arguments"));
    const QString root = journalFolder();
    if (args.has(QStringLiteral("prune"))) {
        const QString text = args.value(QStringLiteral("prune"));
        const std::optional<int> days = parseWholeNumber(text);
        if (!days || *days < 0)
            throw UsageError{QStringLiteral("DAYS \"%1\" is not a whole number of days.").arg(text)};
        const PruneResult pruned = pruneRuns(root, *days, QDateTime::currentDateTimeUtc());
        context.out << QStringLiteral("Removed %1 run%2 older than %3 day%4; %5 freed.")
                           .arg(pruned.removed)
                           .arg(pruned.removed == 1 ? QString() : QStringLiteral("s"))
                           .arg(*days)
                           .arg(*days == 1 ? QString() : QStringLiteral("s"))
                           .arg(sizeText(pruned.bytes))
                    << '\n';
        for (const QString &id : pruned.inUse)
            context.out << QStringLiteral("Run %1 is in use by a run or undo; not removed.").arg(id) << '\n';
        return pruned.inUse.isEmpty() ? CliOk : CliFileErrors;
    }
    const std::vector<RunSummary> runs = listRuns(root);
    if (args.has(QStringLiteral("json")))
        printRunsJson(context, runs);
    else
        printRuns(context, runs);
    return CliOk;
}

int undoCommand(Context &context, const ParsedArgs &args)
{
    const QString id = requirePositional(args, 1, QStringLiteral("one RUN"))[0];
    if (!isRunId(id))
        throw UsageError{QStringLiteral("\"%1\" is not a run id: \"strovex-cli runs\" lists them.").arg(id)};
    UndoOptions options;
    options.force = args.has(QStringLiteral("force"));
    options.dryRun = args.has(QStringLiteral("dry-run"));
    const UndoResult result = undoRun(journalFolder(), id, options);
    for (const QString &line : result.lines)
        context.out << line << '\n';
    if (options.dryRun)
        context.out << QStringLiteral("Dry run: %1 %2 would have been restored.")
                           .arg(result.restored)
                           .arg(result.restored == 1 ? QStringLiteral("label") : QStringLiteral("labels"))
                    << '\n';
    else
        context.out << restoredLine(result) << '\n';
    if (!result.journalId.isEmpty())
        context.out << journalLine(result.journalId) << '\n';
    return result.notRestored > 0 ? CliFileErrors : CliOk;
}

} // namespace strovex::cli
