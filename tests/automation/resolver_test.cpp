#include "automation/resolver.h"
#include "support/recording_dispatch.h"

#include <gtest/gtest.h>

using namespace strovex;

TEST(Resolver, PrefersVersion6ThenFallsBackTo5ThenNothing)
{
    auto six = std::make_shared<test::RecordingDispatch>();
    auto five = std::make_shared<test::RecordingDispatch>();
    InProcessServerTable table;
    EXPECT_EQ(connectDesigner(table), nullptr);

    table.registerServer(kProgIdVersion5, [&] { return five; });
    EXPECT_EQ(connectDesigner(table), five);

    table.registerServer(kProgIdVersion6, [&] { return six; });
    EXPECT_EQ(connectDesigner(table), six);
}

TEST(Resolver, AServerThatFailsToStartCountsAsNotInstalled)
{
    auto five = std::make_shared<test::RecordingDispatch>();
    InProcessServerTable table;
    table.registerServer(kProgIdVersion6, []() -> DispatchRef { throw AutomationError(u"class not registered"); });
    table.registerServer(kProgIdVersion5, [&] { return five; });
    EXPECT_EQ(connectDesigner(table), five);
}
