#include "platform/win/win_text.h"

#include <windows.h>

#include <cstdio>

namespace strovex::win {

namespace {

std::u16string formatSystemMessage(DWORD code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::u16string text;
    if (length != 0 && buffer)
        text = fromWide(std::wstring_view(buffer, length));
    LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' '))
        text.pop_back();
    return text;
}

} // namespace

std::u16string systemMessage(long code)
{
    const auto value = static_cast<DWORD>(code);
    std::u16string text = formatSystemMessage(value);
    // Wrapped Win32 codes are described under their plain number.
    if (text.empty() && HRESULT_FACILITY(value) == FACILITY_WIN32)
        text = formatSystemMessage(HRESULT_CODE(value));
    if (text.empty()) {
        char hex[32];
        std::snprintf(hex, sizeof hex, "Error 0x%08lX", static_cast<unsigned long>(value));
        for (const char *p = hex; *p; ++p)
            text += char16_t(*p);
    }
    return text;
}

} // namespace strovex::win

namespace strovex::win {

std::wstring extendedPath(std::u16string_view path)
{
    std::wstring wide = toWide(path);
    if (wide.rfind(L"\\\\?\\", 0) == 0)
        return wide;
    // The prefix turns off the system's clean-up of "/", "." and "..", so the
    // path is made absolute and clean first.
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size != 0) {
        std::wstring full(size, L'\0');
        const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
        if (length != 0 && length < size) {
            full.resize(length);
            wide = std::move(full);
        }
    }
    // Folders are limited to 248 characters, files to 260.
    if (wide.size() < 248)
        return wide;
    if (wide.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + wide.substr(2);
    if (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\')
        return L"\\\\?\\" + wide;
    return wide;
}

} // namespace strovex::win
