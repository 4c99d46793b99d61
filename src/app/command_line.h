#pragma once
// The program's command line: label files to open, or a request for help or
// the version.

#include <QString>
#include <QStringList>

namespace strovex {

struct CommandLine {
    enum class Action { Open, Help, Version, Usage };
    Action action = Action::Open;
    // Absolute and clean, so that they name the same page as the open dialog
    // does and mean the same wherever the designer runs.
    QStringList files;
    // What to print: the help, the version, or for Usage the fault and a usage line.
    QString text;
};

// `args` without the program name; relative paths are taken from `currentFolder`.
// "--" ends the options, so a file whose name begins with "-" can be given.
CommandLine parseCommandLine(const QStringList &args, const QString &currentFolder);

} // namespace strovex
