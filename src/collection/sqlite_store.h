#pragma once
// The collection's store in one SQLite file: one database per user by default.
// A file that is damaged, not SQLite, another program's database or of a newer
// schema is refused with a CollectionError naming it, and never written.

#include "collection/collection_store.h"

#include <memory>

struct sqlite3;

namespace strovex {

// The schema this build writes (PRAGMA user_version). Older files are migrated
// step by step when opened for writing.
constexpr int kCollectionSchemaVersion = 1;

// QStandardPaths::AppDataLocation + "/collection.sqlite".
QString defaultCollectionPath();

class SqliteStore : public CollectionStore {
public:
    enum class Mode {
        Read,  // questions: the file must exist; a read-only file serves
        Write, // indexing: created when missing; throws when it cannot be written
    };
    // Throws CollectionError when the file cannot serve in `mode`. A second
    // writer waits up to `busyWaitMs` for a label's transaction of the first.
    SqliteStore(const QString &path, Mode mode, int busyWaitMs = 5000);
    ~SqliteStore() override;
    SqliteStore(const SqliteStore &) = delete;
    SqliteStore &operator=(const SqliteStore &) = delete;

    QString location() const override { return path_; }
    bool writable() const override { return writable_; }

    std::vector<KnownLabel> labelsUnder(const QString &folder) override;
    void putLabel(const IndexedLabel &label) override;
    void moveLabel(const QString &from, const QString &to, qint64 size, qint64 modified) override;
    void restampLabel(const QString &path, qint64 size, qint64 modified) override;
    void removeLabel(const QString &path) override;
    void setSeen(const QString &folder, bool seen) override;
    void folderRefreshed(const IndexedFolder &folder) override;
    std::vector<IndexedFolder> folders() override;
    std::vector<IndexedLabel> labels(const QStringList &folders = {}) override;
    std::vector<UseRow> uses(UseKind kind) override;
    std::vector<SearchHit> search(const QStringList &terms, int limit) override;

private:
    class Statement;
    void exec(const char *sql);
    [[noreturn]] void fail(const QString &what) const;
    void checkAndMigrate(Mode mode);
    void deleteContents(qint64 labelId);
    qint64 labelId(const QString &path);

    QString path_;
    sqlite3 *db_ = nullptr;
    bool writable_ = false;
};

} // namespace strovex
