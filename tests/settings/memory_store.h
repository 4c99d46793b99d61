#pragma once
// A settings store in memory with switches for the failures a real store can
// have: keys that cannot be created and values that cannot be written.

#include "platform/settings_store.h"

#include <map>
#include <set>

namespace strovex::test {

class MemoryStore : public SettingsStore {
public:
    using Values = std::map<std::u16string, StoredValue>;

    std::unique_ptr<SettingsKey> openKey(const std::u16string &path, bool create) override
    {
        opened.push_back(path);
        if (!keys.contains(path)) {
            if (!create || refuseCreate)
                return nullptr;
            keys[path];
        }
        return std::make_unique<Key>(*this, path);
    }

    std::map<std::u16string, Values> keys;
    bool refuseCreate = false;
    std::set<std::u16string> failingWrites; // value names whose write throws
    std::vector<std::u16string> opened;     // every path asked for, in order
    std::vector<std::u16string> written;    // every value name written, in order

private:
    class Key : public SettingsKey {
    public:
        Key(MemoryStore &store, std::u16string path) : store_(store), path_(std::move(path)) {}
        std::optional<StoredValue> read(const std::u16string &name) override
        {
            const Values &values = store_.keys[path_];
            const auto it = values.find(name);
            if (it == values.end())
                return std::nullopt;
            return it->second;
        }
        void write(const std::u16string &name, const StoredValue &value) override
        {
            if (store_.failingWrites.contains(name))
                throw SettingsError("Failed to set data for '" + std::string(name.begin(), name.end()) + "'");
            store_.keys[path_][name] = value;
            store_.written.push_back(name);
        }

    private:
        MemoryStore &store_;
        std::u16string path_;
    };
};

inline StoredValue dword(std::uint32_t value)
{
    StoredValue v;
    v.kind = StoredKind::DWord;
    v.dword = value;
    return v;
}

inline StoredValue text(const std::u16string &value, StoredKind kind = StoredKind::String)
{
    StoredValue v;
    v.kind = kind;
    v.text = value;
    return v;
}

inline StoredValue binary(std::vector<std::uint8_t> bytes)
{
    StoredValue v;
    v.kind = StoredKind::Binary;
    v.binary = std::move(bytes);
    return v;
}

} // namespace strovex::test
