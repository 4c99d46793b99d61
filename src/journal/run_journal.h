#pragma once
// The journal of the changing batch runs: before the designer saves a label,
// the label file's bytes are copied, as they are, into the run's folder; after
// the save the new file's SHA-256 is recorded. Nothing here reads a label.
//
// A run's folder is <data>/runs/<id>/ with manifest.json, one "<n>.bytes"
// file per label kept, and a lock file while a run or an undo holds it.
// While the run works, each label kept also has a record "<n>.json" and,
// once its save is recorded, "<n>.saved.json", each written whole under its
// own name, so a run that is killed leaves everything undo needs; the run's
// end writes them into manifest.json and removes them.

#include <QByteArray>
#include <QDateTime>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace strovex {

// A journal that cannot be made or read, or a run that cannot be touched now.
class JournalError : public std::runtime_error {
public:
    explicit JournalError(const QString &message);
    const QString &message() const { return message_; }

private:
    QString message_;
};

// Where Strovex keeps its own data (journals; the collection index beside
// them): STROVEX_DATA_DIR when set (tests), else the user's data folder, the
// same for the app and the command line.
QString dataFolder();
// The folder holding one folder per run: <data>/runs.
QString journalFolder(const QString &data = dataFolder());

// Hex SHA-256 of the bytes.
QByteArray sha256Hex(const QByteArray &bytes);

// One label of a run.
struct JournalEntry {
    QString path;       // as the run named it
    QString target;     // the file the name led to at the run (links resolved)
    QString bytesFile;  // the kept copy, relative to the run's folder
    qint64 size = 0;    // bytes kept
    QByteArray oldSha;  // of the kept bytes
    QByteArray newSha;  // after the save; empty when the run ended before it was recorded
    QString outcome;    // the report line that told how the save went
};

struct RunManifest {
    QString id;
    QDateTime time; // UTC
    QString command;
    QStringList arguments;
    QString user;
    bool finished = false;
    std::vector<JournalEntry> labels;

    // Labels whose bytes the run changed (or may have: the save not recorded).
    int labelsChanged() const;
};

// Whether `id` can name a run: letters, digits, '-', '_' and '.', no "..".
bool isRunId(const QString &id);

// The folder of run `id` under `root`. Throws JournalError when the id is not
// a run id, when the runs folder or the run's folder is a symbolic link, or
// when there is no such run.
QString runFolder(const QString &root, const QString &id);

// The run's manifest, with the records of a run that did not finish; throws
// JournalError when it is missing or damaged.
RunManifest readManifest(const QString &folder);

// A run's journal while it is written. The constructor makes the run's
// folder and holds its lock until destruction; throws JournalError when it
// cannot. Each step costs the same however long the run.
class RunJournal {
public:
    RunJournal(const QString &root, const QString &command, const QStringList &arguments);
    ~RunJournal();
    RunJournal(const RunJournal &) = delete;
    RunJournal &operator=(const RunJournal &) = delete;

    const QString &id() const { return manifest_.id; }
    const QString &folder() const { return folder_; }
    const RunManifest &manifest() const { return manifest_; }

    // Copies the bytes of `path` into the journal and records them before the
    // designer saves. Nothing on success; else why not, and the label must
    // then not be saved. `bytes`, when given, are kept instead of reading the
    // file (the file's bytes at this moment).
    std::optional<QString> keep(const QString &path, const std::optional<QByteArray> &bytes = std::nullopt);
    // After the save of the label kept last: records the file's SHA-256 now
    // and the report line that tells how the save went.
    void saved(const QString &outcome);
    // Marks the run finished; a run that kept nothing leaves no folder.
    void finish();

private:
    void writeManifest();

    QString folder_;
    RunManifest manifest_;
    std::unique_ptr<QLockFile> lock_;
    bool finished_ = false;
    int attempts_ = 0;
};

// Takes the lock of a run's folder without waiting; nothing when another run
// or undo holds it.
std::unique_ptr<QLockFile> lockRun(const QString &folder);

} // namespace strovex
