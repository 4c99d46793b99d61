#include "output/graphs.h"

#include "output/save_file.h"
#include "output/xml_text.h"

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

int countOf(const IVariableList &list)
{
    return list.isNull() ? 0 : list.Count();
}

template<class List, class F>
void forEachItem(const List &list, F &&visit)
{
    const int count = list.Count();
    for (int index = 1; index <= count; ++index) {
        const auto item = list.Item(index);
        if (!item.isNull())
            visit(item);
    }
}

const QString kIndent = QStringLiteral("    ");

// The input and output groups of a function or database; `kindName` is "Func"
// or "Db" followed by its identifier material, `node` its own node as written.
template<class Item>
void addGroups(QStringList &lines, const Item &item, const QString &kindName, const QString &node)
{
    const auto group = [&](const IVariableList &variables, const QString &prefix, const QString &label) {
        if (countOf(variables) <= 0)
            return;
        const QString groupId = dotId(prefix + kindName);
        lines << kIndent + groupId + QStringLiteral(" [label=\"") + label
                     + QStringLiteral("\",shape=box,style=filled,color=lightgrey];");
        lines << kIndent + node + QStringLiteral(" -> ") + groupId + u';';
        forEachItem(variables, [&](const IVar &variable) {
            lines << kIndent + groupId + QStringLiteral(" -> ")
                         + dotId(QStringLiteral("var") + MakeDotIdentifier(variable.Name())) + u';';
        });
    };
    group(item.InputVariables(), QStringLiteral("InputVariablesFor"), QStringLiteral("Input Variables"));
    group(item.OutputVariables(), QStringLiteral("OutputVariablesFor"), QStringLiteral("Output Variables"));
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

    QStringList lines;
    lines << QStringLiteral("digraph ") + dotId(MakeDotIdentifier(GraphName(view.FLabel.FileName()))) + u'{';

    if (view.FVariables.Count() > 0)
        lines << QStringLiteral("    Variables [shape=box,style=filled,color=lightgrey];");
    if (view.FObjects.Count() > 0)
        lines << QStringLiteral("    Objects [shape=ellipse,style=filled,color=lightblue];");
    if (view.FFunctions.Count() > 0)
        lines << QStringLiteral("    Functions [shape=ellipse,style=filled,color=firebrick1];");
    if (view.FDatabases.Count() > 0)
        lines << QStringLiteral("    Databases [shape=box,style=filled,color=dodgerblue3];");

    forEachItem(view.FVariables, [&](const IVar &variable) {
        const QString name = variable.Name();
        lines << kIndent + var(name) + QStringLiteral(" [label=\"") + dotLabel(name)
                     + QStringLiteral("\",shape=box,style=filled,color=lightgrey];");
    });
    forEachItem(view.FObjects, [&](const IObjectItem &object) {
        const QString name = object.Name();
        lines << kIndent + obj(name) + QStringLiteral(" [label=\"") + dotLabel(name)
                     + QStringLiteral("\",shape=ellipse,style=filled,color=lightblue];");
    });
    // A function or database: its node, then its input and output variable groups.
    const auto withGroups = [&](const auto &item, const QString &nodePrefix, const QString &groupPrefix,
                                const QString &style) {
        const QString name = item.Name();
        const QString id = MakeDotIdentifier(name);
        const QString node = dotId(nodePrefix + id);
        lines << kIndent + node + QStringLiteral(" [label=\"") + dotLabel(name) + QStringLiteral("\",") + style
                     + QStringLiteral("];");
        addGroups(lines, item, groupPrefix + id, node);
    };
    forEachItem(view.FFunctions, [&](const IFunctionItem &function) {
        withGroups(function, QStringLiteral("func"), QStringLiteral("Func"),
                   QStringLiteral("shape=ellipse,style=filled,color=firebrick1"));
    });
    forEachItem(view.FDatabases, [&](const IDatabaseItem &database) {
        withGroups(database, QStringLiteral("db"), QStringLiteral("Db"),
                   QStringLiteral("shape=box,style=filled,color=dodgerblue3"));
    });

    forEachItem(view.FObjects, [&](const IObjectItem &object) {
        const QString node = obj(object.Name());
        lines << QStringLiteral("    Objects -> ") + node + u';';
        const IVar variable = object.Variable();
        if (!variable.isNull())
            lines << kIndent + node + QStringLiteral(" -> ") + var(variable.Name()) + u';';
    });
    forEachItem(view.FVariables, [&](const IVar &variable) {
        lines << QStringLiteral("    Variables -> ") + var(variable.Name()) + u';';
    });
    forEachItem(view.FFunctions, [&](const IFunctionItem &function) {
        lines << QStringLiteral("    Functions -> ") + dotId(QStringLiteral("func") + MakeDotIdentifier(function.Name())) + u';';
    });
    forEachItem(view.FDatabases, [&](const IDatabaseItem &database) {
        lines << QStringLiteral("    Databases -> ") + dotId(QStringLiteral("db") + MakeDotIdentifier(database.Name())) + u';';
    });
    lines << QStringLiteral("}");
    return lines;
}

QStringList BuildDgmlGraph(const LabelHandles &view)
{
    const QString graph = xmlAttributeText(GraphName(view.FLabel.FileName()));
    QStringList lines;
    lines << QStringLiteral("<DirectedGraph xmlns=\"") + QString::fromUtf16(kDgmlNamespace) + QStringLiteral("\">");
    lines << QStringLiteral("  <Nodes>");
    forEachItem(view.FVariables, [&](const IVar &variable) {
        const QString name = xmlAttributeText(variable.Name());
        lines << QStringLiteral("    <Node Id=\"var%1\" Label=\"%1\" Background=\"#FFFF0000\" />").arg(name);
    });
    forEachItem(view.FObjects, [&](const IObjectItem &object) {
        const QString name = xmlAttributeText(object.Name());
        lines << QStringLiteral("    <Node Id=\"obj%1\" Label=\"%1\" Background=\"#FF000080\" />").arg(name);
    });
    forEachItem(view.FFunctions, [&](const IFunctionItem &function) {
        const QString name = xmlAttributeText(function.Name());
        lines << QStringLiteral("    <Node Id=\"fnc%1\" Label=\"%1\" Background=\"#FF008000\" />").arg(name);
    });
    lines << QStringLiteral("  </Nodes>");
    lines << QStringLiteral("  <Links>");
    for (const char *target : {"Objects", "Variables", "Databases", "Functions"})
        lines << QStringLiteral("    <Link Source=\"") + graph + QStringLiteral("\" Target=\"") + QLatin1String(target) + QStringLiteral("\" />");
    forEachItem(view.FObjects, [&](const IObjectItem &object) {
        const QString name = xmlAttributeText(object.Name());
        lines << QStringLiteral("    <Link Source=\"Objects\" Target=\"obj") + name + QStringLiteral("\" />");
        const IVar variable = object.Variable();
        if (!variable.isNull())
            lines << QStringLiteral("    <Link Source=\"obj") + name + QStringLiteral("\" Target=\"var")
                         + xmlAttributeText(variable.Name()) + QStringLiteral("\" />");
    });
    forEachItem(view.FVariables, [&](const IVar &variable) {
        lines << QStringLiteral("    <Link Source=\"Variables\" Target=\"var") + xmlAttributeText(variable.Name()) + QStringLiteral("\" />");
    });
    forEachItem(view.FFunctions, [&](const IFunctionItem &function) {
        lines << QStringLiteral("    <Link Source=\"Functions\" Target=\"fnc") + xmlAttributeText(function.Name()) + QStringLiteral("\" />");
    });
    lines << QStringLiteral("  </Links>");
    lines << QStringLiteral("</DirectedGraph>");
    return lines;
}

void WriteDotGraph(const LabelHandles &view, const QString &path)
{
    writeFileAtomically(path, utf8Lines(BuildDotGraph(view)));
}

void WriteDgmlGraph(const LabelHandles &view, const QString &path)
{
    writeFileAtomically(path, utf16LeWithBom(BuildDgmlGraph(view)));
}

bool IsDotGraphPath(const QString &path)
{
    return fileExtension(path) == QLatin1String(".dot");
}

} // namespace strovex
