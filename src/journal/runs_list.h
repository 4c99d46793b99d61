#pragma once
// The runs in the journal, the space they take, and removing old ones.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace strovex {

struct RunSummary {
    QString id;
    QDateTime time; // UTC; for a damaged manifest, the folder's modification time
    QString command;
    QStringList arguments;
    int labels = 0;       // labels the run changed
    qint64 bytes = 0;     // space the run's folder takes
    bool finished = false;
    QString problem;      // why the manifest cannot be read; empty when it can
};

// Every run folder under `root`, oldest first; folders that are symbolic
// links are not runs and are skipped. Nothing when there is no journal yet.
std::vector<RunSummary> listRuns(const QString &root);

struct PruneResult {
    int removed = 0;
    qint64 bytes = 0;      // space freed
    QStringList inUse;     // runs older than the limit that a run or undo holds, left
};

// Removes the runs older than `days` days before `now`.
PruneResult pruneRuns(const QString &root, int days, const QDateTime &now);

// "512 bytes", "1.5 KB", "12.0 MB", "1.2 GB" (1 KB = 1024 bytes).
QString sizeText(qint64 bytes);

} // namespace strovex
