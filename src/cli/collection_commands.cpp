// The collection: index folders, then answer where-used, full-text, inventory
// and health questions from the index alone.

#include "cli/cli_internal.h"
#include "cli/run_progress.h"
#include "collection/check_report.h"
#include "collection/designer_reader.h"
#include "collection/health_check.h"
#include "collection/indexer.h"
#include "collection/questions.h"
#include "collection/sqlite_store.h"
#include "tools/batch_runs.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace strovex::cli {
namespace {

QString databasePath(const ParsedArgs &args)
{
    return args.value(QStringLiteral("db"), defaultCollectionPath());
}

enum class Format { Text, Csv, Json, Html };

Format formatOf(const ParsedArgs &args, bool html = false)
{
    const int chosen = int(args.has(QStringLiteral("csv"))) + int(args.has(QStringLiteral("json")))
        + int(html && args.has(QStringLiteral("html")));
    if (chosen > 1)
        throw UsageError{QStringLiteral("Choose one output format.")};
    if (args.has(QStringLiteral("csv")))
        return Format::Csv;
    if (args.has(QStringLiteral("json")))
        return Format::Json;
    if (html && args.has(QStringLiteral("html")))
        return Format::Html;
    return Format::Text;
}

void writeJson(Context &context, const QJsonObject &object)
{
    context.out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

QJsonArray foldersJson(const std::vector<IndexedFolder> &folders)
{
    QJsonArray list;
    for (const IndexedFolder &folder : folders)
        list.append(QJsonObject{{QStringLiteral("path"), folder.path},
                                {QStringLiteral("refreshed"), indexTimeText(folder.refreshed)},
                                {QStringLiteral("reachable"), folder.reachable}});
    return list;
}

// When the index was last refreshed for the folders it covers, one line each.
QString refreshedText(CollectionStore &store)
{
    const std::vector<IndexedFolder> folders = store.folders();
    QString text;
    if (folders.empty())
        return QStringLiteral("Index \"%1\" covers no folder yet.\n").arg(store.location());
    for (const IndexedFolder &folder : folders)
        text += QStringLiteral("Index \"%1\": \"%2\" refreshed %3%4.\n")
                    .arg(store.location(), oneLine(folder.path), indexTimeText(folder.refreshed),
                         folder.reachable ? QString() : QStringLiteral(", not reachable on the last run"));
    return text;
}

// Tells where the refresh times go: JSON carries them, CSV keeps its rows alone.
void writeRefreshed(Context &context, CollectionStore &store, Format format)
{
    if (format == Format::Text)
        context.out << refreshedText(store);
    else
        context.message(refreshedText(store).trimmed());
}

struct IndexRun {
    IndexSummary summary;
    std::vector<IndexedFolder> folders;
};

// Indexes `folders` into `store` with the progress line and Ctrl+C handling.
IndexRun runIndex(Context &context, SqliteStore &store, const QStringList &folders)
{
    ProgressLine progress(context.err, context.options.progressLine, true);
    const InterruptStopsRun interrupt;
    IndexHooks hooks;
    hooks.labelStarted = [&progress](int done, int total, const QString &path) {
        progress.fileStarted(done, total, path);
    };
    hooks.stopRequested = [&interrupt] { return interrupt.requested(); };
    IndexRun run;
    run.summary = indexFolders(store, folders, designerLabelReader([&context]() -> const QuillApp & { return context.designer(); }), hooks);
    progress.finish();
    for (const QString &folder : folders) {
        const QString key = indexFolderPath(folder);
        for (const IndexedFolder &known : store.folders()) {
            if (known.path == key)
                run.folders.push_back(known);
        }
    }
    return run;
}

QStringList requireFolders(const ParsedArgs &args)
{
    const QStringList folders = args.positional();
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            throw UsageError{QStringLiteral("A FOLDER must not be empty.")};
    }
    return folders;
}

QString summaryText(const IndexSummary &s)
{
    QString text = QStringLiteral("%1 labels found: %2 read (%3 refused, %4 failed), %5 unchanged, %6 touched, "
                                  "%7 moved; %8 removed.\n")
                       .arg(s.found)
                       .arg(s.read)
                       .arg(s.refused)
                       .arg(s.failed)
                       .arg(s.unchanged)
                       .arg(s.touched)
                       .arg(s.moved)
                       .arg(s.removed);
    for (const QString &folder : s.unreachable)
        text += QStringLiteral("Folder \"%1\" is not reachable: its labels are kept and marked \"not seen\".\n")
                    .arg(oneLine(folder));
    return text;
}

QJsonObject summaryJson(const IndexSummary &s)
{
    QJsonArray unreachable;
    for (const QString &folder : s.unreachable)
        unreachable.append(folder);
    return QJsonObject{{QStringLiteral("found"), s.found},         {QStringLiteral("read"), s.read},
                       {QStringLiteral("refused"), s.refused},     {QStringLiteral("failed"), s.failed},
                       {QStringLiteral("unchanged"), s.unchanged}, {QStringLiteral("touched"), s.touched},
                       {QStringLiteral("moved"), s.moved},         {QStringLiteral("removed"), s.removed},
                       {QStringLiteral("unreachable"), unreachable}, {QStringLiteral("stopped"), s.stopped}};
}

int indexStatus(const IndexSummary &s)
{
    if (s.stopped)
        return CliStopped;
    return s.refused + s.failed > 0 ? CliFileErrors : CliOk;
}

struct WhereUsedOption {
    const char *name;
    UseKind kind;
};
const WhereUsedOption kWhereUsedOptions[] = {
    {"printer", UseKind::Printer},   {"font", UseKind::Font},         {"variable", UseKind::Variable},
    {"picture", UseKind::Picture},   {"database", UseKind::Database}, {"function", UseKind::Function},
    {"dependent-file", UseKind::DependentFile},
};

} // namespace

// Every collection command answers a bad index with its message and status 2.
template<class Body>
int withIndex(Context &context, Body body)
{
    try {
        return body();
    } catch (const CollectionError &e) {
        context.message(e.message());
        return CliUsage;
    }
}

int indexCommand(Context &context, const ParsedArgs &args)
{
    const QStringList folders = requireFolders(args);
    if (folders.isEmpty())
        throw UsageError{QStringLiteral("Expected at least one FOLDER.")};
    const Format format = formatOf(args);
    return withIndex(context, [&] {
        SqliteStore store(databasePath(args), SqliteStore::Mode::Write);
        const IndexRun run = runIndex(context, store, folders);
        if (format == Format::Json) {
            QJsonObject document = summaryJson(run.summary);
            document.insert(QStringLiteral("index"), store.location());
            document.insert(QStringLiteral("folders"), foldersJson(run.folders));
            writeJson(context, document);
        } else {
            context.out << summaryText(run.summary);
        }
        if (run.summary.stopped)
            context.out << StoppedLine(run.summary.read, run.summary.toRead) << '\n';
        return indexStatus(run.summary);
    });
}

int whereUsedCommand(Context &context, const ParsedArgs &args)
{
    const WhereUsedOption *chosen = nullptr;
    for (const WhereUsedOption &option : kWhereUsedOptions) {
        if (!args.has(QLatin1String(option.name)))
            continue;
        if (chosen)
            throw UsageError{QStringLiteral("Choose one of --printer, --font, --variable, --picture, --database, "
                                            "--function, --dependent-file.")};
        chosen = &option;
    }
    if (!chosen)
        throw UsageError{QStringLiteral("Expected one of --printer, --font, --variable, --picture, --database, "
                                        "--function, --dependent-file with a PATTERN.")};
    if (!args.positional().isEmpty())
        throw UsageError{QStringLiteral("Unexpected argument \"%1\".").arg(args.positional().first())};
    const QString pattern = args.value(QLatin1String(chosen->name));
    const Format format = formatOf(args);
    return withIndex(context, [&] {
        SqliteStore store(databasePath(args), SqliteStore::Mode::Read);
        const std::vector<WhereUsed> found = whereUsed(store, chosen->kind, pattern);
        if (format == Format::Json) {
            QJsonArray labels;
            for (const WhereUsed &label : found) {
                QJsonArray items;
                for (const WhereUsedItem &item : label.items)
                    items.append(QJsonObject{{QStringLiteral("item"), item.item}, {QStringLiteral("value"), item.value}});
                labels.append(QJsonObject{{QStringLiteral("label"), label.path}, {QStringLiteral("items"), items}});
            }
            writeJson(context, QJsonObject{{QStringLiteral("index"), store.location()},
                                           {QStringLiteral("folders"), foldersJson(store.folders())},
                                           {QStringLiteral("labels"), labels}});
            return CliOk;
        }
        if (format == Format::Csv) {
            context.out << csvLine({QStringLiteral("Label"), QStringLiteral("Item"), QStringLiteral("Value")});
            for (const WhereUsed &label : found) {
                for (const WhereUsedItem &item : label.items)
                    context.out << csvLine({label.path, item.item, item.value});
            }
        } else {
            for (const WhereUsed &label : found) {
                context.out << oneLine(label.path) << '\n';
                for (const WhereUsedItem &item : label.items)
                    context.out << "  " << (item.item.isEmpty() ? QString() : oneLine(item.item) + QStringLiteral(": "))
                                << oneLine(item.value) << '\n';
            }
            context.out << QStringLiteral("%1 label%2.\n").arg(found.size()).arg(found.size() == 1 ? QString() : QStringLiteral("s"));
        }
        writeRefreshed(context, store, format);
        return CliOk;
    });
}

int queryCommand(Context &context, const ParsedArgs &args)
{
    const QStringList terms = args.positional();
    if (terms.isEmpty())
        throw UsageError{QStringLiteral("Expected TEXT.")};
    bool ok = true;
    const int limit = args.value(QStringLiteral("limit"), QStringLiteral("100")).toInt(&ok);
    if (!ok || limit < 1)
        throw UsageError{QStringLiteral("--limit takes a whole number of 1 or more.")};
    QStringList words;
    for (const QString &term : terms)
        words << term.split(u' ', Qt::SkipEmptyParts);
    const Format format = formatOf(args);
    return withIndex(context, [&] {
        SqliteStore store(databasePath(args), SqliteStore::Mode::Read);
        const std::vector<SearchHit> hits = store.search(words, limit);
        if (format == Format::Json) {
            QJsonArray list;
            for (const SearchHit &hit : hits)
                list.append(QJsonObject{{QStringLiteral("label"), hit.path},
                                        {QStringLiteral("field"), hit.field},
                                        {QStringLiteral("item"), hit.item},
                                        {QStringLiteral("text"), hit.text}});
            writeJson(context, QJsonObject{{QStringLiteral("index"), store.location()},
                                           {QStringLiteral("folders"), foldersJson(store.folders())},
                                           {QStringLiteral("hits"), list}});
            return CliOk;
        }
        if (format == Format::Csv) {
            context.out << csvLine({QStringLiteral("Label"), QStringLiteral("Field"), QStringLiteral("Item"),
                                    QStringLiteral("Text")});
            for (const SearchHit &hit : hits)
                context.out << csvLine({hit.path, hit.field, hit.item, hit.text});
        } else {
            for (const SearchHit &hit : hits) {
                context.out << oneLine(hit.path) << ": " << hit.field;
                if (!hit.item.isEmpty())
                    context.out << " \"" << oneLine(hit.item) << '"';
                context.out << ": " << oneLine(hit.text) << '\n';
            }
            context.out << QStringLiteral("%1 hit%2.\n").arg(hits.size()).arg(hits.size() == 1 ? QString() : QStringLiteral("s"));
        }
        writeRefreshed(context, store, format);
        return CliOk;
    });
}

int inventoryCommand(Context &context, const ParsedArgs &args)
{
    const QStringList folders = requireFolders(args);
    const Format format = formatOf(args);
    return withIndex(context, [&] {
        SqliteStore store(databasePath(args), SqliteStore::Mode::Read);
        QStringList keys;
        for (const QString &folder : folders)
            keys << indexFolderPath(folder);
        std::vector<InventoryRow> rows;
        for (const IndexedLabel &label : store.labels(keys))
            rows.push_back(inventoryRow(label));
        const QStringList titles{QStringLiteral("Path"),      QStringLiteral("Title"),     QStringLiteral("Size"),
                                 QStringLiteral("Printer"),   QStringLiteral("Objects"),   QStringLiteral("Variables"),
                                 QStringLiteral("Databases"), QStringLiteral("Functions"), QStringLiteral("Indexed"),
                                 QStringLiteral("State")};
        const auto cells = [](const InventoryRow &r) {
            return QStringList{r.path,
                               r.title,
                               r.size,
                               r.printer,
                               QString::number(r.objects),
                               QString::number(r.variables),
                               QString::number(r.databases),
                               QString::number(r.functions),
                               indexTimeText(r.indexed),
                               r.state};
        };
        if (format == Format::Json) {
            QJsonArray list;
            for (const InventoryRow &row : rows) {
                QJsonObject object;
                const QStringList values = cells(row);
                for (qsizetype i = 0; i < titles.size(); ++i) {
                    const bool count = i >= 4 && i <= 7;
                    object.insert(titles[i].toLower(), count ? QJsonValue(values[i].toInt()) : QJsonValue(values[i]));
                }
                list.append(object);
            }
            writeJson(context, QJsonObject{{QStringLiteral("index"), store.location()},
                                           {QStringLiteral("folders"), foldersJson(store.folders())},
                                           {QStringLiteral("labels"), list}});
            return CliOk;
        }
        if (format == Format::Csv) {
            context.out << csvLine(titles);
            for (const InventoryRow &row : rows)
                context.out << csvLine(cells(row));
        } else {
            for (const InventoryRow &row : rows) {
                const QStringList values = cells(row);
                context.out << oneLine(row.path) << '\n';
                for (qsizetype i = 1; i < titles.size(); ++i)
                    context.out << "  " << (titles[i] + u':').leftJustified(11) << oneLine(values[i]) << '\n';
            }
            context.out << QStringLiteral("%1 label%2.\n").arg(rows.size()).arg(rows.size() == 1 ? QString() : QStringLiteral("s"));
        }
        writeRefreshed(context, store, format);
        return CliOk;
    });
}

int checkCommand(Context &context, const ParsedArgs &args)
{
    if (args.has(QStringLiteral("rules"))) {
        for (const HealthRule &rule : healthRules())
            context.out << rule.id.leftJustified(24) << severityName(rule.severity).leftJustified(9) << rule.description
                        << '\n';
        return CliOk;
    }
    QStringList ignored;
    for (const ParsedArgs::Item &item : args.items) {
        if (item.option != u"ignore")
            continue;
        const auto &rules = healthRules();
        if (std::none_of(rules.begin(), rules.end(), [&](const HealthRule &r) { return r.id == item.value; }))
            throw UsageError{QStringLiteral("Unknown rule \"%1\": --rules lists them.").arg(item.value)};
        ignored << item.value;
    }
    const QStringList folders = requireFolders(args);
    const Format format = formatOf(args, true);
    return withIndex(context, [&]() -> int {
        std::unique_ptr<SqliteStore> store;
        QStringList keys;
        if (!folders.isEmpty()) {
            store = std::make_unique<SqliteStore>(databasePath(args), SqliteStore::Mode::Write);
            const IndexRun run = runIndex(context, *store, folders);
            if (run.summary.stopped) {
                context.out << StoppedLine(run.summary.read, run.summary.toRead) << '\n';
                return CliStopped;
            }
            for (const QString &folder : folders)
                keys << indexFolderPath(folder);
        } else {
            store = std::make_unique<SqliteStore>(databasePath(args), SqliteStore::Mode::Read);
        }
        const std::vector<IndexedLabel> labels = store->labels(keys);
        const std::vector<Finding> findings = checkLabels(labels, nativeMachineView(), ignored);
        ReportScope scope{store->location(), {}, int(labels.size())};
        for (const IndexedFolder &folder : store->folders()) {
            if (keys.isEmpty() || keys.contains(folder.path))
                scope.folders.push_back(folder);
        }
        switch (format) {
        case Format::Text:
            context.out << checkReportText(findings, scope);
            writeRefreshed(context, *store, format);
            break;
        case Format::Csv:
            context.out << checkReportCsv(findings);
            writeRefreshed(context, *store, format);
            break;
        case Format::Json:
            context.out << QString::fromUtf8(checkReportJson(findings, scope));
            break;
        case Format::Html:
            context.out << checkReportHtml(findings, scope);
            break;
        }
        return hasErrors(findings) ? CliFileErrors : CliOk;
    });
}

} // namespace strovex::cli
