// The check report's formats: a path with any characters comes back whole
// from the CSV and the JSON, and the HTML escapes it.

#include "collection/check_report.h"

#include "collection_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace strovex;
using namespace strovex::test;

namespace {

const QString kOddPath = QStringLiteral("/labels/<b>&\"quoted\", 'single'\nsecond line\r\u00e9.lbl");

std::vector<Finding> findings()
{
    return {{QStringLiteral("picture-missing"), Severity::Error, kOddPath, QStringLiteral("Logo <img>"),
             QStringLiteral("Picture file \"a,b\" does not exist.")},
            {QStringLiteral("variable-unused"), Severity::Note, QStringLiteral("/labels/b.lbl"), QStringLiteral("Spare"),
             QStringLiteral("The variable is not used.")}};
}

// RFC 4180 fields back from text whose every field is quoted.
std::vector<QStringList> parseCsv(const QString &text)
{
    std::vector<QStringList> rows(1);
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            rows.back() << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            rows.back() << field;
            field.clear();
            rows.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    rows.pop_back(); // after the last line break
    return rows;
}

} // namespace

TEST(CheckReport, CsvAndJsonGiveEveryTextBackWhole)
{
    const std::vector<IndexedFolder> folders{{QStringLiteral("/labels"), 1'765'000'000'000, true}};
    const std::vector<QStringList> rows = parseCsv(checkReportCsv(findings()));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (QStringList{QStringLiteral("Severity"), QStringLiteral("Rule"), QStringLiteral("Label"),
                                    QStringLiteral("Item"), QStringLiteral("Message")}));
    EXPECT_EQ(rows[1], (QStringList{QStringLiteral("error"), QStringLiteral("picture-missing"), kOddPath,
                                    QStringLiteral("Logo <img>"), QStringLiteral("Picture file \"a,b\" does not exist.")}));

    const QJsonObject json = QJsonDocument::fromJson(checkReportJson(findings(), {QStringLiteral("/x.sqlite"), folders, 2}))
                                 .object();
    EXPECT_EQ(json.value(QStringLiteral("errors")).toInt(), 1);
    EXPECT_EQ(json.value(QStringLiteral("notes")).toInt(), 1);
    EXPECT_EQ(json.value(QStringLiteral("folders")).toArray()[0].toObject().value(QStringLiteral("refreshed")).toString(),
              QStringLiteral("2025-12-06 05:46:40 UTC"));
    EXPECT_EQ(json.value(QStringLiteral("findings")).toArray()[0].toObject().value(QStringLiteral("label")).toString(),
              kOddPath);
}

TEST(CheckReport, HtmlEscapesEveryTextAndSummarisesByRuleAndFolder)
{
    const QString page = checkReportHtml(findings(), {QStringLiteral("/x.sqlite"), {}, 2});
    EXPECT_FALSE(page.contains(QStringLiteral("<b>")));
    EXPECT_FALSE(page.contains(QStringLiteral("<img>")));
    EXPECT_FALSE(page.contains(QStringLiteral("<script")));
    EXPECT_TRUE(page.contains(QStringLiteral("&lt;b&gt;&amp;&quot;quoted&quot;, &#39;single&#39;\nsecond line\r\u00e9.lbl")));
    EXPECT_TRUE(page.contains(QStringLiteral("<p id=\"summary\">1 error, 0 warnings, 1 note in 2 labels.</p>")));
    EXPECT_TRUE(page.contains(QStringLiteral("<tr><td>picture-missing</td><td class=\"error\">error</td><td>1</td></tr>")));
    EXPECT_TRUE(page.contains(QStringLiteral("<tr><td>/labels</td><td>1</td><td>0</td><td>1</td></tr>")));
}

TEST(CheckReport, TextKeepsOneFindingALine)
{
    const QString text = checkReportText(findings(), {QStringLiteral("/x.sqlite"), {}, 2});
    EXPECT_EQ(text.count(u'\n'), 3);
    EXPECT_TRUE(text.endsWith(QStringLiteral("1 error, 0 warnings, 1 note in 2 labels.\n")));
}
