#include "automation/dispatch.h"
#include "platform/win/registry_store.h"
#include "platform/win/win_text.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

namespace strovex::win {
namespace {

StoredValue dword(std::uint32_t value)
{
    StoredValue v;
    v.kind = StoredKind::DWord;
    v.dword = value;
    return v;
}

StoredValue text(StoredKind kind, std::u16string value)
{
    StoredValue v;
    v.kind = kind;
    v.text = std::move(value);
    return v;
}

StoredValue binaryOf(double value)
{
    StoredValue v;
    v.kind = StoredKind::Binary;
    v.binary.resize(sizeof value);
    std::memcpy(v.binary.data(), &value, sizeof value);
    return v;
}

// A key of its own below HKEY_CURRENT_USER, removed afterwards; raw access
// through the registry API checks what the store really wrote.
class RegistryStoreTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, toWide(path).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\StrovexWinTests"); // only once it is empty
    }

    void setRaw(const wchar_t *name, DWORD type, const void *data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, toWide(path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE *>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // Type and bytes of a value as the registry holds it.
    bool getRaw(const wchar_t *name, DWORD &type, std::vector<BYTE> &data)
    {
        DWORD size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, toWide(path).c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size)
            != ERROR_SUCCESS)
            return false;
        data.resize(size);
        return RegGetValueW(HKEY_CURRENT_USER, toWide(path).c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(),
                            &size)
            == ERROR_SUCCESS;
    }

    std::u16string path = u"Software\\StrovexWinTests\\" + test::uniqueName(u"store-");
    RegistryStore store;
};

TEST_F(RegistryStoreTest, MissingKeyIsNullUnlessCreated)
{
    EXPECT_EQ(store.openKey(path, false), nullptr);
    ASSERT_NE(store.openKey(path, true), nullptr);
    EXPECT_NE(store.openKey(path, false), nullptr);
}

TEST_F(RegistryStoreTest, EveryKindRoundTripsInItsRegistryType)
{
    const StoredValue values[] = {
        dword(441),
        dword(static_cast<std::uint32_t>(-1700)),
        binaryOf(-12.375),
        text(StoredKind::String, u"Gr\u00FC\u00DFe \u4E16\u754C"),
        text(StoredKind::String, u""),
        text(StoredKind::ExpandString, u"%TEMP%\\labels"),
    };
    const wchar_t *names[] = {L"Width", L"Left", L"Ratio", L"Title", L"Empty", L"Folder"};
    {
        auto key = store.openKey(path, true);
        ASSERT_NE(key, nullptr);
        for (std::size_t i = 0; i < std::size(values); ++i)
            key->write(fromWide(names[i]), values[i]);
    }
    auto key = store.openKey(path, false);
    ASSERT_NE(key, nullptr);
    for (std::size_t i = 0; i < std::size(values); ++i) {
        SCOPED_TRACE(toUtf8(fromWide(names[i])));
        EXPECT_EQ(key->read(fromWide(names[i])), values[i]);
    }
    EXPECT_EQ(static_cast<std::int32_t>(key->read(u"Left")->dword), -1700);
    EXPECT_EQ(key->read(u"NoSuchValue"), std::nullopt);

    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(getRaw(L"Left", type, data));
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(data, (std::vector<BYTE>{0x5C, 0xF9, 0xFF, 0xFF})); // two's complement, little-endian
    ASSERT_TRUE(getRaw(L"Ratio", type, data));
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(data.size(), 8u);
    ASSERT_TRUE(getRaw(L"Title", type, data));
    EXPECT_EQ(type, DWORD(REG_SZ));
    ASSERT_EQ(data.size(), (values[3].text.size() + 1) * 2) << "written with its terminating zero";
    EXPECT_EQ(data[data.size() - 2], 0);
    EXPECT_EQ(data[data.size() - 1], 0);
    ASSERT_TRUE(getRaw(L"Folder", type, data));
    EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));
}

TEST_F(RegistryStoreTest, StringsWrittenByOthersReadWhole)
{
    // Expandable strings stay unexpanded; a string stored without its
    // terminating zero loses no character.
    const wchar_t expandable[] = L"%SystemRoot%\\labels";
    setRaw(L"Expand", REG_EXPAND_SZ, expandable, sizeof expandable);
    const wchar_t unterminated[] = {L'A', L'b', L'c'};
    setRaw(L"Bare", REG_SZ, unterminated, sizeof unterminated);

    auto key = store.openKey(path, false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->read(u"Expand"), text(StoredKind::ExpandString, u"%SystemRoot%\\labels"));
    EXPECT_EQ(key->read(u"Bare"), text(StoredKind::String, u"Abc"));
}

TEST_F(RegistryStoreTest, ValuesOfOtherTypesAreInvalid)
{
    const wchar_t multi[] = L"a\0b\0";
    const unsigned long long qword = 5;
    const unsigned short shortDword = 7;
    setRaw(L"Multi", REG_MULTI_SZ, multi, sizeof multi);
    setRaw(L"Qword", REG_QWORD, &qword, sizeof qword);
    setRaw(L"Short", REG_DWORD, &shortDword, sizeof shortDword);
    setRaw(L"None", REG_NONE, nullptr, 0);

    auto key = store.openKey(path, false);
    ASSERT_NE(key, nullptr);
    for (const char16_t *name : {u"Multi", u"Qword", u"Short", u"None"}) {
        try {
            key->read(name);
            ADD_FAILURE() << toUtf8(name) << " was read";
        } catch (const SettingsError &error) {
            EXPECT_EQ(std::string(error.what()), "Invalid data type for '" + toUtf8(name) + "'");
        }
    }
}

TEST_F(RegistryStoreTest, WritingLeavesOtherValuesUntouched)
{
    const wchar_t extra[] = L"kept";
    const BYTE blob[] = {1, 2, 3};
    setRaw(L"Extra", REG_SZ, extra, sizeof extra);
    setRaw(L"Blob", REG_BINARY, blob, sizeof blob);
    {
        auto key = store.openKey(path, true);
        ASSERT_NE(key, nullptr);
        key->write(u"Width", dword(800));
        key->write(u"Height", dword(600));
    }
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(getRaw(L"Extra", type, data));
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(data, std::vector<BYTE>(reinterpret_cast<const BYTE *>(extra), reinterpret_cast<const BYTE *>(extra) + sizeof extra));
    ASSERT_TRUE(getRaw(L"Blob", type, data));
    EXPECT_EQ(data, std::vector<BYTE>(std::begin(blob), std::end(blob)));
}

TEST_F(RegistryStoreTest, FailedWriteNamesTheValue)
{
    auto key = store.openKey(path, true);
    ASSERT_NE(key, nullptr);
    // The key goes away under the open handle; writing to it must fail loudly.
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, toWide(path).c_str()), ERROR_SUCCESS);
    try {
        key->write(u"H\u00F6he", dword(1));
        FAIL() << "a write to a deleted key succeeded";
    } catch (const SettingsError &error) {
        EXPECT_EQ(std::string(error.what()), "Failed to set data for 'H\xC3\xB6he'");
    }
}

} // namespace
} // namespace strovex::win

namespace strovex::win {

TEST_F(RegistryStoreTest, EmptyKeysGoUpToTheStopButNoKeyThatHoldsAnything)
{
    const auto exists = [](const std::u16string &key) {
        HKEY handle = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, toWide(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
            return false;
        RegCloseKey(handle);
        return true;
    };
    const std::u16string kept = path + u"\\Kept";
    const std::u16string deep = path + u"\\Empty\\Deeper";
    ASSERT_NE(store.openKey(kept, true), nullptr);
    ASSERT_NE(store.openKey(deep, true), nullptr);

    // Empty\Deeper and Empty go; `path` still holds Kept and stays.
    removeEmptyKeys(deep, u"Software");
    EXPECT_FALSE(exists(path + u"\\Empty"));
    EXPECT_TRUE(exists(kept));

    // A value keeps its key; the stop is never removed.
    setRaw(L"Value", REG_SZ, L"x", 4);
    removeEmptyKeys(kept, path);
    EXPECT_FALSE(exists(kept));
    EXPECT_TRUE(exists(path));
    removeEmptyKeys(path + u"\\Missing", u"Software");
    EXPECT_TRUE(exists(path));
}

} // namespace strovex::win
