#include "app/settings_simple.h"

#include "platform/settings_store_file.h"

#include <QMetaEnum>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <bit>
#include <cstring>

namespace strovex {
namespace {

std::u16string u16(const QString &text)
{
    return text.toStdU16String();
}

SettingKind kindOf(const QMetaProperty &property)
{
    if (property.isFlagType())
        return SettingKind::Set;
    if (property.isEnumType())
        return SettingKind::Ordinal;
    switch (property.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::QChar:
    case QMetaType::Char16:
        return SettingKind::Ordinal;
    case QMetaType::Long:
    case QMetaType::ULong:
        return property.metaType().sizeOf() == 4 ? SettingKind::Ordinal : SettingKind::Int64;
    case QMetaType::Double:
    case QMetaType::Float:
        return SettingKind::Float;
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return SettingKind::Text;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return SettingKind::Int64;
    default:
        return SettingKind::Other;
    }
}

bool isSigned(QMetaType type)
{
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::SChar:
    case QMetaType::Long:
        return true;
    default:
        // Enumerations and flags: signed unless their underlying type is not.
        return (type.flags() & QMetaType::IsEnumeration) && !(type.flags() & QMetaType::IsUnsignedEnumeration);
    }
}

// An integer-like value of any size as 64 bits: its ordinal. Characters
// (char, QChar, char16_t) and unsigned types are never sign-extended.
std::int64_t ordinalOf(const QVariant &value)
{
    const QMetaType type = value.metaType();
    if (type.id() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    const qsizetype size = type.sizeOf();
    const void *data = value.constData();
    switch (size) {
    case 1: {
        std::uint8_t v;
        std::memcpy(&v, data, 1);
        return isSigned(type) ? std::int64_t(std::int8_t(v)) : std::int64_t(v);
    }
    case 2: {
        std::uint16_t v;
        std::memcpy(&v, data, 2);
        return isSigned(type) ? std::int64_t(std::int16_t(v)) : std::int64_t(v);
    }
    case 4: {
        std::uint32_t v;
        std::memcpy(&v, data, 4);
        return isSigned(type) ? std::int64_t(std::int32_t(v)) : std::int64_t(v);
    }
    case 8: {
        std::int64_t v;
        std::memcpy(&v, data, 8);
        return v;
    }
    default:
        return 0;
    }
}

// A value of `type` made from an ordinal, truncated to the type's size.
QVariant fromOrdinal(QMetaType type, std::int64_t ordinal)
{
    if (type.id() == QMetaType::Bool)
        return QVariant(ordinal != 0);
    unsigned char buffer[8] = {};
    switch (type.sizeOf()) {
    case 1: {
        const auto v = std::uint8_t(ordinal);
        std::memcpy(buffer, &v, 1);
        break;
    }
    case 2: {
        const auto v = std::uint16_t(ordinal);
        std::memcpy(buffer, &v, 2);
        break;
    }
    case 4: {
        const auto v = std::uint32_t(ordinal);
        std::memcpy(buffer, &v, 4);
        break;
    }
    case 8:
        std::memcpy(buffer, &ordinal, 8);
        break;
    default:
        return {};
    }
    return QVariant(type, buffer);
}

// The names of the single-bit elements present, in declaration order.
QString setToText(const QMetaEnum &enumerator, std::int64_t value)
{
    QStringList names;
    for (int i = 0; i < enumerator.keyCount(); ++i) {
        const auto bit = std::uint32_t(enumerator.value(i));
        if (std::has_single_bit(bit) && (std::uint64_t(value) & bit) == bit)
            names << QString::fromLatin1(enumerator.key(i));
    }
    return names.join(QLatin1Char(','));
}

// "A,B" or "[A, B]"; nothing for a name that is not an element.
std::optional<std::int64_t> textToSet(const QMetaEnum &enumerator, QString text)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']')))
        text = text.mid(1, text.size() - 2);
    std::int64_t value = 0;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (name.isEmpty())
            continue;
        bool ok = false;
        const int element = enumerator.keyToValue(name.toLatin1().constData(), &ok);
        if (!ok)
            return std::nullopt;
        value |= std::uint32_t(element);
    }
    return value;
}

StoredValue dwordValue(std::int64_t ordinal)
{
    StoredValue stored;
    stored.kind = StoredKind::DWord;
    stored.dword = std::uint32_t(ordinal);
    return stored;
}

StoredValue stringValue(const QString &text)
{
    StoredValue stored;
    stored.kind = StoredKind::String;
    stored.text = u16(text);
    return stored;
}

std::optional<StoredValue> encode(const SettingsProperty &property, const QVariant &value)
{
    switch (property.kind) {
    case SettingKind::Ordinal:
        return dwordValue(ordinalOf(value));
    case SettingKind::Float: {
        const auto bits = std::bit_cast<std::uint64_t>(value.toDouble());
        StoredValue stored;
        stored.kind = StoredKind::Binary;
        for (int i = 0; i < 8; ++i)
            stored.binary.push_back(std::uint8_t(bits >> (8 * i)));
        return stored;
    }
    case SettingKind::Text:
        return stringValue(value.metaType().id() == QMetaType::QByteArray ? QString::fromUtf8(value.toByteArray())
                                                                           : value.toString());
    case SettingKind::Set:
        return stringValue(setToText(property.property.enumerator(), ordinalOf(value)));
    case SettingKind::Int64:
        return stringValue(isSigned(value.metaType()) || value.metaType().id() == QMetaType::LongLong
                               ? QString::number(value.toLongLong())
                               : QString::number(value.toULongLong()));
    case SettingKind::Other:
        break;
    }
    return std::nullopt;
}

bool isText(const StoredValue &stored)
{
    return stored.kind == StoredKind::String || stored.kind == StoredKind::ExpandString;
}

// The property's value from a stored one; nothing when the stored type does
// not fit the property's kind.
std::optional<QVariant> decode(const SettingsProperty &property, const StoredValue &stored)
{
    const QMetaType type = property.property.metaType();
    switch (property.kind) {
    case SettingKind::Ordinal: {
        if (stored.kind != StoredKind::DWord)
            return std::nullopt;
        // A DWORD holds a 32-bit ordinal; negative numbers come back negative.
        const std::int64_t ordinal = isSigned(type) ? std::int64_t(std::int32_t(stored.dword)) : std::int64_t(stored.dword);
        return fromOrdinal(type, ordinal);
    }
    case SettingKind::Float: {
        if (stored.kind != StoredKind::Binary || stored.binary.size() != 8)
            return std::nullopt;
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= std::uint64_t(stored.binary[std::size_t(i)]) << (8 * i);
        const double number = std::bit_cast<double>(bits);
        if (type.id() == QMetaType::Float)
            return QVariant(float(number));
        return QVariant(number);
    }
    case SettingKind::Text: {
        if (!isText(stored))
            return std::nullopt;
        const QString text = QString::fromStdU16String(stored.text);
        if (type.id() == QMetaType::QByteArray)
            return QVariant(text.toUtf8());
        return QVariant(text);
    }
    case SettingKind::Set: {
        if (!isText(stored))
            return std::nullopt;
        const std::optional<std::int64_t> value =
            textToSet(property.property.enumerator(), QString::fromStdU16String(stored.text));
        if (!value)
            return std::nullopt;
        return fromOrdinal(type, *value);
    }
    case SettingKind::Int64: {
        if (!isText(stored))
            return std::nullopt;
        const QString text = QString::fromStdU16String(stored.text).trimmed();
        bool ok = false;
        QVariant value;
        if (type.id() == QMetaType::ULongLong || (type.id() == QMetaType::ULong)) {
            value = fromOrdinal(type, std::int64_t(text.toULongLong(&ok)));
        } else {
            value = fromOrdinal(type, text.toLongLong(&ok));
        }
        if (!ok)
            return std::nullopt;
        return value;
    }
    case SettingKind::Other:
        break;
    }
    return std::nullopt;
}

} // namespace

void SettingsDeleter::operator()(TSimpleSettings *settings) const noexcept
{
    if (!settings)
        return;
    if (settings->autoLoadSave_) {
        try {
            settings->Save();
        } catch (const std::exception &error) {
            qWarning("Settings under \"%s\" not saved: %s", qUtf8Printable(settings->registryKey_), error.what());
        }
    }
    delete settings;
}

TSimpleSettings::~TSimpleSettings() = default;

bool TSimpleSettings::IsExcluded(const QString &propertyName)
{
    return propertyName.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0
        || propertyName.compare(QLatin1String("Tag"), Qt::CaseInsensitive) == 0;
}

void TSimpleSettings::initialize(const QString &registryKey, bool autoLoadSave)
{
    // The derived class's own properties; QObject's objectName is never one.
    // A property that cannot be both read and written, or is marked not
    // stored, cannot round-trip and is left out.
    const QMetaObject *meta = metaObject();
    std::vector<SettingsProperty> list;
    for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (!property.isReadable() || !property.isWritable() || !property.isStored())
            continue;
        list.push_back({QString::fromLatin1(property.name()), kindOf(property), property});
    }
    std::stable_sort(list.begin(), list.end(), [](const SettingsProperty &a, const SettingsProperty &b) {
        const int folded = a.name.compare(b.name, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.name < b.name;
    });
    if (!list.empty())
        propList_ = std::move(list);
    registryKey_ = registryKey;
    autoLoadSave_ = autoLoadSave;
    AfterCreate();
    if (autoLoadSave_)
        Load();
}

void TSimpleSettings::checkUsable() const
{
    if (!propList_)
        throw SettingsAssertion("PropList is nil!");
    if (registryKey_.isEmpty())
        throw SettingsAssertion("RegistryKey is empty!");
}

QString TSimpleSettings::GetSubKey(const QString &) const
{
    return {};
}

void TSimpleSettings::AfterLoad(SettingsStore &, const QString &) {}

void TSimpleSettings::AfterSave(SettingsStore &, const QString &) {}

void TSimpleSettings::Load()
{
    checkUsable();
    SettingsStore &store = settingsStore();
    if (!store.openKey(u16(registryKey_), false))
        return;
    for (const SettingsProperty &property : *propList_) {
        if (IsExcluded(property.name) || property.kind == SettingKind::Other)
            continue;
        const std::unique_ptr<SettingsKey> key = store.openKey(u16(registryKey_ + GetSubKey(property.name)), false);
        if (!key)
            continue;
        loadProperty(*key, property);
    }
    AfterLoad(store, registryKey_);
}

// A value that cannot be read as the property's kind is skipped: the property
// keeps its value and the rest still load, so the window still opens.
void TSimpleSettings::loadProperty(SettingsKey &key, const SettingsProperty &property)
{
    std::optional<StoredValue> stored;
    try {
        stored = key.read(u16(property.name));
    } catch (const SettingsError &error) {
        qWarning("Setting \"%s\" skipped: %s", qUtf8Printable(property.name), error.what());
        return;
    }
    if (!stored)
        return;
    const std::optional<QVariant> value = decode(property, *stored);
    if (!value || !property.property.write(this, *value)) {
        qWarning("Setting \"%s\" skipped: Invalid data type for '%s'", qUtf8Printable(property.name),
                 qUtf8Printable(property.name));
        return;
    }
}

void TSimpleSettings::Save()
{
    checkUsable();
    SettingsStore &store = settingsStore();
    if (!store.openKey(u16(registryKey_), true))
        return;
    for (const SettingsProperty &property : *propList_) {
        if (IsExcluded(property.name))
            continue;
        const std::optional<StoredValue> stored = encode(property, property.property.read(this));
        if (!stored)
            continue;
        const std::unique_ptr<SettingsKey> key = store.openKey(u16(registryKey_ + GetSubKey(property.name)), true);
        if (!key)
            continue;
        key->write(u16(property.name), *stored);
        key->flush();
    }
    AfterSave(store, registryKey_);
}

} // namespace strovex
