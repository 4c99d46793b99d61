#include "platform/win/registry_store.h"

#include "automation/dispatch.h"
#include "platform/win/win_text.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace strovex::win {

namespace {

std::string quotedName(const char *format, const std::u16string &name)
{
    std::string text = format;
    text.replace(text.find("%s"), 2, toUtf8(name));
    return text;
}

class RegistryKey final : public SettingsKey {
public:
    explicit RegistryKey(HKEY key) : key_(key) {}
    ~RegistryKey() override { RegCloseKey(key_); }
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;

    std::optional<StoredValue> read(const std::u16string &name) override
    {
        const std::wstring wideName = toWide(name);
        std::vector<BYTE> data;
        DWORD type = REG_NONE;
        LSTATUS status = ERROR_MORE_DATA;
        // The value may grow between asking for its size and reading it.
        for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA; ++attempt) {
            DWORD size = 0;
            status = RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, nullptr, &size);
            if (status != ERROR_SUCCESS)
                break;
            data.resize(size);
            status = RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
            data.resize(std::min<std::size_t>(size, data.size()));
        }
        if (status == ERROR_FILE_NOT_FOUND)
            return std::nullopt;
        if (status != ERROR_SUCCESS)
            throw SettingsError(quotedName("Failed to get data for '%s'", name));

        StoredValue value;
        switch (type) {
        case REG_DWORD:
            if (data.size() != sizeof(std::uint32_t))
                break;
            value.kind = StoredKind::DWord;
            std::memcpy(&value.dword, data.data(), sizeof value.dword);
            return value;
        case REG_BINARY:
            value.kind = StoredKind::Binary;
            value.binary.assign(data.begin(), data.end());
            return value;
        case REG_SZ:
        case REG_EXPAND_SZ: {
            value.kind = type == REG_SZ ? StoredKind::String : StoredKind::ExpandString;
            // The terminating zero may be missing (written by another program), so
            // the text ends at the first zero or at the end of the data.
            std::u16string text(data.size() / 2, u'\0');
            if (!text.empty())
                std::memcpy(text.data(), data.data(), text.size() * 2);
            const auto end = text.find(u'\0');
            if (end != std::u16string::npos)
                text.resize(end);
            value.text = std::move(text);
            return value;
        }
        default:
            break;
        }
        throw SettingsError(quotedName("Invalid data type for '%s'", name));
    }

    void write(const std::u16string &name, const StoredValue &value) override
    {
        const std::wstring wideName = toWide(name);
        DWORD type = REG_NONE;
        const BYTE *bytes = nullptr;
        DWORD size = 0;
        std::wstring text;
        switch (value.kind) {
        case StoredKind::DWord:
            type = REG_DWORD;
            bytes = reinterpret_cast<const BYTE *>(&value.dword);
            size = sizeof value.dword;
            break;
        case StoredKind::Binary:
            type = REG_BINARY;
            bytes = value.binary.empty() ? nullptr : value.binary.data();
            size = static_cast<DWORD>(value.binary.size());
            break;
        case StoredKind::String:
        case StoredKind::ExpandString:
            type = value.kind == StoredKind::String ? REG_SZ : REG_EXPAND_SZ;
            text = toWide(value.text);
            bytes = reinterpret_cast<const BYTE *>(text.c_str());
            size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)); // with the terminating zero
            break;
        }
        if (RegSetValueExW(key_, wideName.c_str(), 0, type, bytes, size) != ERROR_SUCCESS)
            throw SettingsError(quotedName("Failed to set data for '%s'", name));
    }

    void flush() override { RegFlushKey(key_); }

private:
    HKEY key_;
};

} // namespace

std::unique_ptr<SettingsKey> RegistryStore::openKey(const std::u16string &path, bool create)
{
    const std::wstring widePath = toWide(path);
    HKEY key = nullptr;
    LSTATUS status;
    if (create) {
        status = RegCreateKeyExW(HKEY_CURRENT_USER, widePath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    } else {
        status = RegOpenKeyExW(HKEY_CURRENT_USER, widePath.c_str(), 0, KEY_READ | KEY_WRITE, &key);
        // A key the user may read but not change still serves a load.
        if (status == ERROR_ACCESS_DENIED)
            status = RegOpenKeyExW(HKEY_CURRENT_USER, widePath.c_str(), 0, KEY_READ, &key);
    }
    if (status != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<RegistryKey>(key);
}

void removeEmptyKeys(const std::u16string &path, const std::u16string &stopAt)
{
    std::u16string current = path;
    while (current.size() > stopAt.size() && current.compare(0, stopAt.size(), stopAt) == 0) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, toWide(current).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        DWORD subkeys = 0;
        DWORD values = 0;
        const LSTATUS status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                                nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS || subkeys != 0 || values != 0)
            return;
        if (RegDeleteKeyW(HKEY_CURRENT_USER, toWide(current).c_str()) != ERROR_SUCCESS)
            return;
        const size_t slash = current.rfind(u'\\');
        if (slash == std::u16string::npos)
            return;
        current.resize(slash);
    }
}

} // namespace strovex::win
