#include "automation/designer.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace strovex;

TEST(ValueConversion, TextAcceptsNumbersAndNothing)
{
    EXPECT_EQ(valueToText(Value(std::u16string(u"Č 日本"))), QStringLiteral("Č 日本"));
    EXPECT_EQ(valueToText(Value(std::int32_t(-42))), QStringLiteral("-42"));
    EXPECT_EQ(valueToText(Value(1.5)), QStringLiteral("1.5"));
    EXPECT_EQ(valueToText(Value()), QString());
    EXPECT_THROW(valueToText(Value(DispatchRef())), AutomationError);
}

TEST(ValueConversion, NumbersAcceptNumericTextAndRejectTheRest)
{
    EXPECT_EQ(valueToInt(Value(std::u16string(u" 17 "))), 17);
    EXPECT_EQ(valueToInt(Value(3.9)), 3);
    EXPECT_EQ(valueToInt(Value()), 0);
    EXPECT_THROW(valueToInt(Value(std::u16string(u"abc"))), AutomationError);
    EXPECT_THROW(valueToInt(Value(1e20)), AutomationError);
}

TEST(ValueConversion, BooleansAreTrueWhenNonZero)
{
    EXPECT_TRUE(valueToBool(Value(std::int32_t(-1))));
    EXPECT_TRUE(valueToBool(Value(std::int32_t(2))));
    EXPECT_FALSE(valueToBool(Value(std::int32_t(0))));
    EXPECT_TRUE(valueToBool(Value(0.5)));
    EXPECT_FALSE(valueToBool(Value()));
}

TEST(ValueConversion, Utf8RoundTripKeepsSurrogatePairsAndReplacesBrokenInput)
{
    const std::u16string text = u"a\u010C\u65E5\U0001F600";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(fromUtf8("\xC3"), std::u16string(u"\uFFFD"));
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(DesignerPath, TheDesignerIsGivenAbsoluteCleanNativeNames)
{
    const QString here = QDir::currentPath();
    struct Case {
        QString given;
        QString expected; // in '/' spelling
    };
    for (const Case &c : {
             Case{QStringLiteral("a.lbl"), here + QStringLiteral("/a.lbl")},
             Case{QStringLiteral("sub/./x/../b.lbl"), here + QStringLiteral("/sub/b.lbl")},
             Case{here + QStringLiteral("//c.lbl"), here + QStringLiteral("/c.lbl")},
             Case{QString(), QString()},
         }) {
        EXPECT_EQ(designerPath(c.given), QDir::toNativeSeparators(QDir::cleanPath(c.expected))) << c.given.toStdString();
    }
#ifdef Q_OS_WIN
    EXPECT_EQ(designerPath(QStringLiteral("C:/labels/a.lbl")), QStringLiteral("C:\\labels\\a.lbl"));
#endif
}
