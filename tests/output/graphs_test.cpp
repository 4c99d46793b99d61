// Dependency graphs, byte for byte, and their readers: Graphviz for DOT,
// an XML reader for DGML.

#include "label_fixture.h"
#include "output/graphs.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace strovex;
using namespace strovex::test;

TEST(Graphs, DotFile)
{
    TempDir dir;
    OpenedLabel opened(dir.copy(fixturePath(QStringLiteral("shipping.lbl")), QStringLiteral("Shipping Box.lbl")));
    const QString path = dir.file(QStringLiteral("g.dot"));
    WriteDotGraph(opened.view, path);
    // Absent items (Variables[8], Objects[4]) and a function whose input list
    // is nothing leave no trace; the tab-named variable is quoted, so the
    // file stays valid DOT.
    EXPECT_EQ(readAll(path), utf8File(expectedLines(R"(
digraph ShippingBox{
    Variables [shape=box,style=filled,color=lightgrey];
    Objects [shape=ellipse,style=filled,color=lightblue];
    Functions [shape=ellipse,style=filled,color=firebrick1];
    Databases [shape=box,style=filled,color=dodgerblue3];
    varArticle [label="Article",shape=box,style=filled,color=lightgrey];
    varShipTo [label="Ship To",shape=box,style=filled,color=lightgrey];
    "varTab<TAB>Name" [label="Tab<TAB>Name",shape=box,style=filled,color=lightgrey];
    varArticle [label="Article",shape=box,style=filled,color=lightgrey];
    varCounter [label="Counter",shape=box,style=filled,color=lightgrey];
    varHidden [label="Hidden",shape=box,style=filled,color=lightgrey];
    varMarkedone [label="Marked one",shape=box,style=filled,color=lightgrey];
    objText1 [label="Text 1",shape=ellipse,style=filled,color=lightblue];
    objLogo [label="Logo",shape=ellipse,style=filled,color=lightblue];
    objBarcode1 [label="Bar-code.1",shape=ellipse,style=filled,color=lightblue];
    funcConcatTrim [label="Concat & Trim",shape=ellipse,style=filled,color=firebrick1];
    InputVariablesForFuncConcatTrim [label="Input Variables",shape=box,style=filled,color=lightgrey];
    funcConcatTrim -> InputVariablesForFuncConcatTrim;
    InputVariablesForFuncConcatTrim -> varShipTo;
    InputVariablesForFuncConcatTrim -> "varTab<TAB>Name";
    OutputVariablesForFuncConcatTrim [label="Output Variables",shape=box,style=filled,color=lightgrey];
    funcConcatTrim -> OutputVariablesForFuncConcatTrim;
    OutputVariablesForFuncConcatTrim -> varCounter;
    funcEmptyfn [label="Empty fn",shape=ellipse,style=filled,color=firebrick1];
    dbStockDB [label="Stock DB",shape=box,style=filled,color=dodgerblue3];
    InputVariablesForDbStockDB [label="Input Variables",shape=box,style=filled,color=lightgrey];
    dbStockDB -> InputVariablesForDbStockDB;
    InputVariablesForDbStockDB -> varArticle;
    Objects -> objText1;
    objText1 -> varShipTo;
    Objects -> objLogo;
    Objects -> objBarcode1;
    objBarcode1 -> varArticle;
    Variables -> varArticle;
    Variables -> varShipTo;
    Variables -> "varTab<TAB>Name";
    Variables -> varArticle;
    Variables -> varCounter;
    Variables -> varHidden;
    Variables -> varMarkedone;
    Functions -> funcConcatTrim;
    Functions -> funcEmptyfn;
    Databases -> dbStockDB;
}
)")));
}

TEST(Graphs, DgmlFile)
{
    TempDir dir;
    OpenedLabel opened(dir.copy(fixturePath(QStringLiteral("shipping.lbl")), QStringLiteral("Shipping Box.lbl")));
    const QString path = dir.file(QStringLiteral("g.dgml"));
    WriteDgmlGraph(opened.view, path);
    const QByteArray bytes = readAll(path);
    EXPECT_EQ(bytes, utf16File(expectedLines(R"(
<DirectedGraph xmlns="http://schemas.microsoft.com/vs/2009/dgml">
  <Nodes>
    <Node Id="varArticle" Label="Article" Background="#FFFF0000" />
    <Node Id="varShip To" Label="Ship To" Background="#FFFF0000" />
    <Node Id="varTab&#9;Name" Label="Tab&#9;Name" Background="#FFFF0000" />
    <Node Id="varArticle" Label="Article" Background="#FFFF0000" />
    <Node Id="varCounter" Label="Counter" Background="#FFFF0000" />
    <Node Id="varHidden" Label="Hidden" Background="#FFFF0000" />
    <Node Id="varMarked one" Label="Marked one" Background="#FFFF0000" />
    <Node Id="objText 1" Label="Text 1" Background="#FF000080" />
    <Node Id="objLogo" Label="Logo" Background="#FF000080" />
    <Node Id="objBar-code.1" Label="Bar-code.1" Background="#FF000080" />
    <Node Id="fncConcat &amp; Trim" Label="Concat &amp; Trim" Background="#FF008000" />
    <Node Id="fncEmpty fn" Label="Empty fn" Background="#FF008000" />
  </Nodes>
  <Links>
    <Link Source="Shipping Box" Target="Objects" />
    <Link Source="Shipping Box" Target="Variables" />
    <Link Source="Shipping Box" Target="Databases" />
    <Link Source="Shipping Box" Target="Functions" />
    <Link Source="Objects" Target="objText 1" />
    <Link Source="objText 1" Target="varShip To" />
    <Link Source="Objects" Target="objLogo" />
    <Link Source="Objects" Target="objBar-code.1" />
    <Link Source="objBar-code.1" Target="varArticle" />
    <Link Source="Variables" Target="varArticle" />
    <Link Source="Variables" Target="varShip To" />
    <Link Source="Variables" Target="varTab&#9;Name" />
    <Link Source="Variables" Target="varArticle" />
    <Link Source="Variables" Target="varCounter" />
    <Link Source="Variables" Target="varHidden" />
    <Link Source="Variables" Target="varMarked one" />
    <Link Source="Functions" Target="fncConcat &amp; Trim" />
    <Link Source="Functions" Target="fncEmpty fn" />
  </Links>
</DirectedGraph>
)")));
}

TEST(Graphs, LabelWithoutObjectsFunctionsOrDatabasesKeepsTheFourLinks)
{
    TempDir dir;
    QByteArray json = readAll(fixturePath(QStringLiteral("plain.lbl")));
    json.replace("\"Objects\"", "\"NoObjects\"");
    // An empty graph name: "digraph " directly followed by the brace.
    OpenedLabel opened(dir.write(QStringLiteral(".lbl"), json));
    WriteDotGraph(opened.view, dir.file(QStringLiteral("g.dot")));
    EXPECT_EQ(readAll(dir.file(QStringLiteral("g.dot"))), utf8File(expectedLines(R"(
digraph {
    Variables [shape=box,style=filled,color=lightgrey];
    varClock [label="Clock",shape=box,style=filled,color=lightgrey];
    varSkipped [label="Skipped",shape=box,style=filled,color=lightgrey];
    Variables -> varClock;
    Variables -> varSkipped;
}
)")));
    WriteDgmlGraph(opened.view, dir.file(QStringLiteral("g.dgml")));
    EXPECT_EQ(readAll(dir.file(QStringLiteral("g.dgml"))), utf16File(expectedLines(R"(
<DirectedGraph xmlns="http://schemas.microsoft.com/vs/2009/dgml">
  <Nodes>
    <Node Id="varClock" Label="Clock" Background="#FFFF0000" />
    <Node Id="varSkipped" Label="Skipped" Background="#FFFF0000" />
  </Nodes>
  <Links>
    <Link Source="" Target="Objects" />
    <Link Source="" Target="Variables" />
    <Link Source="" Target="Databases" />
    <Link Source="" Target="Functions" />
    <Link Source="Variables" Target="varClock" />
    <Link Source="Variables" Target="varSkipped" />
  </Links>
</DirectedGraph>
)")));
}

// Names that would break a DOT file: quoted where needed, escaped inside
// labels, merged where their identifiers are equal.
TEST(Graphs, HostileNamesInDot)
{
    TempDir dir;
    OpenedLabel opened(dir.copy(fixturePath(QStringLiteral("hostile.lbl")), QStringLiteral("graph.lbl")));
    const QStringList lines = BuildDotGraph(opened.view);
    const auto has = [&lines](const char *line) {
        return lines.contains(QString::fromUtf8(line));
    };
    EXPECT_EQ(lines.first(), QStringLiteral("digraph \"graph\"{"));
    EXPECT_TRUE(has(R"x(    "varPrice(EUR)" [label="Price(EUR)",shape=box,style=filled,color=lightgrey];)x"));
    EXPECT_TRUE(has(R"x(    varnode [label="node",shape=box,style=filled,color=lightgrey];)x"));
    EXPECT_TRUE(has(R"x(    var [label="",shape=box,style=filled,color=lightgrey];)x"));
    EXPECT_TRUE(has(R"x(    "varsay\"hi\"" [label="say \"hi\"",shape=box,style=filled,color=lightgrey];)x"));
    EXPECT_TRUE(has(R"x(    varendswith [label="ends with \\",shape=box,style=filled,color=lightgrey];)x"));
    EXPECT_TRUE(has(R"x(    "var\"" [label="\\\"",shape=box,style=filled,color=lightgrey];)x"));
    EXPECT_TRUE(has(R"x(    varCasćaDzurdzaü日本😀 [label="Čašća Đurđa ü 日本 😀",shape=box,style=filled,color=lightgrey];)x"));
    EXPECT_TRUE(has(R"x(    "var>" [label="-->",shape=box,style=filled,color=lightgrey];)x"));
    EXPECT_TRUE(has(R"x(    var1234 [label="1234",shape=box,style=filled,color=lightgrey];)x"));
    EXPECT_TRUE(has(R"x(    varShipTo [label="Ship-To",shape=box,style=filled,color=lightgrey];)x"));
    EXPECT_TRUE(has(R"x(    varShipTo [label="ShipTo.",shape=box,style=filled,color=lightgrey];)x"));
    EXPECT_TRUE(has(R"x(    objgraph -> "varPrice(EUR)";)x"));
    EXPECT_TRUE(has(R"x(    Objects -> obj9lives;)x"));
    EXPECT_TRUE(has(R"x(    "objx\"" -> "var\"";)x"));
    EXPECT_TRUE(has(R"x(    Objects -> objstrict;)x"));
    EXPECT_TRUE(has(R"x(    "funcf(x)\"q\"" [label="f(x) \"q\"",shape=ellipse,style=filled,color=firebrick1];)x"));
    EXPECT_TRUE(has(R"x(    "InputVariablesForFuncf(x)\"q\"" [label="Input Variables",shape=box,style=filled,color=lightgrey];)x"));
    EXPECT_TRUE(has(R"x(    "funcf(x)\"q\"" -> "InputVariablesForFuncf(x)\"q\"";)x"));
    EXPECT_TRUE(has(R"x(    dbStock [label="Stock\\",shape=box,style=filled,color=dodgerblue3];)x"));
    EXPECT_TRUE(has(R"x(    Databases -> dbDigraph;)x"));

    // Leading digits and keywords in the graph name.
    TempDir other;
    OpenedLabel numbered(other.copy(fixturePath(QStringLiteral("hostile.lbl")), QStringLiteral("2024-box.lbl")));
    EXPECT_EQ(BuildDotGraph(numbered.view).first(), QStringLiteral("digraph \"2024box\"{"));
}

// Graphviz is installed on the Linux side only; the Windows build's DOT files
// are compared byte for byte with the Linux build's.
#ifndef _WIN32
namespace {

// Runs `dot -Tsvg` on `file`; empty when it succeeded, else what it said.
QString runDot(const QString &file)
{
    QProcess dot;
    dot.start(QStringLiteral("dot"), {QStringLiteral("-Tsvg"), file});
    if (!dot.waitForFinished(60000))
        return QStringLiteral("dot did not finish");
    if (dot.exitStatus() != QProcess::NormalExit || dot.exitCode() != 0)
        return QString::fromUtf8(dot.readAllStandardError());
    return {};
}

// Node names in the SVG Graphviz drew: the <title> of each node group.
int svgNodeCount(const QString &file)
{
    QProcess dot;
    dot.start(QStringLiteral("dot"), {QStringLiteral("-Tsvg"), file});
    dot.waitForFinished(60000);
    QXmlStreamReader svg(dot.readAllStandardOutput());
    int nodes = 0;
    while (!svg.atEnd()) {
        if (svg.readNext() == QXmlStreamReader::StartElement && svg.name() == QLatin1String("g")
            && svg.attributes().value(QStringLiteral("class")) == QLatin1String("node"))
            ++nodes;
    }
    return nodes;
}

} // namespace

// Graphviz reads every DOT file we write: the samples and the hostile names.
TEST(Graphs, GraphvizReadsEveryDotFile)
{
    if (QStandardPaths::findExecutable(QStringLiteral("dot")).isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            FAIL() << "Graphviz (dot) is not installed";
        GTEST_SKIP() << "Graphviz (dot) is not installed";
    }
    TempDir dir;
    QStringList labels;
    const QDir samples(QStringLiteral(STROVEX_SAMPLES_DIR));
    for (const QString &name : samples.entryList({QStringLiteral("*.lbl")}, QDir::Files, QDir::Name)) {
        if (name != QLatin1String("damaged.lbl"))
            labels << samples.filePath(name);
    }
    for (const char *name : {"graph.lbl", "2024-box.lbl", "Node.lbl", "Čašća 日本.lbl"})
        labels << dir.copy(fixturePath(QStringLiteral("hostile.lbl")), QString::fromUtf8(name));
    labels << dir.copy(fixturePath(QStringLiteral("shipping.lbl")), QStringLiteral("Shipping Box.lbl"));

    for (const QString &label : labels) {
        OpenedLabel opened(label);
        const QString out = dir.file(QFileInfo(label).completeBaseName() + QStringLiteral(".dot"));
        WriteDotGraph(opened.view, out);
        EXPECT_EQ(runDot(out), QString()) << label.toStdString();
    }

    // Graphviz sees the nodes we meant: "Ship-To" and "ShipTo." meet in one,
    // every other name stays a node of its own. 12 variables, 5 objects,
    // 2 functions, 2 databases, 7 input/output groups, 4 categories.
    EXPECT_EQ(svgNodeCount(dir.file(QStringLiteral("graph.dot"))), 12 + 5 + 2 + 2 + 7 + 4);
}
#endif
