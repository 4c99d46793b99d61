// Sample values: the default value wins; random samples obey their format.

#include "output/sample_value.h"
#include "support/recording_dispatch.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace strovex;

namespace {

// A designer variable that answers Length, DefaultValue and InputFormat.
IVar variableWith(int length, const QString &defaultValue, int inputFormat)
{
    auto dispatch = std::make_shared<test::RecordingDispatch>([=](const test::RecordedCall &call) -> Value {
        switch (call.dispId) {
        case dispid::Var::Length: return std::int32_t(length);
        case dispid::Var::DefaultValue: return toU16(defaultValue);
        case dispid::Var::InputFormat: return std::int32_t(inputFormat);
        default: throw AutomationError(u"unexpected member");
        }
    });
    return IVar(dispatch);
}

QString sample(int length, int inputFormat, const QString &defaultValue = {})
{
    return MakeSampleValue(variableWith(length, defaultValue, inputFormat));
}

} // namespace

TEST(MakeSampleValue, DefaultValueWinsUnchangedButForLineBreaks)
{
    EXPECT_EQ(sample(3, 1, QStringLiteral("ABCDEFG")), QStringLiteral("ABCDEFG"));
    EXPECT_EQ(sample(20, 1, QStringLiteral("x")), QStringLiteral("x"));
    EXPECT_EQ(sample(5, 0, QStringLiteral("\r\n")), QStringLiteral("\\r\\n"));
    EXPECT_EQ(sample(5, 0, QStringLiteral("a\"b\\c")), QStringLiteral("a\"b\\c"));
    EXPECT_EQ(sample(0, 9, QStringLiteral("kept")), QStringLiteral("kept"));
}

TEST(MakeSampleValue, FixedWordsAndEmptyValues)
{
    EXPECT_EQ(sample(3, 6), QStringLiteral("Date"));
    EXPECT_EQ(sample(0, 6), QStringLiteral("Date"));
    EXPECT_EQ(sample(0, 7), QStringLiteral("Time"));
    EXPECT_EQ(sample(40, 7), QStringLiteral("Time"));
    for (int format : {4, 5, 8, -1, 100})
        EXPECT_EQ(sample(10, format), QString()) << format;
    for (int format : {0, 1, 2, 3}) {
        EXPECT_EQ(sample(0, format), QString()) << format;
        EXPECT_EQ(sample(-5, format), QString()) << format;
    }
}

TEST(MakeSampleValue, RandomSamplesKeepToTheirCharacterSets)
{
    const QString alphanumeric = QStringLiteral("1234567890ABCDEFGHIJKLMNOPQRSTUVWXZYabcdefghijklmnopqrstuvwxzy");
    struct Case { int format; std::function<bool(QChar)> allowed; QString name; };
    const Case cases[] = {
        {0, [](QChar c) { return c.unicode() >= 32 && c.unicode() <= 125 && c != u'"'; }, QStringLiteral("all")},
        {1, [](QChar c) { return c >= u'0' && c <= u'8'; }, QStringLiteral("numeric")},
        {2, [&](QChar c) { return alphanumeric.contains(c); }, QStringLiteral("alphanumeric")},
        {3, [&](QChar c) { return alphanumeric.mid(10).contains(c); }, QStringLiteral("letters")},
    };
    for (const Case &c : cases) {
        QSet<QChar> seen;
        for (int round = 0; round < 40; ++round) {
            const QString value = sample(100, c.format);
            ASSERT_EQ(value.size(), 100) << c.name.toStdString();
            for (QChar ch : value) {
                ASSERT_TRUE(c.allowed(ch)) << c.name.toStdString() << " gave U+" << std::hex << int(ch.unicode());
                seen.insert(ch);
            }
        }
        // 4,000 draws reach every character of the set, so no character is
        // left out by an off-by-one in the draw.
        int setSize = 0;
        for (int u = 0; u < 0x80; ++u)
            setSize += c.allowed(QChar(u)) ? 1 : 0;
        EXPECT_EQ(seen.size(), setSize) << c.name.toStdString();
    }
}

TEST(MakeSampleValue, ConsecutiveSamplesDiffer)
{
    // Reseeding per sample from the clock must not hand two variables the same text.
    QSet<QString> values;
    for (int i = 0; i < 20; ++i)
        values.insert(sample(32, 2));
    EXPECT_GT(values.size(), 15);
}

TEST(MakeSampleValue, DesignerErrorPassesOn)
{
    auto dispatch = std::make_shared<test::RecordingDispatch>([](const test::RecordedCall &call) -> Value {
        if (call.dispId == dispid::Var::DefaultValue)
            throw AutomationError(u"Default value unavailable");
        return std::int32_t(5);
    });
    EXPECT_THROW(MakeSampleValue(IVar(dispatch)), AutomationError);
}
