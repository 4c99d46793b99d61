// info: what the label view shows, read through the same core calls, as
// aligned text for people or as one JSON document for scripts.

#include "cli/cli_internal.h"
#include "inspect/label_contents.h"

#include <memory>
#include <new>
#include <optional>
#include <utility>

namespace strovex::cli {
namespace {

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

// JSON written as it is made, indented two spaces a level, members in the
// order given: a label as large as the designer opens is never held twice
// over as a document tree and its text.
class JsonWriter {
public:
    explicit JsonWriter(QTextStream &out) : out_(out) {}

    void beginArray() { open(u'['); }
    void endArray() { close(u']'); }
    void beginObject() { open(u'{'); }
    void endObject() { close(u'}'); }
    void key(const QString &name)
    {
        item();
        out_ << quoted(name) << ": ";
        keyed_ = true;
    }
    void string(const QString &value)
    {
        item();
        out_ << quoted(value);
    }
    bool open() const { return !counts_.empty(); }

private:
    void item()
    {
        if (keyed_) {
            keyed_ = false;
            return;
        }
        if (counts_.empty())
            return;
        out_ << (counts_.back()++ ? ",\n" : "\n") << QString(2 * qsizetype(counts_.size()), u' ');
    }
    void open(QChar bracket)
    {
        item();
        out_ << bracket;
        counts_.push_back(0);
    }
    void close(QChar bracket)
    {
        const std::size_t count = counts_.back();
        counts_.pop_back();
        if (count > 0)
            out_ << '\n' << QString(2 * qsizetype(counts_.size()), u' ');
        out_ << bracket;
    }

    QTextStream &out_;
    std::vector<std::size_t> counts_; // items so far, per open array or object
    bool keyed_ = false;
};

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

// A label's contents with the grids as the view sorts and shows them.
struct ShownContents {
    LabelInfoTexts info;
    std::unique_ptr<ObjectGridModel> objects = createObjectGridModel();
    std::unique_ptr<VariableGridModel> variables = createVariableGridModel();
    std::unique_ptr<DatabaseGridModel> databases = createDatabaseGridModel();
    std::unique_ptr<FunctionGridModel> functions = createFunctionGridModel();
    QStringList fonts;
    QStringList files;

    explicit ShownContents(LabelContents &&c)
        : info(std::move(c.info)), fonts(std::move(c.fonts)), files(std::move(c.files))
    {
        objects->setRows(std::move(c.objects));
        variables->setRows(std::move(c.variables));
        databases->setRows(std::move(c.databases));
        functions->setRows(std::move(c.functions));
    }

    std::vector<std::pair<QString, const GridModel *>> grids() const
    {
        return {{labelPartName(LabelPart::Objects), objects.get()},
                {labelPartName(LabelPart::Variables), variables.get()},
                {labelPartName(LabelPart::Databases), databases.get()},
                {labelPartName(LabelPart::Functions), functions.get()}};
    }
    std::vector<std::pair<QString, const QStringList *>> lists() const
    {
        return {{labelPartName(LabelPart::Fonts), &fonts}, {labelPartName(LabelPart::DependentFiles), &files}};
    }
};

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

void writeText(QTextStream &out, const ShownContents &c)
{
    out << labelPartName(LabelPart::LabelInfo) << '\n';
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

void writeJson(JsonWriter &json, const ShownContents &c)
{
    json.beginObject();
    json.key(labelPartName(LabelPart::LabelInfo));
    json.beginObject();
    for (const LabelInfoField &field : LabelInfoFields(c.info)) {
        json.key(plainCaption(field.caption));
        json.string(withUnit(field));
    }
    json.endObject();
    for (const auto &[name, grid] : c.grids()) {
        json.key(name);
        json.beginArray();
        for (int row = 0; row < grid->rowCount(); ++row) {
            json.beginObject();
            for (int column = 0; column < int(grid->columns().size()); ++column) {
                json.key(grid->columns()[std::size_t(column)].title);
                json.string(grid->cellText(row, column));
            }
            json.endObject();
        }
        json.endArray();
    }
    for (const auto &[name, list] : c.lists()) {
        json.key(name);
        json.beginArray();
        for (const QString &entry : *list)
            json.string(entry);
        json.endArray();
    }
    json.endObject();
}

} // namespace

int infoCommand(Context &context, const ParsedArgs &args)
{
    const QStringList labels = args.positional();
    if (labels.isEmpty())
        throw UsageError{QStringLiteral("Expected at least one LABEL.")};
    const bool json = args.has(QStringLiteral("json"));
    context.designer();

    JsonWriter document(context.out);
    // The labels shown so far stay a whole document when a later one ends the command.
    const struct CloseDocument {
        JsonWriter &document;
        QTextStream &out;
        ~CloseDocument()
        {
            // Also while an error unwinds, when memory may be short: nothing may escape.
            try {
                if (document.open()) {
                    document.endArray();
                    out << '\n';
                }
            } catch (...) {
            }
        }
    } closeDocument{document, context.out};
    if (json)
        document.beginArray();
    int status = CliOk;
    bool first = true;
    for (const QString &path : labels) {
        // A label that cannot be read, or not in the memory there is, is
        // named and skipped; the others are still shown.
        std::optional<ShownContents> shown;
        try {
            const IQuillmark label = context.openLabel(path);
            if (!label) {
                status = CliFileErrors;
                continue;
            }
            try {
                shown.emplace(readLabelContents(LabelHandles::fromLabel(label)));
            } catch (const AutomationError &e) {
                context.message(QStringLiteral("File \"%1\" cannot be read!\r\n\r\n").arg(path) + toQString(e.text()));
                status = CliFileErrors;
                continue;
            }
        } catch (const std::bad_alloc &) {
            shown.reset();
            context.message(LabelTooLargeError::text(path));
            status = CliFileErrors;
            continue;
        }
        if (json) {
            writeJson(document, *shown);
        } else {
            if (!first)
                context.out << '\n';
            writeText(context.out, *shown);
        }
        context.out.flush();
        first = false;
    }
    return status;
}

} // namespace strovex::cli
