#include "output/sample_value.h"

#include <chrono>
#include <random>

namespace strovex {
namespace {

// Stored as the command files have always drawn them: Z before Y.
constexpr char16_t kAlphanumeric[] = u"1234567890ABCDEFGHIJKLMNOPQRSTUVWXZYabcdefghijklmnopqrstuvwxzy";
constexpr char16_t kLetters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXZYabcdefghijklmnopqrstuvwxzy";

std::mt19937_64 freshGenerator()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return std::mt19937_64(static_cast<std::uint64_t>(ticks));
}

template<std::size_t N>
QString drawFrom(const char16_t (&set)[N], int length)
{
    auto generator = freshGenerator();
    std::uniform_int_distribution<std::size_t> pick(0, N - 2); // N - 1 characters, no terminator
    QString result(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        result[i] = QChar(set[pick(generator)]);
    return result;
}

} // namespace

QString EscapeLineBreaks(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\r')
            result += QStringLiteral("\\r");
        else if (c == u'\n')
            result += QStringLiteral("\\n");
        else
            result += c;
    }
    return result;
}

QString MakeSampleValue(const IVar &variable)
{
    const int length = variable.Length();
    const QString defaultValue = variable.DefaultValue();
    const int inputFormat = variable.InputFormat();
    return MakeSampleValue(length, defaultValue, inputFormat);
}

QString MakeSampleValue(int length, const QString &defaultValue, int inputFormat)
{
    if (!defaultValue.isEmpty())
        return EscapeLineBreaks(defaultValue);

    switch (inputFormat) {
    case 0: {
        if (length <= 0)
            return {};
        auto generator = freshGenerator();
        std::uniform_int_distribution<int> code(32, 125);
        QString result(length, Qt::Uninitialized);
        for (int i = 0; i < length; ++i) {
            int c;
            do
                c = code(generator);
            while (c == '"');
            result[i] = QChar(c);
        }
        return result;
    }
    case 1: {
        if (length <= 0)
            return {};
        auto generator = freshGenerator();
        std::uniform_int_distribution<int> digit(0, 8);
        QString result(length, Qt::Uninitialized);
        for (int i = 0; i < length; ++i)
            result[i] = QChar(u'0' + digit(generator));
        return result;
    }
    case 2:
        return length > 0 ? drawFrom(kAlphanumeric, length) : QString();
    case 3:
        return length > 0 ? drawFrom(kLetters, length) : QString();
    case 6:
        return QStringLiteral("Date");
    case 7:
        return QStringLiteral("Time");
    default:
        return {};
    }
}

} // namespace strovex
