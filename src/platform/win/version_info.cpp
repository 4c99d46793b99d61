#include "platform/win/version_info.h"

#include "platform/win/win_text.h"

#include <windows.h>

#include <vector>

namespace strovex::win {

std::optional<FileVersion> readFileVersion(const std::u16string &path)
{
    const std::wstring file = toWide(path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return std::nullopt;

    FileVersion version;
    void *data = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\StringFileInfo\\040904E4\\ProductVersion", &data, &length) && data
        && length > 0) {
        const auto *text = static_cast<const wchar_t *>(data);
        version.productVersion = fromWide(std::wstring_view(text, wcsnlen(text, length)));
    }
    if (VerQueryValueW(block.data(), L"\\", &data, &length) && data && length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(data);
        version.build = LOWORD(fixed->dwFileVersionLS);
    }
    return version;
}

std::u16string currentModulePath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return fromWide(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::u16string versionText(std::u16string productVersion, int build)
{
    const std::u16string zeroSpace = u".0 ";
    if (productVersion.find(zeroSpace) != std::u16string::npos) {
        std::u16string replaced;
        std::size_t from = 0;
        for (std::size_t at; (at = productVersion.find(zeroSpace, from)) != std::u16string::npos; from = at + 3)
            replaced.append(productVersion, from, at - from).append(u" ");
        replaced.append(productVersion, from);
        productVersion = std::move(replaced);
    } else if (productVersion.ends_with(u".0")) {
        productVersion.resize(productVersion.size() - 2);
    }
    std::u16string number;
    for (char c : std::to_string(build))
        number += char16_t(c);
    return productVersion + u" (build " + number + u")";
}

std::u16string programVersionText(const std::u16string &path)
{
    const auto version = readFileVersion(path);
    if (!version)
        return {};
    return versionText(version->productVersion, version->build);
}

} // namespace strovex::win
