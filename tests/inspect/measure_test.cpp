#include "inspect/measure.h"

#include "locale_scope.h"

#include <gtest/gtest.h>

using namespace strovex;
using namespace strovex::test;

TEST(Measure, ConvertMeasure)
{
    const struct {
        int value, unit, resolution;
        double expected;
    } cases[] = {
        {12346, 0, 0, 12.35},    {12346, 1, 0, 4.861},    {12346, 2, 100, 486},  {12346, 3, 0, 123.5},
        {-12346, 0, 0, -12.35},  {1000, 1, 0, 0.394},     {2540, 2, 203, 203},   {12346, 2, 0, 0},
        {12346, 4, 300, 12346},  {12346, -1, 300, 12346}, {2147483647, 0, 0, 2147483.65},
        {-2147483647 - 1, 7, 0, -2147483648.0},
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(ConvertMeasure(c.value, c.unit, c.resolution), c.expected)
            << c.value << " unit " << c.unit << " at " << c.resolution;
}

TEST(Measure, UnitNames)
{
    const char *names[] = {"cm", "inch", "dot", "mm"};
    for (int code = 0; code < 4; ++code)
        EXPECT_EQ(UnitNameText(code), QString::fromLatin1(names[code]));
    EXPECT_EQ(UnitNameText(4), QString());
    EXPECT_EQ(UnitNameText(-1), QString());
}

TEST(Measure, PositionText)
{
    {
        LocaleScope locale(QLocale::English, QLocale::UnitedStates);
        EXPECT_EQ(PositionText(1.5, QStringLiteral("cm")), QStringLiteral(" 1.50 cm"));
        EXPECT_EQ(PositionText(100, QStringLiteral("cm")), QStringLiteral("100.00 cm"));
        EXPECT_EQ(PositionText(-1.5, QStringLiteral("mm")), QStringLiteral("-1.50 mm"));
        EXPECT_EQ(PositionText(1.5, QString()), QStringLiteral(" 1.50 ")); // unreadable unit: no word
        EXPECT_EQ(PositionText(12346, QString()), QStringLiteral("12346.00 "));
    }
    LocaleScope locale(QLocale::German, QLocale::Germany);
    EXPECT_EQ(PositionText(1.5, QStringLiteral("cm")), QStringLiteral(" 1,50 cm"));
    EXPECT_EQ(PositionText(21474.84, QStringLiteral("mm")), QStringLiteral("21474,84 mm")); // no grouping
}
