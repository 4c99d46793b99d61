#include "inspect/measure.h"

#include "locale_scope.h"

#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

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

// A load converts every position of a label, so conversion and formatting take
// shortcuts; each must give exactly what printing the number gives: the
// rounding of the fixed-point text (ties included) and the locale's digits.
TEST(Measure, ConversionAgreesWithRoundingThroughPrintedText)
{
    const auto throughText = [](int value, int unit, int resolution) {
        const long double cm = value / 1000.0L;
        const long double result[] = {cm, cm / 2.54L, cm / 2.54L * resolution, cm * 10.0L};
        const int decimals[] = {2, 3, 0, 1};
        char buffer[64];
        const auto printed = std::to_chars(buffer, buffer + sizeof buffer, result[unit], std::chars_format::fixed, decimals[unit]);
        double rounded = 0;
        std::from_chars(buffer, printed.ptr, rounded);
        return rounded;
    };
    std::vector<int> values{INT_MIN, INT_MIN + 1, INT_MAX, 0, 5, -5, 12345, -12345, 1270, 635, 127, 2147483, -2147483};
    for (int v = -3000; v <= 3000; ++v)
        values.push_back(v);
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> any(INT_MIN, INT_MAX);
    for (int i = 0; i < 4000; ++i)
        values.push_back(any(random));
    const struct { int unit, resolution; } units[] = {{0, 0}, {1, 0}, {3, 0}, {2, 0}, {2, 203}, {2, 600}, {2, INT_MAX}};
    for (const auto &u : units) {
        for (const int value : values) {
            const double expected = throughText(value, u.unit, u.resolution);
            const double got = ConvertMeasure(value, u.unit, u.resolution);
            ASSERT_TRUE(got == expected && std::signbit(got) == std::signbit(expected))
                << value << " unit " << u.unit << " at " << u.resolution << ": " << got << " instead of " << expected;
        }
    }
}

TEST(Measure, FixedPointTextAgreesWithTheLocale)
{
    const double values[] = {0.0, -0.0, 1.5, -1.5, 0.004, -0.004, 0.005, 0.015, 0.05, -0.05, 9.995, 12.345, 99.999,
                             21474.84, -2147483.65, 1e15 + 0.5, -1.8e15, 123456789012345.67, 1e300};
    const struct { QLocale::Language language; QLocale::Territory territory; } locales[] = {
        {QLocale::English, QLocale::UnitedStates}, {QLocale::German, QLocale::Germany},
        {QLocale::Arabic, QLocale::Egypt}, {QLocale::Persian, QLocale::Iran}, {QLocale::Swedish, QLocale::Sweden},
        {QLocale::English, QLocale::UnitedStates}, // back again: nothing kept from the locales before
    };
    for (const auto &l : locales) {
        LocaleScope scope(l.language, l.territory);
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        for (const int decimals : {1, 2, 120}) { // 120: 1e300 does not fit the short way
            for (const double value : values) {
                EXPECT_EQ(FixedPointText(value, decimals), locale.toString(value, 'f', decimals))
                    << QLocale().name().toStdString() << " " << value << " with " << decimals;
            }
        }
    }
}
