#pragma once
// UTF-16 text between the project's std::u16string and the wide Win32 API.
// MinGW and MSVC both have a 16-bit wchar_t, so this is a copy, not a conversion.

#include <string>
#include <string_view>

namespace strovex::win {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

inline std::wstring toWide(std::u16string_view text)
{
    return std::wstring(reinterpret_cast<const wchar_t *>(text.data()), text.size());
}

inline std::u16string fromWide(std::wstring_view text)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text.data()), text.size());
}

inline std::u16string fromWide(const wchar_t *text)
{
    return text ? fromWide(std::wstring_view(text)) : std::u16string();
}

// The system's message text for an HRESULT or Win32 error code, without the
// trailing line break; a hexadecimal fallback when the system has none.
std::u16string systemMessage(long code);

} // namespace strovex::win

namespace strovex::win {

// `path` made absolute, with the "\\?\" prefix when it is too long for the
// classic limit of 260 characters, so the wide file API accepts it.
std::wstring extendedPath(std::u16string_view path);

} // namespace strovex::win
