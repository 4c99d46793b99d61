#include "tools/whole_number.h"

#include <QString>
#include <gtest/gtest.h>

using strovex::parseWholeNumber;

TEST(WholeNumber, AcceptedForms)
{
    const std::pair<const char *, int> cases[] = {
        {"0", 0},           {"42", 42},        {"  42", 42},           {"+7", 7},
        {"-7", -7},         {"  -0012", -12},  {"$1F", 31},            {"$ff", 255},
        {"x10", 16},        {"X10", 16},       {"0x10", 16},           {"0XaB", 171},
        {"-$10", -16},      {"-0x10", -16},    {"2147483647", 2147483647},
        {"-2147483648", int(-2147483647 - 1)}, {"$7FFFFFFF", 2147483647}, {"-$80000000", int(-2147483647 - 1)},
    };
    for (const auto &[text, value] : cases) {
        const auto parsed = parseWholeNumber(QString::fromLatin1(text));
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(*parsed, value) << text;
    }
}

TEST(WholeNumber, RejectedForms)
{
    for (const char *text : {"", " ", "abc", "12a", "12 ", "1 2", "\t12", "+", "-", "$", "x", "0x", "$g",
                             "--1", "+-1", "1.5", "1e3", "2147483648", "-2147483649", "$80000000",
                             "$FFFFFFFF", "99999999999999999999", "0x-1", "$ 1"}) {
        EXPECT_FALSE(parseWholeNumber(QString::fromLatin1(text)).has_value()) << '"' << text << '"';
    }
    // Digits of other scripts are not decimal digits here.
    EXPECT_FALSE(parseWholeNumber(QStringLiteral("\u0661\u0662")).has_value());
}
