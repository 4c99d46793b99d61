#include "platform/win/directory_lister.h"

#include "platform/win/held_file.h"
#include "platform/win/win_text.h"

#include <windows.h>

#include <memory>

namespace strovex::win {

bool WinDirectoryLister::list(const std::u16string &folder, std::vector<DirEntry> &out)
{
    out.clear();
    std::wstring pattern = extendedPath(folder);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';

    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND; // an empty drive root has no "." either
    do {
        const std::wstring_view name(data.cFileName);
        if (name == L"." || name == L"..")
            continue;
        DirEntry entry;
        entry.name = fromWide(name);
        entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        entry.system = (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
        // Only links and junctions lead elsewhere; other reparse points (cloud
        // placeholders, deduplicated files) are ordinary entries.
        entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0
            && (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK || data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
        out.push_back(std::move(entry));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

bool WinDirectoryLister::identity(const std::u16string &folder, std::uint64_t &volume, std::uint64_t &index)
{
    return fileIdentity(folder, volume, index);
}

} // namespace strovex::win

namespace strovex {

// The native lister the recursive file search asks for (declared with it).
std::shared_ptr<DirectoryLister> createNativeDirectoryLister();

std::shared_ptr<DirectoryLister> createNativeDirectoryLister()
{
    return std::make_shared<win::WinDirectoryLister>();
}

} // namespace strovex
