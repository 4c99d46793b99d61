#include "com_server/test_server_ids.h"
#include "platform/win/com_resolver.h"
#include "platform/win/win_text.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <string>

namespace strovex::win {
namespace {

// The test script registers the server under one identifier per pass and says
// which through this variable: "6", "5" or "none".
std::string registeredGeneration()
{
    const char *value = std::getenv("STROVEX_WIN_REGISTERED");
    return value ? value : "";
}

TEST(ComConnect, FollowsTheRegisteredIdentifier)
{
    const std::string registered = registeredGeneration();
    ASSERT_TRUE(registered == "6" || registered == "5" || registered == "none")
        << "run through scripts/test.d/80-windows.sh, which registers the test server and sets STROVEX_WIN_REGISTERED";

    ComResolver &resolver = comResolver();
    DispatchRef six = resolver.create(kProgIdVersion6);
    DispatchRef five = resolver.create(kProgIdVersion5);
    EXPECT_EQ(six != nullptr, registered == "6");
    EXPECT_EQ(five != nullptr, registered == "5");

    DispatchRef app = connectDesigner(resolver);
    if (registered == "none") {
        EXPECT_EQ(app, nullptr);
    } else {
        ASSERT_NE(app, nullptr);
        const Value generation = app->invoke(quill_test::kGeneration, CallKind::Get, {});
        EXPECT_EQ(generation, Value(std::int32_t(registered == "6" ? 6 : 5)));
    }

    six.reset();
    five.reset();
    app.reset();
    if (registered != "none") {
        EXPECT_EQ(test::liveServerObjects(), 0);
    }
}

TEST(ComConnect, UnregisteredIdentifierIsNotInstalled)
{
    EXPECT_EQ(comResolver().create(u"Strovex.NoSuchServer"), nullptr);
}

TEST(ComConnect, RegisteredServerThatFailsToStartRaises)
{
    // Registered in every pass; its class factory refuses to create objects.
    try {
        comResolver().create(u"Strovex.FailingServer");
        FAIL() << "a registered server that fails to start must raise";
    } catch (const AutomationError &error) {
        EXPECT_EQ(error.text(), systemMessage(CO_E_SERVER_EXEC_FAILURE));
    }
}

TEST(ComConnect, EntersTheSingleThreadedApartmentOnce)
{
    ASSERT_TRUE(initialiseCom());
    ASSERT_TRUE(initialiseCom());
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    ASSERT_EQ(CoGetApartmentType(&type, &qualifier), S_OK);
    EXPECT_TRUE(type == APTTYPE_STA || type == APTTYPE_MAINSTA);
    // Already entered: a further call only counts up, and is balanced here.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
}

} // namespace
} // namespace strovex::win
