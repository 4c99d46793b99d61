#include "memory_store.h"

#include "stored_bounds_fixture.h"

#include "app/window_bounds.h"

#include <QScreen>

using namespace strovex;
using namespace strovex::test;

namespace {

const std::u16string kMainKey = kMainFormKey;

class MainWindowSettingsTest : public StoredBoundsTest {
protected:

    void write(const MemoryStore::Values &values)
    {
        auto key = store->openKey(kMainKey, true);
        for (const auto &[name, value] : values)
            key->write(name, value);
    }
    std::optional<StoredValue> stored(const std::u16string &name)
    {
        auto key = FileSettingsStore(file).openKey(kMainKey, false);
        return key ? key->read(name) : std::nullopt;
    }
    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    static QPoint centredAt(const QSize &size) { return available().center() - QRect(QPoint(), size).center(); }

};

TEST_F(MainWindowSettingsTest, FirstRunOpensCentredAtTheDefaultSizeAndStoresFiveValues)
{
    TfrmMain &w = start();
    EXPECT_EQ(w.frameGeometry(), QRect(centredAt(QSize(441, 554)), QSize(441, 554))) << "the outer size";
    const QPoint at = w.pos();
    EXPECT_FALSE(stored(u"Width")) << "nothing is written before the window goes";
    window.reset();
    EXPECT_EQ(stored(u"Width"), dword(441));
    EXPECT_EQ(stored(u"Height"), dword(554));
    EXPECT_EQ(stored(u"Left"), dword(std::uint32_t(at.x())));
    EXPECT_EQ(stored(u"Top"), dword(std::uint32_t(at.y())));
    EXPECT_EQ(stored(u"IsMaximized"), dword(0));
}

TEST_F(MainWindowSettingsTest, StoredBoundsAreFittedToTheScreenAndWhatWasShownIsStored)
{
    struct Case {
        const char *what;
        int left, top, width, height;
        QRect shown;
    };
    const QRect screen = available();
    const auto centred = [](const QSize &size) { return QRect(centredAt(size), size); };
    const Case cases[] = {
        {"on the screen", screen.left() + 30, screen.top() + 20, 400, 300, {screen.left() + 30, screen.top() + 20, 400, 300}},
        {"title bar partly on the screen", screen.right() - 150, screen.top() + 20, 400, 300,
         {screen.right() - 399, screen.top() + 20, 400, 300}},
        {"larger than the screen", screen.left() + 300, screen.top(), 100000, 100000, screen},
        {"negative height", -1, -1, 500, -1, centred({500, kMinimumWindowSize.height()})},
        {"left of every screen", -1700, screen.top() + 20, 400, 300, centred({400, 300})},
        {"above every screen", screen.left() + 30, -1700, 400, 300, centred({400, 300})},
        {"no position stored", -1, -1, 400, 300, centred({400, 300})},
        {"only Top stored", -1, screen.top() + 20, 400, 300, centred({400, 300})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        write({{u"Width", dword(std::uint32_t(c.width))}, {u"Height", dword(std::uint32_t(c.height))},
               {u"Left", dword(std::uint32_t(c.left))}, {u"Top", dword(std::uint32_t(c.top))}});
        TfrmMain &w = start();
        EXPECT_EQ(w.frameGeometry(), c.shown);
        window.reset();
        EXPECT_EQ(stored(u"Width"), dword(std::uint32_t(c.shown.width())));
        EXPECT_EQ(stored(u"Height"), dword(std::uint32_t(c.shown.height())));
        EXPECT_EQ(stored(u"Left"), dword(std::uint32_t(c.shown.left())));
        EXPECT_EQ(stored(u"Top"), dword(std::uint32_t(c.shown.top())));
    }
}

TEST_F(MainWindowSettingsTest, MaximizedOnExitStoresTheMaximizedSizeAndIsRestored)
{
    TfrmMain &w = start();
    w.showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(w.isMaximized());
    const QSize maximized = w.frameGeometry().size();
    ASSERT_NE(maximized, QSize(441, 554));
    window.reset();
    EXPECT_EQ(stored(u"Width"), dword(std::uint32_t(maximized.width())));
    EXPECT_EQ(stored(u"Height"), dword(std::uint32_t(maximized.height())));
    EXPECT_EQ(stored(u"IsMaximized"), dword(1));

    EXPECT_TRUE(start().isMaximized());
}

TEST_F(MainWindowSettingsTest, AValueOfTheWrongTypeIsSkippedAndTheWindowStillOpens)
{
    write({{u"Width", text(u"800")}, {u"Height", dword(300)}});
    TfrmMain &w = start();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.connection());
    EXPECT_EQ(w.frameGeometry().size(), QSize(441, 300));
    window.reset();
    EXPECT_EQ(stored(u"Width"), dword(441)) << "the bad value is replaced at exit";
}

TEST_F(MainWindowSettingsTest, ARunEndedForLackOfADesignerStillStoresTheBounds)
{
    InProcessServerTable none;
    window = std::make_unique<TfrmMain>(&none);
    window->show();
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Program requires Quillmark 5 or Quillmark 6 to be installed!"));
    window->resize(333, 222);
    const QSize outer = window->frameGeometry().size();
    window->close();
    window.reset();
    EXPECT_EQ(stored(u"Width"), dword(std::uint32_t(outer.width())));
    EXPECT_EQ(stored(u"Height"), dword(std::uint32_t(outer.height())));
    EXPECT_EQ(stored(u"IsMaximized"), dword(0));
}

} // namespace
