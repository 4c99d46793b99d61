#include "automation/dispatch.h"
#include "platform/win/version_info.h"
#include "platform/win/win_text.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

namespace strovex::win {
namespace {

TEST(VersionInfo, TheProgramsOwnResourceGivesTheAboutLine)
{
    // This test program carries the product's version resource, made from the
    // project version and build number like the application's.
    const std::u16string program = currentModulePath();
    const auto version = readFileVersion(program);
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->productVersion, fromWide(L"" STROVEX_WIN_TEST_VERSION));
    EXPECT_EQ(version->build, STROVEX_WIN_TEST_BUILD);
    EXPECT_EQ(u"Version " + programVersionText(program), u"Version 2.9.5 (build 120)");
}

TEST(VersionInfo, FilesWithoutAResourceGiveNoText)
{
    test::TempFolder folder;
    const std::u16string plain = folder.file(u"plain.txt");
    ASSERT_TRUE(test::writeFile(plain, "no resource here"));
    EXPECT_EQ(readFileVersion(plain), std::nullopt);
    EXPECT_EQ(programVersionText(plain), u"");
    EXPECT_EQ(programVersionText(folder.file(u"missing.exe")), u"");
}

TEST(VersionInfo, TrailingZerosAreTrimmed)
{
    const struct {
        const char16_t *product;
        int build;
        const char16_t *text;
    } cases[] = {
        {u"2.9.5", 120, u"2.9.5 (build 120)"},
        {u"3.0", 7, u"3 (build 7)"},
        {u"3.10", 7, u"3.10 (build 7)"},
        {u"2.0.0", 1, u"2.0 (build 1)"},          // only the last ".0" goes
        {u"2.0 beta", 1, u"2 beta (build 1)"},
        {u"1.0 rc.0 x", 2, u"1 rc x (build 2)"},  // every ".0 " becomes " "
        {u"2.0 beta.0", 3, u"2 beta.0 (build 3)"}, // and then the end stays
        {u"", 0, u" (build 0)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(versionText(c.product, c.build), c.text) << toUtf8(c.product);
}

} // namespace
} // namespace strovex::win
