#include "inspect/value_tables.h"

#include "fake_designer.h"
#include "locale_scope.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace strovex;
using namespace strovex::test;

namespace {

struct CodeCase {
    int code;
    const char *text;
};

void expectTable(QString (*function)(int), std::initializer_list<CodeCase> cases)
{
    for (const CodeCase &c : cases)
        EXPECT_EQ(function(c.code), QString::fromLatin1(c.text)) << "code " << c.code;
}

// The members of an object of `kind`, read from a fake that answers any member
// the case leaves out with an empty value.
ObjectMembers object(int kind, std::map<int, Value> members)
{
    using namespace dispid;
    members[Object::Kind] = number(kind);
    for (int text : {Object::Contents, Object::FontName})
        members.try_emplace(text, Value(std::u16string()));
    for (int flag : {Object::Italic, Object::Bold, Object::Underline, Object::Strikeout})
        members.try_emplace(flag, Value(false));
    members.try_emplace(Object::FontSize, number(0));
    return ReadObjectMembers(IObjectItem(fakeObject(std::move(members))));
}

std::map<int, Value> font(const char16_t *name, int size, bool italic, bool bold, bool underline, bool strikeout)
{
    using namespace dispid;
    return {{Object::FontName, text(name)}, {Object::FontSize, number(size)}, {Object::Italic, Value(italic)},
            {Object::Bold, Value(bold)}, {Object::Underline, Value(underline)}, {Object::Strikeout, Value(strikeout)}};
}

} // namespace

TEST(ValueTables, CodeTables)
{
    expectTable(InputFormatText, {{-1, ""}, {0, "All characters"}, {1, "Numeric"}, {2, "Alphanumeric"}, {3, "Letters"},
                                  {4, ""}, {5, ""}, {6, "Date"}, {7, "Time"}, {8, ""}});
    expectTable(VariableKindText, {{0, ""}, {1, "Prompt Variable"}, {2, "System Clock"}, {3, "Printer Clock"},
                                   {4, "Global Variable"}, {5, "Generated Variable"}, {6, ""}, {7, "Database Variable"},
                                   {8, "Contents Provider"}, {9, ""}});
    expectTable(YesNoText, {{0, "No"}, {1, "Yes"}, {-1, "Yes"}, {2, "Yes"}});
    expectTable(ObjectStatusText, {{0, "OK"}, {1, "Out of label"}, {2, "Non printable"}, {3, ""}, {-1, ""}});
    expectTable(ObjectKindText, {{300, ""}, {301, "Text"}, {302, "Rectangle"}, {303, "Graphics"}, {304, "Barcode"},
                                 {305, "Line"}, {306, "Inverse"}, {307, "OLE Object"}, {308, ""}, {309, "Paragraph"},
                                 {310, ""}, {311, ""}, {312, "RTF"}, {313, "Ellipse"}, {314, ""}});
    expectTable(NavigationText, {{-1, ""}, {0, "First record"}, {1, "All records"}, {2, "Selected records"},
                                 {3, "Last record"}, {4, ""}});
}

TEST(ValueTables, FunctionKinds)
{
    const struct {
        int kind;
        const char16_t *kindName;
        const char *text;
    } cases[] = {
        {-1, u"", ""},
        {0, u"", ""},
        {1, u"", "Concatenate"},
        {2, u"", "Subset"},
        {3, u"", "Linear function"},
        {4, u"", "Database function"},
        {5, u"", "EAN.UCC128"},
        {6, u"", "User defined check digit algorithm"},
        {7, u"", "Date addition"},
        {8, u"", "Currency exchange"},
        {10, u"", "SSCC"},
        {11, u"", ""},
        {9, u"QUILLScript", "Visual Basic Script"},
        {9, u"QUILLFILE", "Link to file"},
        {9, u"QUILLLOOKUP", "Lookup table"},
        {9, u"QUILLFact", "ASC(FACT)"},
        {9, u"QUILLTSHCM", "Transfer Data Syntax for High Capacity ADC Media"},
        {9, u"QUILLHIBC", "HIBC"},
        {9, u"QUILLRTFVAR", "RTF"},
        {9, u"quillscript", "quillscript"}, // exact case only: otherwise shown as it is
        {9, u"ACMEPlugin", "ACMEPlugin"},
        {9, u"", ""},
        {1, u"QUILLScript", "Concatenate"}, // the identifier counts for kind 9 only
    };
    for (const auto &c : cases) {
        const IFunctionItem function(fakeObject({{dispid::Function::Kind, number(c.kind)}, {dispid::Function::KindName, text(c.kindName)}}));
        EXPECT_EQ(FunctionKindText(function), QString::fromLatin1(c.text)) << c.kind;
    }
}

TEST(ValueTables, FunctionKindReadsKindNameOnlyForExternalKinds)
{
    // KindName is not available: kinds other than 9 must not ask for it.
    EXPECT_EQ(FunctionKindText(IFunctionItem(fakeObject({{dispid::Function::Kind, number(1)}}))), QStringLiteral("Concatenate"));
    EXPECT_THROW(FunctionKindText(IFunctionItem(fakeObject({{dispid::Function::Kind, number(kExternalFunctionKind)}}))), AutomationError);
}

TEST(ValueTables, ContentsText)
{
    const QString sixty = QString(60, QLatin1Char('x'));
    EXPECT_EQ(ObjectContentsText(object(301, {{24, text(u"abc")}})), QStringLiteral("abc"));
    EXPECT_EQ(ObjectContentsText(object(304, {{24, text(u"0123")}})), QStringLiteral("0123"));
    EXPECT_EQ(ObjectContentsText(object(309, {{24, text(u"abc")}})), QStringLiteral("abc..."));
    EXPECT_EQ(ObjectContentsText(object(312, {{24, Value(toU16(sixty))}})), QString(50, QLatin1Char('x')) + QStringLiteral("..."));
    EXPECT_EQ(ObjectContentsText(object(303, {{24, text(u"logo.bmp")}})), QString());
    EXPECT_EQ(ObjectContentsText(object(302, {})), QString());

    // A character outside the basic plane straddling the cut is not split in half.
    const QString cut = QString(49, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral("b");
    EXPECT_EQ(ObjectContentsText(object(309, {{24, Value(toU16(cut))}})), QString(49, QLatin1Char('a')) + QStringLiteral("..."));
}

TEST(ValueTables, FontText)
{
    LocaleScope locale(QLocale::German, QLocale::Germany);
    EXPECT_EQ(ObjectFontText(object(301, font(u"Arial", 120, true, true, false, false))), QStringLiteral("Arial; 12 pt; Italic, Bold"));
    EXPECT_EQ(ObjectFontText(object(309, font(u"Arial", 120, true, true, false, false))), QStringLiteral("Arial, 12 pt, Italic, Bold"));
    EXPECT_EQ(ObjectFontText(object(301, font(u"Arial", 100, false, false, false, false))), QStringLiteral("Arial; 10 pt"));
    EXPECT_EQ(ObjectFontText(object(309, font(u"Arial", 95, false, false, false, false))), QStringLiteral("Arial, 9,5 pt"));
    EXPECT_EQ(ObjectFontText(object(301, font(u"Courier", 0, true, true, true, true))),
              QStringLiteral("Courier; 0 pt; Italic, Bold, Underline, Strikeout"));
    EXPECT_EQ(ObjectFontText(object(301, font(u"Courier", 12345, false, false, false, true))),
              QStringLiteral("Courier; 1234,5 pt; Strikeout")); // no thousands separator
    EXPECT_EQ(ObjectFontText(object(312, font(u"Arial", 120, true, false, false, false))), QString());
    EXPECT_EQ(ObjectFontText(object(304, font(u"Arial", 120, true, false, false, false))), QString());
}

TEST(ValueTables, FontSizeUsesLocaleSeparator)
{
    LocaleScope locale(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(FontSizeText(105), QStringLiteral("10.5 pt"));
    EXPECT_EQ(FontSizeText(-5), QStringLiteral("-0.5 pt"));
}

TEST(ValueTables, AdditionalInfo)
{
    LocaleScope locale(QLocale::English, QLocale::UnitedStates);
    auto members = font(u"Arial", 95, false, true, false, false);
    members[24] = text(u"C:\\Pictures\\logo.bmp");
    EXPECT_EQ(ObjectAdditionalInfo(object(301, members)), QStringLiteral("Arial; 9.5 pt; Bold"));
    EXPECT_EQ(ObjectAdditionalInfo(object(309, members)), QStringLiteral("Arial, 9.5 pt, Bold"));
    EXPECT_EQ(ObjectAdditionalInfo(object(312, members)), QString());
    EXPECT_EQ(ObjectAdditionalInfo(object(313, members)), QString());
    EXPECT_EQ(ObjectAdditionalInfo(object(303, members)), QStringLiteral("C:\\Pictures\\logo.bmp"));
    EXPECT_EQ(ObjectAdditionalInfo(object(304, members)), QStringLiteral("Arial"));
}

TEST(ValueTables, JoinVariableNames)
{
    auto var = [](const char16_t *name) { return fakeObject({{dispid::Var::Name, text(name)}}); };
    EXPECT_EQ(JoinVariableNames(IVariableList()), QString());
    EXPECT_EQ(JoinVariableNames(IVariableList(fakeList({}))), QString());
    EXPECT_EQ(JoinVariableNames(IVariableList(fakeList({var(u"A")}))), QStringLiteral("\"A\""));
    EXPECT_EQ(JoinVariableNames(IVariableList(fakeList({var(u"A"), var(u"B")}))), QStringLiteral("\"A\", \"B\""));
    // A missing item leaves no empty quotes and no doubled separator.
    EXPECT_EQ(JoinVariableNames(IVariableList(fakeList({nullptr, var(u"A"), nullptr, var(u"B\"x")}))),
              QStringLiteral("\"A\", \"B\"x\""));
    // A failing name read reaches the caller.
    EXPECT_THROW(JoinVariableNames(IVariableList(fakeList({fakeObject({})}))), AutomationError);
}

// Kind first, then only what the kind shows, each member once.
TEST(ValueTables, ObjectMembersReadOncePerKind)
{
    using namespace dispid;
    const std::vector<int> textReads{Object::Kind,   Object::Contents,  Object::FontSize,  Object::Italic,
                                     Object::Bold,   Object::Underline, Object::Strikeout, Object::FontName};
    const struct {
        int kind;
        std::vector<int> reads;
    } cases[] = {
        {ObjectKind::Text, textReads},                                            // contents, size, styles, font name
        {ObjectKind::Paragraph, textReads},                                       // the same
        {ObjectKind::Barcode, {Object::Kind, Object::Contents, Object::FontName}}, // contents, font name
        {ObjectKind::Rtf, {Object::Kind, Object::Contents}},                      // contents
        {ObjectKind::Graphics, {Object::Kind, Object::Contents}},                 // the picture path
        {ObjectKind::Rectangle, {Object::Kind}},                                  // nothing more
        {0, {Object::Kind}},
    };
    for (const auto &c : cases) {
        auto recorder = std::make_shared<test::RecordingDispatch>([&c](const test::RecordedCall &call) -> Value {
            switch (call.dispId) {
            case Object::Kind: return number(c.kind);
            case Object::Contents: case Object::FontName: return text(u"x");
            case Object::FontSize: return number(100);
            default: return Value(false);
            }
        });
        ReadObjectMembers(IObjectItem(recorder));
        std::vector<int> reads;
        for (const auto &call : recorder->calls)
            reads.push_back(call.dispId);
        EXPECT_EQ(reads, c.reads) << c.kind;
    }
}
