// Every member of the designer interfaces against a recording fake: the DispID,
// the call kind and the types of the arguments that travel.

#include "automation/designer.h"
#include "support/recording_dispatch.h"

#include <gtest/gtest.h>

#include <functional>

using namespace strovex;
using strovex::test::RecordingDispatch;

namespace {

enum class Arg { Text, Int, Bool };

struct MemberCase {
    const char *name;
    std::function<void(const DispatchRef &)> use;
    int dispId;
    CallKind kind;
    std::vector<Arg> args;
};

bool hasType(const Value &v, Arg a)
{
    switch (a) {
    case Arg::Text: return std::holds_alternative<std::u16string>(v);
    case Arg::Int: return std::holds_alternative<std::int32_t>(v);
    case Arg::Bool: return std::holds_alternative<bool>(v);
    }
    return false;
}

// Answers every call with something each typed member can convert.
Value answer(const test::RecordedCall &)
{
    return Value(std::int32_t(0));
}

template<class T, class F>
std::function<void(const DispatchRef &)> on(F f)
{
    return [f](const DispatchRef &ref) { f(T(ref)); };
}

const auto G = CallKind::Get;
const auto P = CallKind::Put;
const auto M = CallKind::Method;

std::vector<MemberCase> cases()
{
    return {
        {"quillApp.Quit", on<QuillApp>([](auto o) { o.Quit(); }), 2, M, {}},
        {"quillApp.ErrorText", on<QuillApp>([](auto o) { o.ErrorText(); }), 10, G, {}},
        {"quillApp.ErrorDetail", on<QuillApp>([](auto o) { o.ErrorDetail(); }), 11, G, {}},
        {"quillApp.OpenLabel", on<QuillApp>([](auto o) { o.OpenLabel(QStringLiteral("a.lbl")); }), 24, M, {Arg::Text}},
        {"quillApp.Initialize", on<QuillApp>([](auto o) { o.Initialize(); }), 27, M, {}},
        {"quillApp.AutomationFlag", on<QuillApp>([](auto o) { o.SetAutomationFlag(true); }), 32, P, {Arg::Bool}},

        {"IQuillmark.FileName", on<IQuillmark>([](auto o) { o.FileName(); }), 1, G, {}},
        {"IQuillmark.Save", on<IQuillmark>([](auto o) { o.Save(); }), 3, M, {}},
        {"IQuillmark.Objects", on<IQuillmark>([](auto o) { o.Objects(); }), 11, G, {}},
        {"IQuillmark.Variables", on<IQuillmark>([](auto o) { o.Variables(); }), 12, G, {}},
        {"IQuillmark.Functions", on<IQuillmark>([](auto o) { o.Functions(); }), 13, G, {}},
        {"IQuillmark.Databases", on<IQuillmark>([](auto o) { o.Databases(); }), 14, G, {}},
        {"IQuillmark.PrinterName get", on<IQuillmark>([](auto o) { o.PrinterName(); }), 15, G, {}},
        {"IQuillmark.PrinterName put", on<IQuillmark>([](auto o) { o.SetPrinterName(QStringLiteral("P")); }), 15, P, {Arg::Text}},
        {"IQuillmark.OtherVariables", on<IQuillmark>([](auto o) { o.OtherVariables(); }), 17, G, {}},
        {"IQuillmark.Version", on<IQuillmark>([](auto o) { o.Version(); }), 34, G, {}},
        {"IQuillmark.GetDependentFiles", on<IQuillmark>([](auto o) { o.GetDependentFiles(); }), 39, M, {Arg::Int}},
        {"IQuillmark.Settings", on<IQuillmark>([](auto o) { o.Settings(); }), 40, G, {}},
        {"IQuillmark.GetPrinterSetting", on<IQuillmark>([](auto o) { o.GetPrinterSetting(QStringLiteral("PRINTSPEED")); }), 41, M, {Arg::Text}},
        {"IQuillmark.PrinterPort", on<IQuillmark>([](auto o) { o.PrinterPort(); }), 43, G, {}},
        {"IQuillmark.HorizontalResolution", on<IQuillmark>([](auto o) { o.HorizontalResolution(); }), 44, G, {}},
        {"IQuillmark.VerticalResolution", on<IQuillmark>([](auto o) { o.VerticalResolution(); }), 45, G, {}},
        {"IQuillmark.GetSpeedUnit", on<IQuillmark>([](auto o) { o.GetSpeedUnit(QStringLiteral("P")); }), 47, M, {Arg::Text}},
        {"IQuillmark.ExportPreview", on<IQuillmark>([](auto o) { o.ExportPreview(QStringLiteral("f.bmp"), 10, 20); }), 57, M,
         {Arg::Text, Arg::Int, Arg::Int, Arg::Int, Arg::Int, Arg::Bool}},
        {"IQuillmark.GetDarknessValues", on<IQuillmark>([](auto o) { o.GetDarknessValues(QStringLiteral("P")); }), 61, M, {Arg::Text}},
        {"IQuillmark.VariableMode", on<IQuillmark>([](auto o) { o.VariableMode(); }), 76, G, {}},
        {"IQuillmark.OriginalPrinter", on<IQuillmark>([](auto o) { o.OriginalPrinter(); }), 85, G, {}},
        {"IQuillmark.FormName", on<IQuillmark>([](auto o) { o.FormName(); }), 86, G, {}},

        {"ILabelSettings.Title", on<ILabelSettings>([](auto o) { o.Title(); }), 1, G, {}},
        {"ILabelSettings.Unit", on<ILabelSettings>([](auto o) { o.Unit(); }), 4, G, {}},
        {"ILabelSettings.Width", on<ILabelSettings>([](auto o) { o.Width(); }), 13, G, {}},
        {"ILabelSettings.Length", on<ILabelSettings>([](auto o) { o.Length(); }), 14, G, {}},
        {"ILabelSettings.ColumnOffset", on<ILabelSettings>([](auto o) { o.ColumnOffset(); }), 17, G, {}},
        {"ILabelSettings.RowOffset", on<ILabelSettings>([](auto o) { o.RowOffset(); }), 18, G, {}},

        {"IObjectList.Count", on<IObjectList>([](auto o) { o.Count(); }), 1, G, {}},
        {"IObjectList.Item", on<IObjectList>([](auto o) { o.Item(1); }), 2, M, {Arg::Int}},
        {"IVariableList.Count", on<IVariableList>([](auto o) { o.Count(); }), 1, G, {}},
        {"IVariableList.Item", on<IVariableList>([](auto o) { o.Item(1); }), 2, M, {Arg::Int}},
        {"IVariableList.FindByName", on<IVariableList>([](auto o) { o.FindByName(QStringLiteral("V")); }), 3, M, {Arg::Text}},
        {"IDatabaseList.Count", on<IDatabaseList>([](auto o) { o.Count(); }), 1, G, {}},
        {"IDatabaseList.Item", on<IDatabaseList>([](auto o) { o.Item(1); }), 2, M, {Arg::Int}},
        {"IFunctionList.Count", on<IFunctionList>([](auto o) { o.Count(); }), 1, G, {}},
        {"IFunctionList.Item", on<IFunctionList>([](auto o) { o.Item(1); }), 2, M, {Arg::Int}},

        {"IObjectItem.Left", on<IObjectItem>([](auto o) { o.Left(); }), 2, G, {}},
        {"IObjectItem.Top", on<IObjectItem>([](auto o) { o.Top(); }), 3, G, {}},
        {"IObjectItem.Name", on<IObjectItem>([](auto o) { o.Name(); }), 6, G, {}},
        {"IObjectItem.Kind", on<IObjectItem>([](auto o) { o.Kind(); }), 7, G, {}},
        {"IObjectItem.Status", on<IObjectItem>([](auto o) { o.Status(); }), 9, G, {}},
        {"IObjectItem.Locked", on<IObjectItem>([](auto o) { o.Locked(); }), 13, G, {}},
        {"IObjectItem.Variable", on<IObjectItem>([](auto o) { o.Variable(); }), 17, G, {}},
        {"IObjectItem.Contents", on<IObjectItem>([](auto o) { o.Contents(); }), 24, G, {}},
        {"IObjectItem.FontName", on<IObjectItem>([](auto o) { o.FontName(); }), 25, G, {}},
        {"IObjectItem.Italic", on<IObjectItem>([](auto o) { o.Italic(); }), 26, G, {}},
        {"IObjectItem.Bold", on<IObjectItem>([](auto o) { o.Bold(); }), 27, G, {}},
        {"IObjectItem.SetFileName", on<IObjectItem>([](auto o) { o.SetFileName(QStringLiteral("p.bmp")); }), 29, M, {Arg::Text}},
        {"IObjectItem.FontSize", on<IObjectItem>([](auto o) { o.FontSize(); }), 31, G, {}},
        {"IObjectItem.Underline", on<IObjectItem>([](auto o) { o.Underline(); }), 45, G, {}},
        {"IObjectItem.Strikeout", on<IObjectItem>([](auto o) { o.Strikeout(); }), 46, G, {}},

        {"IVar.ID", on<IVar>([](auto o) { o.ID(); }), 1, G, {}},
        {"IVar.Name", on<IVar>([](auto o) { o.Name(); }), 2, G, {}},
        {"IVar.Kind", on<IVar>([](auto o) { o.Kind(); }), 6, G, {}},
        {"IVar.Length get", on<IVar>([](auto o) { o.Length(); }), 10, G, {}},
        {"IVar.Length put", on<IVar>([](auto o) { o.SetLength(12); }), 10, P, {Arg::Int}},
        {"IVar.InputFormat", on<IVar>([](auto o) { o.InputFormat(); }), 22, G, {}},
        {"IVar.DefaultValue", on<IVar>([](auto o) { o.DefaultValue(); }), 26, G, {}},
        {"IVar.PromptMode", on<IVar>([](auto o) { o.PromptMode(); }), 27, G, {}},
        {"IVar.IsUsed", on<IVar>([](auto o) { o.IsUsed(); }), 41, G, {}},
        {"IVar.PromptOrder", on<IVar>([](auto o) { o.PromptOrder(); }), 50, G, {}},
        {"IVar.Marked", on<IVar>([](auto o) { o.Marked(); }), 61, G, {}},

        {"IDatabaseItem.Name", on<IDatabaseItem>([](auto o) { o.Name(); }), 2, G, {}},
        {"IDatabaseItem.Description", on<IDatabaseItem>([](auto o) { o.Description(); }), 3, G, {}},
        {"IDatabaseItem.InputVariables", on<IDatabaseItem>([](auto o) { o.InputVariables(); }), 6, G, {}},
        {"IDatabaseItem.OutputVariables", on<IDatabaseItem>([](auto o) { o.OutputVariables(); }), 7, G, {}},
        {"IDatabaseItem.IsUsed", on<IDatabaseItem>([](auto o) { o.IsUsed(); }), 11, G, {}},
        {"IDatabaseItem.DriverType", on<IDatabaseItem>([](auto o) { o.DriverType(); }), 12, G, {}},
        {"IDatabaseItem.TableName", on<IDatabaseItem>([](auto o) { o.TableName(); }), 18, G, {}},
        {"IDatabaseItem.OrderField", on<IDatabaseItem>([](auto o) { o.OrderField(); }), 19, G, {}},
        {"IDatabaseItem.Navigation", on<IDatabaseItem>([](auto o) { o.Navigation(); }), 21, G, {}},
        {"IDatabaseItem.SQL", on<IDatabaseItem>([](auto o) { o.SQL(); }), 23, G, {}},
        {"IDatabaseItem.ConnectionString", on<IDatabaseItem>([](auto o) { o.ConnectionString(); }), 24, G, {}},

        {"IFunctionItem.Name", on<IFunctionItem>([](auto o) { o.Name(); }), 2, G, {}},
        {"IFunctionItem.Description", on<IFunctionItem>([](auto o) { o.Description(); }), 3, G, {}},
        {"IFunctionItem.Kind", on<IFunctionItem>([](auto o) { o.Kind(); }), 4, G, {}},
        {"IFunctionItem.InputVariables", on<IFunctionItem>([](auto o) { o.InputVariables(); }), 6, G, {}},
        {"IFunctionItem.OutputVariables", on<IFunctionItem>([](auto o) { o.OutputVariables(); }), 7, G, {}},
        {"IFunctionItem.IsUsed", on<IFunctionItem>([](auto o) { o.IsUsed(); }), 11, G, {}},
        {"IFunctionItem.Script", on<IFunctionItem>([](auto o) { o.Script(); }), 12, G, {}},
        {"IFunctionItem.KindName", on<IFunctionItem>([](auto o) { o.KindName(); }), 13, G, {}},
    };
}

} // namespace

TEST(DispIdTable, EveryMemberCallsItsDispIdWithItsKindAndArgumentTypes)
{
    for (const MemberCase &c : cases()) {
        SCOPED_TRACE(c.name);
        auto fake = std::make_shared<RecordingDispatch>(answer);
        try {
            c.use(fake);
        } catch (const AutomationError &) {
            // A member that expects an object gets a number back here; the call was still recorded.
        }
        ASSERT_EQ(fake->calls.size(), 1u);
        const auto &call = fake->calls.front();
        EXPECT_EQ(call.dispId, c.dispId);
        EXPECT_EQ(call.kind, c.kind);
        ASSERT_EQ(call.args.size(), c.args.size());
        for (std::size_t i = 0; i < c.args.size(); ++i)
            EXPECT_TRUE(hasType(call.args[i], c.args[i])) << "argument " << i;
    }
}

TEST(DispIdTable, ArgumentsCarryTheirValues)
{
    auto fake = std::make_shared<RecordingDispatch>();
    IQuillmark(fake).ExportPreview(QStringLiteral("pic.bmp"), 320, 200);
    const std::vector<Value> expected{Value(std::u16string(u"pic.bmp")), Value(std::int32_t(320)), Value(std::int32_t(200)),
                                      Value(std::int32_t(1)), Value(std::int32_t(0)), Value(true)};
    EXPECT_EQ(fake->calls.at(0).args, expected);

    IQuillmark(fake).GetDependentFiles();
    EXPECT_EQ(fake->calls.at(1).args, std::vector<Value>{Value(std::int32_t(0))});
}

TEST(DispIdTable, LastErrorTextJoinsTextAndDetailWithCrLf)
{
    struct Case { std::u16string text, detail; QString expected; };
    const Case cases[] = {
        {u"", u"", QString()},
        {u"", u"detail", QString()},
        {u"Cannot open", u"", QStringLiteral("Cannot open")},
        {u"Cannot open", u"Bad header", QStringLiteral("Cannot open\r\nBad header")},
    };
    for (const Case &c : cases) {
        auto fake = std::make_shared<RecordingDispatch>([&](const test::RecordedCall &call) -> Value {
            return call.dispId == 10 ? Value(c.text) : Value(c.detail);
        });
        EXPECT_EQ(QuillApp(fake).LastErrorText(), c.expected);
    }
}

TEST(DispIdTable, AnEmptyHandleRaisesInsteadOfCrashing)
{
    EXPECT_THROW(IQuillmark().FileName(), AutomationError);
}
