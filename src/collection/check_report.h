#pragma once
// The health check's report as text, CSV, JSON and one self-contained HTML
// page, and the CSV field rule the other collection outputs share.

#include "collection/collection_store.h"
#include "collection/health_check.h"

#include <QByteArray>

#include <vector>

namespace strovex {

// When the folders the report covers were last indexed.
struct ReportScope {
    QString index; // the store's location
    std::vector<IndexedFolder> folders;
    int labels = 0;
};

// "path: severity [rule] item: message" a line, control characters made
// visible, then one summary line. Lines end with "\n".
QString checkReportText(const std::vector<Finding> &findings, const ReportScope &scope);
// A header line, then one row per finding; CR LF line ends, every field quoted.
QString checkReportCsv(const std::vector<Finding> &findings);
QByteArray checkReportJson(const std::vector<Finding> &findings, const ReportScope &scope);
// A page that opens from disk: its style inline, no script. A summary by rule
// and by folder at the top, then the findings; every text escaped.
QString checkReportHtml(const std::vector<Finding> &findings, const ReportScope &scope);

// "3 errors, 1 warning, 0 notes"
QString findingCountsText(const std::vector<Finding> &findings);
bool hasErrors(const std::vector<Finding> &findings);

// One CSV field: always quoted, quotes doubled, so commas and line breaks stay in it.
QString csvField(const QString &text);
QString csvLine(const QStringList &fields); // fields joined by commas, then CR LF

} // namespace strovex
