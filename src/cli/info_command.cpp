// info: what the label view shows, read through the same core calls, as
// aligned text for people or as one JSON document for scripts.

#include "cli/cli_internal.h"
#include "inspect/label_info.h"
#include "inspect/label_lists.h"
#include "inspect/label_rows.h"

#include <memory>
#include <utility>

namespace strovex::cli {
namespace {

// A JSON value whose objects keep their members in the order given, so the
// document reads in the pages' order.
struct Json {
    enum class Kind { String, Array, Object } kind = Kind::String;
    QString string;
    std::vector<Json> items;
    std::vector<std::pair<QString, Json>> members;

    static Json text(const QString &value) { return Json{Kind::String, value, {}, {}}; }
    static Json array() { return Json{Kind::Array, {}, {}, {}}; }
    static Json object() { return Json{Kind::Object, {}, {}, {}}; }
};

QString quoted(const QString &text)
{
    QString result = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"': result += QStringLiteral("\\\""); break;
        case u'\\': result += QStringLiteral("\\\\"); break;
        case u'\n': result += QStringLiteral("\\n"); break;
        case u'\r': result += QStringLiteral("\\r"); break;
        case u'\t': result += QStringLiteral("\\t"); break;
        default:
            if (c.unicode() < 0x20)
                result += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                result += c;
        }
    }
    return result + QLatin1Char('"');
}

void render(const Json &value, int depth, QString &out)
{
    const QString inner(2 * (depth + 1), u' ');
    const QString outer(2 * depth, u' ');
    switch (value.kind) {
    case Json::Kind::String:
        out += quoted(value.string);
        return;
    case Json::Kind::Array:
        if (value.items.empty()) {
            out += QStringLiteral("[]");
            return;
        }
        out += QStringLiteral("[\n");
        for (std::size_t i = 0; i < value.items.size(); ++i) {
            out += inner;
            render(value.items[i], depth + 1, out);
            out += i + 1 < value.items.size() ? QStringLiteral(",\n") : QStringLiteral("\n");
        }
        out += outer + QLatin1Char(']');
        return;
    case Json::Kind::Object:
        if (value.members.empty()) {
            out += QStringLiteral("{}");
            return;
        }
        out += QStringLiteral("{\n");
        for (std::size_t i = 0; i < value.members.size(); ++i) {
            out += inner + quoted(value.members[i].first) + QStringLiteral(": ");
            render(value.members[i].second, depth + 1, out);
            out += i + 1 < value.members.size() ? QStringLiteral(",\n") : QStringLiteral("\n");
        }
        out += outer + QLatin1Char('}');
        return;
    }
}

// The page's caption as the user reads it: without the mnemonic and the colon.
QString plainCaption(const QString &caption)
{
    QString text = caption;
    text.remove(u'&');
    if (text.endsWith(u':'))
        text.chop(1);
    return text;
}

QString withUnit(const LabelInfoField &field)
{
    if (field.unit.isEmpty())
        return field.text;
    if (field.text.isEmpty())
        return field.unit;
    return field.text + QLatin1Char(' ') + field.unit;
}

// Everything the view fills while it loads, in the view's order.
struct LabelContents {
    LabelInfoTexts info;
    std::unique_ptr<ObjectGridModel> objects = createObjectGridModel();
    std::unique_ptr<VariableGridModel> variables = createVariableGridModel();
    std::unique_ptr<DatabaseGridModel> databases = createDatabaseGridModel();
    std::unique_ptr<FunctionGridModel> functions = createFunctionGridModel();
    QStringList fonts;
    QStringList files;

    std::vector<std::pair<QString, const GridModel *>> grids() const
    {
        return {{QStringLiteral("Objects"), objects.get()},
                {QStringLiteral("Variables"), variables.get()},
                {QStringLiteral("Databases"), databases.get()},
                {QStringLiteral("Functions"), functions.get()}};
    }
    std::vector<std::pair<QString, const QStringList *>> lists() const
    {
        return {{QStringLiteral("Fonts"), &fonts}, {QStringLiteral("Dependant Files"), &files}};
    }
};

template<class Row, class Fill>
void fillGrid(RowGridModel<Row> &model, Fill fill)
{
    std::vector<Row> rows;
    fill(rows);
    model.setRows(std::move(rows));
}

// Throws AutomationError where the view's load would.
void readContents(const IQuillmark &label, LabelContents &c)
{
    const IVariableList variables = label.Variables();
    const IObjectList objects = label.Objects();
    const IDatabaseList databases = label.Databases();
    const IFunctionList functions = label.Functions();
    const IVariableList otherVariables = label.OtherVariables();

    ReadLabelInfo(label, c.info);
    QStringList fontNames;
    fillGrid(*c.objects, [&](auto &rows) { FillObjectRows(label, objects, rows, &fontNames); });
    fillGrid(*c.variables, [&](auto &rows) { FillVariableRows(variables, otherVariables, rows); });
    fillGrid(*c.databases, [&](auto &rows) { FillDatabaseRows(databases, rows); });
    fillGrid(*c.functions, [&](auto &rows) { FillFunctionRows(functions, rows); });
    c.fonts = collectFonts(fontNames);
    c.files = collectDependentFiles(label);
}

// Columns a terminal gives the text: East Asian wide characters take two,
// combining marks none. Enough to keep the tables aligned.
qsizetype displayWidth(const QString &text)
{
    qsizetype width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        const auto category = QChar::category(c);
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing)
            continue;
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F)
            || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
            || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
        width += wide ? 2 : 1;
    }
    return width;
}

QString padded(const QString &text, qsizetype width)
{
    return text + QString(std::max<qsizetype>(0, width - displayWidth(text)), u' ');
}

QString rightTrimmed(const QString &line)
{
    qsizetype end = line.size();
    while (end > 0 && line[end - 1] == u' ')
        --end;
    return line.left(end);
}

void writeTable(QTextStream &out, const GridModel &grid)
{
    const int columns = int(grid.columns().size());
    std::vector<QStringList> lines;
    QStringList titles;
    for (const GridModel::ColumnInfo &column : grid.columns())
        titles << column.title;
    lines.push_back(titles);
    for (int row = 0; row < grid.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < columns; ++column)
            cells << oneLine(grid.cellText(row, column));
        lines.push_back(cells);
    }
    std::vector<qsizetype> widths(std::size_t(columns), 0);
    for (const QStringList &cells : lines) {
        for (int column = 0; column < columns; ++column)
            widths[std::size_t(column)] = std::max(widths[std::size_t(column)], displayWidth(cells[column]));
    }
    QStringList rule;
    for (qsizetype width : widths)
        rule << QString(width, u'-');
    lines.insert(lines.begin() + 1, rule);
    for (const QStringList &cells : lines) {
        QString line = QStringLiteral("  ");
        for (int column = 0; column < columns; ++column)
            line += padded(cells[column], widths[std::size_t(column)] + 2);
        out << rightTrimmed(line) << '\n';
    }
}

void writeText(QTextStream &out, const LabelContents &c)
{
    out << "Label Info\n";
    const std::vector<LabelInfoField> fields = LabelInfoFields(c.info);
    qsizetype width = 0;
    for (const LabelInfoField &field : fields)
        width = std::max(width, displayWidth(plainCaption(field.caption)) + 1);
    for (const LabelInfoField &field : fields) {
        const QString caption = plainCaption(field.caption) + QLatin1Char(':');
        out << rightTrimmed(QStringLiteral("  ") + padded(caption, width + 2) + oneLine(withUnit(field)))
            << '\n';
    }
    for (const auto &[name, grid] : c.grids()) {
        out << '\n' << name << '\n';
        writeTable(out, *grid);
    }
    for (const auto &[name, list] : c.lists()) {
        out << '\n' << name << '\n';
        for (const QString &entry : *list)
            out << "  " << oneLine(entry) << '\n';
    }
}

Json toJson(const LabelContents &c)
{
    Json label = Json::object();
    Json info = Json::object();
    for (const LabelInfoField &field : LabelInfoFields(c.info))
        info.members.emplace_back(plainCaption(field.caption), Json::text(withUnit(field)));
    label.members.emplace_back(QStringLiteral("Label Info"), std::move(info));
    for (const auto &[name, grid] : c.grids()) {
        Json rows = Json::array();
        for (int row = 0; row < grid->rowCount(); ++row) {
            Json cells = Json::object();
            for (int column = 0; column < int(grid->columns().size()); ++column)
                cells.members.emplace_back(grid->columns()[std::size_t(column)].title,
                                           Json::text(grid->cellText(row, column)));
            rows.items.push_back(std::move(cells));
        }
        label.members.emplace_back(name, std::move(rows));
    }
    for (const auto &[name, list] : c.lists()) {
        Json entries = Json::array();
        for (const QString &entry : *list)
            entries.items.push_back(Json::text(entry));
        label.members.emplace_back(name, std::move(entries));
    }
    return label;
}

} // namespace

int infoCommand(Context &context, const ParsedArgs &args)
{
    const QStringList labels = args.positional();
    if (labels.isEmpty())
        throw UsageError{QStringLiteral("Expected at least one LABEL.")};
    const bool json = args.has(QStringLiteral("json"));
    context.designer();

    Json document = Json::array();
    int status = CliOk;
    bool first = true;
    for (const QString &path : labels) {
        LabelContents contents;
        {
            const IQuillmark label = context.openLabel(path);
            if (!label) {
                status = CliFileErrors;
                continue;
            }
            // A label whose reading fails is named and skipped; the others are still shown.
            try {
                readContents(label, contents);
            } catch (const AutomationError &e) {
                context.message(QStringLiteral("File \"%1\" cannot be read!\r\n\r\n").arg(path) + toQString(e.text()));
                status = CliFileErrors;
                continue;
            }
        }
        if (json) {
            document.items.push_back(toJson(contents));
        } else {
            if (!first)
                context.out << '\n';
            writeText(context.out, contents);
            context.out.flush();
        }
        first = false;
    }
    if (json) {
        QString text;
        render(document, 0, text);
        context.out << text << '\n';
    }
    return status;
}

} // namespace strovex::cli
