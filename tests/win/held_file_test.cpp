#include "platform/win/held_file.h"
#include "platform/win/win_text.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fcntl.h>
#include <io.h>

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
HANDLE openAsQtDoes(const std::u16string &path, DWORD access, DWORD disposition = OPEN_EXISTING)
{
    return CreateFileW(toWide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
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

TEST(HeldFileHandle, TheHoldFollowsAFileMovedOverTheHeldOne)
{
    test::TempFolder root;
    const std::u16string path = root.file(u"label.lbl");
    const std::u16string temporary = root.file(u"label.lbl.new");
    ASSERT_TRUE(test::writeFile(path, "old"));
    HeldFileHandle old = opened(path);
    ASSERT_TRUE(old.lock());

    // A save: the new file written beside it, locked through the writer's C
    // runtime descriptor, closed, the hold of the old one given up (nothing is
    // moved over an open file), then moved over it.
    const HANDLE writer = openAsQtDoes(temporary, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(writer, "new!", 4, &written, nullptr));
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(writer), _O_RDWR);
    ASSERT_GE(descriptor, 0);
    HeldFileHandle replacement = HeldFileHandle::lockOpenFile(descriptor);
    _close(descriptor);
    ASSERT_TRUE(replacement.valid());
    // Still held under the new file's own name.
    HeldFileHandle early = opened(temporary);
    EXPECT_FALSE(early.lock());
    early = HeldFileHandle();
    old = HeldFileHandle();
    ASSERT_TRUE(MoveFileExW(toWide(temporary).c_str(), toWide(path).c_str(), MOVEFILE_REPLACE_EXISTING))
        << GetLastError();

    HeldFileHandle other = opened(path);
    EXPECT_EQ(other.index(), replacement.index());
    EXPECT_FALSE(other.lock());
    std::string bytes;
    std::u16string error;
    ASSERT_TRUE(other.read(bytes, 100, error));
    EXPECT_EQ(bytes, "new!");
    replacement = HeldFileHandle();
    EXPECT_TRUE(other.lock());

    EXPECT_FALSE(HeldFileHandle::lockOpenFile(-1).valid());
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
