#pragma once
// The collection index: what is kept of every label below the indexed
// folders, behind a small interface so that another database (a server shared
// by several PCs) can take SQLite's place. Questions read only the store;
// indexing (collection/indexer.h) is the only part that calls the designer.

#include "inspect/label_contents.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>
#include <vector>

namespace strovex {

// The index cannot be opened, read or written. message() names the file and
// says what to do; the file is left as it was.
class CollectionError : public std::runtime_error {
public:
    explicit CollectionError(const QString &message);
    const QString &message() const { return message_; }

private:
    QString message_;
};

// How a label's last reading went.
enum class LabelState {
    Read,    // the designer opened it and every part was read
    Refused, // the designer would not open it (its text in `error`); kept until the file changes
    Failed,  // a designer call failed part-way (its text in `error`); read again on the next run
};
QString labelStateName(LabelState state); // "read", "refused", "failed"

// One label as the index keeps it. Times are milliseconds since the epoch (UTC).
struct IndexedLabel {
    QString path; // absolute, with the platform's separators
    qint64 size = 0;
    qint64 modified = 0;
    QByteArray sha256; // of the file's bytes, lower-case hex
    qint64 indexed = 0;
    LabelState state = LabelState::Read;
    QString error;
    bool seen = true; // false: its folder was not reachable on the last run
    LabelContents contents;
};

// What an incremental run needs to know of a label without its contents.
struct KnownLabel {
    QString path;
    qint64 size = 0;
    qint64 modified = 0;
    QByteArray sha256;
    LabelState state = LabelState::Read;
    bool seen = true;
};

// A folder given to `index`, and when a run over it last finished.
struct IndexedFolder {
    QString path;
    qint64 refreshed = 0; // 0: never finished
    bool reachable = true;
};

// What where-used matches: one row per item of one kind.
enum class UseKind { Printer, Font, Variable, Picture, Database, Function, DependentFile };
struct UseRow {
    QString path;  // the label
    QString item;  // the object, variable, database, ... that uses it; empty for the label itself
    QStringList values; // what may match (a database: name, table and connection string)
};

// One full-text hit.
struct SearchHit {
    QString path;
    QString field; // "Variable default value", "Script", ...
    QString item;  // the object, variable, ... the text belongs to; empty for the label itself
    QString text;  // the field's text around the match, matches in [ ]
};

class CollectionStore {
public:
    virtual ~CollectionStore() = default;

    // The file or server the store keeps its data in, for messages.
    virtual QString location() const = 0;
    // False when the store may only be read.
    virtual bool writable() const = 0;

    // Every label whose path lies below `folder` (a folder path as given to putLabel's labels).
    virtual std::vector<KnownLabel> labelsUnder(const QString &folder) = 0;
    // Adds or replaces one label with everything it holds, atomically.
    virtual void putLabel(const IndexedLabel &label) = 0;
    // Gives a kept label a new path and file stamp, its contents unchanged.
    virtual void moveLabel(const QString &from, const QString &to, qint64 size, qint64 modified) = 0;
    // A label whose bytes are unchanged under a new stamp (touched): only the stamp changes.
    virtual void restampLabel(const QString &path, qint64 size, qint64 modified) = 0;
    virtual void removeLabel(const QString &path) = 0;
    virtual void setSeen(const QString &folder, bool seen) = 0; // every label below `folder`
    virtual void folderRefreshed(const IndexedFolder &folder) = 0;

    virtual std::vector<IndexedFolder> folders() = 0;
    // Labels below any of `folders` (all labels when empty), contents included, sorted by path.
    virtual std::vector<IndexedLabel> labels(const QStringList &folders = {}) = 0;
    virtual std::vector<UseRow> uses(UseKind kind) = 0;
    // Full text over names, contents, default values, SQL and scripts; best first.
    // `terms` are words; each matches a word that starts with it.
    virtual std::vector<SearchHit> search(const QStringList &terms, int limit) = 0;
};

} // namespace strovex
