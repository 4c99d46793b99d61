#include "collection/check_report.h"

#include "collection/questions.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>

namespace strovex {
namespace {

QString visible(const QString &text)
{
    QString result;
    for (const QChar c : text) {
        if (c == u'\n')
            result += QStringLiteral("\\n");
        else if (c == u'\r')
            result += QStringLiteral("\\r");
        else if (c.unicode() < 32)
            result += u' ';
        else
            result += c;
    }
    return result;
}

QString plural(qsizetype count, const QString &word)
{
    return QStringLiteral("%1 %2%3").arg(count).arg(word, count == 1 ? QString() : QStringLiteral("s"));
}

struct Counts {
    int errors = 0;
    int warnings = 0;
    int notes = 0;
    void add(Severity severity)
    {
        (severity == Severity::Error ? errors : severity == Severity::Warning ? warnings : notes) += 1;
    }
};

QString folderOf(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).path());
}

QString html(const QString &text)
{
    return text.toHtmlEscaped().replace(u'\'', QStringLiteral("&#39;"));
}

} // namespace

QString findingCountsText(const std::vector<Finding> &findings)
{
    Counts counts;
    for (const Finding &f : findings)
        counts.add(f.severity);
    return QStringLiteral("%1, %2, %3")
        .arg(plural(counts.errors, QStringLiteral("error")), plural(counts.warnings, QStringLiteral("warning")),
             plural(counts.notes, QStringLiteral("note")));
}

bool hasErrors(const std::vector<Finding> &findings)
{
    return std::any_of(findings.begin(), findings.end(), [](const Finding &f) { return f.severity == Severity::Error; });
}

QString csvField(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvLine(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &field : fields)
        quoted << csvField(field);
    return quoted.join(u',') + QStringLiteral("\r\n");
}

QString checkReportText(const std::vector<Finding> &findings, const ReportScope &scope)
{
    QString text;
    for (const Finding &f : findings) {
        text += QStringLiteral("%1: %2 [%3] ").arg(visible(f.path), severityName(f.severity), f.rule);
        if (!f.item.isEmpty())
            text += visible(f.item) + QStringLiteral(": ");
        text += visible(f.message) + u'\n';
    }
    text += QStringLiteral("%1 in %2.\n").arg(findingCountsText(findings), plural(scope.labels, QStringLiteral("label")));
    return text;
}

QString checkReportCsv(const std::vector<Finding> &findings)
{
    QString text = csvLine({QStringLiteral("Severity"), QStringLiteral("Rule"), QStringLiteral("Label"),
                            QStringLiteral("Item"), QStringLiteral("Message")});
    for (const Finding &f : findings)
        text += csvLine({severityName(f.severity), f.rule, f.path, f.item, f.message});
    return text;
}

QJsonArray foldersJson(const ReportScope &scope)
{
    QJsonArray folders;
    for (const IndexedFolder &folder : scope.folders)
        folders.append(QJsonObject{{QStringLiteral("path"), folder.path},
                                   {QStringLiteral("refreshed"), indexTimeText(folder.refreshed)},
                                   {QStringLiteral("reachable"), folder.reachable}});
    return folders;
}

QByteArray checkReportJson(const std::vector<Finding> &findings, const ReportScope &scope)
{
    QJsonArray list;
    Counts counts;
    for (const Finding &f : findings) {
        counts.add(f.severity);
        list.append(QJsonObject{{QStringLiteral("label"), f.path},
                                {QStringLiteral("rule"), f.rule},
                                {QStringLiteral("severity"), severityName(f.severity)},
                                {QStringLiteral("item"), f.item},
                                {QStringLiteral("message"), f.message}});
    }
    const QJsonObject document{{QStringLiteral("index"), scope.index},
                               {QStringLiteral("folders"), foldersJson(scope)},
                               {QStringLiteral("labels"), scope.labels},
                               {QStringLiteral("errors"), counts.errors},
                               {QStringLiteral("warnings"), counts.warnings},
                               {QStringLiteral("notes"), counts.notes},
                               {QStringLiteral("findings"), list}};
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

QString checkReportHtml(const std::vector<Finding> &findings, const ReportScope &scope)
{
    std::map<QString, std::pair<Severity, int>> byRule;
    std::map<QString, Counts> byFolder;
    for (const HealthRule &rule : healthRules())
        byRule[rule.id] = {rule.severity, 0};
    for (const Finding &f : findings) {
        byRule[f.rule].second += 1;
        byFolder[folderOf(f.path)].add(f.severity);
    }
    QString page = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>Strovex health check</title>\n<style>\n"
        "body{font-family:sans-serif;margin:1.5em}table{border-collapse:collapse;margin-bottom:1.5em}"
        "th,td{border:1px solid #bbb;padding:.2em .5em;text-align:left;vertical-align:top;white-space:pre-wrap}"
        "th{background:#eee}.error{color:#a00}.warning{color:#850}.note{color:#555}\n"
        "</style>\n</head>\n<body>\n<h1>Health check</h1>\n");
    page += QStringLiteral("<p id=\"summary\">%1 in %2.</p>\n")
                .arg(html(findingCountsText(findings)), html(plural(scope.labels, QStringLiteral("label"))));
    page += QStringLiteral("<p>Index: %1</p>\n<ul id=\"folders\">\n").arg(html(scope.index));
    for (const IndexedFolder &folder : scope.folders)
        page += QStringLiteral("<li>%1: refreshed %2%3</li>\n")
                    .arg(html(folder.path), html(indexTimeText(folder.refreshed)),
                         folder.reachable ? QString() : QStringLiteral(" (not reachable on the last run)"));
    page += QStringLiteral("</ul>\n<h2>By rule</h2>\n<table id=\"by-rule\">\n"
                           "<tr><th>Rule</th><th>Severity</th><th>Findings</th></tr>\n");
    for (const HealthRule &rule : healthRules()) {
        const auto &[severity, count] = byRule[rule.id];
        page += QStringLiteral("<tr><td>%1</td><td class=\"%2\">%2</td><td>%3</td></tr>\n")
                    .arg(html(rule.id), severityName(severity))
                    .arg(count);
    }
    page += QStringLiteral("</table>\n<h2>By folder</h2>\n<table id=\"by-folder\">\n"
                           "<tr><th>Folder</th><th>Errors</th><th>Warnings</th><th>Notes</th></tr>\n");
    for (const auto &[folder, counts] : byFolder)
        page += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>\n")
                    .arg(html(folder))
                    .arg(counts.errors)
                    .arg(counts.warnings)
                    .arg(counts.notes);
    page += QStringLiteral("</table>\n<h2>Findings</h2>\n<table id=\"findings\">\n"
                           "<tr><th>Label</th><th>Severity</th><th>Rule</th><th>Item</th><th>Message</th></tr>\n");
    for (const Finding &f : findings)
        page += QStringLiteral("<tr><td>%1</td><td class=\"%2\">%2</td><td>%3</td><td>%4</td><td>%5</td></tr>\n")
                    .arg(html(f.path), severityName(f.severity), html(f.rule), html(f.item), html(f.message));
    page += QStringLiteral("</table>\n</body>\n</html>\n");
    return page;
}

} // namespace strovex
