#pragma once
// The runs of the batch dialogs, free of widgets. Each goes over the file list
// through the designer connection and writes its report to a sink. A designer
// call that fails outright propagates as AutomationError: the run ends there,
// the lines written so far stay in the sink, and the label then open is
// released. Each label is saved at most once per visit and only when the run
// changed it (Set printer always saves).

#include "automation/designer.h"
#include "tools/report_sink.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace strovex {

// Annotate style: every line becomes path + " - Done." or an error suffix.
void runSetPrinter(const QStringList &files, const QuillApp &app, const QString &printer, ReportSink &report);

// Log style. Both paths are taken with characters 0 to 32 trimmed from both
// ends; `newPathTyped` is quoted as typed in the refusal messages.
void runSetPaths(const QStringList &files, const QuillApp &app, const QString &oldPathTyped,
                 const QString &newPathTyped, ReportSink &report);

struct SetVariableRequest {
    QString name;
    int newLength = 0;
};
// Nothing when the name is empty or the length is not a whole number: the
// click then has no effect at all.
std::optional<SetVariableRequest> setVariableRequest(const QString &name, const QString &newLengthText);
// Log style.
void runSetVariableLength(const QStringList &files, const QuillApp &app, const SetVariableRequest &request,
                          ReportSink &report);

// Trims characters 0 to 32 from both ends.
QString trimControls(const QString &text);
// First occurrence of `needle` in `haystack` with only A to Z folded; -1 when
// absent or when `needle` is empty.
qsizetype indexOfAsciiFolded(const QString &haystack, const QString &needle);

} // namespace strovex
