#pragma once
// The run of the Extract Scripts dialog: the source of every script function
// of many labels into one file per function.

#include "automation/designer.h"
#include "tools/batch_runs.h"
#include "tools/report_sink.h"

#include <QString>
#include <QStringList>

namespace strovex {

// destination (with one trailing separator added when it has none), or the
// label's own folder when `destination` is empty; then the label's file name
// without its last extension, ".", the function name (each lone surrogate in
// it as U+FFFD) and ".vbs".
QString scriptFileName(const QString &destination, const QString &labelPath, const QString &functionName);

// Annotate style: a line gets " - 1 script saved." or " - N scripts saved."
// (no suffix when nothing was written) or the cannot-open suffix. A function
// that fails while it is examined, or whose file name was already written in
// this run, is skipped; the line then reads " - Error: " followed by
// "Function "<name>" skipped: <reason>." for each, then the saved count
// ("No script saved." for none). A script file that cannot be written (also
// where a symbolic link has its name), or a function name that would lead out
// of the destination folder, ends the run with FileError (lines below keep
// their plain text; files written before stay). A designer call that fails
// outright outside one function's examination propagates as AutomationError.
// `hooks.writeFile` stands in for writing a script file; labels are never saved.
void runExtractScripts(const QStringList &files, const QuillApp &app, const QString &destination,
                       ReportSink &report, const RunHooks &hooks = {});

} // namespace strovex
