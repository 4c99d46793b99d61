#include "platform/win/script_file.h"

#include "automation/dispatch.h"
#include "platform/win/win_text.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

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

std::atomic<unsigned> tempCounter{0};

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

void writeFileAtomically(const std::u16string &path, const std::string &bytes)
{
    const std::wstring target = extendedPath(path);
    const auto fail = [](DWORD error) { throw FileWriteError(toUtf8(systemMessage(static_cast<long>(error)))); };

    // Replacing by a move would slip past a read-only file; refuse as writing
    // into it would.
    const DWORD existing = GetFileAttributesW(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY))
        fail(ERROR_ACCESS_DENIED);

    std::wstring temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(tempCounter++) + L".tmp";
        file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            fail(GetLastError());
    }
    if (file == INVALID_HANDLE_VALUE)
        fail(ERROR_FILE_EXISTS);

    std::size_t written = 0;
    DWORD error = ERROR_SUCCESS;
    while (written < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 30));
        DWORD done = 0;
        if (!WriteFile(file, bytes.data() + written, chunk, &done, nullptr)) {
            error = GetLastError();
            break;
        }
        written += done;
    }
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file))
        error = GetLastError();
    CloseHandle(file);
    if (error == ERROR_SUCCESS && !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != ERROR_SUCCESS) {
        DeleteFileW(temp.c_str());
        fail(error);
    }
}

} // namespace strovex::win
