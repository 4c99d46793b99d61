#include "automation/dispatch.h"
#include "platform/win/script_file.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace strovex::win {
namespace {

std::string utf16WithBom(std::u16string_view text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    return bytes;
}

TEST(ScriptFile, AnsiWhenTheCodePageHoldsEveryCharacter)
{
    EXPECT_EQ(scriptFileBytes(u"MsgBox \"Caf\u00E9 \u20AC\"", 1252), "MsgBox \"Caf\xE9 \x80\"\r\n");
    EXPECT_EQ(scriptFileBytes(u"", 1252), "\r\n");
    EXPECT_EQ(scriptFileBytes(u"x = \"\u0416\"", 1251), "x = \"\xC6\"\r\n");
}

TEST(ScriptFile, Utf16WhenACharacterWouldBeLost)
{
    const struct {
        const char16_t *script;
        unsigned codePage;
    } cases[] = {
        {u"x = \"\u0416\"", 1252},           // Cyrillic in a Western code page
        {u"x = \"\u0100\"", 1252},           // best fit would give a plain A
        {u"x = \"\u221E\"", 1252},           // best fit would give an 8
        {u"x = \"\u00E9\"", 1251},           // Latin accent in a Cyrillic code page
        {u"' \U0001F600", 1252},             // beyond the basic plane
        {u"' question? \u4E16", 1252},       // a literal "?" must not hide the loss
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(toUtf8(c.script));
        const std::u16string text = std::u16string(c.script) + u"\r\n";
        EXPECT_EQ(scriptFileBytes(c.script, c.codePage), utf16WithBom(text));
    }
    // A lone surrogate cannot be represented in 8 bits either, and is kept.
    const std::u16string lone(1, char16_t(0xD800));
    EXPECT_EQ(scriptFileBytes(lone, 1252), utf16WithBom(lone + u"\r\n"));
}

TEST(ScriptFile, SystemCodePageByDefault)
{
    // Plain ASCII stays 8-bit whatever the system's code page; Malayalam is in
    // no ANSI code page, so it forces UTF-16 unless the code page is UTF-8.
    EXPECT_EQ(scriptFileBytes(u"WScript.Echo 1"), "WScript.Echo 1\r\n");
    const std::u16string script = u"x = \u0D05";
    if (GetACP() == CP_UTF8)
        EXPECT_EQ(scriptFileBytes(script), "x = \xE0\xB4\x85\r\n");
    else
        EXPECT_EQ(scriptFileBytes(script), utf16WithBom(script + u"\r\n"));
}

} // namespace
} // namespace strovex::win
