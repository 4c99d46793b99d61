#include "win_test_support.h"

#include "com_server/test_server_ids.h"
#include "platform/win/win_text.h"

#include <windows.h>

#include <atomic>

namespace strovex::win::test {

namespace {

void removeTree(const std::wstring &folder)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = folder + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL | (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY));
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

} // namespace

std::u16string uniqueName(const std::u16string &prefix)
{
    static std::atomic<unsigned> counter{0};
    const std::wstring suffix = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) + L"-"
        + std::to_wstring(counter++);
    return prefix + fromWide(suffix);
}

TempFolder::TempFolder()
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    path_ = fromWide(std::wstring_view(temp, length)) + uniqueName(u"strovex-win-");
    CreateDirectoryW(toWide(path_).c_str(), nullptr);
}

TempFolder::~TempFolder()
{
    removeTree(extendedPath(path_));
}

bool writeFile(const std::u16string &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(extendedPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string readFile(const std::u16string &path)
{
    HANDLE file = CreateFileW(extendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

long liveServerObjects()
{
    HMODULE module = GetModuleHandleW(quill_test::kModuleName);
    if (!module)
        return -1;
    using Count = long(__stdcall *)();
    const auto count = reinterpret_cast<Count>(
        reinterpret_cast<void *>(GetProcAddress(module, quill_test::kLiveObjectsExport)));
    return count ? count() : -1;
}

} // namespace strovex::win::test
