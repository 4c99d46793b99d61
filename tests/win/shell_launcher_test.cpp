#include "platform/win/shell_launcher.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace strovex::win {
namespace {

struct ShellCall {
    std::wstring verb, file, parameters;
    bool hasParameters;
};

TEST(ShellLauncher, NotepadGetsTheCommandFileAsOneArgument)
{
    std::vector<ShellCall> calls;
    std::intptr_t answer = 42;
    ShellLauncher launcher([&](const wchar_t *verb, const wchar_t *file, const wchar_t *parameters) {
        calls.push_back({verb ? verb : L"", file ? file : L"", parameters ? parameters : L"", parameters != nullptr});
        return answer;
    });

    EXPECT_TRUE(launcher.openInTextEditor(u"C:\\Job Files\\\u00C9tiquette 1.job"));
    EXPECT_TRUE(launcher.openWithAssociatedProgram(u"C:\\Graphs\\Box \u65E5.dgml"));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].verb, L"open");
    EXPECT_EQ(calls[0].file, L"notepad.exe");
    EXPECT_EQ(calls[0].parameters, L"\"C:\\Job Files\\\u00C9tiquette 1.job\"");
    EXPECT_EQ(calls[1].verb, L"open");
    EXPECT_EQ(calls[1].file, L"C:\\Graphs\\Box \u65E5.dgml");
    EXPECT_FALSE(calls[1].hasParameters);

    // 32 and below are the shell's error codes.
    answer = 32;
    EXPECT_FALSE(launcher.openInTextEditor(u"C:\\a.job"));
    answer = 2; // SE_ERR_FNF
    EXPECT_FALSE(launcher.openWithAssociatedProgram(u"C:\\a.dot"));
}

TEST(ShellLauncher, TheShellRefusesAFileThatDoesNotExist)
{
    test::TempFolder folder;
    EXPECT_FALSE(ShellLauncher().openWithAssociatedProgram(folder.file(u"missing.dgml")));
}

} // namespace
} // namespace strovex::win
