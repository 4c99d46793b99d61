#include "com_server/test_server_ids.h"
#include "platform/win/com_dispatch.h"
#include "platform/win/com_resolver.h"
#include "platform/win/win_text.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <vector>

namespace strovex::win {
namespace {

using namespace quill_test;

std::u16string wide(const wchar_t *text)
{
    return fromWide(text);
}

// Every test ends with the server holding no object: each reference the
// transport took (results, arguments, objects) was released.
class ComCalls : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = connectDesigner(comResolver());
        ASSERT_NE(app, nullptr) << "register the test server under Quillmark6.Application (scripts/test.d/80-windows.sh)";
    }

    void TearDown() override
    {
        app.reset();
        EXPECT_EQ(test::liveServerObjects(), 0) << "a reference to a server object was not released";
    }

    static Value call(const DispatchRef &object, int id, CallKind kind, std::vector<Value> args = {})
    {
        return object->invoke(id, kind, args);
    }

    Value call(int id, CallKind kind, std::vector<Value> args = {}) { return call(app, id, kind, std::move(args)); }

    std::u16string raised(int id, std::vector<Value> args = {})
    {
        try {
            call(id, CallKind::Method, std::move(args));
        } catch (const AutomationError &error) {
            return error.text();
        }
        ADD_FAILURE() << "member " << id << " did not raise";
        return {};
    }

    DispatchRef app;
};

TEST_F(ComCalls, EachCallKindReachesTheServerWithItsFlags)
{
    EXPECT_EQ(call(kGeneration, CallKind::Get), Value(std::int32_t(6)));

    // The server takes a put only with the named property-put argument.
    call(kAutomationFlag, CallKind::Put, {true});
    EXPECT_EQ(call(kAutomationFlag, CallKind::Get), Value(true));
    call(kAutomationFlag, CallKind::Put, {false});
    EXPECT_EQ(call(kAutomationFlag, CallKind::Get), Value(false));

    // A method without arguments carries the method flag; a server that
    // implements one as a property answers too.
    EXPECT_EQ(call(kInitialize, CallKind::Method), Value());
    EXPECT_EQ(call(kGetOnly, CallKind::Method), Value(std::int32_t(42)));
    // A get is only a get.
    EXPECT_THROW(call(kInitialize, CallKind::Get), AutomationError);
    EXPECT_EQ(call(kQuit, CallKind::Method), Value());
}

TEST_F(ComCalls, ArgumentsArriveInOrderWithTheirTypes)
{
    const Value described = call(kDescribe, CallKind::Method,
                                 {std::u16string(u"two words"), std::int32_t(-7), true, false, 2.5, Value(),
                                  DispatchRef()});
    EXPECT_EQ(described, Value(std::u16string(u"BSTR:two words|I4:-7|BOOL:-1|BOOL:0|R8:2.5|EMPTY|DISPATCH:null")));

    // Texts travel whole: embedded zero, characters beyond Latin-1, surrogate pairs.
    const std::u16string text(u"a\0b \u00FC \u4E16 \U0001F600", 10);
    EXPECT_EQ(call(kEcho, CallKind::Method, {text}), Value(text));
    EXPECT_EQ(call(kEcho, CallKind::Method, {std::u16string()}), Value(std::u16string()));
}

TEST_F(ComCalls, PutTakesTextFromTheCaller)
{
    const DispatchRef label = std::get<DispatchRef>(call(kOpenLabel, CallKind::Method, {std::u16string(u"C:\\L\\a.lbl")}));
    call(label, kPrinterName, CallKind::Put, {std::u16string(u"Zebra \u00C9tiquettes")});
    EXPECT_EQ(call(label, kPrinterName, CallKind::Get), Value(std::u16string(u"Zebra \u00C9tiquettes")));
    EXPECT_THROW(call(label, kPrinterName, CallKind::Put, {}), AutomationError);
}

struct TypedCase {
    int vartype;
    Value expected;
};

TEST_F(ComCalls, ResultsOfEveryTypeConvert)
{
    const std::u16string text = wide(kText);
    const TypedCase cases[] = {
        {VT_EMPTY, Value()},
        {VT_NULL, Value()},
        {VT_ERROR, Value()},
        {VT_I1, std::int32_t(kI1)},
        {VT_UI1, std::int32_t(kUI1)},
        {VT_I2, std::int32_t(kI2)},
        {VT_UI2, std::int32_t(kUI2)},
        {VT_I4, std::int32_t(kI4)},
        {VT_INT, std::int32_t(kI4)},
        {VT_UI4, std::int32_t(kUI4Small)},
        {VT_UINT, std::int32_t(kUI4Small)},
        {VT_UI8, std::int32_t(kUI4Small)},
        // Beyond 32 bits the magnitude is kept, not wrapped.
        {VT_UI4 | kLargeFlag, double(kUI4Large)},
        {VT_UI8 | kLargeFlag, double(kUI4Large)},
        {VT_I8, double(kI8)},
        {VT_BOOL, true},
        {VT_BOOL | kLargeFlag, true}, // 1 rather than -1 is true as well
        {VT_R4, double(kR4)},
        {VT_R8, kR8},
        {VT_CY, 1.2345},
        {VT_BSTR, text},
        {VT_BYREF | VT_I1, std::int32_t(kI1)},
        {VT_BYREF | VT_UI2, std::int32_t(kUI2)},
        {VT_BYREF | VT_I4, std::int32_t(kI4)},
        {VT_BYREF | VT_BOOL, true},
        {VT_BYREF | VT_R4, double(kR4)},
        {VT_BYREF | VT_R8, kR8},
        {VT_BYREF | VT_BSTR, text},
        {VT_BYREF | VT_VARIANT, text},
    };
    for (const TypedCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "VARTYPE 0x" << std::hex << c.vartype);
        EXPECT_EQ(call(kTyped, CallKind::Method, {std::int32_t(c.vartype)}), c.expected);
    }
}

TEST_F(ComCalls, ObjectResultsBecomeReferencesAndNullObjectsNothing)
{
    for (const auto &[vartype, name] : {std::pair{int(VT_DISPATCH), u"Typed"}, std::pair{int(VT_UNKNOWN), u"Unknown"},
                                        std::pair{int(VT_BYREF | VT_DISPATCH), u"Typed"}}) {
        SCOPED_TRACE(vartype);
        const Value result = call(kTyped, CallKind::Method, {std::int32_t(vartype)});
        ASSERT_TRUE(std::holds_alternative<DispatchRef>(result));
        EXPECT_EQ(call(std::get<DispatchRef>(result), kName, CallKind::Get), Value(std::u16string(name)));
    }
    EXPECT_EQ(call(kNullObject, CallKind::Get), Value());
    EXPECT_EQ(call(kOpenLabel, CallKind::Method, {std::u16string(u"C:\\L\\missing.lbl")}), Value());
    EXPECT_EQ(call(kErrorText, CallKind::Get), Value(std::u16string(u"File not found")));
    // A type the transport does not know is refused, not guessed at.
    EXPECT_THROW(call(kTyped, CallKind::Method, {std::int32_t(VT_RECORD)}), AutomationError);
}

TEST_F(ComCalls, ServerErrorsCarryTheServersText)
{
    EXPECT_EQ(raised(kRaise, {std::u16string(u"Label \u00AByes\u00BB is locked")}), u"Label \u00AByes\u00BB is locked");
    EXPECT_EQ(raised(kRaiseDeferred), wide(kDeferredText));

    // Without a description the system's text for the code stands in.
    for (const HRESULT code : {E_ACCESSDENIED, E_OUTOFMEMORY, DISP_E_TYPEMISMATCH}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(raised(kRaiseWithoutText, {std::int32_t(code)}), systemMessage(code));
        EXPECT_EQ(raised(kFailWith, {std::int32_t(code)}), systemMessage(code));
    }
    EXPECT_NE(systemMessage(E_ACCESSDENIED).rfind(u"Error 0x", 0), 0u) << "the system's message is used, not a number";

    // An unknown member and a wrong argument come back as errors, too.
    EXPECT_EQ(raised(4242), systemMessage(DISP_E_MEMBERNOTFOUND));
    EXPECT_EQ(raised(kTyped, {std::u16string(u"not a number")}), systemMessage(DISP_E_TYPEMISMATCH));

    // The connection stays usable after errors.
    EXPECT_EQ(call(kGeneration, CallKind::Get), Value(std::int32_t(6)));
}

TEST_F(ComCalls, ListsAndItemsAreHeldUntilReleased)
{
    DispatchRef label = std::get<DispatchRef>(call(kOpenLabel, CallKind::Method, {std::u16string(u"C:\\L\\Box.lbl")}));
    EXPECT_EQ(call(label, kFileName, CallKind::Get), Value(std::u16string(u"C:\\L\\Box.lbl")));
    DispatchRef variables = std::get<DispatchRef>(call(label, kVariables, CallKind::Get));
    EXPECT_EQ(test::liveServerObjects(), 3); // application, label, list

    const Value count = call(variables, kCount, CallKind::Get);
    ASSERT_EQ(count, Value(std::int32_t(std::size(kVariableNames))));
    for (std::int32_t i = 1; i <= std::get<std::int32_t>(count); ++i) {
        const Value item = call(variables, kItem, CallKind::Get, {i});
        ASSERT_TRUE(std::holds_alternative<DispatchRef>(item));
        EXPECT_EQ(call(std::get<DispatchRef>(item), kName, CallKind::Get), Value(wide(kVariableNames[i - 1])));
    }
    for (const std::int32_t outside : {0, 4}) {
        try {
            call(variables, kItem, CallKind::Get, {outside});
            ADD_FAILURE() << "index " << outside << " was accepted";
        } catch (const AutomationError &error) {
            EXPECT_EQ(error.text(), wide(kIndexError));
        }
    }
    EXPECT_EQ(test::liveServerObjects(), 3);

    variables.reset();
    label.reset();
    EXPECT_EQ(test::liveServerObjects(), 1);
}

TEST_F(ComCalls, ObjectsPassedAsArgumentsAreTheSameObject)
{
    const DispatchRef label = std::get<DispatchRef>(call(kOpenLabel, CallKind::Method, {std::u16string(u"C:\\L\\a.lbl")}));
    const Value echoed = call(kEcho, CallKind::Method, {label});
    ASSERT_TRUE(std::holds_alternative<DispatchRef>(echoed));
    const auto *back = dynamic_cast<const ComDispatch *>(std::get<DispatchRef>(echoed).get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->object(), dynamic_cast<const ComDispatch &>(*label).object());
}

TEST_F(ComCalls, AnObjectOfAnotherTransportIsRefusedWithoutLeaking)
{
    class Foreign : public Dispatch {
    public:
        Value invoke(int, CallKind, std::span<const Value>) override { return {}; }
    };
    const DispatchRef label = std::get<DispatchRef>(call(kOpenLabel, CallKind::Method, {std::u16string(u"C:\\L\\a.lbl")}));
    // The label is converted before the foreign object is met; it must be let go.
    EXPECT_THROW(call(kDescribe, CallKind::Method, {std::u16string(u"text"), label, DispatchRef(std::make_shared<Foreign>())}),
                 AutomationError);
    EXPECT_EQ(test::liveServerObjects(), 2);
}

} // namespace
} // namespace strovex::win
