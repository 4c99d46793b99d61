#include "cli/cli.h"

#include "cli/cli_internal.h"
#include "inspect/label_rows.h"
#include "output/sample_value.h"
#include "output/save_file.h"
#include "platform/platform_info.h"
#include "sim/sim_designer.h"

#include <algorithm>
#include <exception>

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
             + kBatchDetails,
         {folder, dryRun}, setPrinterCommand},
        {QStringLiteral("set-paths"), QStringLiteral("OLD NEW (LABEL | --folder DIR)... [--dry-run]"),
         QStringLiteral("replace OLD by NEW in the graphics' picture paths"),
         QStringLiteral("Replaces the first occurrence of OLD (letters A to Z in any case) by NEW in the\n"
                        "picture path of every graphic and saves each label where a graphic took its new\n"
                        "path. Spaces and control characters around OLD and NEW are ignored.\n\n")
             + kBatchDetails,
         {folder, dryRun}, setPathsCommand},
        {QStringLiteral("set-variable-length"), QStringLiteral("NAME LENGTH (LABEL | --folder DIR)... [--dry-run]"),
         QStringLiteral("give the variable NAME a new length"),
         QStringLiteral("Gives the variable NAME (as the designer finds it) the length LENGTH in every\n"
                        "label that has it with another length, and saves those labels. LENGTH is a\n"
                        "whole number: optional leading spaces, an optional sign, then decimal digits, or\n"
                        "hexadecimal digits after \"$\", \"x\" or \"0x\"; nothing may follow, and it must\n"
                        "fit in 32 bits.\n\n")
             + kBatchDetails,
         {folder, dryRun}, setVariableLengthCommand},
        {QStringLiteral("extract-scripts"), QStringLiteral("[--dest DIR] (LABEL | --folder DIR)... [--dry-run]"),
         QStringLiteral("write every script function into its own .vbs file"),
         QStringLiteral("Writes the source of every Visual Basic Script function of every label into\n"
                        "LABELNAME.FUNCTION.vbs, in DIR, or beside the label without --dest. Labels\n"
                        "are not changed.\n"
                        "\n"
                        "  --dest DIR    the folder for the script files; it must exist\n")
             + kBatchDetails,
         {{QStringLiteral("dest"), true}, folder, dryRun}, extractScriptsCommand},
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

Context::~Context()
{
    if (!app_)
        return;
    // As the main window does on closing; a designer that already stopped is let go all the same.
    try {
        app_.Quit();
    } catch (const std::exception &) {
    }
    app_.release();
}

const QuillApp &Context::designer()
{
    if (!app_) {
        if (!designerWanted_)
            throw NoDesignerError{};
        app_ = QuillApp(connectDesigner(designerResolver()));
        if (!app_)
            throw NoDesignerError{};
        app_.Initialize();
        app_.SetAutomationFlag(true);
    }
    return app_;
}

IQuillmark Context::openLabel(const QString &path)
{
    const QuillApp &app = designer();
    IQuillmark label = app.OpenLabel(path);
    if (!label)
        message(QStringLiteral("File \"%1\" cannot be opened!\r\n\r\n").arg(path) + app.LastErrorText());
    return label;
}

void Context::message(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    err << lines << '\n';
    err.flush();
}

} // namespace cli

int runCli(const QStringList &args, QTextStream &out, QTextStream &err)
{
    return runCli(args, out, err, CliOptions{});
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
            context.message(QStringLiteral("Program requires Quillmark 5 or Quillmark 6 to be installed!"));
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
        }
    } catch (const UsageError &e) {
        out.flush();
        err << e.message << "\n\n" << (command ? commandHelp(*command) : programHelp());
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
