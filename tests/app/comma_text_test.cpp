#include "inspect/comma_text.h"

#include <gtest/gtest.h>

using namespace strovex;

TEST(CommaText, SplitsAsTheDesignerWritesIt)
{
    struct Case { QString text; QStringList items; };
    const Case cases[] = {
        {QString(), {}},
        {QStringLiteral("   "), {}},
        {QStringLiteral("a.bmp"), {QStringLiteral("a.bmp")}},
        {QStringLiteral("a.bmp,\"C:\\My Pictures\\b.bmp\""), {QStringLiteral("a.bmp"), QStringLiteral("C:\\My Pictures\\b.bmp")}},
        // Unquoted blanks separate items.
        {QStringLiteral("a.bmp,C:\\My Pictures\\b.bmp"), {QStringLiteral("a.bmp"), QStringLiteral("C:\\My"), QStringLiteral("Pictures\\b.bmp")}},
        {QStringLiteral("\"x,y\",\"say \"\"hi\"\"\""), {QStringLiteral("x,y"), QStringLiteral("say \"hi\"")}},
        {QStringLiteral("  a ,  b"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a,"), {QStringLiteral("a"), QString()}},
        {QStringLiteral("a,,b"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {QStringLiteral("Not Available"), {QStringLiteral("Not"), QStringLiteral("Available")}},
        {QStringLiteral("\"Not Available\""), {QStringLiteral("Not Available")}},
        {QStringLiteral("\"unterminated"), {QStringLiteral("unterminated")}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(splitCommaText(c.text), c.items) << c.text.toStdString();
}

TEST(CommaText, JoinQuotesWhatWouldNotSplitBack)
{
    EXPECT_EQ(joinCommaText({QStringLiteral("Not Available")}), QStringLiteral("\"Not Available\""));
    EXPECT_EQ(joinCommaText({QStringLiteral("Not"), QStringLiteral("Available")}), QStringLiteral("Not,Available"));
    EXPECT_EQ(joinCommaText({QString()}), QStringLiteral("\"\""));
    EXPECT_EQ(joinCommaText({}), QString());
    EXPECT_EQ(joinCommaText({QStringLiteral("a\"b"), QStringLiteral("c,d")}), QStringLiteral("\"a\"\"b\",\"c,d\""));
    const QStringList items{QStringLiteral("x y"), QStringLiteral("q\"z"), QStringLiteral("plain")};
    EXPECT_EQ(splitCommaText(joinCommaText(items)), items);
}
