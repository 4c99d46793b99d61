#include "automation/dispatch.h"
#include "platform/win/directory_lister.h"
#include "platform/win/win_text.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <map>

namespace strovex::win {
namespace {

std::map<std::u16string, DirEntry> listed(const std::u16string &folder)
{
    WinDirectoryLister lister;
    std::vector<DirEntry> entries;
    EXPECT_TRUE(lister.list(folder, entries));
    std::map<std::u16string, DirEntry> byName;
    for (DirEntry &entry : entries)
        byName[entry.name] = std::move(entry);
    return byName;
}

bool makeFolder(const std::u16string &path, DWORD attributes = 0)
{
    const std::wstring wide = extendedPath(path);
    return CreateDirectoryW(wide.c_str(), nullptr) && (attributes == 0 || SetFileAttributesW(wide.c_str(), attributes));
}

TEST(WinDirectoryLister, ReportsHiddenAndSystemAttributes)
{
    test::TempFolder root;
    ASSERT_TRUE(test::writeFile(root.file(u"plain.lbl"), "{}"));
    ASSERT_TRUE(test::writeFile(root.file(u"hidden.LBL"), "{}"));
    ASSERT_TRUE(SetFileAttributesW(toWide(root.file(u"hidden.LBL")).c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(makeFolder(root.file(u"Plain")));
    ASSERT_TRUE(makeFolder(root.file(u"Hidden"), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(makeFolder(root.file(u"System"), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(makeFolder(root.file(u"Both"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));

    const auto entries = listed(root.path());
    ASSERT_EQ(entries.size(), 6u) << "\".\" and \"..\" are not entries";
    const struct {
        const char16_t *name;
        bool directory, hidden, system;
    } expected[] = {
        {u"plain.lbl", false, false, false}, {u"hidden.LBL", false, true, false}, {u"Plain", true, false, false},
        {u"Hidden", true, true, false},      {u"System", true, false, true},      {u"Both", true, true, true},
    };
    for (const auto &e : expected) {
        SCOPED_TRACE(toUtf8(e.name));
        ASSERT_EQ(entries.count(e.name), 1u);
        const DirEntry &entry = entries.at(e.name);
        EXPECT_EQ(entry.isDirectory, e.directory);
        EXPECT_EQ(entry.hidden, e.hidden);
        EXPECT_EQ(entry.system, e.system);
        EXPECT_FALSE(entry.isLink);
    }
}

TEST(WinDirectoryLister, LongPathsAndNonAsciiNames)
{
    test::TempFolder root;
    // Five levels of 60 characters take the folder far past 260 characters.
    std::u16string deep = root.path();
    const std::u16string level = u"\u00C9tiquettes \u65E5\u672C \u0416 " + std::u16string(44, u'x');
    for (int i = 0; i < 5; ++i) {
        deep += u"\\" + level;
        ASSERT_TRUE(makeFolder(deep)) << "level " << i;
    }
    ASSERT_GT(deep.size(), 300u);
    const std::u16string name = u"Bo\u00EEte \U0001F4E6.lbl";
    ASSERT_TRUE(test::writeFile(deep + u"\\" + name, "{}"));

    const auto entries = listed(deep);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries.begin()->first, name);
    // A trailing separator, as the file search passes folders, lists the same.
    EXPECT_EQ(listed(deep + u"\\").size(), 1u);

    WinDirectoryLister lister;
    std::uint64_t volume = 0, index = 0;
    EXPECT_TRUE(lister.identity(deep, volume, index));
}

TEST(WinDirectoryLister, IdentityNamesTheFolderNotTheSpelling)
{
    test::TempFolder root;
    ASSERT_TRUE(makeFolder(root.file(u"a")));
    ASSERT_TRUE(makeFolder(root.file(u"b")));
    WinDirectoryLister lister;
    std::uint64_t v1 = 0, i1 = 0, v2 = 0, i2 = 0, v3 = 0, i3 = 0;
    ASSERT_TRUE(lister.identity(root.file(u"a"), v1, i1));
    ASSERT_TRUE(lister.identity(root.file(u"b\\..\\a\\"), v2, i2));
    ASSERT_TRUE(lister.identity(root.file(u"b"), v3, i3));
    EXPECT_EQ(std::pair(v1, i1), std::pair(v2, i2));
    EXPECT_NE(std::pair(v1, i1), std::pair(v3, i3));
    EXPECT_FALSE(lister.identity(root.file(u"missing"), v1, i1));
}

TEST(WinDirectoryLister, EmptyAndMissingFolders)
{
    test::TempFolder root;
    WinDirectoryLister lister;
    std::vector<DirEntry> entries{DirEntry{u"stale"}};
    EXPECT_TRUE(lister.list(root.path(), entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(lister.list(root.file(u"missing"), entries));
    EXPECT_TRUE(entries.empty());
}

} // namespace
} // namespace strovex::win
