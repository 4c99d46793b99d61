#pragma once
// The runs of the batch dialogs, free of widgets. Each goes over the file list
// through the designer connection and writes its report to a sink. A designer
// call that fails outright propagates as AutomationError: the run ends there,
// the lines written so far stay in the sink, and the label then open is
// released. Each label is saved at most once per visit and only when the run
// changed it (Set printer always saves).

#include "automation/designer.h"
#include "journal/run_journal.h"
#include "tools/report_sink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace strovex {

// The points where a run leaves a trace on disk, and a look-out on its
// progress. An empty member keeps the real behaviour.
struct RunHooks {
    // Stands in for IQuillmark::Save; true when the label counts as saved.
    std::function<bool(const IQuillmark &label)> save;
    // Stands in for writing one script file in one go; may throw FileError.
    std::function<void(const QString &path, const QByteArray &bytes)> writeFile;
    // Told before the run starts on file `index` (0-based) of `total`.
    std::function<void(int index, int total, const QString &path)> fileStarted;
    // Asked between labels (after fileStarted, before the label is opened):
    // true ends the run there, so every label is untouched or fully done, and
    // the report ends with StoppedLine.
    std::function<bool()> stopRequested;
    // Told just before the designer saves the label `path` (never in a dry
    // run): a text says why the label must not be saved.
    std::function<std::optional<QString>(const QString &path)> beforeSave;
    // Told after that save with the report line that says how it went.
    std::function<void(const QString &outcome)> afterSave;
};

// The report's last line after a stop: `done` labels of `total` were done.
QString StoppedLine(int done, int total);

// Tells the hooks that file `index` of `total` starts; false when the run is
// to stop before it (the stopped line is then in the report).
bool startFile(const RunHooks &hooks, int index, int total, const QString &path, ReportSink &report);

// Gives the line just written about `path` (a label the designer would not
// open) the designer's reason, when it gave one.
void reportOpenRefusal(const QuillApp &app, const QString &path, ReportSink &report);

// A dry run: labels are opened and changed as usual, but every save and every
// script file is only counted in `count` (which must outlive the hooks) and
// reported as successful; nothing is saved or written.
RunHooks dryRunHooks(int &count);

// `hooks` with every save kept in `journal` (which must outlive them): the
// label's bytes are copied before the save and its new hash recorded after.
RunHooks journalled(RunHooks hooks, RunJournal &journal);

// Annotate style: every line becomes path + " - Done." or an error suffix.
void runSetPrinter(const QStringList &files, const QuillApp &app, const QString &printer, ReportSink &report,
                   const RunHooks &hooks = {});

// Log style. Both paths are taken with characters 0 to 32 trimmed from both
// ends; `newPathTyped` is quoted as typed in the refusal messages.
void runSetPaths(const QStringList &files, const QuillApp &app, const QString &oldPathTyped,
                 const QString &newPathTyped, ReportSink &report, const RunHooks &hooks = {});

struct SetVariableRequest {
    QString name;
    int newLength = 0;
};
// Nothing when the name is empty or the length is not a whole number: the
// click then has no effect at all.
std::optional<SetVariableRequest> setVariableRequest(const QString &name, const QString &newLengthText);
// Log style.
void runSetVariableLength(const QStringList &files, const QuillApp &app, const SetVariableRequest &request,
                          ReportSink &report, const RunHooks &hooks = {});

// Trims characters 0 to 32 from both ends.
QString trimControls(const QString &text);
// First occurrence of `needle` in `haystack` with only A to Z folded; -1 when
// absent or when `needle` is empty.
qsizetype indexOfAsciiFolded(const QString &haystack, const QString &needle);

} // namespace strovex
