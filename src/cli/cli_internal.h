#pragma once
// What the commands of strovex-cli share: the parsed command line, the
// designer connection, and the errors that end a command.

#include "automation/designer_session.h"
#include "cli/cli.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace strovex::cli {

// A usage or input error: status 2, the message and the command's help on standard error.
struct UsageError {
    QString message;
};

// No designer could be connected: status 3.
struct NoDesignerError {};

struct OptionSpec {
    QString name;      // without the leading "--"
    bool takesValue = false;
};

// The arguments of one command in the order given; `option` is empty for a
// positional argument.
struct ParsedArgs {
    struct Item {
        QString option;
        QString value;
    };
    std::vector<Item> items;

    QStringList positional() const;
    bool has(const QString &option) const;
    // The last value given for `option`, or `fallback` when it is absent.
    QString value(const QString &option, const QString &fallback = {}) const;
};

class Context {
public:
    Context(QTextStream &out, QTextStream &err, const CliOptions &options, bool designerWanted);
    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;

    // Connects on first use, as the main window does; throws NoDesignerError.
    const QuillApp &designer();

    // Opens a label as the label view does. On a refusal the view's message
    // goes to standard error and the result is empty.
    IQuillmark openLabel(const QString &path);

    // The label last opened through openLabel: what a command ran out of
    // memory on, for the message that names it.
    const QString &labelInHand() const { return labelInHand_; }

    // Writes `text` to standard error as lines (CR LF becomes a line break).
    void message(const QString &text);

    QTextStream &out;
    QTextStream &err;
    const CliOptions options;

private:
    bool designerWanted_;
    DesignerSession session_;
    QString labelInHand_;
};

using CommandRun = int (*)(Context &context, const ParsedArgs &args);

struct Command {
    QString name;
    QString synopsis;  // the arguments after the name
    QString summary;   // one line for the program's help
    QString details;   // the command's own help after its usage line
    std::vector<OptionSpec> options;
    CommandRun run;
};

const std::vector<Command> &commands();

int infoCommand(Context &context, const ParsedArgs &args);
int exportVariablesCommand(Context &context, const ParsedArgs &args);
int commandFileCommand(Context &context, const ParsedArgs &args);
int graphCommand(Context &context, const ParsedArgs &args);
int previewCommand(Context &context, const ParsedArgs &args);
int searchCommand(Context &context, const ParsedArgs &args);
int findCommand(Context &context, const ParsedArgs &args);
int setPrinterCommand(Context &context, const ParsedArgs &args);
int setPathsCommand(Context &context, const ParsedArgs &args);
int setVariableLengthCommand(Context &context, const ParsedArgs &args);
int extractScriptsCommand(Context &context, const ParsedArgs &args);
int runsCommand(Context &context, const ParsedArgs &args);
int undoCommand(Context &context, const ParsedArgs &args);
int indexCommand(Context &context, const ParsedArgs &args);
int whereUsedCommand(Context &context, const ParsedArgs &args);
int queryCommand(Context &context, const ParsedArgs &args);
int inventoryCommand(Context &context, const ParsedArgs &args);
int checkCommand(Context &context, const ParsedArgs &args);

// Exactly `count` positional arguments, else a UsageError naming `what`.
QStringList requirePositional(const ParsedArgs &args, int count, const QString &what);

// The line after a run that kept labels in the journal run `id`.
QString journalLine(const QString &id);

// Control characters turned visible so that one cell stays on one line.
QString oneLine(const QString &text);

} // namespace strovex::cli
