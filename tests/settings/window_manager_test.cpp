// The main window's stored bounds under a real window manager, which frames
// the window after it is shown: start, exit and start again must give the
// same frame, where the offscreen platform has no frame to get wrong.

#include "memory_store.h"

#include "stored_bounds_fixture.h"

#include "platform/platform_info.h"
#include "sim/sim_designer.h"
#include "support/window_manager_display.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <cstdlib>
#include <functional>
#include <memory>

using namespace strovex;
using namespace strovex::test;

void PrintTo(const QRect &r, std::ostream *out)
{
    *out << r.left() << "," << r.top() << " " << r.width() << "x" << r.height();
}

namespace {

const std::u16string kMainKey = kMainFormKey;

struct Bounds {
    int left, top, width, height;
    bool maximized;
    bool operator==(const Bounds &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Bounds &b)
{
    return out << b.left << "/" << b.top << "/" << b.width << "/" << b.height << (b.maximized ? " maximized" : "");
}

// The frame as the window system reports it now: QWidget's own frame geometry
// is brought up to date only when the window moves or is resized.
bool framed(const QWidget &w)
{
    return w.windowHandle() && !w.windowHandle()->frameMargins().isNull();
}

QRect frameOf(const QWidget &w)
{
    return w.windowHandle()->frameGeometry();
}

class WindowManagerTest : public StoredBoundsTest {
protected:
    void write(const Bounds &b)
    {
        auto key = store->openKey(kMainKey, true);
        key->write(u"Left", dword(std::uint32_t(b.left)));
        key->write(u"Top", dword(std::uint32_t(b.top)));
        key->write(u"Width", dword(std::uint32_t(b.width)));
        key->write(u"Height", dword(std::uint32_t(b.height)));
        key->write(u"IsMaximized", dword(b.maximized ? 1 : 0));
    }
    Bounds stored()
    {
        auto key = FileSettingsStore(file).openKey(kMainKey, false);
        const auto number = [&](const char16_t *name) { return int(key->read(name).value_or(dword(0xDEAD)).dword); };
        return {number(u"Left"), number(u"Top"), number(u"Width"), number(u"Height"), number(u"IsMaximized") != 0};
    }

    // Starts the window and waits until the window manager has framed it
    // and `done` holds; the window manager answers in its own time.
    TfrmMain &startFramed(const std::function<bool(TfrmMain &)> &done)
    {
        TfrmMain &w = start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return framed(w) && w.connection() && done(w); }, 20000))
            << "framed at " << testing::PrintToString(framed(w) ? frameOf(w) : QRect());
        return w;
    }
};

TEST_F(WindowManagerTest, StartExitStartKeepsTheFrameWhereItWas)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(screen, QRect(0, 0, 1024, 600)) << "openbox reserves no strip on this display";
    struct Case {
        const char *what;
        Bounds first;
        QRect frame; // where the frame stands, every time
    };
    const Case cases[] = {
        {"a normal window", {99, 30, 902, 525, false}, {99, 30, 902, 525}},
        {"bounds stored without a window manager", {0, 0, 1024, 600, false}, {0, 0, 1024, 600}},
        {"a maximized window", {0, 0, 1024, 600, true}, {0, 0, 1024, 600}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        write(c.first);
        for (int run = 1; run <= 3; ++run) {
            SCOPED_TRACE(run);
            TfrmMain &w = startFramed([&](TfrmMain &w) { return w.isMaximized() == c.first.maximized && frameOf(w) == c.frame; });
            EXPECT_GE(frameOf(w).top(), screen.top()) << "the title bar is on the screen";
            window.reset();
            EXPECT_EQ(stored(), c.first);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    // Main windows keep their bounds in the user's settings: never the real ones.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    WindowManagerDisplay wm(1024, 600);
    if (!wm.error().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(wm.error()));
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Strovex"));
    strovex::setDesignerResolver(&strovex::sim::environmentResolver());
    // openbox takes over the display a moment after it starts: a window shown
    // before that gets no frame. A probe window shows when it has.
    {
        QWidget probe;
        probe.setGeometry(10, 40, 100, 100);
        probe.show();
        if (!QTest::qWaitFor([&] { return framed(probe) || !wm.managerRunning(); }, 30000) || !wm.managerRunning()) {
            std::fprintf(stderr, "openbox did not start or frame a window (is it installed?)\n");
            return 1;
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
