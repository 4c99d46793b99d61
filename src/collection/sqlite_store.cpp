#include "collection/sqlite_store.h"

#include "tools/find_files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

#include <map>

namespace strovex {
namespace {

// "STRX": marks the file as ours, so another program's database is never taken for an index.
constexpr int kApplicationId = 0x53545258;

// Full-text rows of one label take the rowids label id * kSearchSpan + n, so a
// label's rows are removed by one rowid range, without a scan.
constexpr qint64 kSearchSpan = 1000000;

// Step i brings schema i to schema i + 1.
const char *const kMigrations[] = {
    R"sql(
CREATE TABLE folders(
    path TEXT PRIMARY KEY,
    refreshed INTEGER NOT NULL DEFAULT 0,
    reachable INTEGER NOT NULL DEFAULT 1);
CREATE TABLE labels(
    id INTEGER PRIMARY KEY,
    path TEXT NOT NULL UNIQUE,
    size INTEGER NOT NULL,
    modified INTEGER NOT NULL,
    sha256 TEXT NOT NULL,
    indexed INTEGER NOT NULL,
    state TEXT NOT NULL,
    error TEXT NOT NULL,
    seen INTEGER NOT NULL DEFAULT 1,
    name TEXT, title TEXT, author TEXT, version TEXT, printer TEXT, driver TEXT, printer_port TEXT,
    original_printer TEXT, form_name TEXT, length TEXT, width TEXT, speed TEXT, speed_unit TEXT,
    darkness TEXT, column_offset TEXT, row_offset TEXT, unit TEXT, unit_code INTEGER);
CREATE INDEX labels_sha256 ON labels(sha256);
CREATE TABLE objects(
    label_id INTEGER NOT NULL, seq INTEGER NOT NULL,
    name TEXT, type TEXT, contents TEXT, left_pos TEXT, top_pos TEXT, status TEXT, locked TEXT,
    variable TEXT, additional_info TEXT,
    PRIMARY KEY(label_id, seq)) WITHOUT ROWID;
CREATE TABLE variables(
    label_id INTEGER NOT NULL, seq INTEGER NOT NULL,
    var_id INTEGER, name TEXT, type TEXT, prompt_order INTEGER, default_value TEXT, format TEXT,
    length INTEGER, is_used INTEGER,
    PRIMARY KEY(label_id, seq)) WITHOUT ROWID;
CREATE TABLE databases(
    label_id INTEGER NOT NULL, seq INTEGER NOT NULL,
    name TEXT, description TEXT, driver_type TEXT, output_variables TEXT, input_variables TEXT,
    table_name TEXT, order_field TEXT, sql TEXT, navigation TEXT, connection_string TEXT, is_used INTEGER,
    PRIMARY KEY(label_id, seq)) WITHOUT ROWID;
CREATE TABLE functions(
    label_id INTEGER NOT NULL, seq INTEGER NOT NULL,
    name TEXT, description TEXT, script TEXT, script_sha256 TEXT, type TEXT, output_variables TEXT,
    input_variables TEXT, is_used INTEGER,
    PRIMARY KEY(label_id, seq)) WITHOUT ROWID;
CREATE TABLE fonts(
    label_id INTEGER NOT NULL, seq INTEGER NOT NULL, name TEXT,
    PRIMARY KEY(label_id, seq)) WITHOUT ROWID;
CREATE TABLE files(
    label_id INTEGER NOT NULL, seq INTEGER NOT NULL, path TEXT,
    PRIMARY KEY(label_id, seq)) WITHOUT ROWID;
CREATE VIRTUAL TABLE search_text USING fts5(field UNINDEXED, item UNINDEXED, text, tokenize = 'unicode61');
)sql",
};
constexpr int kMigrationCount = int(sizeof kMigrations / sizeof kMigrations[0]);
static_assert(kMigrationCount == kCollectionSchemaVersion);

const char *const kContentTables[] = {"objects", "variables", "databases", "functions", "fonts", "files"};

QString stateText(LabelState state)
{
    return labelStateName(state);
}

LabelState stateOf(const QString &text)
{
    if (text == u"refused")
        return LabelState::Refused;
    if (text == u"failed")
        return LabelState::Failed;
    return LabelState::Read;
}

// The first path that sorts after every path below `folder` + separator.
QString belowBound(const QString &prefix)
{
    QString bound = prefix;
    bound[bound.size() - 1] = QChar(bound.back().unicode() + 1);
    return bound;
}

QString folderPrefix(const QString &folder)
{
    const QChar separator = QDir::separator();
    return folder.endsWith(separator) ? folder : folder + separator;
}

} // namespace

CollectionError::CollectionError(const QString &message) : std::runtime_error(message.toStdString()), message_(message)
{
}

QString labelStateName(LabelState state)
{
    switch (state) {
    case LabelState::Read: return QStringLiteral("read");
    case LabelState::Refused: return QStringLiteral("refused");
    case LabelState::Failed: return QStringLiteral("failed");
    }
    return {};
}

QString defaultCollectionPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/collection.sqlite");
}

class SqliteStore::Statement {
public:
    Statement(SqliteStore &store, const char *sql) : store_(store)
    {
        if (sqlite3_prepare_v2(store.db_, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            store.fail(QStringLiteral("cannot be read"));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement &bind(int index, qint64 value)
    {
        sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    Statement &bind(int index, int value) { return bind(index, qint64(value)); }
    Statement &bind(int index, bool value) { return bind(index, qint64(value ? 1 : 0)); }

    // True while a row is there; throws on an error.
    bool step()
    {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            store_.fail(QStringLiteral("cannot be read or written"));
        return false;
    }
    void run()
    {
        step();
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }

    QString text(int column) const
    {
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column));
        return QString::fromUtf8(data, sqlite3_column_bytes(stmt_, column));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(stmt_, column); }

private:
    SqliteStore &store_;
    sqlite3_stmt *stmt_ = nullptr;
};

SqliteStore::SqliteStore(const QString &path, Mode mode, int busyWaitMs) : path_(path)
{
    if (mode == Mode::Read && !QFileInfo::exists(path))
        throw CollectionError(QStringLiteral("There is no index \"%1\" yet: run \"strovex-cli index FOLDER\" first, "
                                             "or name another index with --db.")
                                  .arg(path));
    if (mode == Mode::Write && !QFileInfo::exists(path))
        QDir().mkpath(QFileInfo(path).absolutePath());
    const int flags = mode == Mode::Write ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    // A constructor that throws runs no destructor: the handle is closed here then.
    struct CloseOnThrow {
        sqlite3 *&db;
        bool done = false;
        ~CloseOnThrow()
        {
            if (!done) {
                sqlite3_close_v2(db);
                db = nullptr;
            }
        }
    } closeOnThrow{db_};
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, flags, nullptr) != SQLITE_OK)
        fail(QStringLiteral("cannot be opened"));
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyWaitMs);
    writable_ = mode == Mode::Write && sqlite3_db_readonly(db_, "main") == 0;
    if (mode == Mode::Write && !writable_)
        throw CollectionError(QStringLiteral("The index \"%1\" cannot be written: the file is read-only. Questions "
                                             "still read it; to index, make it writable or name another with --db.")
                                  .arg(path));
    checkAndMigrate(mode);
    closeOnThrow.done = true;
}

SqliteStore::~SqliteStore()
{
    sqlite3_close_v2(db_);
}

void SqliteStore::fail(const QString &what) const
{
    const int code = db_ ? sqlite3_extended_errcode(db_) : SQLITE_CANTOPEN;
    const QString reason = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
    if ((code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED)
        throw CollectionError(QStringLiteral("The index \"%1\" is busy: another run is writing it. Try again when "
                                             "it has finished.")
                                  .arg(path_));
    if ((code & 0xff) == SQLITE_READONLY)
        throw CollectionError(QStringLiteral("The index \"%1\" cannot be written (%2). Questions still read it; to "
                                             "index, make it writable or name another with --db.")
                                  .arg(path_, reason));
    if ((code & 0xff) == SQLITE_NOTADB || (code & 0xff) == SQLITE_CORRUPT)
        throw CollectionError(QStringLiteral("The index \"%1\" is damaged or not an index (%2). It was left as it is: "
                                             "move it away or name another with --db, then index again.")
                                  .arg(path_, reason));
    throw CollectionError(QStringLiteral("The index \"%1\" %2 (%3).").arg(path_, what, reason));
}

void SqliteStore::exec(const char *sql)
{
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QStringLiteral("cannot be read or written"));
}

void SqliteStore::checkAndMigrate(Mode mode)
{
    qint64 applicationId = 0;
    qint64 version = 0;
    qint64 tables = 0;
    {
        Statement id(*this, "PRAGMA application_id");
        if (id.step())
            applicationId = id.integer(0);
        Statement user(*this, "PRAGMA user_version");
        if (user.step())
            version = user.integer(0);
        Statement count(*this, "SELECT count(*) FROM sqlite_master");
        if (count.step())
            tables = count.integer(0);
    }
    const bool fresh = applicationId == 0 && version == 0 && tables == 0;
    if (!fresh && applicationId != kApplicationId)
        throw CollectionError(QStringLiteral("\"%1\" is not a Strovex index: it is another program's database. It was "
                                             "left as it is: name another file with --db.")
                                  .arg(path_));
    if (version > kCollectionSchemaVersion)
        throw CollectionError(QStringLiteral("The index \"%1\" was written by a newer Strovex (schema %2; this one "
                                             "knows up to %3). It was left as it is: use that Strovex, or name "
                                             "another index with --db.")
                                  .arg(path_)
                                  .arg(version)
                                  .arg(kCollectionSchemaVersion));
    if (mode == Mode::Read) {
        if (fresh)
            throw CollectionError(QStringLiteral("The index \"%1\" is empty: run \"strovex-cli index FOLDER\" first.")
                                      .arg(path_));
        if (version < kCollectionSchemaVersion)
            throw CollectionError(QStringLiteral("The index \"%1\" has an older schema (%2): run \"strovex-cli index\" "
                                                 "once to bring it up to date.")
                                      .arg(path_)
                                      .arg(version));
        return;
    }
    if (!fresh) {
        Statement check(*this, "PRAGMA quick_check");
        if (!check.step() || check.text(0) != u"ok")
            throw CollectionError(QStringLiteral("The index \"%1\" is damaged (%2). It was left as it is: move it away "
                                                 "or name another with --db, then index again.")
                                      .arg(path_, check.text(0)));
    }
    exec("PRAGMA journal_mode = WAL");
    // A killed process loses nothing committed; a power cut may lose the last
    // labels (read again next run) but never damages the file.
    exec("PRAGMA synchronous = NORMAL");
    if (version == kCollectionSchemaVersion)
        return;
    exec("BEGIN IMMEDIATE");
    try {
        for (qint64 step = version; step < kCollectionSchemaVersion; ++step)
            exec(kMigrations[step]);
        exec(QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = %2")
                 .arg(kApplicationId)
                 .arg(kCollectionSchemaVersion)
                 .toUtf8()
                 .constData());
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::vector<KnownLabel> SqliteStore::labelsUnder(const QString &folder)
{
    const QString prefix = folderPrefix(folder);
    Statement select(*this, "SELECT path, size, modified, sha256, state, seen FROM labels WHERE path >= ?1 AND path < ?2");
    select.bind(1, prefix).bind(2, belowBound(prefix));
    std::vector<KnownLabel> result;
    while (select.step())
        result.push_back({select.text(0), select.integer(1), select.integer(2), select.text(3).toLatin1(),
                          stateOf(select.text(4)), select.integer(5) != 0});
    return result;
}

qint64 SqliteStore::labelId(const QString &path)
{
    Statement select(*this, "SELECT id FROM labels WHERE path = ?1");
    select.bind(1, path);
    return select.step() ? select.integer(0) : 0;
}

void SqliteStore::deleteContents(qint64 id)
{
    for (const char *table : kContentTables) {
        Statement remove(*this, QStringLiteral("DELETE FROM %1 WHERE label_id = ?1").arg(QLatin1String(table)).toUtf8());
        remove.bind(1, id).run();
    }
    Statement search(*this, "DELETE FROM search_text WHERE rowid >= ?1 AND rowid < ?2");
    search.bind(1, id * kSearchSpan).bind(2, (id + 1) * kSearchSpan).run();
}

void SqliteStore::putLabel(const IndexedLabel &label)
{
    exec("BEGIN IMMEDIATE");
    try {
        qint64 id = labelId(label.path);
        const LabelInfoTexts &info = label.contents.info;
        if (id)
            deleteContents(id);
        {
            Statement put(*this, id ? "UPDATE labels SET path=?1, size=?2, modified=?3, sha256=?4, indexed=?5, state=?6, "
                                      "error=?7, seen=?8, name=?9, title=?10, author=?11, version=?12, printer=?13, "
                                      "driver=?14, printer_port=?15, original_printer=?16, form_name=?17, length=?18, "
                                      "width=?19, speed=?20, speed_unit=?21, darkness=?22, column_offset=?23, "
                                      "row_offset=?24, unit=?25, unit_code=?26 WHERE id=?27"
                                    : "INSERT INTO labels(path, size, modified, sha256, indexed, state, error, seen, "
                                      "name, title, author, version, printer, driver, printer_port, original_printer, "
                                      "form_name, length, width, speed, speed_unit, darkness, column_offset, "
                                      "row_offset, unit, unit_code) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, "
                                      "?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23, ?24, ?25, ?26)");
            put.bind(1, label.path).bind(2, label.size).bind(3, label.modified);
            put.bind(4, QString::fromLatin1(label.sha256)).bind(5, label.indexed).bind(6, stateText(label.state));
            put.bind(7, label.error).bind(8, label.seen).bind(9, info.Name).bind(10, info.Title).bind(11, info.Author);
            put.bind(12, info.Version).bind(13, info.Printer).bind(14, info.Driver).bind(15, info.PrinterPort);
            put.bind(16, info.OriginalPrinter).bind(17, info.FormName).bind(18, info.Length).bind(19, info.Width);
            put.bind(20, info.Speed).bind(21, info.SpeedUnit).bind(22, info.Darkness).bind(23, info.ColumnOffset);
            put.bind(24, info.RowOffset).bind(25, info.Unit);
            if (info.UnitCode)
                put.bind(26, *info.UnitCode);
            if (id)
                put.bind(27, id);
            put.run();
            if (!id)
                id = sqlite3_last_insert_rowid(db_);
        }

        const LabelContents &c = label.contents;
        qint64 searchRow = id * kSearchSpan;
        Statement text(*this, "INSERT INTO search_text(rowid, field, item, text) VALUES(?1, ?2, ?3, ?4)");
        const auto searchable = [&](const QString &field, const QString &item, const QString &value) {
            if (value.isEmpty() || searchRow >= (id + 1) * kSearchSpan)
                return;
            text.bind(1, searchRow++).bind(2, field).bind(3, item).bind(4, value).run();
        };
        searchable(QStringLiteral("Title"), {}, info.Title);
        searchable(QStringLiteral("Printer"), {}, info.Printer);

        Statement object(*this, "INSERT INTO objects VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
        int seq = 0;
        for (const TObjectRow &o : c.objects) {
            object.bind(1, id).bind(2, seq++).bind(3, o.Name).bind(4, o.Type).bind(5, o.Contents).bind(6, o.Left);
            object.bind(7, o.Top).bind(8, o.Status).bind(9, o.Locked).bind(10, o.Variable).bind(11, o.AdditionalInfo);
            object.run();
            searchable(QStringLiteral("Object name"), o.Name, o.Name);
            searchable(QStringLiteral("Object contents"), o.Name, o.Contents);
        }
        Statement variable(*this, "INSERT INTO variables VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
        seq = 0;
        for (const TVariableRow &v : c.variables) {
            variable.bind(1, id).bind(2, seq++).bind(3, v.ID).bind(4, v.Name).bind(5, v.Type).bind(6, v.Order);
            variable.bind(7, v.DefaultValue).bind(8, v.Format).bind(9, v.Length).bind(10, v.IsUsed).run();
            searchable(QStringLiteral("Variable name"), v.Name, v.Name);
            searchable(QStringLiteral("Variable default value"), v.Name, v.DefaultValue);
        }
        Statement database(*this, "INSERT INTO databases VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)");
        seq = 0;
        for (const TDatabaseRow &d : c.databases) {
            database.bind(1, id).bind(2, seq++).bind(3, d.Name).bind(4, d.Description).bind(5, d.DriverType);
            database.bind(6, d.OutputVariables).bind(7, d.InputVariables).bind(8, d.TableName).bind(9, d.OrderField);
            database.bind(10, d.SQL).bind(11, d.Navigation).bind(12, d.ConnectionString).bind(13, d.IsUsed).run();
            searchable(QStringLiteral("Database name"), d.Name, d.Name);
            searchable(QStringLiteral("Database table"), d.Name, d.TableName);
            searchable(QStringLiteral("SQL"), d.Name, d.SQL);
            searchable(QStringLiteral("Connection string"), d.Name, d.ConnectionString);
        }
        Statement function(*this, "INSERT INTO functions VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
        seq = 0;
        for (const TFunctionRow &f : c.functions) {
            const QByteArray hash = QCryptographicHash::hash(f.Script.toUtf8(), QCryptographicHash::Sha256).toHex();
            function.bind(1, id).bind(2, seq++).bind(3, f.Name).bind(4, f.Description).bind(5, f.Script);
            function.bind(6, QString::fromLatin1(hash)).bind(7, f.Type).bind(8, f.OutputVariables);
            function.bind(9, f.InputVariables).bind(10, f.IsUsed).run();
            searchable(QStringLiteral("Function name"), f.Name, f.Name);
            searchable(QStringLiteral("Script"), f.Name, f.Script);
        }
        Statement font(*this, "INSERT INTO fonts VALUES(?1, ?2, ?3)");
        seq = 0;
        for (const QString &name : c.fonts) {
            font.bind(1, id).bind(2, seq++).bind(3, name).run();
            searchable(QStringLiteral("Font"), {}, name);
        }
        Statement file(*this, "INSERT INTO files VALUES(?1, ?2, ?3)");
        seq = 0;
        for (const QString &name : c.files) {
            file.bind(1, id).bind(2, seq++).bind(3, name).run();
            searchable(QStringLiteral("Dependent file"), {}, name);
        }
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void SqliteStore::moveLabel(const QString &from, const QString &to, qint64 size, qint64 modified)
{
    Statement move(*this, "UPDATE labels SET path = ?2, size = ?3, modified = ?4, seen = 1 WHERE path = ?1");
    move.bind(1, from).bind(2, to).bind(3, size).bind(4, modified).run();
}

void SqliteStore::restampLabel(const QString &path, qint64 size, qint64 modified)
{
    Statement stamp(*this, "UPDATE labels SET size = ?2, modified = ?3, seen = 1 WHERE path = ?1");
    stamp.bind(1, path).bind(2, size).bind(3, modified).run();
}

void SqliteStore::removeLabel(const QString &path)
{
    exec("BEGIN IMMEDIATE");
    try {
        const qint64 id = labelId(path);
        if (id) {
            deleteContents(id);
            Statement remove(*this, "DELETE FROM labels WHERE id = ?1");
            remove.bind(1, id).run();
        }
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void SqliteStore::setSeen(const QString &folder, bool seen)
{
    const QString prefix = folderPrefix(folder);
    Statement update(*this, "UPDATE labels SET seen = ?3 WHERE path >= ?1 AND path < ?2");
    update.bind(1, prefix).bind(2, belowBound(prefix)).bind(3, seen).run();
}

void SqliteStore::folderRefreshed(const IndexedFolder &folder)
{
    // An unreachable folder keeps the time of its last finished run.
    Statement put(*this, folder.reachable
                             ? "INSERT INTO folders(path, refreshed, reachable) VALUES(?1, ?2, 1) "
                               "ON CONFLICT(path) DO UPDATE SET refreshed = ?2, reachable = 1"
                             : "INSERT INTO folders(path, refreshed, reachable) VALUES(?1, 0, 0) "
                               "ON CONFLICT(path) DO UPDATE SET reachable = 0");
    put.bind(1, folder.path);
    if (folder.reachable)
        put.bind(2, folder.refreshed);
    put.run();
}

std::vector<IndexedFolder> SqliteStore::folders()
{
    Statement select(*this, "SELECT path, refreshed, reachable FROM folders ORDER BY path");
    std::vector<IndexedFolder> result;
    while (select.step())
        result.push_back({select.text(0), select.integer(1), select.integer(2) != 0});
    return result;
}

std::vector<IndexedLabel> SqliteStore::labels(const QStringList &folders)
{
    std::map<qint64, IndexedLabel> byId;
    Statement select(*this, "SELECT id, path, size, modified, sha256, indexed, state, error, seen, name, title, author, "
                            "version, printer, driver, printer_port, original_printer, form_name, length, width, speed, "
                            "speed_unit, darkness, column_offset, row_offset, unit, unit_code IS NULL, unit_code "
                            "FROM labels");
    while (select.step()) {
        IndexedLabel label;
        label.path = select.text(1);
        if (!folders.isEmpty()
            && std::none_of(folders.begin(), folders.end(),
                            [&](const QString &f) { return label.path.startsWith(folderPrefix(f)); }))
            continue;
        label.size = select.integer(2);
        label.modified = select.integer(3);
        label.sha256 = select.text(4).toLatin1();
        label.indexed = select.integer(5);
        label.state = stateOf(select.text(6));
        label.error = select.text(7);
        label.seen = select.integer(8) != 0;
        LabelInfoTexts &i = label.contents.info;
        QString *fields[] = {&i.Name, &i.Title, &i.Author, &i.Version, &i.Printer, &i.Driver, &i.PrinterPort,
                             &i.OriginalPrinter, &i.FormName, &i.Length, &i.Width, &i.Speed, &i.SpeedUnit,
                             &i.Darkness, &i.ColumnOffset, &i.RowOffset, &i.Unit};
        int column = 9;
        for (QString *field : fields)
            *field = select.text(column++);
        if (select.integer(column++) == 0)
            i.UnitCode = int(select.integer(column));
        byId.emplace(select.integer(0), std::move(label));
    }
    const auto each = [&](const char *sql, const auto &fill) {
        Statement rows(*this, sql);
        while (rows.step()) {
            const auto found = byId.find(rows.integer(0));
            if (found != byId.end())
                fill(found->second.contents, rows);
        }
    };
    each("SELECT label_id, name, type, contents, left_pos, top_pos, status, locked, variable, additional_info "
         "FROM objects ORDER BY label_id, seq",
         [](LabelContents &c, const Statement &r) {
             c.objects.push_back({r.text(1), r.text(2), r.text(3), r.text(4), r.text(5), r.text(6), r.text(7),
                                  r.text(8), r.text(9)});
         });
    each("SELECT label_id, var_id, name, type, prompt_order, default_value, format, length, is_used "
         "FROM variables ORDER BY label_id, seq",
         [](LabelContents &c, const Statement &r) {
             c.variables.push_back({int(r.integer(1)), r.text(2), r.text(3), int(r.integer(4)), r.text(5), r.text(6),
                                    int(r.integer(7)), r.integer(8) != 0});
         });
    each("SELECT label_id, name, description, driver_type, output_variables, input_variables, table_name, "
         "order_field, sql, navigation, connection_string, is_used FROM databases ORDER BY label_id, seq",
         [](LabelContents &c, const Statement &r) {
             c.databases.push_back({r.text(1), r.text(2), r.text(3), r.text(4), r.text(5), r.text(6), r.text(7),
                                    r.text(8), r.text(9), r.text(10), r.integer(11) != 0});
         });
    each("SELECT label_id, name, description, script, type, output_variables, input_variables, is_used "
         "FROM functions ORDER BY label_id, seq",
         [](LabelContents &c, const Statement &r) {
             c.functions.push_back(
                 {r.text(1), r.text(2), r.text(3), r.text(4), r.text(5), r.text(6), r.integer(7) != 0});
         });
    each("SELECT label_id, name FROM fonts ORDER BY label_id, seq",
         [](LabelContents &c, const Statement &r) { c.fonts << r.text(1); });
    each("SELECT label_id, path FROM files ORDER BY label_id, seq",
         [](LabelContents &c, const Statement &r) { c.files << r.text(1); });

    std::vector<IndexedLabel> result;
    result.reserve(byId.size());
    for (auto &[id, label] : byId)
        result.push_back(std::move(label));
    std::sort(result.begin(), result.end(),
              [](const IndexedLabel &a, const IndexedLabel &b) { return compareNamesNaturally(a.path, b.path) < 0; });
    return result;
}

std::vector<UseRow> SqliteStore::uses(UseKind kind)
{
    std::vector<UseRow> result;
    const auto collect = [&](const char *sql, int valueColumns) {
        Statement rows(*this, sql);
        while (rows.step()) {
            UseRow row{rows.text(0), rows.text(1), {}};
            for (int column = 0; column < valueColumns; ++column)
                row.values << rows.text(2 + column);
            result.push_back(std::move(row));
        }
    };
    switch (kind) {
    case UseKind::Printer:
        collect("SELECT path, '', printer FROM labels WHERE state = 'read'", 1);
        break;
    case UseKind::Font: {
        // The label's fonts, and each text, paragraph or barcode object with the
        // font its additional information starts with.
        collect("SELECT l.path, '', f.name FROM fonts f JOIN labels l ON l.id = f.label_id", 1);
        std::map<QString, QStringList> fontsOf;
        for (const UseRow &row : result)
            fontsOf[row.path] << row.values;
        Statement objects(*this, "SELECT l.path, o.name, o.type, o.additional_info FROM objects o "
                                 "JOIN labels l ON l.id = o.label_id WHERE o.type IN ('Text', 'Paragraph', 'Barcode')");
        while (objects.step()) {
            const QString path = objects.text(0);
            const QString type = objects.text(2);
            const QString info = objects.text(3);
            if (type == u"Barcode") {
                if (!info.isEmpty())
                    result.push_back({path, objects.text(1), {info}});
                continue;
            }
            const QString separator = type == u"Text" ? QStringLiteral("; ") : QStringLiteral(", ");
            QString best;
            for (const QString &font : fontsOf[path]) {
                if (info.startsWith(font + separator, Qt::CaseInsensitive) && font.size() > best.size())
                    best = font;
            }
            if (!best.isEmpty())
                result.push_back({path, objects.text(1), {best}});
        }
        break;
    }
    case UseKind::Variable:
        collect("SELECT l.path, v.name, v.name FROM variables v JOIN labels l ON l.id = v.label_id", 1);
        break;
    case UseKind::Picture:
        collect("SELECT l.path, o.name, o.contents FROM objects o JOIN labels l ON l.id = o.label_id "
                "WHERE o.type = 'Graphics'",
                1);
        break;
    case UseKind::Database:
        collect("SELECT l.path, d.name, d.name, d.table_name, d.connection_string FROM databases d "
                "JOIN labels l ON l.id = d.label_id",
                3);
        break;
    case UseKind::Function:
        collect("SELECT l.path, f.name, f.name FROM functions f JOIN labels l ON l.id = f.label_id", 1);
        break;
    case UseKind::DependentFile:
        collect("SELECT l.path, '', f.path FROM files f JOIN labels l ON l.id = f.label_id", 1);
        break;
    }
    return result;
}

std::vector<SearchHit> SqliteStore::search(const QStringList &terms, int limit)
{
    QStringList phrases;
    for (const QString &term : terms) {
        if (term.trimmed().isEmpty())
            continue;
        QString quoted = term;
        quoted.replace(u'"', QStringLiteral("\"\""));
        phrases << QStringLiteral("\"%1\"*").arg(quoted);
    }
    std::vector<SearchHit> result;
    if (phrases.isEmpty())
        return result;
    Statement select(*this, "SELECT l.path, s.field, s.item, snippet(search_text, 2, '[', ']', '...', 12) "
                            "FROM search_text s JOIN labels l ON l.id = s.rowid / 1000000 "
                            "WHERE search_text MATCH ?1 ORDER BY s.rank, l.path LIMIT ?2");
    select.bind(1, phrases.join(u' ')).bind(2, limit);
    while (select.step())
        result.push_back({select.text(0), select.text(1), select.text(2), select.text(3)});
    return result;
}

} // namespace strovex
