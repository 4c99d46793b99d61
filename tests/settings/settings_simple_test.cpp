#include "memory_store.h"

#include "app/settings_main_form.h"
#include "platform/settings_store_file.h"

#include <gtest/gtest.h>

using namespace strovex;
using namespace strovex::test;

namespace {

const std::u16string kMainKey = u"Software\\Orvandel\\Strovexia\\2.0\\MainFormSettings";

// One property of every kind the store keeps, plus some it must leave alone.
class TKindsSettings : public TSimpleSettings {
    Q_OBJECT
public:
    enum class Shade { Light, Medium, Dark };
    Q_ENUM(Shade)
    enum Edge { EdgeTop = 1, EdgeLeft = 2, EdgeBottom = 4, EdgeRight = 8, EdgeAll = 15 };
    Q_DECLARE_FLAGS(Edges, Edge)
    Q_FLAG(Edges)

    Q_PROPERTY(int Count MEMBER Count)
    Q_PROPERTY(uint Mask MEMBER Mask)
    Q_PROPERTY(bool Enabled MEMBER Enabled)
    Q_PROPERTY(QChar Initial MEMBER Initial)
    Q_PROPERTY(Shade Tone MEMBER Tone)
    Q_PROPERTY(Edges Borders READ borders WRITE setBorders)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(float Scale MEMBER Scale)
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_PROPERTY(qint64 Big MEMBER Big)
    Q_PROPERTY(QStringList Recent MEMBER Recent)
    Q_PROPERTY(int Tag MEMBER Tag)
    Q_PROPERTY(QString name MEMBER name)

public:
    int Count = 7;
    uint Mask = 0;
    bool Enabled = true;
    QChar Initial = QLatin1Char('a');
    Shade Tone = Shade::Medium;
    Edges Borders = EdgeTop;
    Edges borders() const { return Borders; }
    void setBorders(Edges value) { Borders = value; }
    double Ratio = 0.5;
    float Scale = 2.0f;
    QString Caption = QStringLiteral("none");
    qint64 Big = 0;
    QStringList Recent;
    int Tag = 0;
    QString name;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TKindsSettings::Edges)

class TNoProperties : public TSimpleSettings {
    Q_OBJECT
};

// Records when its hooks run and what the properties held then; keeps one
// property in a key of its own.
class THookedSettings : public TSimpleSettings {
    Q_OBJECT
    Q_PROPERTY(int Alpha MEMBER Alpha)
    Q_PROPERTY(int Beta MEMBER Beta)
public:
    int Alpha = 1;
    int Beta = 2;
    std::vector<QString> calls;

protected:
    QString GetSubKey(const QString &propertyName) const override
    {
        return propertyName == QLatin1String("Beta") ? QStringLiteral("\\Sub") : QString();
    }
    void AfterCreate() override { calls.push_back(QStringLiteral("AfterCreate Alpha=%1").arg(Alpha)); }
    void AfterLoad(SettingsStore &, const QString &key) override { calls.push_back(QStringLiteral("AfterLoad ") + key); }
    void AfterSave(SettingsStore &, const QString &key) override { calls.push_back(QStringLiteral("AfterSave ") + key); }
};

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { setSettingsStore(store); }
    void TearDown() override { setSettingsStore(nullptr); }

    StoredValue stored(const std::u16string &name, const std::u16string &key = kMainKey)
    {
        return store->keys.at(key).at(name);
    }

    std::shared_ptr<MemoryStore> store = std::make_shared<MemoryStore>();
};

TEST_F(SettingsTest, FirstRunKeepsTheDefaultsAndCreatesTheKeyWithFiveValuesOnDestruction)
{
    {
        auto s = TSimpleSettings::Create<TMainFormSettings>(TMainFormSettings::kRegistryKey, true);
        EXPECT_EQ(s->Width, 441);
        EXPECT_EQ(s->Height, 554);
        EXPECT_EQ(s->Left, -1);
        EXPECT_EQ(s->Top, -1);
        EXPECT_FALSE(s->IsMaximized);
        EXPECT_TRUE(store->keys.empty()) << "loading creates nothing";
    }
    const MemoryStore::Values expected{{u"Height", dword(554)},      {u"IsMaximized", dword(0)},
                                       {u"Left", dword(0xFFFFFFFF)}, {u"Top", dword(0xFFFFFFFF)},
                                       {u"Width", dword(441)}};
    EXPECT_EQ(store->keys.at(kMainKey), expected);
    // Written in name order.
    EXPECT_EQ(store->written, (std::vector<std::u16string>{u"Height", u"IsMaximized", u"Left", u"Top", u"Width"}));
}

TEST_F(SettingsTest, StoredValuesReplaceDefaultsOneByOne)
{
    struct Case {
        const char *what;
        MemoryStore::Values values;
        int width, height, left, top;
        bool maximized;
    };
    const Case cases[] = {
        {"only Width", {{u"Width", dword(800)}}, 800, 554, -1, -1, false},
        {"negative Left", {{u"Left", dword(std::uint32_t(-1700))}, {u"Top", dword(12)}}, 441, 554, -1700, 12, false},
        {"maximized", {{u"IsMaximized", dword(1)}, {u"Height", dword(700)}}, 441, 700, -1, -1, true},
        // A string where a number belongs is skipped; the rest still load.
        {"wrong type", {{u"Width", text(u"800")}, {u"Height", dword(600)}}, 441, 600, -1, -1, false},
        {"binary for a number", {{u"Top", binary({1, 0, 0, 0})}, {u"Left", dword(5)}}, 441, 554, 5, -1, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        store->keys.clear();
        store->keys[kMainKey] = c.values;
        auto s = TSimpleSettings::Create<TMainFormSettings>(TMainFormSettings::kRegistryKey, false);
        s->Load();
        EXPECT_EQ(s->Width, c.width);
        EXPECT_EQ(s->Height, c.height);
        EXPECT_EQ(s->Left, c.left);
        EXPECT_EQ(s->Top, c.top);
        EXPECT_EQ(s->IsMaximized, c.maximized);
    }
}

TEST_F(SettingsTest, ASaveLeavesValuesOfNoPropertyAndOtherKeysAlone)
{
    store->keys[kMainKey] = {{u"Extra", text(u"keep me")}, {u"Width", dword(10)}};
    store->keys[u"Software\\Other"] = {{u"Width", dword(99)}};
    {
        auto s = TSimpleSettings::Create<TMainFormSettings>(TMainFormSettings::kRegistryKey, true);
        s->Width = 1000;
    }
    EXPECT_EQ(stored(u"Extra"), text(u"keep me"));
    EXPECT_EQ(stored(u"Width"), dword(1000));
    EXPECT_EQ(stored(u"Width", u"Software\\Other"), dword(99));
}

TEST_F(SettingsTest, EveryKindRoundTripsInItsStoredForm)
{
    {
        auto s = TSimpleSettings::Create<TKindsSettings>(QStringLiteral("Software\\Test"), true);
        s->Count = -3;
        s->Mask = 0xF0000001u;
        s->Enabled = false;
        s->Initial = QChar(0x00E9);
        s->Tone = TKindsSettings::Shade::Dark;
        s->Borders = TKindsSettings::EdgeLeft | TKindsSettings::EdgeRight;
        s->Ratio = 1.5;
        s->Scale = 0.25f;
        s->Caption = QStringLiteral("Grüße, \"quoted\"");
        s->Big = -9007199254740993LL;
        s->Recent = {QStringLiteral("a.lbl")};
        s->Tag = 5;
        s->name = QStringLiteral("x");
    }
    const std::u16string key = u"Software\\Test";
    const MemoryStore::Values expected{
        {u"Big", text(u"-9007199254740993")},
        // Only elements, never a name that stands for several of them.
        {u"Borders", text(u"EdgeLeft,EdgeRight")},
        {u"Caption", text(u"Grüße, \"quoted\"")},
        {u"Count", dword(0xFFFFFFFD)},
        {u"Enabled", dword(0)},
        {u"Initial", dword(0xE9)},
        {u"Mask", dword(0xF0000001u)},
        {u"Ratio", binary({0, 0, 0, 0, 0, 0, 0xF8, 0x3F})},
        {u"Scale", binary({0, 0, 0, 0, 0, 0, 0xD0, 0x3F})},
        {u"Tone", dword(2)},
    };
    EXPECT_EQ(store->keys.at(key), expected) << "Recent (a list), Tag and name are not kept";

    auto again = TSimpleSettings::Create<TKindsSettings>(QStringLiteral("Software\\Test"), true);
    EXPECT_EQ(again->Count, -3);
    EXPECT_EQ(again->Mask, 0xF0000001u);
    EXPECT_FALSE(again->Enabled);
    EXPECT_EQ(again->Initial, QChar(0x00E9));
    EXPECT_EQ(again->Tone, TKindsSettings::Shade::Dark);
    EXPECT_EQ(again->Borders, TKindsSettings::EdgeLeft | TKindsSettings::EdgeRight);
    EXPECT_EQ(again->Ratio, 1.5);
    EXPECT_EQ(again->Scale, 0.25f);
    EXPECT_EQ(again->Caption, QStringLiteral("Grüße, \"quoted\""));
    EXPECT_EQ(again->Big, -9007199254740993LL);
    EXPECT_TRUE(again->Recent.isEmpty());
}

TEST_F(SettingsTest, StoredFormsThatAreReadOrSkipped)
{
    struct Case {
        const char *what;
        const char16_t *name;
        StoredValue value;
        std::function<bool(const TKindsSettings &)> holds;
    };
    const Case cases[] = {
        {"set in brackets with spaces", u"Borders", text(u"[EdgeTop, EdgeBottom]"),
         [](const TKindsSettings &s) { return s.Borders == (TKindsSettings::EdgeTop | TKindsSettings::EdgeBottom); }},
        {"empty set", u"Borders", text(u""), [](const TKindsSettings &s) { return s.Borders == TKindsSettings::Edges(); }},
        {"set with an unknown element keeps the default", u"Borders", text(u"EdgeTop,Middle"),
         [](const TKindsSettings &s) { return s.Borders == TKindsSettings::EdgeTop; }},
        {"expandable string taken unexpanded", u"Caption", text(u"%HOME%\\x", StoredKind::ExpandString),
         [](const TKindsSettings &s) { return s.Caption == QStringLiteral("%HOME%\\x"); }},
        {"binary of 4 bytes for a double keeps the default", u"Ratio", binary({0, 0, 0xC0, 0x3F}),
         [](const TKindsSettings &s) { return s.Ratio == 0.5; }},
        {"number for a double keeps the default", u"Ratio", dword(3),
         [](const TKindsSettings &s) { return s.Ratio == 0.5; }},
        {"64-bit integer that is no number keeps the default", u"Big", text(u"12x"),
         [](const TKindsSettings &s) { return s.Big == 0; }},
        {"64-bit integer beyond 32 bits", u"Big", text(u"4294967296"),
         [](const TKindsSettings &s) { return s.Big == 4294967296LL; }},
        {"any non-zero number is true", u"Enabled", dword(2), [](const TKindsSettings &s) { return s.Enabled; }},
        {"a value of no property is ignored", u"Recent", text(u"a.lbl"),
         [](const TKindsSettings &s) { return s.Recent.isEmpty(); }},
        {"Tag is never read", u"Tag", dword(9), [](const TKindsSettings &s) { return s.Tag == 0; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        store->keys.clear();
        store->keys[u"Software\\Test"] = {{c.name, c.value}, {u"Count", dword(11)}};
        auto s = TSimpleSettings::Create<TKindsSettings>(QStringLiteral("Software\\Test"), false);
        s->Load();
        EXPECT_TRUE(c.holds(*s));
        EXPECT_EQ(s->Count, 11) << "the other values still load";
    }
}

TEST_F(SettingsTest, PropertiesAreListedByNameWithoutObjectName)
{
    auto s = TSimpleSettings::Create<TKindsSettings>(QStringLiteral("Software\\Test"), false);
    ASSERT_NE(s->PropList(), nullptr);
    QStringList names;
    for (const SettingsProperty &p : *s->PropList())
        names << p.name;
    EXPECT_EQ(names, (QStringList{QStringLiteral("Big"), QStringLiteral("Borders"), QStringLiteral("Caption"),
                                  QStringLiteral("Count"), QStringLiteral("Enabled"), QStringLiteral("Initial"),
                                  QStringLiteral("Mask"), QStringLiteral("name"), QStringLiteral("Ratio"),
                                  QStringLiteral("Recent"), QStringLiteral("Scale"), QStringLiteral("Tag"),
                                  QStringLiteral("Tone")}));
}

TEST_F(SettingsTest, MisuseIsReportedByTheTwoAssertions)
{
    EXPECT_THROW(
        {
            try {
                TSimpleSettings::Create<TNoProperties>(QStringLiteral("Software\\Test"), true);
            } catch (const SettingsAssertion &e) {
                EXPECT_STREQ(e.what(), "PropList is nil!");
                throw;
            }
        },
        SettingsAssertion);
    auto empty = TSimpleSettings::Create<TMainFormSettings>(QString(), false);
    for (auto call : {&TSimpleSettings::Load, &TSimpleSettings::Save}) {
        try {
            (empty.get()->*call)();
            ADD_FAILURE() << "no assertion";
        } catch (const SettingsAssertion &e) {
            EXPECT_STREQ(e.what(), "RegistryKey is empty!");
        }
    }
}

TEST_F(SettingsTest, HooksRunInOrderAndSubKeysAreAppended)
{
    store->keys[u"Software\\Hooked"] = {{u"Alpha", dword(10)}, {u"Beta", dword(20)}};
    store->keys[u"Software\\Hooked\\Sub"] = {{u"Beta", dword(30)}};
    {
        auto s = TSimpleSettings::Create<THookedSettings>(QStringLiteral("Software\\Hooked"), true);
        EXPECT_EQ(s->Alpha, 10);
        EXPECT_EQ(s->Beta, 30) << "Beta lives in its sub-key";
        s->Beta = 31;
        s->calls.push_back(QStringLiteral("end"));
        s->Save();
        EXPECT_EQ(s->calls, (std::vector<QString>{QStringLiteral("AfterCreate Alpha=1"),
                                                  QStringLiteral("AfterLoad Software\\Hooked"), QStringLiteral("end"),
                                                  QStringLiteral("AfterSave Software\\Hooked")}));
    }
    EXPECT_EQ(stored(u"Beta", u"Software\\Hooked\\Sub"), dword(31));
    EXPECT_EQ(stored(u"Beta", u"Software\\Hooked"), dword(20)) << "the base key's Beta is not ours";

    // No key: nothing loads and AfterLoad is not called.
    store->keys.clear();
    auto fresh = TSimpleSettings::Create<THookedSettings>(QStringLiteral("Software\\Hooked"), false);
    fresh->Load();
    EXPECT_EQ(fresh->calls, (std::vector<QString>{QStringLiteral("AfterCreate Alpha=1")}));
}

TEST_F(SettingsTest, AKeyThatCannotBeCreatedSavesNothingSilently)
{
    store->refuseCreate = true;
    auto s = TSimpleSettings::Create<THookedSettings>(QStringLiteral("Software\\Hooked"), false);
    EXPECT_NO_THROW(s->Save());
    EXPECT_TRUE(store->keys.empty());
    EXPECT_EQ(s->calls.size(), 1u) << "AfterSave not called";
}

TEST_F(SettingsTest, AFailedWriteEndsTheSaveWithTheStoresError)
{
    store->failingWrites = {u"Left"};
    auto s = TSimpleSettings::Create<TMainFormSettings>(TMainFormSettings::kRegistryKey, false);
    try {
        s->Save();
        ADD_FAILURE() << "the save did not fail";
    } catch (const SettingsError &e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Left'");
    }
    EXPECT_EQ(store->written, (std::vector<std::u16string>{u"Height", u"IsMaximized"}));
}

TEST_F(SettingsTest, WithoutAutoLoadSaveNothingIsReadOrWritten)
{
    store->keys[kMainKey] = {{u"Width", dword(800)}};
    {
        auto s = TSimpleSettings::Create<TMainFormSettings>(TMainFormSettings::kRegistryKey, false);
        EXPECT_EQ(s->Width, 441);
        s->Width = 5;
    }
    EXPECT_EQ(stored(u"Width"), dword(800));
    EXPECT_TRUE(store->written.empty());
}

} // namespace

#include "settings_simple_test.moc"
