#include "platform/win/script_file.h"

#include <windows.h>

namespace strovex::win {

namespace {

std::string utf16Bytes(std::u16string_view text)
{
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + text.size() * 2);
    for (char16_t c : text) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    return bytes;
}

// False when some character has no exact form in the code page.
bool toCodePage(std::u16string_view text, UINT codePage, std::string &out)
{
    if (text.empty())
        return true;
    const auto *wide = reinterpret_cast<const wchar_t *>(text.data());
    const int length = static_cast<int>(text.size());
    // UTF-8 holds everything; it takes neither flag nor default-character test.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePage, flags, wide, length, nullptr, 0, nullptr, utf8 ? nullptr : &usedDefault);
    if (size <= 0 || usedDefault)
        return false;
    out.assign(static_cast<std::size_t>(size), '\0');
    usedDefault = FALSE;
    if (WideCharToMultiByte(codePage, flags, wide, length, out.data(), size, nullptr, utf8 ? nullptr : &usedDefault) != size
        || usedDefault)
        return false;
    // A lone surrogate passes as U+FFFD in UTF-8: only an exact round trip counts.
    if (utf8) {
        const int back = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, out.data(), size, nullptr, 0);
        std::wstring check(static_cast<std::size_t>(back > 0 ? back : 0), L'\0');
        if (back <= 0 || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, out.data(), size, check.data(), back) != back
            || check != std::wstring_view(wide, text.size()))
            return false;
    }
    return true;
}

} // namespace

std::string scriptFileBytes(std::u16string_view script, unsigned codePage)
{
    std::u16string text(script);
    text += u"\r\n";
    std::string bytes;
    if (toCodePage(text, codePage == 0 ? GetACP() : codePage, bytes))
        return bytes;
    return utf16Bytes(text);
}

} // namespace strovex::win
