#pragma once
// Persistence of a settings class's declared Qt properties in the user's
// settings store, one typed value per property. A settings class derives from
// TSimpleSettings, declares its settings as Q_PROPERTY members with their
// defaults as member initializers, and writes no persistence code.
//
// Construction is two-step because a base constructor cannot reach the derived
// class: TSimpleSettings::Create<T>() makes the object, lists T's properties,
// calls AfterCreate and then (with autoLoadSave) Load. The SettingsPtr it
// returns saves before the object is destroyed, for the same reason.

#include "platform/settings_store.h"

#include <QMetaProperty>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace strovex {

// A settings class used wrongly ("PropList is nil!", "RegistryKey is empty!"):
// a programmer's error, thrown so that it is reported and can be tested.
class SettingsAssertion : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// How a property is kept in the store.
enum class SettingKind {
    Ordinal,   // integers up to 32 bits, characters, enumerations, bool: DWORD
    Float,     // double, float: 8 bytes IEEE 754 little-endian
    Text,      // QString, QByteArray (UTF-8): string
    Set,       // Q_FLAG flags: comma-separated names of the elements present
    Int64,     // 64-bit integers: string in decimal
    Other,     // anything else: not kept
};

struct SettingsProperty {
    QString name;
    SettingKind kind = SettingKind::Other;
    QMetaProperty property;
};

class TSimpleSettings;

// Saves (when the object loads and saves by itself) and then deletes. A failed
// save at this point cannot be reported to anyone and is logged as a warning.
struct SettingsDeleter {
    void operator()(TSimpleSettings *settings) const noexcept;
};
template<class T>
using SettingsPtr = std::unique_ptr<T, SettingsDeleter>;

class TSimpleSettings : public QObject {
    Q_OBJECT
public:
    ~TSimpleSettings() override;

    // The store is the program's one (settingsStore()), asked at each Load and Save.
    // Makes a T (default-constructible, derived from TSimpleSettings), lists its
    // properties, calls AfterCreate and, with `autoLoadSave`, Load. Throws
    // SettingsAssertion when that load finds no properties or an empty key.
    template<class T>
    static SettingsPtr<T> Create(const QString &registryKey, bool autoLoadSave)
    {
        static_assert(std::is_base_of_v<TSimpleSettings, T>);
        auto settings = std::make_unique<T>();
        settings->initialize(registryKey, autoLoadSave);
        return SettingsPtr<T>(settings.release());
    }

    // Reads every persisted property that has a stored value. A key that does
    // not exist leaves every property as it is and AfterLoad uncalled. A stored
    // value of the wrong type is skipped with a warning (the property keeps its
    // value). Throws SettingsAssertion as described above.
    void Load();
    // Writes every persisted property. A key that cannot be opened or created
    // writes nothing, silently. A failed write throws SettingsError and ends the
    // save. Throws SettingsAssertion as described above.
    void Save();

    const QString &RegistryKey() const { return registryKey_; }
    bool AutoLoadSave() const { return autoLoadSave_; }
    // The persisted properties in name order; null when the class declares none.
    const std::vector<SettingsProperty> *PropList() const { return propList_ ? &*propList_ : nullptr; }
    // "Name" and "Tag", whatever their letter case.
    static bool IsExcluded(const QString &propertyName);

protected:
    TSimpleSettings() = default;

    // Appended to RegistryKey to form the key of one property's value.
    virtual QString GetSubKey(const QString &propertyName) const;
    virtual void AfterCreate() {}
    virtual void AfterLoad(SettingsStore &store, const QString &key);
    virtual void AfterSave(SettingsStore &store, const QString &key);

private:
    friend struct SettingsDeleter;
    void initialize(const QString &registryKey, bool autoLoadSave);
    void checkUsable() const;
    void loadProperty(SettingsKey &key, const SettingsProperty &property);

    QString registryKey_;
    bool autoLoadSave_ = false;
    std::optional<std::vector<SettingsProperty>> propList_;
};

} // namespace strovex
