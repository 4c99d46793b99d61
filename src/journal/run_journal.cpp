#include "journal/run_journal.h"

#include "platform/files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

namespace strovex {
namespace {

const QString kManifest = QStringLiteral("manifest.json");
const QString kLock = QStringLiteral("lock");
constexpr int kFormat = 1;

QString machineUser()
{
    for (const char *name : {"USER", "USERNAME", "LOGNAME"}) {
        const QString user = qEnvironmentVariable(name);
        if (!user.isEmpty())
            return user;
    }
    return {};
}

QJsonObject toJson(const JournalEntry &entry)
{
    QJsonObject object{
        {QStringLiteral("path"), entry.path},
        {QStringLiteral("target"), entry.target},
        {QStringLiteral("bytes"), entry.bytesFile},
        {QStringLiteral("size"), double(entry.size)},
        {QStringLiteral("oldSha256"), QString::fromLatin1(entry.oldSha)},
        {QStringLiteral("outcome"), entry.outcome},
    };
    if (!entry.newSha.isEmpty())
        object.insert(QStringLiteral("newSha256"), QString::fromLatin1(entry.newSha));
    return object;
}

QJsonObject toJson(const RunManifest &manifest)
{
    QJsonArray labels;
    for (const JournalEntry &entry : manifest.labels)
        labels.append(toJson(entry));
    return {
        {QStringLiteral("format"), kFormat},
        {QStringLiteral("id"), manifest.id},
        {QStringLiteral("time"), manifest.time.toString(Qt::ISODate)},
        {QStringLiteral("command"), manifest.command},
        {QStringLiteral("arguments"), QJsonArray::fromStringList(manifest.arguments)},
        {QStringLiteral("user"), manifest.user},
        {QStringLiteral("finished"), manifest.finished},
        {QStringLiteral("labels"), labels},
    };
}

bool isHexSha(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
    return hex.match(text).hasMatch();
}

// The name of a kept copy: a plain file name inside the run's folder.
bool isBytesName(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[0-9]+\\.bytes$"));
    return plain.match(name).hasMatch();
}

JournalEntry entryFromJson(const QJsonObject &label)
{
    JournalEntry entry;
    entry.path = label.value(QStringLiteral("path")).toString();
    entry.target = label.value(QStringLiteral("target")).toString();
    entry.bytesFile = label.value(QStringLiteral("bytes")).toString();
    entry.size = qint64(label.value(QStringLiteral("size")).toDouble(-1));
    entry.oldSha = label.value(QStringLiteral("oldSha256")).toString().toLatin1();
    entry.newSha = label.value(QStringLiteral("newSha256")).toString().toLatin1();
    entry.outcome = label.value(QStringLiteral("outcome")).toString();
    return entry;
}

bool isComplete(const JournalEntry &entry)
{
    return !entry.path.isEmpty() && !entry.target.isEmpty() && isBytesName(entry.bytesFile) && entry.size >= 0
        && isHexSha(QString::fromLatin1(entry.oldSha))
        && (entry.newSha.isEmpty() || isHexSha(QString::fromLatin1(entry.newSha)));
}

QString recordName(int number)
{
    return QStringLiteral("%1.json").arg(number);
}

QString savedRecordName(int number)
{
    return QStringLiteral("%1.saved.json").arg(number);
}

// A file of the run's folder that no one has yet, written whole under a
// temporary name and then given its own. Not synced to the disk: a process
// killed after this finds it complete; the one sync per run is the
// manifest's, and a per-label sync would cost as much as the label's save.
std::optional<QString> writeNewFile(const QString &path, const QByteArray &bytes)
{
    const QString temporary = path + QStringLiteral(".part");
    QFile::remove(temporary); // left by a run that was killed
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return file.errorString();
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            const QString reason = file.errorString();
            file.close();
            QFile::remove(temporary);
            return reason;
        }
        done += written;
    }
    file.close();
    if (!file.rename(path)) {
        const QString reason = file.errorString();
        QFile::remove(temporary);
        return reason;
    }
    return std::nullopt;
}

// The labels of a run that did not finish: one record per label kept, and
// one more once its save was recorded.
std::vector<JournalEntry> readRecords(const QString &folder)
{
    static const QRegularExpression record(QStringLiteral("^([0-9]+)\\.json$"));
    std::vector<std::pair<qulonglong, QString>> found;
    for (const QString &name : QDir(folder).entryList({QStringLiteral("*.json")}, QDir::Files | QDir::NoSymLinks)) {
        const QRegularExpressionMatch match = record.match(name);
        if (match.hasMatch())
            found.emplace_back(match.captured(1).toULongLong(), name);
    }
    std::sort(found.begin(), found.end());
    std::vector<JournalEntry> entries;
    for (const auto &[number, name] : found) {
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        JournalEntry entry = entryFromJson(QJsonDocument::fromJson(file.readAll()).object());
        QFile saved(folder + QLatin1Char('/') + savedRecordName(int(number)));
        if (saved.open(QIODevice::ReadOnly)) {
            const QJsonObject after = QJsonDocument::fromJson(saved.readAll()).object();
            entry.newSha = after.value(QStringLiteral("newSha256")).toString().toLatin1();
            entry.outcome = after.value(QStringLiteral("outcome")).toString();
        }
        // A record that does not read whole is the run's last step cut short; the
        // label was not saved after it.
        if (isComplete(entry))
            entries.push_back(entry);
    }
    return entries;
}

} // namespace

JournalError::JournalError(const QString &message)
    : std::runtime_error(message.toUtf8().toStdString()), message_(message)
{
}

QString dataFolder()
{
    const QString set = qEnvironmentVariable("STROVEX_DATA_DIR");
    if (!set.isEmpty())
        return set;
    // Named here rather than through the program's name, which differs
    // between the app and the command line: both keep one journal.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Strovex");
}

QString journalFolder(const QString &data)
{
    return data + QStringLiteral("/runs");
}

QByteArray sha256Hex(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

int RunManifest::labelsChanged() const
{
    int changed = 0;
    for (const JournalEntry &entry : labels)
        changed += entry.newSha != entry.oldSha ? 1 : 0;
    return changed;
}

bool isRunId(const QString &id)
{
    static const QRegularExpression allowed(QStringLiteral("^[0-9A-Za-z_][0-9A-Za-z._-]*$"));
    return allowed.match(id).hasMatch() && !id.contains(QStringLiteral(".."));
}

QString runFolder(const QString &root, const QString &id)
{
    if (!isRunId(id))
        throw JournalError(QStringLiteral("\"%1\" is not a run id.").arg(id));
    if (QFileInfo(root).isSymLink())
        throw JournalError(QStringLiteral("The journal folder \"%1\" is a symbolic link; it is not used.").arg(root));
    const QString folder = root + QLatin1Char('/') + id;
    const QFileInfo info(folder);
    if (info.isSymLink())
        throw JournalError(QStringLiteral("The run's folder \"%1\" is a symbolic link; it is not used.").arg(folder));
    if (!info.isDir())
        throw JournalError(QStringLiteral("There is no run \"%1\" in the journal.").arg(id));
    return folder;
}

RunManifest readManifest(const QString &folder)
{
    const QString path = folder + QLatin1Char('/') + kManifest;
    const auto damaged = [&path](const QString &why) {
        return JournalError(QStringLiteral("The run's manifest \"%1\" is damaged: %2").arg(path, why));
    };
    if (QFileInfo(path).isSymLink())
        throw damaged(QStringLiteral("it is a symbolic link."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw JournalError(QStringLiteral("The run's manifest \"%1\" cannot be read. %2").arg(path, file.errorString()));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw damaged(QStringLiteral("it is not a JSON object."));
    const QJsonObject object = document.object();
    if (object.value(QStringLiteral("format")).toInt() != kFormat)
        throw damaged(QStringLiteral("its format is not known."));

    RunManifest manifest;
    manifest.id = object.value(QStringLiteral("id")).toString();
    manifest.time = QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODate);
    manifest.command = object.value(QStringLiteral("command")).toString();
    for (const QJsonValue &argument : object.value(QStringLiteral("arguments")).toArray())
        manifest.arguments << argument.toString();
    manifest.user = object.value(QStringLiteral("user")).toString();
    manifest.finished = object.value(QStringLiteral("finished")).toBool();
    if (manifest.id.isEmpty() || !manifest.time.isValid() || !object.value(QStringLiteral("labels")).isArray())
        throw damaged(QStringLiteral("its id, time or labels are missing."));
    for (const QJsonValue &value : object.value(QStringLiteral("labels")).toArray()) {
        const JournalEntry entry = entryFromJson(value.toObject());
        if (!isComplete(entry))
            throw damaged(QStringLiteral("a label's record is incomplete."));
        manifest.labels.push_back(entry);
    }
    if (!manifest.finished)
        manifest.labels = readRecords(folder);
    return manifest;
}

std::unique_ptr<QLockFile> lockRun(const QString &folder)
{
    auto lock = std::make_unique<QLockFile>(folder + QLatin1Char('/') + kLock);
    // Only a holder that is gone makes a lock stale, never its age: runs are long.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

RunJournal::RunJournal(const QString &root, const QString &command, const QStringList &arguments)
{
    if (QFileInfo(root).isSymLink())
        throw JournalError(QStringLiteral("The journal folder \"%1\" is a symbolic link; it is not used.").arg(root));
    if (!QDir().mkpath(root))
        throw JournalError(QStringLiteral("The journal folder \"%1\" cannot be made.").arg(root));
    manifest_.time = QDateTime::currentDateTimeUtc();
    manifest_.command = command;
    manifest_.arguments = arguments;
    manifest_.user = machineUser();
    const QString stamp = manifest_.time.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    // mkdir fails on an existing folder, so two runs in one second never share one.
    for (int n = 1;; ++n) {
        const QString id = n == 1 ? stamp : QStringLiteral("%1-%2").arg(stamp).arg(n);
        const QString folder = root + QLatin1Char('/') + id;
        if (QDir().mkdir(folder)) {
            manifest_.id = id;
            folder_ = folder;
            break;
        }
        if (!QFileInfo::exists(folder) && !QFileInfo(folder).isSymLink())
            throw JournalError(QStringLiteral("The run's folder \"%1\" cannot be made.").arg(folder));
    }
    // The manifest first: its failure tells the system's reason, the lock's would not.
    writeManifest();
    lock_ = lockRun(folder_);
    if (!lock_)
        throw JournalError(QStringLiteral("The run's folder \"%1\" cannot be locked.").arg(folder_));
}

RunJournal::~RunJournal()
{
    try {
        finish();
    } catch (const std::exception &) {
        // The manifest of the last step stays; a run read later counts as not finished.
    }
}

std::optional<QString> RunJournal::keep(const QString &path, const std::optional<QByteArray> &bytes)
{
    JournalEntry entry;
    const QFileInfo label(path);
    entry.path = label.absoluteFilePath();
    entry.target = label.canonicalFilePath();
    if (entry.target.isEmpty())
        return QStringLiteral("The label file \"%1\" cannot be found.").arg(path);
    QByteArray kept;
    if (bytes) {
        kept = *bytes;
    } else {
        QFile file(entry.target);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("The label file \"%1\" cannot be read. %2").arg(path, file.errorString());
        kept = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return QStringLiteral("The label file \"%1\" cannot be read. %2").arg(path, file.errorString());
    }
    entry.size = kept.size();
    entry.oldSha = sha256Hex(kept);
    // Numbered by attempt: a copy that failed leaves no name taken for the next.
    entry.bytesFile = QStringLiteral("%1.bytes").arg(++attempts_);
    const QString copy = folder_ + QLatin1Char('/') + entry.bytesFile;
    if (const std::optional<QString> reason = writeNewFile(copy, kept))
        return QStringLiteral("The copy \"%1\" cannot be written. %2").arg(copy, *reason);
    const QString record = folder_ + QLatin1Char('/') + recordName(attempts_);
    if (const std::optional<QString> reason = writeNewFile(record, QJsonDocument(toJson(entry)).toJson())) {
        QFile::remove(copy);
        return QStringLiteral("The record \"%1\" cannot be written. %2").arg(record, *reason);
    }
    manifest_.labels.push_back(entry);
    return std::nullopt;
}

void RunJournal::saved(const QString &outcome)
{
    if (manifest_.labels.empty())
        return;
    JournalEntry &entry = manifest_.labels.back();
    entry.outcome = outcome;
    QFile file(entry.target);
    // A label that cannot be read back is left with no new hash: undo then
    // treats it as a save that was not recorded.
    if (file.open(QIODevice::ReadOnly))
        entry.newSha = sha256Hex(file.readAll());
    const QJsonObject after{{QStringLiteral("newSha256"), QString::fromLatin1(entry.newSha)},
                            {QStringLiteral("outcome"), outcome}};
    // Unwritten, the label stays kept but not recorded, which undo handles.
    writeNewFile(folder_ + QLatin1Char('/') + savedRecordName(attempts_), QJsonDocument(after).toJson());
}

void RunJournal::finish()
{
    if (finished_ || folder_.isEmpty())
        return;
    finished_ = true;
    if (manifest_.labels.empty()) {
        QFile::remove(folder_ + QLatin1Char('/') + kManifest);
        lock_.reset();
        QDir().rmdir(folder_);
        return;
    }
    manifest_.finished = true;
    writeManifest();
    // The manifest now holds every label: the records are not read again.
    for (int number = 1; number <= attempts_; ++number) {
        QFile::remove(folder_ + QLatin1Char('/') + recordName(number));
        QFile::remove(folder_ + QLatin1Char('/') + savedRecordName(number));
    }
    lock_.reset();
}

void RunJournal::writeManifest()
{
    const QString path = folder_ + QLatin1Char('/') + kManifest;
    const QByteArray bytes = QJsonDocument(toJson(manifest_)).toJson(QJsonDocument::Indented);
    if (const std::optional<QString> reason = replaceFile(path, bytes, LinkAtTarget::Refuse))
        throw JournalError(QStringLiteral("The run's manifest \"%1\" cannot be written. %2").arg(path, *reason));
}

} // namespace strovex
