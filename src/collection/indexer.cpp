#include "collection/indexer.h"

#include "tools/find_files.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>
#include <set>

namespace strovex {
namespace {

struct FoundFile {
    QString path;
    qint64 size = 0;
    qint64 modified = 0;
    QByteArray sha256; // computed when needed
};

qint64 modifiedOf(const QFileInfo &info)
{
    return info.fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch();
}

} // namespace

QString indexFolderPath(const QString &folder)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}

QByteArray fileSha256(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result().toHex();
}

IndexSummary indexFolders(CollectionStore &store, const QStringList &folders, const LabelReader &reader,
                          const IndexHooks &hooks)
{
    IndexSummary summary;
    QStringList reachable;
    std::vector<FoundFile> pending;      // new or changed: hashed, then moved, restamped or read
    std::map<QString, KnownLabel> known; // every kept label below the reachable folders
    std::set<QString> present;

    for (const QString &given : folders) {
        const QString folder = indexFolderPath(given);
        if (!QFileInfo(folder).isDir()) {
            store.setSeen(folder, false);
            store.folderRefreshed({folder, 0, false});
            summary.unreachable << folder;
            continue;
        }
        reachable << folder;
        for (KnownLabel &label : store.labelsUnder(folder))
            known.emplace(label.path, std::move(label));
        QStringList files;
        FindFiles(QStringLiteral("*.lbl"), folder, true, files);
        for (const QString &path : files) {
            if (!present.insert(path).second)
                continue; // two overlapping folders
            ++summary.found;
            const QFileInfo info(path);
            FoundFile file{path, info.size(), modifiedOf(info), {}};
            const auto kept = known.find(path);
            if (kept != known.end() && kept->second.size == file.size && kept->second.modified == file.modified
                && kept->second.state != LabelState::Failed) {
                ++summary.unchanged;
                continue;
            }
            pending.push_back(std::move(file));
        }
    }

    // Labels kept whose path is gone, by their bytes: where one turns up at a new path it moved.
    std::multimap<QByteArray, QString> goneBySha;
    for (const auto &[path, label] : known) {
        if (!present.count(path) && label.state != LabelState::Failed)
            goneBySha.emplace(label.sha256, path);
    }
    std::set<QString> moved;
    std::vector<FoundFile> toRead;
    for (FoundFile &file : pending) {
        file.sha256 = fileSha256(file.path);
        const auto kept = known.find(file.path);
        if (kept != known.end()) {
            if (!file.sha256.isEmpty() && kept->second.sha256 == file.sha256 && kept->second.state != LabelState::Failed) {
                store.restampLabel(file.path, file.size, file.modified);
                ++summary.touched;
                continue;
            }
        } else if (!file.sha256.isEmpty()) {
            const auto gone = goneBySha.find(file.sha256);
            if (gone != goneBySha.end()) {
                store.moveLabel(gone->second, file.path, file.size, file.modified);
                moved.insert(gone->second);
                goneBySha.erase(gone);
                ++summary.moved;
                continue;
            }
        }
        toRead.push_back(std::move(file));
    }

    summary.toRead = int(toRead.size());
    for (int i = 0; i < summary.toRead; ++i) {
        const FoundFile &file = toRead[std::size_t(i)];
        if (hooks.stopRequested && hooks.stopRequested()) {
            summary.stopped = true;
            return summary;
        }
        if (hooks.labelStarted)
            hooks.labelStarted(i, summary.toRead, file.path);
        LabelReading reading = reader(file.path);
        IndexedLabel label;
        label.path = file.path;
        label.size = file.size;
        label.modified = file.modified;
        label.sha256 = file.sha256;
        label.indexed = QDateTime::currentMSecsSinceEpoch();
        label.state = reading.state;
        label.error = reading.error;
        label.contents = std::move(reading.contents);
        store.putLabel(label);
        ++summary.read;
        if (reading.state == LabelState::Refused)
            ++summary.refused;
        else if (reading.state == LabelState::Failed)
            ++summary.failed;
    }

    for (const auto &[path, label] : known) {
        if (!present.count(path) && !moved.count(path)) {
            store.removeLabel(path);
            ++summary.removed;
        }
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const QString &folder : reachable) {
        store.setSeen(folder, true);
        store.folderRefreshed({folder, now, true});
    }
    return summary;
}

} // namespace strovex
