#include "inspect/value_tables.h"
#include "inspect/measure.h"

#include <QLocale>

namespace strovex {
namespace {

struct CodeText {
    int code;
    const char *text;
};

template<std::size_t N>
QString lookup(const CodeText (&table)[N], int code)
{
    for (const CodeText &entry : table) {
        if (entry.code == code)
            return QString::fromLatin1(entry.text);
    }
    return {};
}

} // namespace

QString InputFormatText(int code)
{
    static const CodeText table[] = {
        {0, "All characters"}, {1, "Numeric"}, {2, "Alphanumeric"}, {3, "Letters"}, {6, "Date"}, {7, "Time"},
    };
    return lookup(table, code);
}

QString VariableKindText(int code)
{
    static const CodeText table[] = {
        {1, "Prompt Variable"},    {2, "System Clock"},      {3, "Printer Clock"},    {4, "Global Variable"},
        {5, "Generated Variable"}, {7, "Database Variable"}, {8, "Contents Provider"},
    };
    return lookup(table, code);
}

QString YesNoText(int flag)
{
    return flag != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
}

QString ObjectStatusText(int code)
{
    static const CodeText table[] = {{0, "OK"}, {1, "Out of label"}, {2, "Non printable"}};
    return lookup(table, code);
}

QString ObjectKindText(int code)
{
    static const CodeText table[] = {
        {ObjectKind::Text, "Text"},         {ObjectKind::Rectangle, "Rectangle"}, {ObjectKind::Graphics, "Graphics"},
        {ObjectKind::Barcode, "Barcode"},   {ObjectKind::Line, "Line"},           {ObjectKind::Inverse, "Inverse"},
        {ObjectKind::OleObject, "OLE Object"}, {ObjectKind::Paragraph, "Paragraph"}, {ObjectKind::Rtf, "RTF"},
        {ObjectKind::Ellipse, "Ellipse"},
    };
    return lookup(table, code);
}

QString NavigationText(int code)
{
    static const CodeText table[] = {
        {0, "First record"}, {1, "All records"}, {2, "Selected records"}, {3, "Last record"},
    };
    return lookup(table, code);
}

QString ExternalFunctionKindText(const QString &kindName)
{
    static const struct {
        const char *identifier;
        const char *text;
    } table[] = {
        {"QUILLScript", "Visual Basic Script"},
        {"QUILLFILE", "Link to file"},
        {"QUILLLOOKUP", "Lookup table"},
        {"QUILLFact", "ASC(FACT)"},
        {"QUILLTSHCM", "Transfer Data Syntax for High Capacity ADC Media"},
        {"QUILLHIBC", "HIBC"},
        {"QUILLRTFVAR", "RTF"},
    };
    for (const auto &entry : table) {
        if (kindName == QLatin1String(entry.identifier))
            return QString::fromLatin1(entry.text);
    }
    return kindName;
}

QString FunctionKindText(int kind, const QString &kindName)
{
    static const CodeText table[] = {
        {1, "Concatenate"},       {2, "Subset"},
        {3, "Linear function"},   {4, "Database function"},
        {5, "EAN.UCC128"},        {6, "User defined check digit algorithm"},
        {7, "Date addition"},     {8, "Currency exchange"},
        {10, "SSCC"},
    };
    if (kind == kExternalFunctionKind)
        return ExternalFunctionKindText(kindName);
    return lookup(table, kind);
}

QString FunctionKindText(const IFunctionItem &function)
{
    const int kind = function.Kind();
    return FunctionKindText(kind, kind == kExternalFunctionKind ? function.KindName() : QString());
}

ObjectMembers ReadObjectMembers(const IObjectItem &object)
{
    return ReadObjectMembers(object, object.Kind());
}

ObjectMembers ReadObjectMembers(const IObjectItem &object, int kind)
{
    ObjectMembers m;
    m.Kind = kind;
    switch (kind) {
    case ObjectKind::Text:
    case ObjectKind::Paragraph:
        m.Contents = object.Contents();
        m.FontSize = object.FontSize();
        m.Italic = object.Italic();
        m.Bold = object.Bold();
        m.Underline = object.Underline();
        m.Strikeout = object.Strikeout();
        m.FontName = object.FontName();
        break;
    case ObjectKind::Barcode:
        m.Contents = object.Contents();
        m.FontName = object.FontName();
        break;
    case ObjectKind::Rtf:
    case ObjectKind::Graphics:
        m.Contents = object.Contents();
        break;
    default:
        break;
    }
    return m;
}

QString ObjectContentsText(const ObjectMembers &object)
{
    switch (object.Kind) {
    case ObjectKind::Text:
    case ObjectKind::Barcode:
        return object.Contents;
    case ObjectKind::Paragraph:
    case ObjectKind::Rtf: {
        QString head = object.Contents.left(50);
        // Never leave half of a surrogate pair at the cut.
        if (!head.isEmpty() && head.back().isHighSurrogate())
            head.chop(1);
        return head + QStringLiteral("...");
    }
    default:
        return {};
    }
}

QString FontSizeText(int tenthsOfPoint)
{
    if (tenthsOfPoint % 10 == 0)
        return QString::number(tenthsOfPoint / 10) + QStringLiteral(" pt");
    return FixedPointText(tenthsOfPoint / 10.0, 1) + QStringLiteral(" pt");
}

QString FontStyleText(bool italic, bool bold, bool underline, bool strikeout)
{
    QString text;
    const auto add = [&text](bool on, QLatin1String word) {
        if (!on)
            return;
        if (!text.isEmpty())
            text += QLatin1String(", ");
        text += word;
    };
    add(italic, QLatin1String("Italic"));
    add(bold, QLatin1String("Bold"));
    add(underline, QLatin1String("Underline"));
    add(strikeout, QLatin1String("Strikeout"));
    return text;
}

QString ObjectFontText(const ObjectMembers &object)
{
    const int kind = object.Kind;
    if (kind != ObjectKind::Text && kind != ObjectKind::Paragraph)
        return {};
    const QString size = FontSizeText(object.FontSize);
    const QString style = FontStyleText(object.Italic, object.Bold, object.Underline, object.Strikeout);
    const QString separator = kind == ObjectKind::Text ? QStringLiteral("; ") : QStringLiteral(", ");
    QString result = object.FontName + separator + size;
    if (!style.isEmpty())
        result += separator + style;
    return result;
}

QString ObjectAdditionalInfo(const ObjectMembers &object)
{
    switch (object.Kind) {
    case ObjectKind::Text:
    case ObjectKind::Paragraph:
    case ObjectKind::Rtf:
        return ObjectFontText(object);
    case ObjectKind::Graphics:
        return object.Contents;
    case ObjectKind::Barcode:
        return object.FontName;
    default:
        return {};
    }
}

QString ListedFontName(const ObjectMembers &object)
{
    return object.Kind == ObjectKind::Text || object.Kind == ObjectKind::Paragraph ? object.FontName : QString();
}

QString JoinVariableNames(const IVariableList &list)
{
    QString result;
    if (list.isNull())
        return result;
    const int count = list.Count();
    for (int i = 1; i <= count; ++i) {
        const IVar variable = list.Item(i);
        if (variable.isNull())
            continue;
        if (!result.isEmpty())
            result += QStringLiteral(", ");
        result += QLatin1Char('"') + variable.Name() + QLatin1Char('"');
    }
    return result;
}

} // namespace strovex
