#include "browse/path_shortening.h"

#include <gtest/gtest.h>

using strovex::shortenPath;

TEST(PathShortening, Table)
{
    const QString name31 = QString(31, u'n');
    struct Case {
        QString path;
        QChar separator;
        QString shown;
    };
    const Case cases[] = {
        {QStringLiteral("C:\\Documents and Settings\\All Users\\Application Data\\Labels"), u'\\',
         QStringLiteral("C:\\...\\Application Data\\Labels")},
        // 35 characters: in full.
        {QStringLiteral("C:\\aaaaaaaa\\bbbbbbbbbb\\cccccccccccc"), u'\\',
         QStringLiteral("C:\\aaaaaaaa\\bbbbbbbbbb\\cccccccccccc")},
        // 36 characters, three components: the filler even where it makes the path longer.
        {QStringLiteral("C:\\a\\") + name31, u'\\', QStringLiteral("C:\\...\\") + name31},
        // Two components stay however long.
        {QStringLiteral("C:\\") + QString(60, u'x'), u'\\', QStringLiteral("C:\\") + QString(60, u'x')},
        // A trailing separator gives an empty last component that is kept.
        {QStringLiteral("C:\\Labels\\Customers\\North\\Warehouses\\"), u'\\',
         QStringLiteral("C:\\...\\Customers\\North\\Warehouses\\")},
        // Only the third component goes, while more than three remain.
        {QStringLiteral("C:\\one\\two\\three\\four\\five\\six-is-rather-long-x"), u'\\',
         QStringLiteral("C:\\...\\five\\six-is-rather-long-x")},
        // The filler alone may be enough.
        {QStringLiteral("C:\\Documents\\two\\three\\four\\five\\sixx"), u'\\',
         QStringLiteral("C:\\...\\two\\three\\four\\five\\sixx")},
        // With "/" an absolute path starts with an empty component.
        {QStringLiteral("/home/someone/labels/customers/north/depot"), u'/',
         QStringLiteral("/.../labels/customers/north/depot")},
        {QStringLiteral("/home/someone/labels/customers/north/depot-with-a-long-name"), u'/',
         QStringLiteral("/.../north/depot-with-a-long-name")},
        // The other separator is just a character.
        {QStringLiteral("C:\\Documents and Settings\\All Users\\Application Data\\Labels"), u'/',
         QStringLiteral("C:\\Documents and Settings\\All Users\\Application Data\\Labels")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(shortenPath(c.path, c.separator), c.shown) << c.path.toStdString();
}

TEST(PathShortening, ExampleStepsThroughFortyCharacters)
{
    // The first step gives 40 characters, still too long, so one more component goes.
    const QString path = QStringLiteral("C:\\Documents and Settings\\All Users\\Application Data\\Labels");
    EXPECT_EQ(path.size(), 59);
    EXPECT_EQ(shortenPath(path, u'\\', 40), QStringLiteral("C:\\...\\All Users\\Application Data\\Labels"));
}
