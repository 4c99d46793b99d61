#include "platform/files.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace strovex {
namespace {

QString errorOf(const QString &path, const QByteArray &bytes, LinkAtTarget link = LinkAtTarget::Follow)
{
    try {
        writeFileAtomically(path, bytes, link);
    } catch (const FileError &e) {
        return e.message();
    }
    return {};
}

// A folder, device, FIFO or socket under the target's name is refused by
// name, and stays what it was: renaming a file over /dev/null or a FIFO
// replaced it for every other program.
TEST(Files, RefusesTargetsThatAreNotRegularFiles)
{
    test::TempDir dir;
    struct Case {
        QString name;
        bool made;
    };
    std::vector<Case> cases;
    const QString folder = dir.file(QStringLiteral("folder.dot"));
    cases.push_back({folder, QDir().mkdir(folder)});
#ifndef _WIN32
    // Nodes are made here, never taken from the system's /dev: a faulty writer
    // would replace those for the whole machine.
    const QByteArray fifo = QFile::encodeName(dir.file(QStringLiteral("fifo.dot")));
    cases.push_back({dir.file(QStringLiteral("fifo.dot")), ::mkfifo(fifo.constData(), 0666) == 0});
    const QByteArray full = QFile::encodeName(dir.file(QStringLiteral("full")));
    // Only root may make a device node: as root (as CI runs) the case runs.
    const bool device = ::mknod(full.constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    if (device || ::geteuid() == 0)
        cases.push_back({dir.file(QStringLiteral("full")), device});
    const QByteArray socketName = QFile::encodeName(dir.file(QStringLiteral("socket.job")));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const bool fits = socketName.size() < qsizetype(sizeof address.sun_path);
    if (fits) {
        std::memcpy(address.sun_path, socketName.constData(), std::size_t(socketName.size()));
        cases.push_back({dir.file(QStringLiteral("socket.job")), ::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0});
    }
    const QString link = dir.file(QStringLiteral("link.dot"));
    cases.push_back({link, QFile::link(dir.file(QStringLiteral("fifo.dot")), link)});
#endif
    for (const Case &c : cases) {
        ASSERT_TRUE(c.made) << c.name.toStdString();
        EXPECT_EQ(errorOf(c.name, "digraph {}"),
                  QStringLiteral("Cannot create file \"%1\". \"%1\" is not a regular file.").arg(c.name));
        const QFileInfo after(c.name);
        EXPECT_TRUE(after.exists() && !after.isFile()) << c.name.toStdString() << " was replaced";
    }
#ifndef _WIN32
    ::close(sock);
    struct stat info;
    ASSERT_EQ(::lstat(fifo.constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    if (device) {
        ASSERT_EQ(::lstat(full.constData(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
#endif
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(),
              qsizetype(cases.size()) - 1) << "a temporary file was left behind";
}

#ifndef _WIN32
// A file in a folder that refuses new files is written in place, and a write
// that cannot complete (a file-size limit, as a full disk) must leave it whole:
// the in-place fallback used to cut an 11 kB label to the limit.
TEST(Files, InPlaceWriteNeverCutsTheFile)
{
    if (test::rerunAsUnprivilegedUser())
        return;
    test::TempDir dir;
    const QString folder = dir.file(QStringLiteral("shared"));
    QDir().mkpath(folder);
    const QByteArray old(6000, 'o');
    const QString path = dir.write(QStringLiteral("shared/a.lbl"), old);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);

    const struct {
        qsizetype newSize;
        std::uint64_t limit;
    } cases[] = {
        {11000, 8192}, // longer than the limit: refused before the file changes
        {11000, 0},
        {100, 0},      // shorter, but no byte may be written at all
    };
    for (const auto &c : cases) {
        const std::optional<QString> outcome = test::runWithFileSizeLimit(
            c.limit, [&] { return errorOf(path, QByteArray(c.newSize, 'n')); });
        ASSERT_TRUE(outcome.has_value());
        EXPECT_TRUE(outcome->startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(path))) << outcome->toStdString();
        EXPECT_FALSE(outcome->contains(QStringLiteral("damaged"))) << outcome->toStdString();
        EXPECT_EQ(test::readAll(path), old) << c.newSize << " bytes at limit " << c.limit;
    }
    // Without a limit the same write succeeds, longer and shorter.
    EXPECT_EQ(errorOf(path, QByteArray(11000, 'n')), QString());
    EXPECT_EQ(test::readAll(path), QByteArray(11000, 'n'));
    EXPECT_EQ(errorOf(path, "short"), QString());
    EXPECT_EQ(test::readAll(path), QByteArray("short"));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.lbl")});
}

// A link put at the name after the target was checked (a user racing a shared
// destination) is replaced by the new file, never followed: the file it leads
// to stays as it was.
TEST(Files, LinkPlantedBeforeTheRenameIsNotFollowed)
{
    test::TempDir dir;
    const QString precious = dir.write(QStringLiteral("outside/precious.txt"), "precious");
    for (const QString &name : {QStringLiteral("new.vbs"), QStringLiteral("old.vbs")}) {
        const QString path = dir.file(QStringLiteral("dest/") + name);
        QDir().mkpath(dir.file(QStringLiteral("dest")));
        if (name == u"old.vbs")
            dir.write(QStringLiteral("dest/") + name, "old");
        const std::optional<QString> reason = replaceFile(path, "script", LinkAtTarget::Refuse, [&](int) {
            QFile::remove(path);
            ASSERT_TRUE(QFile::link(precious, path));
        });
        EXPECT_FALSE(reason.has_value()) << reason.value_or(QString()).toStdString();
        EXPECT_EQ(test::readAll(precious), QByteArray("precious"));
        EXPECT_FALSE(QFileInfo(path).isSymLink());
        EXPECT_EQ(test::readAll(path), QByteArray("script"));
    }
}

// A save as root kept neither the owner (a label of nobody's became root's,
// and nobody could no longer read it) nor a second hard link (the twin kept
// the old contents).
TEST(Files, ReplacementKeepsOwnerModeAndHardLinks)
{
    test::TempDir dir;
    const QString path = dir.write(QStringLiteral("a.lbl"), "old");
    const QString twin = dir.file(QStringLiteral("twin.lbl"));
    const QByteArray name = QFile::encodeName(path);
    ASSERT_EQ(::link(name.constData(), QFile::encodeName(twin).constData()), 0);
    ASSERT_EQ(::chmod(name.constData(), 0640), 0);
    uid_t owner = ::geteuid();
    gid_t group = ::getegid();
    if (::geteuid() == 0) {
        const passwd *nobody = ::getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        owner = nobody->pw_uid;
        group = nobody->pw_gid;
        ASSERT_EQ(::chown(name.constData(), owner, group), 0);
    }
    struct stat before;
    ASSERT_EQ(::stat(name.constData(), &before), 0);

    EXPECT_EQ(errorOf(path, "new and longer"), QString());
    struct stat after;
    ASSERT_EQ(::stat(name.constData(), &after), 0);
    EXPECT_EQ(after.st_uid, owner);
    EXPECT_EQ(after.st_gid, group);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(test::readAll(twin), QByteArray("new and longer"));

    // With one link the file is replaced, and still keeps owner and mode.
    ASSERT_TRUE(QFile::remove(twin));
    EXPECT_EQ(errorOf(path, "newest"), QString());
    ASSERT_EQ(::stat(name.constData(), &after), 0);
    EXPECT_EQ(after.st_uid, owner);
    EXPECT_EQ(after.st_gid, group);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(test::readAll(path), QByteArray("newest"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.lbl")});
}
#endif

} // namespace
} // namespace strovex
