#include "memory_store.h"

#include "platform/settings_store_file.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace strovex;
using namespace strovex::test;

namespace {

const std::u16string kKey = u"Software\\Orvandel\\Strovexia\\2.0\\MainFormSettings";

class FileStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    QString path = dir.file(QStringLiteral("Strovex/settings.json"));

    QJsonObject fileContents() const { return QJsonDocument::fromJson(readAll(path)).object(); }
};

TEST_F(FileStoreTest, EveryTypeComesBackFromTheFileWithItsType)
{
    const std::vector<std::pair<std::u16string, StoredValue>> values{
        {u"Number", dword(0xFFFFF95C)},
        {u"Bytes", binary({0, 0, 0, 0, 0, 0, 0xF8, 0x3F})},
        {u"NoBytes", binary({})},
        {u"Text", text(u"Grüße \"x\"\n")},
        {u"Expand", text(u"%HOME%\\y", StoredKind::ExpandString)},
        {u"Empty", text(u"")},
    };
    {
        FileSettingsStore store(path);
        auto key = store.openKey(kKey, true);
        ASSERT_TRUE(key);
        for (const auto &[name, value] : values)
            key->write(name, value);
    }
    FileSettingsStore reopened(path);
    auto key = reopened.openKey(kKey, false);
    ASSERT_TRUE(key);
    for (const auto &[name, value] : values)
        EXPECT_EQ(key->read(name), value);
    EXPECT_EQ(key->read(u"Missing"), std::nullopt);

    // Readable by a person: the type is spelled out beside the data.
    const QJsonObject number = fileContents().value(QString::fromStdU16String(kKey)).toObject().value(QStringLiteral("Number")).toObject();
    EXPECT_EQ(number.value(QStringLiteral("type")).toString(), QStringLiteral("dword"));
    EXPECT_EQ(number.value(QStringLiteral("data")).toDouble(), 4294965596.0);
}

TEST_F(FileStoreTest, KeysAndNamesMatchWithoutRegardToLetterCase)
{
    FileSettingsStore store(path);
    store.openKey(u"Software\\Mixed", true)->write(u"Width", dword(5));
    auto key = store.openKey(u"SOFTWARE\\mixed", false);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->read(u"width"), dword(5));
    key->write(u"WIDTH", dword(6));
    EXPECT_EQ(fileContents().keys(), QStringList{QStringLiteral("Software\\Mixed")});
    EXPECT_EQ(FileSettingsStore(path).openKey(u"Software\\Mixed", false)->read(u"Width"), dword(6));
}

TEST_F(FileStoreTest, OpeningCreatesOnlyWhenAsked)
{
    FileSettingsStore store(path);
    EXPECT_FALSE(store.openKey(kKey, false));
    EXPECT_FALSE(QFile::exists(path)) << "reading creates no file";
    EXPECT_TRUE(store.openKey(kKey, true));
    EXPECT_TRUE(fileContents().contains(QString::fromStdU16String(kKey))) << "a created key is there at once";
    EXPECT_TRUE(store.openKey(kKey, false));
}

// Two copies of the program each opened the key at start; each change merges
// into the file as it is now, so nothing of the other copy's is lost and the
// last writer of a value wins.
TEST_F(FileStoreTest, TwoCopiesMergeAndTheLastWriterWins)
{
    FileSettingsStore first(path);
    FileSettingsStore second(path);
    first.openKey(u"Software\\Other", true)->write(u"Keep", text(u"other program"));
    auto firstKey = first.openKey(kKey, true);
    auto secondKey = second.openKey(kKey, true);
    secondKey->write(u"Width", dword(700));
    secondKey->write(u"Extra", dword(1));
    firstKey->write(u"Width", dword(800));

    FileSettingsStore reader(path);
    auto key = reader.openKey(kKey, false);
    EXPECT_EQ(key->read(u"Width"), dword(800));
    EXPECT_EQ(key->read(u"Extra"), dword(1));
    EXPECT_EQ(reader.openKey(u"Software\\Other", false)->read(u"Keep"), text(u"other program"));
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".lock"))) << "the lock is given back";
}

TEST_F(FileStoreTest, StoredEntriesThatDoNotFitTheirTypeAreInvalid)
{
    dir.write(QStringLiteral("Strovex/settings.json"), R"({"K": {
        "A": {"type": "dword", "data": "12"},
        "B": {"type": "dword", "data": 1.5},
        "C": {"type": "dword", "data": 4294967296},
        "D": {"type": "binary", "data": "abc"},
        "E": {"type": "binary", "data": "zz"},
        "F": {"type": "string", "data": 3},
        "G": {"type": "multi-string", "data": "x"},
        "H": 5,
        "Neg": {"type": "dword", "data": -1700}
    }})");
    FileSettingsStore store(path);
    auto key = store.openKey(u"K", false);
    ASSERT_TRUE(key);
    for (const char16_t *name : {u"A", u"B", u"C", u"D", u"E", u"F", u"G", u"H"}) {
        const std::u16string n = name;
        try {
            key->read(n);
            ADD_FAILURE() << "read " << std::string(n.begin(), n.end());
        } catch (const SettingsError &e) {
            EXPECT_EQ(std::string(e.what()), "Invalid data type for '" + std::string(n.begin(), n.end()) + "'");
        }
    }
    EXPECT_EQ(key->read(u"Neg"), dword(std::uint32_t(-1700))) << "a negative number typed by hand";
}

TEST_F(FileStoreTest, ABrokenFileReadsAsEmptyAndIsKeptAsideWhenReplaced)
{
    dir.write(QStringLiteral("Strovex/settings.json"), "{ \"K\": { half");
    FileSettingsStore store(path);
    EXPECT_FALSE(store.openKey(u"K", false));
    auto key = store.openKey(kKey, true);
    ASSERT_TRUE(key);
    key->write(u"Width", dword(1));
    EXPECT_EQ(readAll(path + QStringLiteral(".corrupt")), QByteArray("{ \"K\": { half"));
    EXPECT_EQ(FileSettingsStore(path).openKey(kKey, false)->read(u"Width"), dword(1));
}

TEST_F(FileStoreTest, AFileThatCannotBeWrittenFailsInTheStoresWords)
{
    // The folder the file should go in is a file: nothing can be created there.
    dir.write(QStringLiteral("blocked"), "not a folder");
    FileSettingsStore blocked(dir.file(QStringLiteral("blocked/settings.json")));
    EXPECT_FALSE(blocked.openKey(kKey, true));

    // The file turns into a folder after the key was opened.
    FileSettingsStore store(path);
    auto key = store.openKey(kKey, true);
    ASSERT_TRUE(key);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path));
    try {
        key->write(u"Height", dword(1));
        ADD_FAILURE() << "the write did not fail";
    } catch (const SettingsError &e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Height'");
    }
}

#ifndef _WIN32 // FIFOs and links: POSIX
// A settings name that leads to a FIFO, to /dev/zero or to a text file of the
// user's: the program starts with its defaults (a FIFO held the window back,
// /dev/zero was read until memory ran out), and nothing is written through it
// (the text file was replaced by JSON on exit).
TEST_F(FileStoreTest, ANameThatIsNotASettingsFileGivesDefaultsAndIsNotWrittenThrough)
{
    const QString notes = dir.write(QStringLiteral("notes.txt"), "my notes\n");
    const QString fifo = dir.file(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &target : {fifo, QStringLiteral("/dev/zero"), notes}) {
        QFile::remove(path);
        QDir().mkpath(dir.file(QStringLiteral("Strovex")));
        ASSERT_TRUE(QFile::link(target, path));
        FileSettingsStore store(path);
        EXPECT_FALSE(store.openKey(kKey, false)) << target.toStdString();
        EXPECT_FALSE(store.openKey(kKey, true)) << target.toStdString();
        EXPECT_EQ(QFileInfo(path).symLinkTarget(), target);
    }
    EXPECT_EQ(readAll(notes), QByteArray("my notes\n"));
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".corrupt")));
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(::stat("/dev/zero", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    // A link to a settings file is followed, as a user's own dotfiles keep it.
    const QString kept = dir.write(QStringLiteral("kept.json"), "{}");
    QFile::remove(path);
    ASSERT_TRUE(QFile::link(kept, path));
    auto key = FileSettingsStore(path).openKey(kKey, true);
    ASSERT_TRUE(key);
    key->write(u"Width", dword(7));
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_EQ(FileSettingsStore(kept).openKey(kKey, false)->read(u"Width"), dword(7));
}
#endif

#ifndef _WIN32 // the Linux build's settings file; Windows keeps settings in the registry
TEST(SettingsFilePath, FollowsTheUsersConfigurationFolder)
{
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldHome = qgetenv("HOME");
    struct Case {
        const char *xdg;
        QString expected;
    };
    const Case cases[] = {
        {"/tmp/cfg", QStringLiteral("/tmp/cfg/Strovex/settings.json")},
        {"", QStringLiteral("/tmp/home/.config/Strovex/settings.json")},
        {"relative/cfg", QStringLiteral("/tmp/home/.config/Strovex/settings.json")},
    };
    qputenv("HOME", "/tmp/home");
    for (const Case &c : cases) {
        qputenv("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(defaultSettingsFilePath(), c.expected) << c.xdg;
    }
    oldXdg.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", oldXdg);
    qputenv("HOME", oldHome);
}
#endif

} // namespace
