#pragma once
// The portable settings store: one JSON file that keeps every value with its
// type, and the accessor through which the program (and tests) pick a store.

#include "platform/settings_store.h"

#include <QString>

#include <memory>

namespace strovex {

// Keys and value names match without regard to letter case, as registry keys
// do. Every change re-reads the file, merges the one value into it and replaces
// the file in one go (under a lock file), so two running copies never corrupt
// it, the last writer wins per value, and values of other keys stay.
//
// openKey(create = true) writes the key into the file at once; it returns null
// when the folder or file cannot be written. read() throws "Invalid data type
// for '<name>'" for a stored entry whose type it does not know or whose data
// does not fit that type; write() throws "Failed to set data for '<name>'" when
// the file cannot be replaced. A file that is not valid JSON reads as empty; the
// first write keeps a copy of it beside it (".corrupt") before replacing it.
class FileSettingsStore final : public SettingsStore {
public:
    explicit FileSettingsStore(QString filePath);
    const QString &filePath() const { return filePath_; }
    std::unique_ptr<SettingsKey> openKey(const std::u16string &path, bool create) override;

private:
    QString filePath_;
};

// "$XDG_CONFIG_HOME/Strovex/settings.json", where XDG_CONFIG_HOME falls back to
// ~/.config when unset, empty or not absolute.
QString defaultSettingsFilePath();

// The platform's store: the file store at defaultSettingsFilePath() here, the
// registry below HKEY_CURRENT_USER on Windows.
std::shared_ptr<SettingsStore> createNativeSettingsStore();

// The store the program uses: the native one, made at first use.
// setSettingsStore(nullptr) goes back to it.
SettingsStore &settingsStore();
void setSettingsStore(std::shared_ptr<SettingsStore> store);

} // namespace strovex
