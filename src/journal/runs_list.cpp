#include "journal/runs_list.h"

#include "journal/run_journal.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace strovex {
namespace {

qint64 folderSize(const QString &folder)
{
    qint64 size = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    while (it.hasNext()) {
        it.next();
        size += it.fileInfo().size();
    }
    return size;
}

} // namespace

std::vector<RunSummary> listRuns(const QString &root)
{
    std::vector<RunSummary> runs;
    if (QFileInfo(root).isSymLink())
        return runs;
    const QFileInfoList folders =
        QDir(root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden, QDir::Name);
    for (const QFileInfo &info : folders) {
        if (!isRunId(info.fileName()))
            continue;
        RunSummary run;
        run.id = info.fileName();
        run.bytes = folderSize(info.filePath());
        try {
            const RunManifest manifest = readManifest(info.filePath());
            run.time = manifest.time;
            run.command = manifest.command;
            run.arguments = manifest.arguments;
            run.labels = manifest.labelsChanged();
            run.finished = manifest.finished;
        } catch (const JournalError &e) {
            run.time = info.lastModified().toUTC();
            run.problem = e.message();
        }
        runs.push_back(run);
    }
    std::stable_sort(runs.begin(), runs.end(), [](const RunSummary &a, const RunSummary &b) { return a.time < b.time; });
    return runs;
}

PruneResult pruneRuns(const QString &root, int days, const QDateTime &now)
{
    PruneResult result;
    const QDateTime limit = now.addDays(-days);
    for (const RunSummary &run : listRuns(root)) {
        if (run.time >= limit)
            continue;
        const QString folder = root + QLatin1Char('/') + run.id;
        {
            const std::unique_ptr<QLockFile> lock = lockRun(folder);
            if (!lock) {
                result.inUse << run.id;
                continue;
            }
        }
        // removeRecursively removes links, never what they lead to.
        if (QDir(folder).removeRecursively()) {
            ++result.removed;
            result.bytes += run.bytes;
        }
    }
    return result;
}

QString sizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 bytes").arg(bytes);
    const char *units[] = {"KB", "MB", "GB", "TB"};
    double value = double(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

} // namespace strovex
