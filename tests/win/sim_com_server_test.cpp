#include "platform/win/com_dispatch.h"
#include "platform/win/win_text.h"
#include "simcom/com_server.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <olectl.h>

#include <vector>

namespace strovex::simcom {
namespace {

using win::toWide;

struct Call {
    int dispId;
    CallKind kind;
    std::vector<Value> args;
};

// Records every call; member 7 gives a child object, member 9 refuses, member
// 11 echoes its first argument.
class Recorder : public Dispatch {
public:
    std::vector<Call> calls;
    Value invoke(int dispId, CallKind kind, std::span<const Value> args) override
    {
        calls.push_back({dispId, kind, {args.begin(), args.end()}});
        if (dispId == 7)
            return DispatchRef(std::make_shared<Recorder>());
        if (dispId == 9)
            throw AutomationError(u"Label \u00abx\u00bb cannot be opened.");
        if (dispId == 11)
            return args.empty() ? Value() : args[0];
        return std::int32_t(42);
    }
};

// The client transport over an exposed object: the same path the programs take.
DispatchRef throughCom(const DispatchRef &object)
{
    return win::adoptDispatch(exposeObject(object));
}

TEST(SimComServer, CallsArriveWithTheirKindAndArguments)
{
    auto recorder = std::make_shared<Recorder>();
    {
        DispatchRef client = throughCom(recorder);
        const Value two[] = {Value(u"a"), Value(std::int32_t(5))};
        EXPECT_EQ(client->invoke(3, CallKind::Get, {}), Value(std::int32_t(42)));
        client->invoke(4, CallKind::Put, std::span<const Value>(two, 1));
        client->invoke(5, CallKind::Method, {});
        client->invoke(6, CallKind::Method, two);
    }
    ASSERT_EQ(recorder->calls.size(), 4u);
    const struct {
        int dispId;
        CallKind kind;
        std::size_t args;
    } expected[] = {{3, CallKind::Get, 0}, {4, CallKind::Put, 1}, {5, CallKind::Method, 0}, {6, CallKind::Method, 2}};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(recorder->calls[i].dispId, expected[i].dispId);
        EXPECT_EQ(recorder->calls[i].kind, expected[i].kind);
        EXPECT_EQ(recorder->calls[i].args.size(), expected[i].args);
    }
    EXPECT_EQ(recorder->calls[1].args[0], Value(u"a"));
    // Arguments keep their order although IDispatch carries them last first.
    EXPECT_EQ(recorder->calls[3].args, (std::vector<Value>{Value(u"a"), Value(std::int32_t(5))}));
    EXPECT_EQ(liveServerObjects(), 0);
}

TEST(SimComServer, ServerErrorsReachTheCallerWithTheirText)
{
    DispatchRef client = throughCom(std::make_shared<Recorder>());
    try {
        client->invoke(9, CallKind::Method, {});
        FAIL() << "no error";
    } catch (const AutomationError &error) {
        EXPECT_EQ(error.text(), u"Label \u00abx\u00bb cannot be opened.");
    }
}

TEST(SimComServer, ObjectsTravelBothWaysAndAreAllReleased)
{
    {
        DispatchRef client = throughCom(std::make_shared<Recorder>());
        const Value child = client->invoke(7, CallKind::Get, {});
        ASSERT_TRUE(std::holds_alternative<DispatchRef>(child));
        EXPECT_EQ(std::get<DispatchRef>(child)->invoke(3, CallKind::Get, {}), Value(std::int32_t(42)));
        // An object of the server passed back comes out as the same server object.
        const Value echoed = client->invoke(11, CallKind::Method, std::span<const Value>(&child, 1));
        ASSERT_TRUE(std::holds_alternative<DispatchRef>(echoed));
        EXPECT_EQ(std::get<DispatchRef>(echoed)->invoke(3, CallKind::Get, {}), Value(std::int32_t(42)));
        EXPECT_GT(liveServerObjects(), 1);
    }
    EXPECT_EQ(liveServerObjects(), 0);
}

TEST(SimComServer, ClassFactoryCreatesRefusesAggregationAndReportsFailure)
{
    IClassFactory *factory = createClassFactory([] { return DispatchRef(std::make_shared<Recorder>()); });
    IDispatch *object = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void **>(&object)), S_OK);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(win::adoptDispatch(object)->invoke(3, CallKind::Get, {}), Value(std::int32_t(42)));
    IUnknown *outer = factory;
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void **>(&object)), CLASS_E_NOAGGREGATION);
    factory->Release();

    IClassFactory *failing = createClassFactory([]() -> DispatchRef { throw AutomationError(u"no"); });
    object = reinterpret_cast<IDispatch *>(1);
    EXPECT_TRUE(FAILED(failing->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void **>(&object))));
    EXPECT_EQ(object, nullptr);
    failing->Release();
    EXPECT_EQ(liveServerObjects(), 0);
}

// A scratch classes root below HKEY_CURRENT_USER, removed afterwards.
class Registration : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = u"Software\\StrovexTest\\" + win::test::uniqueName(u"classes");
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, toWide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &root, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegCloseKey(root);
        RegDeleteTreeW(HKEY_CURRENT_USER, toWide(path).c_str());
    }
    std::u16string value(const std::u16string &key, const wchar_t *name = nullptr)
    {
        wchar_t buffer[512] = {};
        DWORD size = sizeof buffer;
        if (RegGetValueW(root, toWide(key).c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
            return u"<none>";
        return win::fromWide(buffer);
    }
    void setValue(const std::u16string &key, const std::u16string &text)
    {
        const std::wstring wide = toWide(text);
        ASSERT_EQ(RegSetKeyValueW(root, toWide(key).c_str(), nullptr, REG_SZ, wide.c_str(),
                                  DWORD((wide.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    std::u16string path;
    HKEY root = nullptr;
    const ServerClass ours{u"{11111111-2222-3333-4444-555555555555}", u"Test.Application"};
    const std::u16string foreign = u"{AAAAAAAA-2222-3333-4444-555555555555}";
};

TEST_F(Registration, RegistersAndUnregistersItsOwnClass)
{
    ASSERT_EQ(registerServer(root, ours, u"C:\\x\\server.dll").status, S_OK);
    // Registering again (a moved copy of the server) is no conflict.
    ASSERT_EQ(registerServer(root, ours, u"C:\\y\\server.dll").status, S_OK);
    EXPECT_EQ(value(u"Test.Application\\CLSID"), ours.clsid);
    EXPECT_EQ(value(u"CLSID\\" + ours.clsid + u"\\InprocServer32"), u"C:\\y\\server.dll");
    EXPECT_EQ(value(u"CLSID\\" + ours.clsid + u"\\InprocServer32", L"ThreadingModel"), u"Apartment");

    ASSERT_EQ(unregisterServer(root, ours).status, S_OK);
    EXPECT_EQ(value(u"Test.Application\\CLSID"), u"<none>");
    EXPECT_EQ(value(u"CLSID\\" + ours.clsid + u"\\InprocServer32"), u"<none>");
    // Nothing left to remove is no error.
    EXPECT_EQ(unregisterServer(root, ours).status, S_OK);
}

TEST_F(Registration, NeverReplacesOrRemovesAnotherProgramsIdentifier)
{
    const struct {
        const char *name;
        bool withClass;
    } cases[] = {{"names another class", true}, {"names no class", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeW(root, L"Test.Application");
        if (c.withClass)
            setValue(u"Test.Application\\CLSID", foreign);
        else
            setValue(u"Test.Application", u"Another program");

        const RegistrationResult result = registerServer(root, ours, u"C:\\x\\server.dll");
        EXPECT_EQ(result.status, SELFREG_E_CLASS);
        EXPECT_EQ(result.message,
                  u"\"Test.Application\" is registered to another program; its registration was left as it is.");
        EXPECT_EQ(value(u"CLSID\\" + ours.clsid + u"\\InprocServer32"), u"<none>");

        EXPECT_EQ(unregisterServer(root, ours).status, S_OK);
        if (c.withClass)
            EXPECT_EQ(value(u"Test.Application\\CLSID"), foreign);
        else
            EXPECT_EQ(value(u"Test.Application"), u"Another program");
    }
}

} // namespace
} // namespace strovex::simcom

TEST(SimComServer, RegistrationIsSilentOnlyWhenToldSo)
{
    struct Case {
        std::u16string_view commandLine;
        bool silent;
    };
    int index = 0;
    for (const Case &c : {
             Case{u"regsvr32 /s strovexsim.dll", true},
             Case{u"regsvr32.exe -S /n /i:user strovexsim.dll", true},
             Case{u"\"C:\\Windows\\regsvr32.exe\" strovexsim.dll /s", true},
             Case{u"regsvr32 strovexsim.dll", false},
             Case{u"regsvr32 /u strovexsim.dll", false},
             Case{u"regsvr32 \"C:\\odd /s folder\\strovexsim.dll\"", false},
             Case{u"regsvr32 /sx strovexsim.dll", false},
         }) {
        EXPECT_EQ(strovex::simcom::silentCommandLine(c.commandLine), c.silent) << "case " << index;
        ++index;
    }
}
