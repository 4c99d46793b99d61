#pragma once
// The current user's settings store, as typed values under key paths such as
// "Software\Orvandel\Strovexia\2.0\MainFormSettings". Free of Qt: the Windows
// side is the registry, the portable side a file that keeps the same types.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace strovex {

enum class StoredKind { DWord, Binary, String, ExpandString };

struct StoredValue {
    StoredKind kind = StoredKind::DWord;
    std::uint32_t dword = 0;
    std::vector<std::uint8_t> binary;
    std::u16string text; // String and ExpandString (never expanded)
    bool operator==(const StoredValue &) const = default;
};

// A failed write ("Failed to set data for '%s'") or a value of the wrong type
// ("Invalid data type for '%s'").
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SettingsKey {
public:
    virtual ~SettingsKey() = default;
    virtual std::optional<StoredValue> read(const std::u16string &name) = 0; // nullopt: no such value
    virtual void write(const std::u16string &name, const StoredValue &value) = 0; // throws SettingsError
    // Changes become durable when the key is closed (destroyed) or flushed.
    virtual void flush() {}
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Null when the key does not exist (create == false) or cannot be opened/created.
    virtual std::unique_ptr<SettingsKey> openKey(const std::u16string &path, bool create) = 0;
};

} // namespace strovex
