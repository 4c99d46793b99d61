// The SQLite store: what goes in comes out, and a file that is not a sound
// index of ours is refused by name and left as it was.

#include "collection_fixture.h"

#include "support/child_process.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace strovex;
using namespace strovex::test;

namespace {

IndexedLabel fullLabel(const QString &path)
{
    IndexedLabel label = indexedLabel(path);
    LabelContents &c = label.contents;
    c.info.Title = QStringLiteral("Shipping \"SSCC\"");
    c.info.Printer = QStringLiteral("TT-4203 Dock 1");
    c.info.Unit = QStringLiteral("cm");
    c.info.UnitCode = 0;
    c.objects = {object(QStringLiteral("Logo"), QStringLiteral("Graphics"), QStringLiteral("P:\\Art\\logo.bmp"),
                        QStringLiteral("P:\\Art\\logo.bmp")),
                 object(QStringLiteral("Supplier"), QStringLiteral("Text"), QStringLiteral("ACME"),
                        QStringLiteral("Arial; 12 pt"))};
    c.variables = {variable(QStringLiteral("Supplier"), 1, QStringLiteral("ACME Ltd"), 20),
                   variable(QStringLiteral("Line\nBreak"))};
    TDatabaseRow database;
    database.Name = QStringLiteral("Stock");
    database.TableName = QStringLiteral("Items");
    database.SQL = QStringLiteral("SELECT * FROM Items");
    database.ConnectionString = QStringLiteral("DSN=warehouse");
    c.databases = {database};
    TFunctionRow function;
    function.Name = QStringLiteral("CheckDigit");
    function.Type = QStringLiteral("Visual Basic Script");
    function.Script = QStringLiteral("Result = Mod10(Code)");
    c.functions = {function};
    c.fonts = {QStringLiteral("Arial")};
    c.files = {QStringLiteral("P:\\Art\\logo.bmp")};
    return label;
}

} // namespace

TEST(CollectionStore, KeepsEveryPartOfALabelAndFindsItAgain)
{
    TempDir dir;
    // Quotes, a comma and a line break in the path must come back as they went in.
    const QString path = dir.file(QStringLiteral("odd \"name\",\nwith break.lbl"));
    const IndexedLabel label = fullLabel(path);
    {
        SqliteStore store(dir.file(QStringLiteral("index.sqlite")), SqliteStore::Mode::Write);
        store.putLabel(label);
        store.putLabel(label); // replacing leaves one copy
    }
    SqliteStore store(dir.file(QStringLiteral("index.sqlite")), SqliteStore::Mode::Read);
    const std::vector<IndexedLabel> labels = store.labels();
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].path, path);
    EXPECT_EQ(labels[0].sha256, label.sha256);
    EXPECT_EQ(labels[0].contents, label.contents);

    const std::vector<KnownLabel> below = store.labelsUnder(dir.path());
    ASSERT_EQ(below.size(), 1u);
    EXPECT_TRUE(store.labelsUnder(dir.path() + QStringLiteral("x")).empty());

    const std::vector<SearchHit> hits = store.search({QStringLiteral("mod10")}, 10);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].field, QStringLiteral("Script"));
    EXPECT_EQ(hits[0].item, QStringLiteral("CheckDigit"));
    EXPECT_EQ(hits[0].text, QStringLiteral("Result = [Mod10](Code)"));
    // Words start matches; a quote in the text searched for is no syntax.
    EXPECT_EQ(store.search({QStringLiteral("ware")}, 10).size(), 1u);
    EXPECT_TRUE(store.search({QStringLiteral("\"")}, 10).empty());
}

TEST(CollectionStore, RemovingALabelRemovesItsRowsAndSearchText)
{
    TempDir dir;
    SqliteStore store(dir.file(QStringLiteral("index.sqlite")), SqliteStore::Mode::Write);
    store.putLabel(fullLabel(dir.file(QStringLiteral("a.lbl"))));
    store.putLabel(fullLabel(dir.file(QStringLiteral("b.lbl"))));
    store.removeLabel(dir.file(QStringLiteral("a.lbl")));
    EXPECT_EQ(store.labels().size(), 1u);
    EXPECT_EQ(store.search({QStringLiteral("ACME")}, 10).size(), 2u); // b's default value and contents
    EXPECT_EQ(store.uses(UseKind::Variable).size(), 2u);
}

namespace {

QByteArray sqliteFile(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return readAll(path);
}

} // namespace

// Each bad file is refused with a message that names it, in both modes, and
// keeps every byte.
TEST(CollectionStore, RefusesAFileThatIsNotASoundIndexOfOurs)
{
    TempDir dir;
    const QString good = dir.file(QStringLiteral("good.sqlite"));
    {
        SqliteStore store(good, SqliteStore::Mode::Write);
        for (int i = 0; i < 50; ++i)
            store.putLabel(fullLabel(dir.file(QStringLiteral("label%1.lbl").arg(i))));
    }
    const QByteArray goodBytes = readAll(good);

    struct Case {
        const char *name;
        QByteArray bytes;
        const char *says;
    };
    const Case cases[] = {
        {"text", "This is a note, not a database.\n", "is damaged or not an index"},
        {"truncated", goodBytes.left(goodBytes.size() / 3), "damaged"},
        {"foreign", sqliteFile(dir.file(QStringLiteral("f.sqlite")), "CREATE TABLE accounts(id, owner)"),
         "is not a Strovex index"},
        {"newer", sqliteFile(dir.file(QStringLiteral("n.sqlite")),
                             "PRAGMA application_id = 1398035032; PRAGMA user_version = 99; CREATE TABLE x(y)"),
         "was written by a newer Strovex (schema 99"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.write(QStringLiteral("%1.sqlite").arg(QLatin1String(c.name)), c.bytes);
        for (const auto mode : {SqliteStore::Mode::Read, SqliteStore::Mode::Write}) {
            try {
                SqliteStore store(path, mode);
                store.labels();
                ADD_FAILURE() << "accepted";
            } catch (const CollectionError &e) {
                EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
                EXPECT_TRUE(e.message().contains(QLatin1String(c.says))) << e.message().toStdString();
            }
            EXPECT_EQ(readAll(path), c.bytes);
        }
    }
}

TEST(CollectionStore, AReadOnlyIndexAnswersQuestionsButRefusesToIndex)
{
    if (rerunAsUnprivilegedUser())
        return;
    TempDir dir;
    const QString path = dir.file(QStringLiteral("index.sqlite"));
    {
        SqliteStore store(path, SqliteStore::Mode::Write);
        store.putLabel(fullLabel(dir.file(QStringLiteral("a.lbl"))));
    }
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    SqliteStore reader(path, SqliteStore::Mode::Read);
    EXPECT_EQ(reader.labels().size(), 1u);
    try {
        SqliteStore writer(path, SqliteStore::Mode::Write);
        ADD_FAILURE() << "a read-only index was opened for writing";
    } catch (const CollectionError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("The index \"%1\" cannot be written").arg(path)))
            << e.message().toStdString();
    }
}

TEST(CollectionStore, ASecondWriterSaysTheIndexIsBusyAndChangesNothing)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("index.sqlite"));
    SqliteStore first(path, SqliteStore::Mode::Write);
    first.putLabel(fullLabel(dir.file(QStringLiteral("a.lbl"))));
    SqliteStore second(path, SqliteStore::Mode::Write, 50);

    sqlite3 *holder = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        second.putLabel(fullLabel(dir.file(QStringLiteral("b.lbl"))));
        ADD_FAILURE() << "wrote past another writer";
    } catch (const CollectionError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("is busy"))) << e.message().toStdString();
    }
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    second.putLabel(fullLabel(dir.file(QStringLiteral("b.lbl"))));
    EXPECT_EQ(first.labels().size(), 2u);
}

TEST(CollectionStore, QuestionsNeedAnIndexThatExists)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("none.sqlite"));
    EXPECT_THROW(SqliteStore(path, SqliteStore::Mode::Read), CollectionError);
    EXPECT_FALSE(QFile::exists(path));
}
