#include "tools/find_files.h"
#include "platform/native_names.h"

#include "support/child_process.h"
#include "support/temp_dir.h"
#include "print_qt.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

using namespace strovex;
using strovex::test::TempDir;

namespace {

// A folder tree in memory, listed in the order given; folder identities are
// the folder's target so links can be made to loop.
class FakeLister : public DirectoryLister {
public:
    struct Folder {
        std::vector<DirEntry> entries;
        std::u16string target; // identity: the folder it really is
    };
    std::map<std::u16string, Folder> folders;
    std::vector<std::u16string> listed;
    std::vector<std::u16string> pseudo; // folders below these count as pseudo file systems

    void add(const std::u16string &folder, std::vector<DirEntry> entries, std::u16string target = {})
    {
        folders[folder] = {std::move(entries), target.empty() ? folder : target};
    }
    bool list(const std::u16string &folder, std::vector<DirEntry> &out) override
    {
        listed.push_back(folder);
        auto it = folders.find(folder);
        if (it == folders.end())
            return false;
        out = it->second.entries;
        return true;
    }
    bool identity(const std::u16string &folder, std::uint64_t &volume, std::uint64_t &index) override
    {
        auto it = folders.find(folder);
        if (it == folders.end())
            return false;
        volume = 1;
        index = std::hash<std::u16string>{}(it->second.target);
        return true;
    }
    bool onPseudoFileSystem(const std::u16string &folder) override
    {
        for (const std::u16string &top : pseudo) {
            if (folder.starts_with(top))
                return true;
        }
        return false;
    }
};

DirEntry file(std::u16string name, bool hidden = false) { return {std::move(name), false, hidden, false, false}; }
DirEntry special(std::u16string name) { return {std::move(name), false, false, false, false, true}; }
DirEntry dir(std::u16string name, bool hidden = false, bool system = false, bool link = false)
{
    return {std::move(name), true, hidden, system, link};
}

class FindFilesFake : public ::testing::Test {
protected:
    void SetUp() override
    {
        lister = std::make_shared<FakeLister>();
        setDirectoryLister(lister);
    }
    void TearDown() override { setDirectoryLister(nullptr); }
    std::shared_ptr<FakeLister> lister;
};

} // namespace

TEST_F(FindFilesFake, FilesBeforeSubfoldersDepthFirstEachFolderInNaturalOrder)
{
    lister->add(u"/r/", {dir(u"z"), file(u"b10.lbl"), dir(u"a"), file(u"B9.LBL"), file(u"x.txt"), file(u"a.lbl")});
    lister->add(u"/r/z/", {dir(u"deep"), file(u"z1.lbl")});
    lister->add(u"/r/z/deep/", {file(u"d.Lbl")});
    lister->add(u"/r/a/", {file(u"a1.lbl")});

    QStringList list{QStringLiteral("kept")};
    EXPECT_EQ(FindFiles(QStringLiteral("*.lbl"), QStringLiteral("/r"), true, list), 6);
    EXPECT_EQ(list, (QStringList{QStringLiteral("kept"), QStringLiteral("/r/a.lbl"), QStringLiteral("/r/B9.LBL"),
                                 QStringLiteral("/r/b10.lbl"), QStringLiteral("/r/a/a1.lbl"), QStringLiteral("/r/z/z1.lbl"),
                                 QStringLiteral("/r/z/deep/d.Lbl")}));
}

TEST_F(FindFilesFake, WithoutRecursionOnlyTheFolderItself)
{
    lister->add(u"/r/", {dir(u"a"), file(u"b.lbl")});
    lister->add(u"/r/a/", {file(u"a1.lbl")});
    QStringList list;
    EXPECT_EQ(FindFiles(QStringLiteral("*.lbl"), QStringLiteral("/r/"), false, list), 1);
    EXPECT_EQ(list, QStringList{QStringLiteral("/r/b.lbl")});
    EXPECT_EQ(lister->listed, std::vector<std::u16string>{u"/r/"});
}

#ifdef _WIN32 // both separators name folders only there
TEST_F(FindFilesFake, NamesAreJoinedWithTheSeparatorTheFolderSpells)
{
    const struct {
        QString folder;
        std::u16string listedTop, listedSub;
        QStringList found;
    } cases[] = {
        {QStringLiteral("C:\\r"), u"C:\\r\\", u"C:\\r\\s\\",
         {QStringLiteral("C:\\r\\a.lbl"), QStringLiteral("C:\\r\\s\\b.lbl")}},
        {QStringLiteral("C:/r"), u"C:/r/", u"C:/r/s/", {QStringLiteral("C:/r/a.lbl"), QStringLiteral("C:/r/s/b.lbl")}},
        {QStringLiteral("C:/r\\"), u"C:/r\\", u"C:/r\\s\\",
         {QStringLiteral("C:/r\\a.lbl"), QStringLiteral("C:/r\\s\\b.lbl")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        lister->folders.clear();
        lister->add(c.listedTop, {dir(u"s"), file(u"a.lbl")});
        lister->add(c.listedSub, {file(u"b.lbl")});
        QStringList list;
        EXPECT_EQ(FindFiles(QStringLiteral("*.lbl"), c.folder, true, list), 2);
        EXPECT_EQ(list, c.found);
    }
}
#endif

TEST_F(FindFilesFake, HiddenFilesFoundHiddenAndSystemFoldersSkipped)
{
    lister->add(u"/r/", {file(u".h.lbl", true), dir(u".hid", true), dir(u"sys", false, true), dir(u"ok")});
    lister->add(u"/r/.hid/", {file(u"in-hidden.lbl")});
    lister->add(u"/r/sys/", {file(u"in-system.lbl")});
    lister->add(u"/r/ok/", {file(u"in-ok.lbl")});
    QStringList list;
    FindFiles(QStringLiteral("*.lbl"), QStringLiteral("/r"), true, list);
    EXPECT_EQ(list, (QStringList{QStringLiteral("/r/.h.lbl"), QStringLiteral("/r/ok/in-ok.lbl")}));
}

TEST_F(FindFilesFake, EachFolderIsEnteredOnceWhateverPathLeadsThere)
{
    // /r/a/up points back at /r (a loop); /r/b/side points at /r/a, already searched.
    lister->add(u"/r/", {dir(u"a"), dir(u"b")});
    lister->add(u"/r/a/", {file(u"a.lbl"), dir(u"up", false, false, true)});
    lister->add(u"/r/a/up/", {dir(u"a"), dir(u"b")}, u"/r/");
    lister->add(u"/r/b/", {dir(u"side", false, false, true)});
    lister->add(u"/r/b/side/", {file(u"a.lbl"), dir(u"up", false, false, true)}, u"/r/a/");
    QStringList list;
    EXPECT_EQ(FindFiles(QStringLiteral("*.lbl"), QStringLiteral("/r"), true, list), 1);
    EXPECT_EQ(list, QStringList{QStringLiteral("/r/a/a.lbl")});
    // A second search is a new one: the same files again.
    EXPECT_EQ(FindFiles(QStringLiteral("*.lbl"), QStringLiteral("/r/b"), true, list), 1);
    EXPECT_EQ(list.last(), QStringLiteral("/r/b/side/a.lbl"));
}

TEST_F(FindFilesFake, OnlyRegularFilesAreListed)
{
    lister->add(u"/r/", {special(u"fifo.lbl"), file(u"plain.lbl"), special(u"dangling.lbl")});
    QStringList list;
    EXPECT_EQ(FindFiles(QStringLiteral("*.lbl"), QStringLiteral("/r"), true, list), 1);
    EXPECT_EQ(list, QStringList{QStringLiteral("/r/plain.lbl")});
}

TEST_F(FindFilesFake, PseudoFileSystemsAreEnteredOnlyWhenTheSearchStartsInOne)
{
    lister->add(u"/", {dir(u"proc"), dir(u"home")});
    lister->add(u"/proc/", {file(u"p.lbl"), dir(u"sys")});
    lister->add(u"/proc/sys/", {file(u"q.lbl")});
    lister->add(u"/home/", {file(u"h.lbl")});
    lister->pseudo = {u"/proc/"};
    QStringList list;
    FindFiles(QStringLiteral("*.lbl"), QStringLiteral("/"), true, list);
    EXPECT_EQ(list, QStringList{QStringLiteral("/home/h.lbl")});
    list.clear();
    FindFiles(QStringLiteral("*.lbl"), QStringLiteral("/proc"), true, list);
    EXPECT_EQ(list, (QStringList{QStringLiteral("/proc/p.lbl"), QStringLiteral("/proc/sys/q.lbl")}));
}

TEST_F(FindFilesFake, UnreadableFolderContributesNothing)
{
    lister->add(u"/r/", {dir(u"gone"), dir(u"ok")});
    lister->add(u"/r/ok/", {file(u"x.lbl")});
    QStringList list;
    EXPECT_EQ(FindFiles(QStringLiteral("*.lbl"), QStringLiteral("/r"), true, list), 1);
    EXPECT_EQ(list, QStringList{QStringLiteral("/r/ok/x.lbl")});
    QStringList none;
    EXPECT_EQ(FindFiles(QStringLiteral("*.lbl"), QStringLiteral("/missing"), true, none), 0);
    EXPECT_TRUE(none.isEmpty());
}

TEST(Wildcard, MatchesWholeNamesIgnoringCase)
{
    struct Case {
        const char16_t *mask;
        const char16_t *name;
        bool match;
    };
    const Case cases[] = {
        {u"*.lbl", u"a.lbl", true},       {u"*.lbl", u"A.LBL", true},      {u"*.lbl", u".lbl", true},
        {u"*.lbl", u"a.lbl.bak", false},  {u"*.lbl", u"albl", false},      {u"*.lbl", u"x.lb", false},
        {u"*.lbl", u"a.b.c.lbl", true},   {u"a?c.lbl", u"abc.LBL", true},  {u"a?c.lbl", u"ac.lbl", false},
        {u"*", u"", true},                {u"*a*b", u"xxaxxbxb", true},    {u"*a*b", u"xxaxxbx", false},
        {u"ČAJ.lbl", u"čaj.LBL", true},   {u"", u"a", false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(wildcardMatches(QStringView(c.mask), QStringView(c.name)), c.match)
            << QString::fromUtf16(c.mask).toStdString() << " vs " << QString::fromUtf16(c.name).toStdString();
    }
}

TEST(NaturalNameOrder, CaseIgnoredNumbersByValueTotalOrder)
{
    // Each row: a sorts strictly before b.
    const std::pair<const char16_t *, const char16_t *> before[] = {
        {u"a.lbl", u"B.lbl"},        {u"b.lbl", u"C.LBL"},     {u"file2.lbl", u"file10.lbl"},
        {u"file9", u"file09x"},      {u"x1y2", u"x1y10"},      {u"9a", u"10"},
        {u"a", u"a1"},               {u"", u"a"},              {u"v007", u"v8"},
        {u"99999999999999999998", u"99999999999999999999"},
        // Equal but for case or leading zeros: still a fixed order.
        {u"A.lbl", u"a.lbl"},        {u"f1", u"f01"},
    };
    for (const auto &[a, b] : before) {
        const QString first = QString::fromUtf16(a);
        const QString second = QString::fromUtf16(b);
        EXPECT_LT(compareNamesNaturally(first, second), 0) << first.toStdString() << " < " << second.toStdString();
        EXPECT_GT(compareNamesNaturally(second, first), 0) << second.toStdString() << " > " << first.toStdString();
    }
    EXPECT_EQ(compareNamesNaturally(u"same10", u"same10"), 0);
}

// The real lister on a real tree.
class FindFilesOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        setDirectoryLister(nullptr);
        root = dir.path();
        for (const char *name : {"a.lbl", "B.LBL", ".hidden.lbl", "note.txt", "sub/c.lbl", "sub/deep/e.lbl",
                                 ".hid/d.lbl", "other/f.lbl"})
            dir.write(QString::fromLatin1(name), "{}");
    }
    QStringList find(const QString &folder)
    {
        QStringList list;
        const int count = FindFiles(QStringLiteral("*.lbl"), folder, true, list);
        EXPECT_EQ(count, list.size());
        return list;
    }
    TempDir dir;
    QString root;
};

TEST_F(FindFilesOnDisk, FindsMixedCaseAndHiddenFilesSkipsHiddenFolders)
{
    EXPECT_EQ(find(root), (QStringList{root + QStringLiteral("/.hidden.lbl"), root + QStringLiteral("/a.lbl"),
                                       root + QStringLiteral("/B.LBL"), root + QStringLiteral("/other/f.lbl"),
                                       root + QStringLiteral("/sub/c.lbl"), root + QStringLiteral("/sub/deep/e.lbl")}));
}

TEST_F(FindFilesOnDisk, TrailingSeparatorIsNotDoubledAndRepeatsGiveDuplicates)
{
    QStringList list;
    FindFiles(QStringLiteral("*.lbl"), root + QStringLiteral("/sub/"), true, list);
    FindFiles(QStringLiteral("*.lbl"), root + QStringLiteral("/sub"), false, list);
    EXPECT_EQ(list, (QStringList{root + QStringLiteral("/sub/c.lbl"), root + QStringLiteral("/sub/deep/e.lbl"),
                                 root + QStringLiteral("/sub/c.lbl")}));
}

#ifndef _WIN32 // symbolic links, FIFOs and /dev/zero: POSIX file-system behaviour
TEST_F(FindFilesOnDisk, LinksLoopsAndThingsThatAreNoFiles)
{
    ASSERT_TRUE(QFile::link(root, root + QStringLiteral("/sub/deep/back")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/sub"), root + QStringLiteral("/other/tosub")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/a.lbl"), root + QStringLiteral("/other/link.lbl")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/nowhere"), root + QStringLiteral("/other/dangling.lbl")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), root + QStringLiteral("/other/zero.lbl")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + QStringLiteral("/other/fifo.lbl")).constData(), 0600), 0);
    // /sub is reached first through other/tosub and not again under its own name;
    // the loop back to the root is never entered. Links to files count as files.
    EXPECT_EQ(find(root), (QStringList{
                              root + QStringLiteral("/.hidden.lbl"),
                              root + QStringLiteral("/a.lbl"),
                              root + QStringLiteral("/B.LBL"),
                              root + QStringLiteral("/other/f.lbl"),
                              root + QStringLiteral("/other/link.lbl"),
                              root + QStringLiteral("/other/tosub/c.lbl"),
                              root + QStringLiteral("/other/tosub/deep/e.lbl"),
                          }));
}
#endif

#ifndef _WIN32 // names are bytes only on POSIX systems
// box\xff.lbl is not valid UTF-8 and reads as box\uFFFD.lbl, which is the name
// of another file that exists beside it; caf\xe9 reads as caf\uFFFD, a folder
// that does not exist. Neither is listed or entered; both are told.
TEST_F(FindFilesOnDisk, NamesThatAreNotValidTextArePassedOverAndTold)
{
    const QByteArray base = QFile::encodeName(root);
    for (const QByteArray &name : {QByteArray("/box\xff.lbl"), QByteArray("/box\xef\xbf\xbd.lbl")})
        ASSERT_EQ(::close(::creat((base + name).constData(), 0600)), 0);
    ASSERT_EQ(::mkdir((base + "/sub/caf\xe9").constData(), 0700), 0);
    ASSERT_EQ(::close(::creat((base + "/sub/caf\xe9/g.lbl").constData(), 0600)), 0);

    QStringList list;
    QStringList skipped;
    FindFilesOptions options;
    options.skipped = [&skipped](const QString &path) { skipped << path; };
    EXPECT_EQ(FindFiles(QStringLiteral("*.lbl"), root, options, list), 7);
    EXPECT_EQ(list, (QStringList{root + QStringLiteral("/.hidden.lbl"), root + QStringLiteral("/a.lbl"),
                                 root + QStringLiteral("/B.LBL"), root + QStringLiteral("/box\uFFFD.lbl"),
                                 root + QStringLiteral("/other/f.lbl"), root + QStringLiteral("/sub/c.lbl"),
                                 root + QStringLiteral("/sub/deep/e.lbl")}));
    EXPECT_EQ(skipped, (QStringList{root + QStringLiteral("/box\\xFF.lbl"), root + QStringLiteral("/sub/caf\\xE9")}));
    // Qt cannot name what it cannot read as text: removed by its bytes.
    ::unlink((base + "/box\xff.lbl").constData());
    ::unlink((base + "/sub/caf\xe9/g.lbl").constData());
    ::rmdir((base + "/sub/caf\xe9").constData());
}

TEST(NativeNames, OnlyNamesThatReadBackAsTheSameBytesHaveText)
{
    const struct {
        QByteArray native;
        bool exact;
        QString shown;
    } cases[] = {
        {"caf\xc3\xa9", true, QStringLiteral("caf\u00e9")},
        {"box\xef\xbf\xbd", true, QStringLiteral("box\uFFFD")},
        {"\xf0\x9f\x8f\xb7", true, QStringLiteral("\U0001F3F7")},
        {"caf\xe9", false, QStringLiteral("caf\\xE9")},
        {"a\xc0\xaf", false, QStringLiteral("a\\xC0\\xAF")},          // overlong "/"
        {"\xed\xa0\x80x", false, QStringLiteral("\\xED\\xA0\\x80x")},   // a surrogate's bytes
        {"\xf4\x90\x80\x80", false, QStringLiteral("\\xF4\\x90\\x80\\x80")}, // past U+10FFFF
        {"\xe2\x82", false, QStringLiteral("\\xE2\\x82")},              // cut short
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.native.toHex().toStdString());
        const std::optional<QString> text = exactNameText(c.native);
        EXPECT_EQ(text.has_value(), c.exact);
        if (text) {
            EXPECT_EQ(QFile::encodeName(*text), c.native);
        }
        EXPECT_EQ(shownNativeName(c.native), c.shown);
    }
}
#endif

#ifndef _WIN32 // symbolic links to folders: POSIX file-system behaviour
TEST_F(FindFilesOnDisk, DenseWebOfLinksIsWalkedOnce)
{
    // Every folder links to every other: a search that only stops at folders on
    // its own path walks each of the 7! orders of them.
    const int n = 7;
    for (int i = 0; i < n; ++i)
        dir.write(QStringLiteral("web/f%1/x.lbl").arg(i), "{}");
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            if (i != j) {
                ASSERT_TRUE(QFile::link(root + QStringLiteral("/web/f%1").arg(j), root + QStringLiteral("/web/f%1/to%2").arg(i).arg(j)));
            }
        }
    }
    const QStringList list = find(root + QStringLiteral("/web"));
    EXPECT_EQ(list.size(), n);
    EXPECT_EQ(QSet<QString>(list.begin(), list.end()).size(), n);
}
#endif

#ifndef _WIN32 // folder mode bits: POSIX file-system behaviour
TEST_F(FindFilesOnDisk, UnreadableFolderIsSilent)
{
    // Permissions do not bind the superuser CI runs as: the case runs as nobody.
    if (strovex::test::rerunAsUnprivilegedUser())
        return;
    TempDir tree;
    for (const char *name : {"a.lbl", "sub/c.lbl", "sub/deep/e.lbl", "z/f.lbl"})
        tree.write(QString::fromLatin1(name), "{}");
    const QString locked = tree.file(QStringLiteral("sub"));
    QFile::setPermissions(locked, QFileDevice::Permissions());
    QStringList list;
    EXPECT_EQ(FindFiles(QStringLiteral("*.lbl"), tree.path(), true, list), 2);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(list, (QStringList{tree.file(QStringLiteral("a.lbl")), tree.file(QStringLiteral("z/f.lbl"))}));
}
#endif
