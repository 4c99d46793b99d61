#include "journal/undo.h"

#include "journal/run_journal.h"
#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <optional>

namespace strovex {
namespace {

std::optional<QByteArray> readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// The kept copy when it is there and still the bytes recorded.
std::optional<QByteArray> keptBytes(const QString &folder, const JournalEntry &entry)
{
    const QString path = folder + QLatin1Char('/') + entry.bytesFile;
    if (QFileInfo(path).isSymLink())
        return std::nullopt;
    std::optional<QByteArray> bytes = readBytes(path);
    if (!bytes || sha256Hex(*bytes) != entry.oldSha)
        return std::nullopt;
    return bytes;
}

// Whether the label's name still leads to the file the run changed; a link
// planted since (at the name or in a folder above it) makes it lead elsewhere.
bool leadsToTarget(const JournalEntry &entry)
{
    const QFileInfo label(entry.path);
    if (label.exists())
        return label.canonicalFilePath() == entry.target;
    if (label.isSymLink())
        return false;
    return QFileInfo(label.absolutePath()).canonicalFilePath() == QFileInfo(entry.target).absolutePath();
}

} // namespace

UndoResult undoRun(const QString &root, const QString &id, const UndoOptions &options)
{
    const QString folder = runFolder(root, id);
    const std::unique_ptr<QLockFile> lock = lockRun(folder);
    if (!lock)
        throw JournalError(
            QStringLiteral("The run \"%1\" is in use by another run or undo; nothing was restored.").arg(id));
    const RunManifest manifest = readManifest(folder);

    UndoResult result;
    std::unique_ptr<RunJournal> journal;
    for (auto it = manifest.labels.rbegin(); it != manifest.labels.rend(); ++it) {
        const JournalEntry &entry = *it;
        const auto say = [&](const QString &text) { result.lines << entry.path + QStringLiteral(" - ") + text; };
        const auto refuse = [&](const QString &text) {
            say(text);
            ++result.notRestored;
        };
        if (!entry.newSha.isEmpty() && entry.newSha == entry.oldSha) {
            say(QStringLiteral("not changed by the run; nothing to restore"));
            continue;
        }
        const std::optional<QByteArray> kept = keptBytes(folder, entry);
        if (!kept) {
            refuse(QStringLiteral("Error: the journal's copy is damaged or missing; not restored"));
            continue;
        }
        if (!leadsToTarget(entry)) {
            refuse(QStringLiteral("Error: the label's name now leads to another file; not restored"));
            continue;
        }
        const std::optional<QByteArray> current = QFileInfo::exists(entry.target) ? readBytes(entry.target)
                                                                                   : std::optional<QByteArray>();
        if (QFileInfo::exists(entry.target) && !current) {
            refuse(QStringLiteral("Error: the label cannot be read; not restored"));
            continue;
        }
        const QByteArray currentSha = current ? sha256Hex(*current) : QByteArray();
        if (currentSha == entry.oldSha) {
            say(QStringLiteral("as before the run; nothing to restore"));
            continue;
        }
        // A save the run did not get to record counts as the run's own.
        const bool changedSince = !entry.newSha.isEmpty() && currentSha != entry.newSha;
        if (changedSince && !options.force) {
            refuse(QStringLiteral("changed since the run; not restored"));
            continue;
        }
        if (options.dryRun) {
            say(changedSince ? QStringLiteral("changed since the run; would be restored")
                             : QStringLiteral("would be restored"));
            ++result.restored;
            continue;
        }
        if (current) {
            if (!journal) {
                QStringList arguments{id};
                if (options.force)
                    arguments << QStringLiteral("--force");
                journal = std::make_unique<RunJournal>(root, QStringLiteral("undo"), arguments);
            }
            if (const std::optional<QString> reason = journal->keep(entry.target, current)) {
                refuse(QStringLiteral("Error: its bytes now cannot be kept for undo; not restored. ") + *reason);
                continue;
            }
        }
        if (const std::optional<QString> reason = replaceFile(entry.target, *kept, LinkAtTarget::Refuse)) {
            const QString line = QStringLiteral("Error: cannot be restored. ") + *reason;
            if (current)
                journal->saved(line);
            refuse(line);
            continue;
        }
        const QString line = changedSince ? QStringLiteral("changed since the run; restored") : QStringLiteral("restored");
        if (current)
            journal->saved(entry.path + QStringLiteral(" - ") + line);
        say(line);
        ++result.restored;
    }
    if (journal) {
        result.journalId = journal->id();
        journal->finish();
    }
    return result;
}

QString restoredLine(const UndoResult &result)
{
    return QStringLiteral("Restored %1 %2.")
        .arg(result.restored)
        .arg(result.restored == 1 ? QStringLiteral("label") : QStringLiteral("labels"));
}

} // namespace strovex
