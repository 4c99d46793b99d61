#include "inspect/load_status.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace strovex;

// Steps are shown once the delay has passed; ticks repeat the current step at
// most once per interval; with no load under way nothing is shown; a nested
// load reports to its own listener and hands back to the outer one.
TEST(LoadStatus, ShowsStepsAfterTheDelayAndThrottlesTicks)
{
    LoadStatus::step(QStringLiteral("no load"));
    LoadStatus::tick();

    QStringList quick;
    {
        const LoadStatus status([&quick](const QString &step) { quick << step; }, 60'000);
        LoadStatus::step(QStringLiteral("Objects"));
        LoadStatus::tick();
    }
    EXPECT_TRUE(quick.isEmpty()) << "a load shorter than the delay shows nothing";

    QStringList outer, inner;
    {
        const LoadStatus status([&outer](const QString &step) { outer << step; }, 0, 60'000);
        LoadStatus::step(QStringLiteral("Objects"));
        LoadStatus::tick(); // within the interval: not shown again
        {
            const LoadStatus nested([&inner](const QString &step) { inner << step; }, 0, 0);
            LoadStatus::step(QStringLiteral("Fonts"));
            LoadStatus::tick();
        }
        LoadStatus::step(QStringLiteral("Variables"));
    }
    EXPECT_EQ(outer, (QStringList{QStringLiteral("Objects"), QStringLiteral("Variables")}));
    EXPECT_EQ(inner, (QStringList{QStringLiteral("Fonts"), QStringLiteral("Fonts")}));
}
