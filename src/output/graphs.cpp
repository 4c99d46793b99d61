#include "output/graphs.h"

#include "output/text_encodings.h"
#include "output/xml_text.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <optional>
#include <vector>

namespace strovex {
namespace {

bool isIdStart(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80;
}

bool isIdChar(char16_t c)
{
    return isIdStart(c) || (c >= u'0' && c <= u'9');
}

bool isKeyword(const QString &id)
{
    static const char *const keywords[] = {"node", "edge", "graph", "digraph", "subgraph", "strict"};
    for (const char *keyword : keywords) {
        if (id.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Label text inside double quotes: a quote or backslash gets a backslash, so
// a name cannot end the string early or start an escape sequence. Graphviz
// stops reading at a NUL, so that becomes U+FFFD.
QString dotLabel(const QString &name)
{
    QString out;
    out.reserve(name.size() + 2);
    for (const QChar c : name) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        out += c.isNull() ? QChar(QChar::ReplacementCharacter) : c;
    }
    return out;
}

// Each list of the label is read once, each member of each item once: with an
// out-of-process designer every read is a round trip, and the graphs name
// every item twice (its node, then its links).
struct NameList {
    int count = 0;              // as the list reports it, missing items included
    std::vector<QString> names; // of the items present, in order
};

struct ObjectNode {
    QString name;
    std::optional<QString> variable; // the name of the variable it shows
};

struct GroupedNode {
    QString name;
    NameList inputs;
    NameList outputs;
};

// Reads the count once and visits the items present; returns the count.
template<class List, class F>
int forEachItem(const List &list, F &&visit)
{
    const int count = list.Count();
    for (int index = 1; index <= count; ++index) {
        const auto item = list.Item(index);
        if (!item.isNull())
            visit(item);
    }
    return count;
}

template<class List>
NameList readNames(const List &list)
{
    NameList result;
    result.count = forEachItem(list, [&](const auto &item) { result.names.push_back(item.Name()); });
    return result;
}

// A missing group list counts as empty.
NameList readGroup(const IVariableList &list)
{
    return list.isNull() ? NameList{} : readNames(list);
}

template<class Node>
struct NodeList {
    int count = 0; // as the list reports it, missing items included
    std::vector<Node> nodes;
};

NodeList<ObjectNode> readObjects(const IObjectList &objects)
{
    NodeList<ObjectNode> result;
    result.count = forEachItem(objects, [&](const IObjectItem &object) {
        ObjectNode &node = result.nodes.emplace_back();
        node.name = object.Name();
        if (const IVar variable = object.Variable(); !variable.isNull())
            node.variable = variable.Name();
    });
    return result;
}

template<class List>
NodeList<GroupedNode> readGrouped(const List &list)
{
    NodeList<GroupedNode> result;
    result.count = forEachItem(list, [&](const auto &item) {
        GroupedNode &node = result.nodes.emplace_back();
        node.name = item.Name();
        node.inputs = readGroup(item.InputVariables());
        node.outputs = readGroup(item.OutputVariables());
    });
    return result;
}

const QString kIndent = QStringLiteral("    ");

// The input and output groups of a function or database; `kindName` is "Func"
// or "Db" followed by its identifier material, `node` its own node as written.
void addGroups(QStringList &lines, const GroupedNode &item, const QString &kindName, const QString &node)
{
    const auto group = [&](const NameList &variables, const QString &prefix, const QString &label) {
        if (variables.count <= 0)
            return;
        const QString groupId = dotId(prefix + kindName);
        lines << kIndent + groupId + QStringLiteral(" [label=\"") + label
                     + QStringLiteral("\",shape=box,style=filled,color=lightgrey];");
        lines << kIndent + node + QStringLiteral(" -> ") + groupId + u';';
        for (const QString &name : variables.names)
            lines << kIndent + groupId + QStringLiteral(" -> ") + dotId(QStringLiteral("var") + MakeDotIdentifier(name)) + u';';
    };
    group(item.inputs, QStringLiteral("InputVariablesFor"), QStringLiteral("Input Variables"));
    group(item.outputs, QStringLiteral("OutputVariablesFor"), QStringLiteral("Output Variables"));
}

} // namespace

QString MakeDotIdentifier(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u' ': case u'-': case u'/': case u'\\': case u'.': case u'&':
            break;
        case u'Č': out += u'C'; break;
        case u'č': out += u'c'; break;
        case u'Š': out += u'S'; break;
        case u'š': out += u's'; break;
        case u'Ž': out += u'Z'; break;
        case u'ž': out += u'z'; break;
        case u'Đ': out += QStringLiteral("Dz"); break;
        case u'đ': out += QStringLiteral("dz"); break;
        default: out += c;
        }
    }
    return out;
}

QString dotId(const QString &id)
{
    if (id.isEmpty())
        return id;
    // A lone surrogate reaches UTF-8 as '?', which a bare ID cannot hold.
    bool bare = isIdStart(id[0].unicode()) && !isKeyword(id) && id.isValidUtf16();
    for (qsizetype i = 1; bare && i < id.size(); ++i)
        bare = isIdChar(id[i].unicode());
    if (bare)
        return id;
    return u'"' + dotLabel(id) + u'"';
}

QString GraphName(const QString &labelReference)
{
    return fileBaseName(labelReference);
}

QStringList BuildDotGraph(const LabelHandles &view)
{
    const auto var = [](const QString &name) { return dotId(QStringLiteral("var") + MakeDotIdentifier(name)); };
    const auto obj = [](const QString &name) { return dotId(QStringLiteral("obj") + MakeDotIdentifier(name)); };

    const QString fileName = view.FLabel.FileName();
    const NameList variables = readNames(view.FVariables);
    const NodeList<ObjectNode> objects = readObjects(view.FObjects);
    const NodeList<GroupedNode> functions = readGrouped(view.FFunctions);
    const NodeList<GroupedNode> databases = readGrouped(view.FDatabases);

    QStringList lines;
    lines << QStringLiteral("digraph ") + dotId(MakeDotIdentifier(GraphName(fileName))) + u'{';

    if (variables.count > 0)
        lines << QStringLiteral("    Variables [shape=box,style=filled,color=lightgrey];");
    if (objects.count > 0)
        lines << QStringLiteral("    Objects [shape=ellipse,style=filled,color=lightblue];");
    if (functions.count > 0)
        lines << QStringLiteral("    Functions [shape=ellipse,style=filled,color=firebrick1];");
    if (databases.count > 0)
        lines << QStringLiteral("    Databases [shape=box,style=filled,color=dodgerblue3];");

    for (const QString &name : variables.names)
        lines << kIndent + var(name) + QStringLiteral(" [label=\"") + dotLabel(name)
                     + QStringLiteral("\",shape=box,style=filled,color=lightgrey];");
    for (const ObjectNode &object : objects.nodes)
        lines << kIndent + obj(object.name) + QStringLiteral(" [label=\"") + dotLabel(object.name)
                     + QStringLiteral("\",shape=ellipse,style=filled,color=lightblue];");
    // A function or database: its node, then its input and output variable groups.
    const auto withGroups = [&](const GroupedNode &item, const QString &nodePrefix, const QString &groupPrefix,
                                const QString &style) {
        const QString id = MakeDotIdentifier(item.name);
        const QString node = dotId(nodePrefix + id);
        lines << kIndent + node + QStringLiteral(" [label=\"") + dotLabel(item.name) + QStringLiteral("\",") + style
                     + QStringLiteral("];");
        addGroups(lines, item, groupPrefix + id, node);
    };
    for (const GroupedNode &function : functions.nodes)
        withGroups(function, QStringLiteral("func"), QStringLiteral("Func"),
                   QStringLiteral("shape=ellipse,style=filled,color=firebrick1"));
    for (const GroupedNode &database : databases.nodes)
        withGroups(database, QStringLiteral("db"), QStringLiteral("Db"),
                   QStringLiteral("shape=box,style=filled,color=dodgerblue3"));

    for (const ObjectNode &object : objects.nodes) {
        const QString node = obj(object.name);
        lines << QStringLiteral("    Objects -> ") + node + u';';
        if (object.variable)
            lines << kIndent + node + QStringLiteral(" -> ") + var(*object.variable) + u';';
    }
    for (const QString &name : variables.names)
        lines << QStringLiteral("    Variables -> ") + var(name) + u';';
    for (const GroupedNode &function : functions.nodes)
        lines << QStringLiteral("    Functions -> ") + dotId(QStringLiteral("func") + MakeDotIdentifier(function.name)) + u';';
    for (const GroupedNode &database : databases.nodes)
        lines << QStringLiteral("    Databases -> ") + dotId(QStringLiteral("db") + MakeDotIdentifier(database.name)) + u';';
    lines << QStringLiteral("}");
    return lines;
}

QStringList BuildDgmlGraph(const LabelHandles &view)
{
    const QString graph = xmlAttributeText(GraphName(view.FLabel.FileName()));
    const NameList variables = readNames(view.FVariables);
    const NodeList<ObjectNode> objects = readObjects(view.FObjects);
    const NameList functions = readNames(view.FFunctions);

    QStringList lines;
    lines << QStringLiteral("<DirectedGraph xmlns=\"") + QString::fromUtf16(kDgmlNamespace) + QStringLiteral("\">");
    lines << QStringLiteral("  <Nodes>");
    for (const QString &name : variables.names)
        lines << QStringLiteral("    <Node Id=\"var%1\" Label=\"%1\" Background=\"#FFFF0000\" />").arg(xmlAttributeText(name));
    for (const ObjectNode &object : objects.nodes)
        lines << QStringLiteral("    <Node Id=\"obj%1\" Label=\"%1\" Background=\"#FF000080\" />").arg(xmlAttributeText(object.name));
    for (const QString &name : functions.names)
        lines << QStringLiteral("    <Node Id=\"fnc%1\" Label=\"%1\" Background=\"#FF008000\" />").arg(xmlAttributeText(name));
    lines << QStringLiteral("  </Nodes>");
    lines << QStringLiteral("  <Links>");
    for (const char *target : {"Objects", "Variables", "Databases", "Functions"})
        lines << QStringLiteral("    <Link Source=\"") + graph + QStringLiteral("\" Target=\"") + QLatin1String(target) + QStringLiteral("\" />");
    for (const ObjectNode &object : objects.nodes) {
        const QString name = xmlAttributeText(object.name);
        lines << QStringLiteral("    <Link Source=\"Objects\" Target=\"obj") + name + QStringLiteral("\" />");
        if (object.variable)
            lines << QStringLiteral("    <Link Source=\"obj") + name + QStringLiteral("\" Target=\"var")
                         + xmlAttributeText(*object.variable) + QStringLiteral("\" />");
    }
    for (const QString &name : variables.names)
        lines << QStringLiteral("    <Link Source=\"Variables\" Target=\"var") + xmlAttributeText(name) + QStringLiteral("\" />");
    for (const QString &name : functions.names)
        lines << QStringLiteral("    <Link Source=\"Functions\" Target=\"fnc") + xmlAttributeText(name) + QStringLiteral("\" />");
    lines << QStringLiteral("  </Links>");
    lines << QStringLiteral("</DirectedGraph>");
    return lines;
}

void WriteDotGraph(const LabelHandles &view, const QString &path)
{
    refuseLabelAsOutput(view.labelFiles, path);
    writeFileAtomically(path, utf8Lines(BuildDotGraph(view)));
}

void WriteDgmlGraph(const LabelHandles &view, const QString &path)
{
    refuseLabelAsOutput(view.labelFiles, path);
    writeFileAtomically(path, utf16LeWithBom(BuildDgmlGraph(view)));
}

bool IsDotGraphPath(const QString &path)
{
    return fileExtension(path) == QLatin1String(".dot");
}

} // namespace strovex
