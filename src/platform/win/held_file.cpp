#include "platform/win/held_file.h"

#include "platform/win/win_text.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace strovex::win {

namespace {

// The lock covers one byte far past the end of any label file: byte-range
// locks are mandatory on Windows, and one over the contents would make every
// other reader fail.
constexpr DWORD kLockOffsetHigh = 0x40000000;

// Others may read the file, and delete or rename it; none may write into it.
constexpr DWORD kShareHeld = FILE_SHARE_READ | FILE_SHARE_DELETE;

} // namespace

HeldFileHandle::~HeldFileHandle()
{
    if (handle_)
        CloseHandle(handle_);
}

HeldFileHandle::HeldFileHandle(HeldFileHandle &&other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), volume_(other.volume_), index_(other.index_), size_(other.size_)
{
}

HeldFileHandle &HeldFileHandle::operator=(HeldFileHandle &&other) noexcept
{
    if (this != &other) {
        HeldFileHandle old(std::move(*this));
        handle_ = std::exchange(other.handle_, nullptr);
        volume_ = other.volume_;
        index_ = other.index_;
        size_ = other.size_;
    }
    return *this;
}

bool HeldFileHandle::describe()
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle_, &info))
        return false;
    volume_ = info.dwVolumeSerialNumber;
    index_ = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    size_ = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return true;
}

HeldFileHandle::Open HeldFileHandle::open(const std::u16string &path, HeldFileHandle &out, std::u16string &error)
{
    out = HeldFileHandle();
    const std::wstring name = extendedPath(path);
    HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, kShareHeld, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION)
            return Open::InUse;
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return Open::NotAFile;
        error = systemMessage(long(code));
        return Open::Failed;
    }
    out.handle_ = handle;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        out = HeldFileHandle();
        return Open::NotAFile;
    }
    if (!out.describe()) {
        error = systemMessage(long(GetLastError()));
        out = HeldFileHandle();
        return Open::Failed;
    }
    return Open::Opened;
}

bool HeldFileHandle::lock()
{
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    return LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != FALSE;
}

bool HeldFileHandle::read(std::string &out, std::uint64_t limit, std::u16string &error) const
{
    out.clear();
    // The file may grow after it was described: read on, within the limit.
    out.resize(std::size_t(std::min(size_, limit)));
    std::uint64_t got = 0;
    for (;;) {
        if (got == out.size()) {
            if (got >= limit)
                break;
            out.resize(std::size_t(std::min<std::uint64_t>(got + 65536, limit)));
        }
        OVERLAPPED at{};
        at.Offset = DWORD(got);
        at.OffsetHigh = DWORD(got >> 32);
        DWORD n = 0;
        const DWORD want = DWORD(std::min<std::uint64_t>(out.size() - got, 1u << 30));
        if (!ReadFile(handle_, out.data() + got, want, &n, &at)) {
            const DWORD code = GetLastError();
            if (code == ERROR_HANDLE_EOF)
                break;
            error = systemMessage(long(code));
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    out.resize(std::size_t(got));
    return true;
}

bool fileIdentity(const std::u16string &path, std::uint64_t &volume, std::uint64_t &index)
{
    const std::wstring name = extendedPath(path);
    HANDLE handle = CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(handle, &info) != FALSE;
    CloseHandle(handle);
    if (!ok)
        return false;
    volume = info.dwVolumeSerialNumber;
    index = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

} // namespace strovex::win
