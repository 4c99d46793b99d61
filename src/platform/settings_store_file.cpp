#include "platform/settings_store_file.h"

#include "platform/files.h"
#include "platform/held_file.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLockFile>

#include <cctype>
#include <cmath>

namespace strovex {
namespace {

// The file's layout: { "<key path>": { "<value name>": { "type": ..., "data": ... } } }.
// A DWORD is a JSON number, binary data a string of hex digits, text a string.
const QString kType = QStringLiteral("type");
const QString kData = QStringLiteral("data");

QString typeName(StoredKind kind)
{
    switch (kind) {
    case StoredKind::DWord:
        return QStringLiteral("dword");
    case StoredKind::Binary:
        return QStringLiteral("binary");
    case StoredKind::String:
        return QStringLiteral("string");
    case StoredKind::ExpandString:
        return QStringLiteral("expand-string");
    }
    return {};
}

std::string quoted(const char *format, const QString &name)
{
    std::string text = format;
    text.replace(text.find("%s"), 2, name.toStdString());
    return text;
}

// The spelling under which `name` is kept in `object`, compared without regard
// to letter case; null when there is none.
QString findName(const QJsonObject &object, const QString &name)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.key();
    }
    return {};
}

QJsonObject encode(const StoredValue &value)
{
    QJsonObject entry;
    entry.insert(kType, typeName(value.kind));
    switch (value.kind) {
    case StoredKind::DWord:
        entry.insert(kData, double(value.dword));
        break;
    case StoredKind::Binary: {
        const QByteArray bytes(reinterpret_cast<const char *>(value.binary.data()), qsizetype(value.binary.size()));
        entry.insert(kData, QString::fromLatin1(bytes.toHex()));
        break;
    }
    case StoredKind::String:
    case StoredKind::ExpandString:
        entry.insert(kData, QString::fromStdU16String(value.text));
        break;
    }
    return entry;
}

std::optional<StoredValue> decode(const QJsonValue &json)
{
    const QJsonObject entry = json.toObject();
    const QString type = entry.value(kType).toString();
    const QJsonValue data = entry.value(kData);
    StoredValue value;
    if (type == typeName(StoredKind::DWord)) {
        // A number typed in by hand may be negative: it is taken as two's complement.
        const double number = data.toDouble(std::nan(""));
        if (!data.isDouble() || number != std::floor(number) || number < -2147483648.0 || number > 4294967295.0)
            return std::nullopt;
        value.kind = StoredKind::DWord;
        value.dword = number < 0 ? std::uint32_t(std::int32_t(number)) : std::uint32_t(number);
        return value;
    }
    if (type == typeName(StoredKind::Binary)) {
        const QByteArray hex = data.toString().toLatin1();
        if (!data.isString() || hex.size() % 2 != 0)
            return std::nullopt;
        for (char c : hex) {
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return std::nullopt;
        }
        const QByteArray bytes = QByteArray::fromHex(hex);
        value.kind = StoredKind::Binary;
        value.binary.assign(bytes.begin(), bytes.end());
        return value;
    }
    if (type == typeName(StoredKind::String) || type == typeName(StoredKind::ExpandString)) {
        if (!data.isString())
            return std::nullopt;
        value.kind = type == typeName(StoredKind::String) ? StoredKind::String : StoredKind::ExpandString;
        value.text = data.toString().toStdU16String();
        return value;
    }
    return std::nullopt;
}

// Holds the file's lock while a change is read, merged and written. A lock
// that cannot be had in time (a copy hanging while it holds it) is given up on:
// the replacement is atomic anyway, so the file still never comes out broken.
class FileLock {
public:
    explicit FileLock(const QString &filePath) : lock_(filePath + QStringLiteral(".lock"))
    {
        QDir().mkpath(QFileInfo(filePath).path());
        lock_.tryLock(5000);
    }

private:
    QLockFile lock_;
};

// Settings are a few kilobytes; anything this large is not a settings file.
constexpr qint64 kMaxSettingsFileBytes = qint64(4) << 20;

// The whole file; empty when it is missing. `corrupt` tells that it exists
// but is not a JSON object. Only a regular file is read, without waiting on a
// FIFO or device and within a size limit: whatever the name leads to, the
// program starts with its defaults.
QJsonObject readRoot(const QString &filePath, bool *corrupt = nullptr)
{
    if (corrupt)
        *corrupt = false;
    HeldFile file;
    QString error;
    if (HeldFile::open(filePath, file, error) != HeldFile::Open::Opened)
        return {};
    QByteArray bytes;
    QJsonParseError parsed{};
    QJsonDocument document;
    if (file.size() <= std::uint64_t(kMaxSettingsFileBytes) && file.read(bytes, kMaxSettingsFileBytes + 1, error)
        && bytes.size() <= kMaxSettingsFileBytes)
        document = QJsonDocument::fromJson(bytes, &parsed);
    else
        parsed.error = QJsonParseError::DocumentTooLarge;
    if (parsed.error != QJsonParseError::NoError || !document.isObject()) {
        if (corrupt)
            *corrupt = true;
        return {};
    }
    return document.object();
}

bool writeRoot(const QString &filePath, const QJsonObject &root, bool corrupt)
{
    if (corrupt) {
        // A link that leads to something other than settings (a text file of
        // the user's) is never written through.
        if (QFileInfo(filePath).isSymLink())
            return false;
        // Keep what the user may have been editing by hand.
        const QString aside = filePath + QStringLiteral(".corrupt");
        QFile::remove(aside);
        QFile::copy(filePath, aside);
    }
    return !replaceFile(filePath, QJsonDocument(root).toJson(QJsonDocument::Indented));
}

class FileKey final : public SettingsKey {
public:
    FileKey(QString filePath, QString keyPath, QJsonObject values)
        : filePath_(std::move(filePath)), keyPath_(std::move(keyPath)), values_(std::move(values))
    {
    }

    std::optional<StoredValue> read(const std::u16string &name) override
    {
        const QString stored = findName(values_, QString::fromStdU16String(name));
        if (stored.isNull())
            return std::nullopt;
        std::optional<StoredValue> value = decode(values_.value(stored));
        if (!value)
            throw SettingsError(quoted("Invalid data type for '%s'", QString::fromStdU16String(name)));
        return value;
    }

    void write(const std::u16string &name, const StoredValue &value) override
    {
        const QString valueName = QString::fromStdU16String(name);
        const FileLock lock(filePath_);
        bool corrupt = false;
        QJsonObject root = readRoot(filePath_, &corrupt);
        // Another copy may have written since this key was opened: merge into
        // what is on disk now, and keep every value that is not this one.
        QString keyName = findName(root, keyPath_);
        if (keyName.isNull())
            keyName = keyPath_;
        QJsonObject values = root.value(keyName).toObject();
        QString stored = findName(values, valueName);
        if (stored.isNull())
            stored = valueName;
        values.insert(stored, encode(value));
        root.insert(keyName, values);
        if (!writeRoot(filePath_, root, corrupt))
            throw SettingsError(quoted("Failed to set data for '%s'", valueName));
        values_ = values;
    }

private:
    QString filePath_;
    QString keyPath_;
    QJsonObject values_; // as read at opening, plus this key's own writes
};

std::shared_ptr<SettingsStore> &current()
{
    static std::shared_ptr<SettingsStore> store;
    return store;
}

} // namespace

FileSettingsStore::FileSettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

std::unique_ptr<SettingsKey> FileSettingsStore::openKey(const std::u16string &path, bool create)
{
    const QString keyPath = QString::fromStdU16String(path);
    if (keyPath.isEmpty())
        return nullptr;
    if (!create) {
        const QJsonObject root = readRoot(filePath_);
        const QString keyName = findName(root, keyPath);
        if (keyName.isNull())
            return nullptr;
        return std::make_unique<FileKey>(filePath_, keyName, root.value(keyName).toObject());
    }
    const FileLock lock(filePath_);
    bool corrupt = false;
    QJsonObject root = readRoot(filePath_, &corrupt);
    QString keyName = findName(root, keyPath);
    if (keyName.isNull()) {
        keyName = keyPath;
        root.insert(keyName, QJsonObject());
        if (!writeRoot(filePath_, root, corrupt))
            return nullptr;
    }
    return std::make_unique<FileKey>(filePath_, keyName, root.value(keyName).toObject());
}

QString defaultSettingsFilePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Strovex/settings.json");
}

#ifndef _WIN32
std::shared_ptr<SettingsStore> createNativeSettingsStore()
{
    return std::make_shared<FileSettingsStore>(defaultSettingsFilePath());
}
#endif

SettingsStore &settingsStore()
{
    std::shared_ptr<SettingsStore> &store = current();
    if (!store)
        store = createNativeSettingsStore();
    return *store;
}

void setSettingsStore(std::shared_ptr<SettingsStore> store)
{
    current() = std::move(store);
}

} // namespace strovex
