#include "cli/cli.h"

#include "cli/cli_internal.h"
#include "inspect/label_rows.h"
#include "journal/run_journal.h"
#include "output/sample_value.h"
#include "platform/files.h"
#include "platform/native_names.h"
#include "platform/platform_info.h"
#include "sim/sim_designer.h"

#include <algorithm>
#include <exception>
#include <new>

namespace strovex {
namespace cli {
namespace {

const QString kProgram = QStringLiteral("strovex-cli");

const QString kBatchDetails = QStringLiteral(
    "The labels are taken in argument order; --folder DIR adds, at its place, the\n"
    "label files (*.lbl, letter case ignored) found in DIR and all its subfolders,\n"
    "as the tool's \"++\" button does. The report lines are those the tool's dialog\n"
    "shows after the run.\n"
    "\n"
    "  --folder DIR  add the label files of DIR and its subfolders\n"
    "  --dry-run     open and change every label as a real run would, but save no\n"
    "                label and write no file; the report is followed by one line\n"
    "                saying how many labels or files would have been written\n");

const QString kJournalDetails = QStringLiteral(
    "  --no-journal  keep no copy of the labels before they are saved: the run\n"
    "                cannot be undone\n"
    "\n"
    "Before each label is saved its bytes are copied into the run's journal, and\n"
    "after the report a line names the run; \"strovex-cli undo RUN\" takes it back.\n");

const QString kCollectionDetails = QStringLiteral(
    "\n"
    "  --db FILE  the index (default: collection.sqlite in the user's data folder)\n");

const QString kQuestionFormats = QStringLiteral(
    "  --csv      comma-separated rows, every field quoted\n"
    "  --json     one JSON object\n"
    "Answers come from the index alone, with when it was last refreshed for the\n"
    "folders it covers.\n");

QString variableColumnTitles()
{
    const auto model = createVariableGridModel();
    QStringList titles;
    for (const GridModel::ColumnInfo &column : model->columns())
        titles << column.title;
    return titles.join(QStringLiteral(", "));
}

std::vector<Command> makeCommands()
{
    const OptionSpec folder{QStringLiteral("folder"), true};
    const OptionSpec dryRun{QStringLiteral("dry-run"), false};
    const OptionSpec noJournal{QStringLiteral("no-journal"), false};
    const OptionSpec db{QStringLiteral("db"), true};
    const OptionSpec csv{QStringLiteral("csv"), false};
    const OptionSpec json{QStringLiteral("json"), false};
    return {
        {QStringLiteral("info"), QStringLiteral("LABEL... [--json]"),
         QStringLiteral("everything the label view shows"),
         QStringLiteral("For each label: the Label Info fields, the rows of the Objects, Variables,\n"
                        "Databases and Functions grids with their column titles in the grids' initial\n"
                        "order, the fonts and the dependant files.\n"
                        "\n"
                        "  --json  one JSON document instead: an array with one object per label,\n"
                        "          keyed by the page names, captions and column titles\n"),
         {{QStringLiteral("json"), false}}, infoCommand},
        {QStringLiteral("export-variables"), QStringLiteral("LABEL OUT [--sort COLUMN] [--descending]"),
         QStringLiteral("the Variables grid's export"),
         QStringLiteral("Writes the Variables grid's export of LABEL to OUT (semicolon-separated, UTF-8),\n"
                        "the rows in the grid's order.\n"
                        "\n"
                        "  --sort COLUMN  sort by this column (letter case ignored): %1\n"
                        "  --descending   sort in descending order (by Name unless --sort says otherwise)\n")
             .arg(variableColumnTitles()),
         {{QStringLiteral("sort"), true}, {QStringLiteral("descending"), false}}, exportVariablesCommand},
        {QStringLiteral("command-file"), QStringLiteral("LABEL OUT"),
         QStringLiteral("writer chosen by OUT's extension, as the app chooses"),
         QStringLiteral("Writes a command file that prints LABEL once with sample data. OUT's extension\n"
                        "chooses the format, letter case ignored: .xml an XML command file, .csv a CSV\n"
                        "command file, .dat a fixed-width data file, anything else the JOB command language.\n"),
         {}, commandFileCommand},
        {QStringLiteral("graph"), QStringLiteral("LABEL OUT"),
         QStringLiteral("DOT when OUT ends in \".dot\" (case-sensitive), else DGML"),
         QStringLiteral("Writes the dependency graph of LABEL's variables, objects, functions and\n"
                        "databases: a DOT file when OUT ends in \".dot\" (exact letter case), otherwise DGML.\n"),
         {}, graphCommand},
        {QStringLiteral("preview"), QStringLiteral("LABEL OUT.bmp [--size WIDTHxHEIGHT]"),
         QStringLiteral("the label's preview picture"),
         QStringLiteral("Writes the preview picture the designer draws of LABEL to OUT as a BMP picture.\n"
                        "\n"
                        "  --size WIDTHxHEIGHT  the picture's size in pixels (default 800x600)\n"),
         {{QStringLiteral("size"), true}}, previewCommand},
        {QStringLiteral("search"), QStringLiteral("LABEL TEXT"),
         QStringLiteral("the search's result rows, indented two spaces a level"),
         QStringLiteral("Searches LABEL's object names, variable names and variable default values for\n"
                        "TEXT (whole value, letter case significant) and prints the result rows as the\n"
                        "search pane shows them, indented two spaces a level.\n"),
         {}, searchCommand},
        {QStringLiteral("find"), QStringLiteral("FOLDER [--mask MASK]"),
         QStringLiteral("the batch tools' recursive search, one path a line"),
         QStringLiteral("Prints every file in FOLDER and its subfolders whose name matches MASK, one path\n"
                        "a line, depth first, as the batch tools' \"++\" button finds them. Hidden files\n"
                        "are found; hidden and system folders are skipped.\n"
                        "\n"
                        "  --mask MASK  \"*\" any run of characters, \"?\" one; letter case ignored\n"
                        "               (default *.lbl)\n"),
         {{QStringLiteral("mask"), true}}, findCommand},
        {QStringLiteral("set-printer"), QStringLiteral("PRINTER (LABEL | --folder DIR)... [--dry-run]"),
         QStringLiteral("give every label this printer and save it"),
         QStringLiteral("Sets PRINTER, as given, as the printer of every label and saves the label.\n\n")
             + kBatchDetails + kJournalDetails,
         {folder, dryRun, noJournal}, setPrinterCommand},
        {QStringLiteral("set-paths"), QStringLiteral("OLD NEW (LABEL | --folder DIR)... [--dry-run]"),
         QStringLiteral("replace OLD by NEW in the graphics' picture paths"),
         QStringLiteral("Replaces the first occurrence of OLD (letters A to Z in any case) by NEW in the\n"
                        "picture path of every graphic and saves each label where a graphic took its new\n"
                        "path. Spaces and control characters around OLD and NEW are ignored.\n\n")
             + kBatchDetails + kJournalDetails,
         {folder, dryRun, noJournal}, setPathsCommand},
        {QStringLiteral("set-variable-length"), QStringLiteral("NAME LENGTH (LABEL | --folder DIR)... [--dry-run]"),
         QStringLiteral("give the variable NAME a new length"),
         QStringLiteral("Gives the variable NAME (as the designer finds it) the length LENGTH in every\n"
                        "label that has it with another length, and saves those labels. LENGTH is a\n"
                        "whole number: optional leading spaces, an optional sign, then decimal digits, or\n"
                        "hexadecimal digits after \"$\", \"x\" or \"0x\"; nothing may follow, and it must\n"
                        "fit in 32 bits.\n\n")
             + kBatchDetails + kJournalDetails,
         {folder, dryRun, noJournal}, setVariableLengthCommand},
        {QStringLiteral("extract-scripts"), QStringLiteral("[--dest DIR] (LABEL | --folder DIR)... [--dry-run]"),
         QStringLiteral("write every script function into its own .vbs file"),
         QStringLiteral("Writes the source of every Visual Basic Script function of every label into\n"
                        "LABELNAME.FUNCTION.vbs, in DIR, or beside the label without --dest. Labels\n"
                        "are not changed.\n"
                        "\n"
                        "  --dest DIR    the folder for the script files; it must exist\n")
             + kBatchDetails,
         {{QStringLiteral("dest"), true}, folder, dryRun}, extractScriptsCommand},
        {QStringLiteral("runs"), QStringLiteral("[--json | --prune DAYS]"),
         QStringLiteral("the runs kept in the journal, and the space they take"),
         QStringLiteral("Lists the changing runs kept in the journal, oldest first: id, time (UTC),\n"
                        "command, labels changed and the space the run's copies take.\n"
                        "\n"
                        "  --json        a JSON array instead, one object per run (id, time, command,\n"
                        "                arguments, labels, bytes, finished)\n"
                        "  --prune DAYS  remove the runs older than DAYS days\n"),
         {{QStringLiteral("json"), false}, {QStringLiteral("prune"), true}}, runsCommand},
        {QStringLiteral("undo"), QStringLiteral("RUN [--force] [--dry-run]"),
         QStringLiteral("put back the labels a run changed"),
         QStringLiteral("Puts back the bytes each label of RUN had before the run, where the label is\n"
                        "still as the run left it; a label changed since is named and left alone. What\n"
                        "the undo replaces is kept in a new run, so an undo can be undone too.\n"
                        "\n"
                        "  --force    restore labels changed since the run as well\n"
                        "  --dry-run  say what would happen and change nothing\n"),
         {{QStringLiteral("force"), false}, dryRun}, undoCommand},
        {QStringLiteral("index"), QStringLiteral("FOLDER... [--db FILE] [--json]"),
         QStringLiteral("record every label below the folders in the collection index"),
         QStringLiteral("Walks each FOLDER as \"++\" does and records in the index what \"info --json\"\n"
                        "shows of every label, with the file's size, time and SHA-256, or the designer's\n"
                        "text when it refuses the label. Labels unchanged since the last run are not\n"
                        "opened again; a changed one is read again, a deleted one removed, a moved one\n"
                        "(same bytes at a new path) re-keyed without opening it. The labels of a folder\n"
                        "that cannot be reached are kept and marked \"not seen\". Each label is written\n"
                        "on its own, so a run that is stopped (Ctrl+C) or killed goes on where it ended.\n")
             + kCollectionDetails
             + QStringLiteral("  --json     the summary as one JSON object\n"),
         {db, json}, indexCommand},
        {QStringLiteral("where-used"), QStringLiteral("--printer|--font|--variable|--picture|--database|--function|"
                                                      "--dependent-file PATTERN [--db FILE] [--csv|--json]"),
         QStringLiteral("the indexed labels that use a printer, font, variable, ..."),
         QStringLiteral("Lists the indexed labels, sorted by path, with the objects, variables, ... that\n"
                        "match PATTERN (\"*\" any run of characters, \"?\" one; letter case ignored).\n"
                        "Printers, fonts, variables and functions match by the whole name; a picture\n"
                        "(a graphic's file) or dependent file by any part of its path; a database by\n"
                        "its name, its table or a part of its connection string.\n")
             + kCollectionDetails + kQuestionFormats,
         {{QStringLiteral("printer"), true}, {QStringLiteral("font"), true}, {QStringLiteral("variable"), true},
          {QStringLiteral("picture"), true}, {QStringLiteral("database"), true}, {QStringLiteral("function"), true},
          {QStringLiteral("dependent-file"), true}, db, csv, json},
         whereUsedCommand},
        {QStringLiteral("query"), QStringLiteral("TEXT... [--limit N] [--db FILE] [--csv|--json]"),
         QStringLiteral("full-text search over everything indexed"),
         QStringLiteral("Searches the names, contents, default values, SQL, connection strings and\n"
                        "scripts of every indexed label for words starting with each word of TEXT, best\n"
                        "matches first, and shows the field that matched.\n"
                        "\n"
                        "  --limit N  at most N hits (default 100)\n")
             + kCollectionDetails + kQuestionFormats,
         {{QStringLiteral("limit"), true}, db, csv, json}, queryCommand},
        {QStringLiteral("inventory"), QStringLiteral("[FOLDER...] [--db FILE] [--csv|--json]"),
         QStringLiteral("one row per indexed label"),
         QStringLiteral("Lists every indexed label (below FOLDER, when given): path, title, size in the\n"
                        "label's unit, printer, counts of objects, variables, databases and functions,\n"
                        "when it was indexed and its state (read, refused, failed; \"not seen\" when its\n"
                        "folder could not be reached).\n")
             + kCollectionDetails + kQuestionFormats,
         {db, csv, json}, inventoryCommand},
        {QStringLiteral("check"), QStringLiteral("[FOLDER...] [--ignore RULE]... [--db FILE] [--csv|--json|--html]"),
         QStringLiteral("the health check of the indexed labels"),
         QStringLiteral("Checks the indexed labels (those below FOLDER, which is indexed first, when\n"
                        "given) against the rules and reports each finding with its rule, severity and\n"
                        "the label and item it concerns. Exit status 1 when a finding is an error.\n"
                        "\n"
                        "  --rules        list the rules and do nothing else\n"
                        "  --ignore RULE  leave RULE out (may be given more than once)\n"
                        "  --html         one self-contained HTML page instead of text\n")
             + kCollectionDetails + kQuestionFormats,
         {{QStringLiteral("rules"), false}, {QStringLiteral("ignore"), true}, {QStringLiteral("html"), false}, db, csv,
          json},
         checkCommand},
    };
}

QString programHelp()
{
    QString text = QStringLiteral("Usage: %1 [--designer auto|none] COMMAND [ARGS]\n"
                                  "\n"
                                  "Inspects label files, writes files derived from them and changes many labels in\n"
                                  "one run, through the label designer, without windows.\n"
                                  "\n"
                                  "Commands:\n")
                       .arg(kProgram);
    for (const Command &c : commands())
        text += QStringLiteral("  %1 %2\n      %3\n").arg(c.name, c.synopsis, c.summary);
    text += QStringLiteral(
        "\n"
        "Options:\n"
        "  --designer auto  connect to the installed designer (the default)\n"
        "  --designer none  use no designer: commands that need one end with status 3\n"
        "  --help           this text; COMMAND --help shows the command's own\n"
        "  --version        the program's version\n"
        "\n"
        "Exit status: 0 all done; 1 the run finished and at least one file reported an\n"
        "error; 2 a usage or input error; 3 no designer, or a designer call failed\n"
        "outright and ended the run.\n");
    return text;
}

QString commandHelp(const Command &c)
{
    return QStringLiteral("Usage: %1 [--designer auto|none] %2 %3\n\n%4").arg(kProgram, c.name, c.synopsis, c.details);
}

bool isHelp(const QString &arg)
{
    return arg == u"--help" || arg == u"-h";
}

// Splits "--name=value" into name and value; `value` stays null without "=".
QString optionName(const QString &arg, QString &value)
{
    const QString body = arg.mid(2);
    const qsizetype eq = body.indexOf(u'=');
    if (eq < 0)
        return body;
    value = body.mid(eq + 1);
    return body.left(eq);
}

ParsedArgs parseCommandArgs(const Command &command, const QStringList &args)
{
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        // Only "--" starts an option, so a negative number such as a length of -5 stays an argument.
        if (optionsEnded || !arg.startsWith(QStringLiteral("--"))) {
            parsed.items.push_back({QString(), arg});
            continue;
        }
        if (arg == u"--") {
            optionsEnded = true;
            continue;
        }
        QString value;
        const QString name = optionName(arg, value);
        const auto option = std::find_if(command.options.begin(), command.options.end(),
                                         [&](const OptionSpec &o) { return o.name == name; });
        if (name.isEmpty() || option == command.options.end())
            throw UsageError{QStringLiteral("Unknown option %1.").arg(arg)};
        if (option->takesValue && value.isNull()) {
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("Option --%1 needs a value.").arg(name)};
            value = args[++i];
        } else if (!option->takesValue && !value.isNull()) {
            throw UsageError{QStringLiteral("Option --%1 takes no value.").arg(name)};
        }
        parsed.items.push_back({name, value});
    }
    return parsed;
}

} // namespace

const std::vector<Command> &commands()
{
    static const std::vector<Command> all = makeCommands();
    return all;
}

QStringList ParsedArgs::positional() const
{
    QStringList result;
    for (const Item &item : items) {
        if (item.option.isEmpty())
            result << item.value;
    }
    return result;
}

bool ParsedArgs::has(const QString &option) const
{
    return std::any_of(items.begin(), items.end(), [&](const Item &item) { return item.option == option; });
}

QString ParsedArgs::value(const QString &option, const QString &fallback) const
{
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        if (it->option == option)
            return it->value;
    }
    return fallback;
}

QStringList requirePositional(const ParsedArgs &args, int count, const QString &what)
{
    const QStringList values = args.positional();
    if (values.size() != count)
        throw UsageError{QStringLiteral("Expected %1.").arg(what)};
    return values;
}

QString oneLine(const QString &text)
{
    QString result = EscapeLineBreaks(text);
    for (QChar &c : result) {
        if (c.unicode() < 32)
            c = u' ';
    }
    return result;
}

Context::Context(QTextStream &out, QTextStream &err, const CliOptions &options, bool designerWanted)
    : out(out), err(err), options(options), designerWanted_(designerWanted)
{
}

const QuillApp &Context::designer()
{
    if (!session_) {
        if (!designerWanted_ || !session_.connect(designerResolver()))
            throw NoDesignerError{};
    }
    return session_.app();
}

IQuillmark Context::openLabel(const QString &path)
{
    designer();
    labelInHand_ = path;
    OpenedLabel opened = session_.openLabel(path);
    if (!opened)
        message(opened.failure);
    return std::move(opened.label);
}

void Context::message(const QString &text)
{
    // Names and designer texts in a message may hold control characters: each
    // line is shown as a report line is, so none reaches the terminal.
    QStringList lines = text.split(QStringLiteral("\r\n"));
    for (QString &line : lines)
        line = oneLine(line);
    err << lines.join(u'\n') << '\n';
    err.flush();
}

} // namespace cli

int runCli(const QStringList &args, QTextStream &out, QTextStream &err)
{
    return runCli(args, out, err, CliOptions{});
}

int runCli(const QList<QByteArray> &nativeArgs, QTextStream &out, QTextStream &err, const CliOptions &options)
{
    QStringList args;
    for (const QByteArray &native : nativeArgs) {
        const std::optional<QString> text = exactNameText(native);
        if (!text) {
            err << QStringLiteral("Argument \"%1\" is refused: it is not valid UTF-8, so it would name another file.")
                       .arg(cli::oneLine(shownNativeName(native)))
                << '\n';
            err.flush();
            return CliUsage;
        }
        args << *text;
    }
    return runCli(args, out, err, options);
}

int runCli(const QStringList &args, QTextStream &out, QTextStream &err, const CliOptions &options)
{
    using namespace cli;
    const Command *command = nullptr;
    int status = CliOk;
    try {
        bool designerWanted = true;
        qsizetype i = 0;
        for (; i < args.size() && args[i].startsWith(u'-'); ++i) {
            const QString &arg = args[i];
            if (isHelp(arg)) {
                out << programHelp();
                out.flush();
                return CliOk;
            }
            if (arg == u"--version") {
                out << QStringLiteral("%1 %2\n").arg(kProgram, versionText(productVersion(), buildNumber()));
                out.flush();
                return CliOk;
            }
            QString value;
            if (!arg.startsWith(QStringLiteral("--")) || optionName(arg, value) != u"designer")
                throw UsageError{QStringLiteral("Unknown option %1.").arg(arg)};
            if (value.isNull()) {
                if (++i >= args.size())
                    throw UsageError{QStringLiteral("Option --designer needs a value: auto or none.")};
                value = args[i];
            }
            if (value != u"auto" && value != u"none")
                throw UsageError{QStringLiteral("Option --designer takes auto or none, not \"%1\".").arg(value)};
            designerWanted = value == u"auto";
        }
        if (i >= args.size())
            throw UsageError{QStringLiteral("No command given.")};
        const QString name = args[i];
        for (const Command &c : commands()) {
            if (c.name == name)
                command = &c;
        }
        if (!command)
            throw UsageError{QStringLiteral("Unknown command \"%1\".").arg(name)};
        const QStringList rest = args.mid(i + 1);
        const auto endOfOptions = std::find(rest.begin(), rest.end(), QStringLiteral("--"));
        if (std::any_of(rest.begin(), endOfOptions, isHelp)) {
            out << commandHelp(*command);
            out.flush();
            return CliOk;
        }
        const ParsedArgs parsed = parseCommandArgs(*command, rest);
        Context context(out, err, options, designerWanted);
        try {
            status = command->run(context, parsed);
        } catch (const NoDesignerError &) {
            context.message(DesignerSession::noDesignerText());
            status = CliNoDesigner;
        } catch (const sim::DesignerChoiceError &e) {
            context.message(QString::fromUtf8(e.what()));
            status = CliUsage;
        } catch (const AutomationError &e) {
            context.message(toQString(e.text()));
            status = CliNoDesigner;
        } catch (const FileError &e) {
            context.message(e.message());
            status = CliFileErrors;
        } catch (const JournalError &e) {
            context.message(e.message());
            status = CliFileErrors;
        } catch (const std::bad_alloc &) {
            if (context.labelInHand().isEmpty())
                throw;
            context.message(LabelTooLargeError::text(context.labelInHand()));
            status = CliFileErrors;
        }
    } catch (const UsageError &e) {
        out.flush();
        err << oneLine(e.message) << "\n\n" << (command ? commandHelp(*command) : programHelp());
        status = CliUsage;
    } catch (const std::exception &e) {
        err << QString::fromUtf8(e.what()) << '\n';
        status = CliFileErrors;
    }
    out.flush();
    err.flush();
    return status;
}

} // namespace strovex
