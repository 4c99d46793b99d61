#pragma once
// The settings store of the Windows side: keys below HKEY_CURRENT_USER.

#include "platform/settings_store.h"

namespace strovex::win {

class RegistryStore final : public SettingsStore {
public:
    // Opens `path` (backslash-separated, below HKEY_CURRENT_USER) for reading
    // and, where the user may, writing; creates it when `create` is set. Null
    // when it does not exist (without `create`) or cannot be opened or created.
    // The key's read() gives REG_DWORD, REG_BINARY, REG_SZ and REG_EXPAND_SZ
    // (unexpanded); any other type, or a DWORD of another size, throws
    // "Invalid data type for '<name>'". write() stores strings with their
    // terminating zero and throws "Failed to set data for '<name>'" on failure.
    std::unique_ptr<SettingsKey> openKey(const std::u16string &path, bool create) override;
};

// Removes HKEY_CURRENT_USER\<path> if it holds no value and no subkey, then
// each parent in turn while it is left so, stopping below `stopAt` (a prefix
// of `path`, never removed). A key that holds anything, or is missing, ends it.
void removeEmptyKeys(const std::u16string &path, const std::u16string &stopAt);

} // namespace strovex::win
