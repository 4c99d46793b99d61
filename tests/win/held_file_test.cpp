#include "platform/win/held_file.h"
#include "platform/win/win_text.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace strovex::win {
namespace {

HeldFileHandle opened(const std::u16string &path)
{
    HeldFileHandle file;
    std::u16string error;
    EXPECT_EQ(HeldFileHandle::open(path, file, error), HeldFileHandle::Open::Opened);
    return file;
}

// Opens as Qt's own file engine does (sharing reading and writing only).
HANDLE openAsQtDoes(const std::u16string &path, DWORD access)
{
    return CreateFileW(toWide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(HeldFileHandle, OneHolderAtATimeReadersAndTheEndOfTheHolderAllowed)
{
    test::TempFolder root;
    const std::u16string path = root.file(u"label.lbl");
    ASSERT_TRUE(test::writeFile(path, "{\"SimulatedLabel\": 1}"));

    HeldFileHandle first = opened(path);
    ASSERT_TRUE(first.lock());
    EXPECT_EQ(first.size(), 21u);
    std::string bytes;
    std::u16string error;
    ASSERT_TRUE(first.read(bytes, 1000, error));
    EXPECT_EQ(bytes, "{\"SimulatedLabel\": 1}");
    ASSERT_TRUE(first.read(bytes, 5, error));
    EXPECT_EQ(bytes, "{\"Sim");

    // A second holder opens it (to learn who it is) but gets no lock.
    HeldFileHandle second = opened(path);
    EXPECT_EQ(second.volume(), first.volume());
    EXPECT_EQ(second.index(), first.index());
    EXPECT_FALSE(second.lock());

    // The lock lies past the contents: any reader still reads every byte.
    EXPECT_EQ(test::readFile(path), "{\"SimulatedLabel\": 1}");
    ASSERT_TRUE(second.read(bytes, 1000, error));
    EXPECT_EQ(bytes, "{\"SimulatedLabel\": 1}");
    // Nobody writes into a held file.
    const HANDLE writer = openAsQtDoes(path, GENERIC_WRITE);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);

    first = HeldFileHandle();
    EXPECT_TRUE(second.lock());
}

TEST(HeldFileHandle, ASaveGivesTheHoldUpForTheMoveAndHoldsTheNewFile)
{
    test::TempFolder root;
    const std::u16string path = root.file(u"label.lbl");
    const std::u16string temporary = root.file(u"label.lbl.new");
    ASSERT_TRUE(test::writeFile(path, "old"));
    HeldFileHandle old = opened(path);
    ASSERT_TRUE(old.lock());

    // The new file is written beside it as Qt's save does: shared with nobody.
    const HANDLE writer = CreateFileW(toWide(temporary).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(writer, "new!", 4, &written, nullptr));
    CloseHandle(writer);
    // Nothing is moved over a held file, shared for deletion or not.
    EXPECT_FALSE(MoveFileExW(toWide(temporary).c_str(), toWide(path).c_str(), MOVEFILE_REPLACE_EXISTING));
    old = HeldFileHandle();
    ASSERT_TRUE(MoveFileExW(toWide(temporary).c_str(), toWide(path).c_str(), MOVEFILE_REPLACE_EXISTING))
        << GetLastError();

    HeldFileHandle renewed = opened(path);
    ASSERT_TRUE(renewed.lock());
    HeldFileHandle other = opened(path);
    EXPECT_EQ(other.index(), renewed.index());
    EXPECT_FALSE(other.lock());
    std::string bytes;
    std::u16string error;
    ASSERT_TRUE(other.read(bytes, 100, error));
    EXPECT_EQ(bytes, "new!");
}

TEST(HeldFileHandle, FoldersAndMissingFilesAreNotOpened)
{
    test::TempFolder root;
    HeldFileHandle file;
    std::u16string error;
    EXPECT_EQ(HeldFileHandle::open(root.path(), file, error), HeldFileHandle::Open::NotAFile);
    EXPECT_FALSE(file.valid());
    EXPECT_EQ(HeldFileHandle::open(root.file(u"missing.lbl"), file, error), HeldFileHandle::Open::Failed);
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(file.valid());
}

} // namespace
} // namespace strovex::win
