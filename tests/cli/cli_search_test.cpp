// search: the app's result rows for one label, indented two spaces a level.

#include "cli_fixture.h"

#include "app/search_label.h"
#include "inspect/label_rows.h"

using namespace strovex;
using namespace strovex::test;

namespace {

const QByteArray kLabel = R"({
    "SimulatedLabel": 1,
    "Objects": [
        {"Name": "Logo", "Kind": 303},
        {"Name": "Article", "Kind": 301},
        {"Name": "article", "Kind": 301},
        {"Name": "", "Kind": 305}
    ],
    "Variables": [
        {"ID": 1, "Name": "Zeta", "Kind": 2, "Length": 20, "DefaultValue": "Article"},
        {"ID": 2, "Name": "Article", "Kind": 1, "Length": 10, "DefaultValue": "Article"},
        {"ID": 3, "Name": "Price", "Kind": 1, "Length": 8, "DefaultValue": ""}
    ]
})";

void addLines(const SearchTreeRow &row, int level, QStringList &lines)
{
    lines << QString(2 * level, u' ') + row.text;
    for (const SearchTreeRow &child : row.children)
        addLines(child, level + 1, lines);
}

// What the app's search adds to the results tree for `text`.
QStringList appSearch(const QString &path, const QString &text)
{
    const QuillApp app{sim::createApplication()};
    const IQuillmark label = app.OpenLabel(path);
    auto objects = createObjectGridModel();
    std::vector<TObjectRow> objectRows;
    FillObjectRows(label, label.Objects(), objectRows);
    objects->setRows(std::move(objectRows));
    auto variables = createVariableGridModel();
    std::vector<TVariableRow> variableRows;
    FillVariableRows(label.Variables(), label.OtherVariables(), variableRows);
    variables->setRows(std::move(variableRows));
    QStringList lines;
    addLines(SearchLabel(label.FileName(), objects->rowsInDisplayOrder(), variables->rowsInDisplayOrder(), text), 0,
             lines);
    return lines;
}

} // namespace

TEST_F(CliTest, SearchPrintsTheAppsResultRows)
{
    const QString path = dir.write(QStringLiteral("search.lbl"), kLabel);
    for (const QString &text : {QStringLiteral("Article"), QStringLiteral("article"), QString(), QStringLiteral("Artic"),
                                QStringLiteral("Logo")}) {
        const CliResult result = runCliCaptured({QStringLiteral("search"), path, text});
        EXPECT_EQ(result.status, CliOk) << result.err.toStdString();
        EXPECT_EQ(result.out, printedLines(appSearch(path, text))) << text.toStdString();
    }
    // Rows in the grids' initial order (by name), the name line before the default-value line.
    EXPECT_EQ(runCliCaptured({QStringLiteral("search"), path, QStringLiteral("Article")}).out,
              printedLines({path, QStringLiteral("  Objects"), QStringLiteral("    Name: Article"),
                            QStringLiteral("  Variables"), QStringLiteral("    Name: Article"),
                            QStringLiteral("    Default value: Article"), QStringLiteral("    Default value: Article")}));
    // Nothing found: the label row alone.
    EXPECT_EQ(runCliCaptured({QStringLiteral("search"), path, QStringLiteral("Artic")}).out, printedLines({path}));
}

TEST_F(CliTest, SearchOfALabelThatCannotBeOpened)
{
    const CliResult result =
        runCliCaptured({QStringLiteral("search"), samplePath(QStringLiteral("damaged.lbl")), QStringLiteral("x")});
    EXPECT_EQ(result.status, CliFileErrors);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.contains(QStringLiteral("cannot be opened!")));
}
