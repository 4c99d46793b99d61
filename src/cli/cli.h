#pragma once
// strovex-cli: the inspection, output and batch tools without windows, over
// the same core, designer connection and writers as the app.

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTextStream>

namespace strovex {

// The program's exit statuses.
enum CliStatus {
    CliOk = 0,          // all done
    CliFileErrors = 1,  // the run finished and at least one file reported an error
    CliUsage = 2,       // a usage or input error
    CliNoDesigner = 3,  // no designer, or a designer call failed outright and ended the run
    CliStopped = 130,   // a batch run stopped by Ctrl+C (128 + SIGINT, as shells report it)
};

struct CliOptions {
    // Standard error is a terminal: long batch runs show a self-updating line there.
    bool progressLine = false;
};

// Runs one command line (the arguments after the program name): results go to
// `out`, messages, help after a usage error and the progress line to `err`.
// Returns a CliStatus; never throws. The designer connection is made when a
// command needs one and let go before returning.
int runCli(const QStringList &args, QTextStream &out, QTextStream &err, const CliOptions &options);
int runCli(const QStringList &args, QTextStream &out, QTextStream &err);

// The same with the arguments as the system passed them (bytes, on POSIX
// systems). An argument that is not valid text is refused with status 2:
// read as text it would name another file.
int runCli(const QList<QByteArray> &nativeArgs, QTextStream &out, QTextStream &err, const CliOptions &options);

} // namespace strovex
