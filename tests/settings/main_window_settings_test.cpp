#include "memory_store.h"

#include "app/app_fixture.h"
#include "platform/settings_store_file.h"
#include "support/temp_dir.h"

#include <QScreen>

using namespace strovex;
using namespace strovex::test;

namespace {

const std::u16string kMainKey = u"Software\\Orvandel\\Strovexia\\2.0\\MainFormSettings";

class MainWindowSettingsTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        setSettingsStore(store);
    }
    void TearDown() override
    {
        AppTest::TearDown();
        setSettingsStore(nullptr);
    }

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

    TempDir dir;
    QString file = dir.file(QStringLiteral("Strovex/settings.json"));
    std::shared_ptr<FileSettingsStore> store = std::make_shared<FileSettingsStore>(file);
};

TEST_F(MainWindowSettingsTest, FirstRunOpensCentredAtTheDefaultSizeAndStoresFiveValues)
{
    TfrmMain &w = start();
    EXPECT_EQ(w.size(), QSize(441, 554));
    EXPECT_EQ(w.pos(), centredAt(QSize(441, 554)));
    const QPoint at = w.pos();
    EXPECT_FALSE(stored(u"Width")) << "nothing is written before the window goes";
    window.reset();
    EXPECT_EQ(stored(u"Width"), dword(441));
    EXPECT_EQ(stored(u"Height"), dword(554));
    EXPECT_EQ(stored(u"Left"), dword(std::uint32_t(at.x())));
    EXPECT_EQ(stored(u"Top"), dword(std::uint32_t(at.y())));
    EXPECT_EQ(stored(u"IsMaximized"), dword(0));
}

TEST_F(MainWindowSettingsTest, TheStoredPositionIsHonouredOnlyWhereTheWindowWouldShow)
{
    struct Case {
        const char *what;
        int left, top;
        bool honoured;
    };
    const QRect screen = available();
    const Case cases[] = {
        {"on the screen", screen.left() + 30, screen.top() + 20, true},
        {"title bar partly on the screen", screen.right() - 150, screen.top() + 20, true},
        {"left of every screen", -1700, screen.top() + 20, false},
        {"above every screen", screen.left() + 30, -1700, false},
        {"no position stored", -1, -1, false},
        {"only Top stored", -1, screen.top() + 20, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        write({{u"Width", dword(300)}, {u"Height", dword(200)}, {u"Left", dword(std::uint32_t(c.left))},
               {u"Top", dword(std::uint32_t(c.top))}});
        TfrmMain &w = start();
        EXPECT_EQ(w.size(), QSize(300, 200));
        EXPECT_EQ(w.pos(), c.honoured ? QPoint(c.left, c.top) : centredAt(QSize(300, 200)));
        window.reset();
    }
}

TEST_F(MainWindowSettingsTest, MaximizedOnExitStoresTheMaximizedSizeAndIsRestored)
{
    TfrmMain &w = start();
    w.showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(w.isMaximized());
    const QSize maximized = w.size();
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
    EXPECT_EQ(w.size(), QSize(441, 300));
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
    window->close();
    window.reset();
    EXPECT_EQ(stored(u"Width"), dword(333));
    EXPECT_EQ(stored(u"Height"), dword(222));
    EXPECT_EQ(stored(u"IsMaximized"), dword(0));
}

} // namespace
