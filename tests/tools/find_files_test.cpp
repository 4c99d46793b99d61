#include "tools/find_files.h"

#include "support/temp_dir.h"
#include "print_qt.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <map>
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
};

DirEntry file(std::u16string name, bool hidden = false) { return {std::move(name), false, hidden, false, false}; }
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

TEST_F(FindFilesFake, FilesBeforeSubfoldersDepthFirstInEnumerationOrder)
{
    lister->add(u"/r/", {dir(u"z"), file(u"b.lbl"), dir(u"a"), file(u"A.LBL"), file(u"x.txt")});
    lister->add(u"/r/z/", {file(u"z1.lbl"), dir(u"deep")});
    lister->add(u"/r/z/deep/", {file(u"d.Lbl")});
    lister->add(u"/r/a/", {file(u"a1.lbl")});

    QStringList list{QStringLiteral("kept")};
    EXPECT_EQ(FindFiles(QStringLiteral("*.lbl"), QStringLiteral("/r"), true, list), 5);
    EXPECT_EQ(list, (QStringList{QStringLiteral("kept"), QStringLiteral("/r/b.lbl"), QStringLiteral("/r/A.LBL"),
                                 QStringLiteral("/r/z/z1.lbl"), QStringLiteral("/r/z/deep/d.Lbl"),
                                 QStringLiteral("/r/a/a1.lbl")}));
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

TEST_F(FindFilesFake, LinkBackToAFolderOnThePathIsNotEnteredButASiblingIs)
{
    // /r/a/up points at /r (a loop); /r/b/side points at /r/a (no loop: found twice).
    lister->add(u"/r/", {dir(u"a"), dir(u"b")});
    lister->add(u"/r/a/", {file(u"a.lbl"), dir(u"up", false, false, true)});
    lister->add(u"/r/a/up/", {dir(u"a"), dir(u"b")}, u"/r/");
    lister->add(u"/r/b/", {dir(u"side", false, false, true)});
    lister->add(u"/r/b/side/", {file(u"a.lbl"), dir(u"up", false, false, true)}, u"/r/a/");
    lister->add(u"/r/b/side/up/", {dir(u"a"), dir(u"b")}, u"/r/");
    QStringList list;
    EXPECT_EQ(FindFiles(QStringLiteral("*.lbl"), QStringLiteral("/r"), true, list), 2);
    EXPECT_EQ(list, (QStringList{QStringLiteral("/r/a/a.lbl"), QStringLiteral("/r/b/side/a.lbl")}));
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
    QStringList list = find(root);
    // Files of a folder come before those of its sub-folders.
    const qsizetype sub = list.indexOf(root + QStringLiteral("/sub/c.lbl"));
    const qsizetype deep = list.indexOf(root + QStringLiteral("/sub/deep/e.lbl"));
    for (const char *top : {"/a.lbl", "/B.LBL", "/.hidden.lbl"})
        EXPECT_LT(list.indexOf(root + QString::fromLatin1(top)), sub) << top;
    EXPECT_LT(sub, deep);
    list.sort();
    EXPECT_EQ(list, (QStringList{root + QStringLiteral("/.hidden.lbl"), root + QStringLiteral("/B.LBL"),
                                 root + QStringLiteral("/a.lbl"), root + QStringLiteral("/other/f.lbl"),
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

TEST_F(FindFilesOnDisk, SymbolicLinkLoopEnds)
{
    ASSERT_TRUE(QFile::link(root, root + QStringLiteral("/sub/deep/back")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/sub"), root + QStringLiteral("/other/tosub")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/a.lbl"), root + QStringLiteral("/other/link.lbl")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/nowhere"), root + QStringLiteral("/other/dangling.lbl")));
    QStringList list = find(root);
    list.sort();
    // Reaching /sub again beside the path (through other/tosub) lists it twice; the loop
    // back to the root is never entered. Links to files count as files.
    EXPECT_EQ(list, (QStringList{
                        root + QStringLiteral("/.hidden.lbl"),
                        root + QStringLiteral("/B.LBL"),
                        root + QStringLiteral("/a.lbl"),
                        root + QStringLiteral("/other/dangling.lbl"),
                        root + QStringLiteral("/other/f.lbl"),
                        root + QStringLiteral("/other/link.lbl"),
                        root + QStringLiteral("/other/tosub/c.lbl"),
                        root + QStringLiteral("/other/tosub/deep/e.lbl"),
                        root + QStringLiteral("/sub/c.lbl"),
                        root + QStringLiteral("/sub/deep/e.lbl"),
                    }));
}

TEST_F(FindFilesOnDisk, UnreadableFolderIsSilent)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const QString locked = root + QStringLiteral("/sub");
    QFile::setPermissions(locked, QFileDevice::Permissions());
    QStringList list = find(root);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    list.sort();
    EXPECT_EQ(list, (QStringList{root + QStringLiteral("/.hidden.lbl"), root + QStringLiteral("/B.LBL"),
                                 root + QStringLiteral("/a.lbl"), root + QStringLiteral("/other/f.lbl")}));
}
