#include "platform/win/console.h"

#include <windows.h>

#include <cstdio>

namespace strovex::win {

void *standardHandle(int stream)
{
    const HANDLE handle = GetStdHandle(stream == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

bool isConsole(void *handle)
{
    DWORD mode = 0;
    return handle && GetConsoleMode(handle, &mode);
}

bool writeConsole(void *handle, std::u16string_view text)
{
    if (!isConsole(handle))
        return false;
    // The console takes a bounded amount per call on older systems.
    constexpr size_t kChunk = 8192;
    while (!text.empty()) {
        size_t size = text.size() < kChunk ? text.size() : kChunk;
        // Never split a surrogate pair between two calls.
        if (size < text.size() && text[size - 1] >= 0xD800 && text[size - 1] <= 0xDBFF)
            --size;
        DWORD written = 0;
        if (!WriteConsoleW(handle, text.data(), DWORD(size), &written, nullptr) || written == 0)
            return false;
        text.remove_prefix(written);
    }
    return true;
}

bool attachParentConsole()
{
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    FILE *stream = nullptr;
    // Only where the parent gave no redirection of its own.
    if (!isConsole(standardHandle(1)) && GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_UNKNOWN)
        freopen_s(&stream, "CONOUT$", "w", stdout);
    if (!isConsole(standardHandle(2)) && GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_UNKNOWN)
        freopen_s(&stream, "CONOUT$", "w", stderr);
    return true;
}

} // namespace strovex::win
