#include "platform/platform_info.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace strovex;

TEST(VersionText, TrimsTrailingZeroComponentsAsTheAboutLineWants)
{
    struct Case { const char *product; int build; const char *expected; };
    const Case cases[] = {
        {"2.9.5", 120, "2.9.5 (build 120)"},
        {"2.9.0", 7, "2.9 (build 7)"},
        {"2.0 beta.0 x", 1, "2 beta x (build 1)"}, // ".0 " replaced everywhere, the end left alone
        {"", 0, " (build 0)"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(versionText(QString::fromUtf8(c.product), c.build), QString::fromUtf8(c.expected)) << c.product;
}

TEST(TempFileNames, InAPrivateFolderOfTheProcess)
{
    QSet<QString> names;
    for (int i = 0; i < 50; ++i) {
        const QString name = uniqueTempFileName(QStringLiteral("Img"), QStringLiteral(".bmp"));
        EXPECT_TRUE(QFileInfo(name).fileName().startsWith(QStringLiteral("Img")));
        EXPECT_TRUE(name.endsWith(QStringLiteral(".bmp")));
        EXPECT_FALSE(QFileInfo::exists(name));
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 50);

    // One folder, kept between calls, that no one else may enter or write.
    const QFileInfo folder(QFileInfo(*names.cbegin()).path());
    for (const QString &name : names)
        EXPECT_EQ(QFileInfo(name).path(), folder.filePath());
    EXPECT_TRUE(folder.isDir());
    EXPECT_FALSE(folder.isSymbolicLink());
#ifndef _WIN32 // owner and mode bits: POSIX file-system behaviour
    EXPECT_EQ(folder.ownerId(), ::geteuid());
    EXPECT_EQ(folder.permissions() & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser
                                       | QFile::WriteUser | QFile::ExeUser),
              QFile::Permissions());
#endif
    EXPECT_TRUE(folder.filePath().startsWith(QDir::tempPath() + u'/'));
}
