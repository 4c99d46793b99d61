#include "app/window_bounds.h"

#include <gtest/gtest.h>

using namespace strovex;

namespace {

QRect centred(const QSize &size, const QRect &screen)
{
    QRect r(QPoint(), size);
    r.moveCenter(screen.center());
    return r;
}

TEST(WindowBounds, StoredBoundsAreFittedToTheScreens)
{
    const QRect primary(0, 0, 1920, 1040);        // a task bar below
    const QRect right(1920, 0, 1280, 1024);       // a second, smaller screen
    struct Case {
        const char *what;
        QRect stored;
        QRect expected;
    };
    const Case cases[] = {
        {"on the screen: kept", {100, 50, 800, 600}, {100, 50, 800, 600}},
        {"on the second screen: kept", {2000, 100, 800, 600}, {2000, 100, 800, 600}},
        {"wider than the screen", {-300, 0, 2560, 1400}, {0, 0, 1920, 1040}},
        {"on the screen that shows most of its title bar", {1500, 0, 2560, 1400}, {1920, 0, 1280, 1024}},
        {"partly off the right edge: moved in", {1500, 100, 800, 600}, {1120, 100, 800, 600}},
        {"partly below the screen: moved up", {100, 900, 800, 600}, {100, 440, 800, 600}},
        {"huge and negative", {-1, -1, 100000, -1}, centred({1920, 240}, primary)},
        {"zero size", {-1, -1, 0, 0}, centred(kMinimumWindowSize, primary)},
        {"no position stored", {-1, -1, 441, 554}, centred({441, 554}, primary)},
        {"only Top stored", {-1, 300, 441, 554}, centred({441, 554}, primary)},
        {"left of every screen", {-1700, 20, 441, 554}, centred({441, 554}, primary)},
        {"above every screen", {30, -1700, 441, 554}, centred({441, 554}, primary)},
        {"title bar just on a screen", {1920 + 1280 - 120, 10, 441, 554}, {1920 + 1280 - 441, 10, 441, 554}},
        {"on the second screen, taller than it", {2000, 0, 800, 1400}, {2000, 0, 800, 1024}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(fitWindowBounds(c.stored, {primary, right}), c.expected);
    }
}

TEST(WindowBounds, WithoutScreensTheStoredBoundsStay)
{
    EXPECT_EQ(fitWindowBounds(QRect(5, 6, 700, 500), {}), QRect(5, 6, 700, 500));
}

} // namespace
