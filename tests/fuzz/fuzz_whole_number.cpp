// The whole-number parser of the new length, against a reference reading of
// the same rule: optional leading spaces, an optional sign, decimal digits or
// hexadecimal digits after "$", "x" or "0x", nothing after, within 32 bits.
#include "fuzz_check.h"
#include "graph_input.h"
#include "tools/whole_number.h"

#include <cstdint>
#include <optional>

using namespace strovex;
using namespace strovex::fuzz;

namespace {

int digitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return 99;
}

// Reads the digits after the prefix; leading zeros do not count towards the range.
std::optional<int> reference(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    QString rest = text.mid(i);
    bool negative = false;
    if (rest.startsWith(u'+') || rest.startsWith(u'-')) {
        negative = rest[0] == u'-';
        rest.remove(0, 1);
    }
    int base = 10;
    if (rest.startsWith(u'$') || rest.startsWith(u'x') || rest.startsWith(u'X')) {
        base = 16;
        rest.remove(0, 1);
    } else if (rest.size() > 2 && (rest.startsWith(QStringLiteral("0x")) || rest.startsWith(QStringLiteral("0X")))) {
        base = 16;
        rest.remove(0, 2);
    }
    if (rest.isEmpty())
        return std::nullopt;
    for (const QChar c : rest) {
        if (digitValue(c.unicode()) >= base)
            return std::nullopt;
    }
    while (rest.size() > 1 && rest[0] == u'0')
        rest.remove(0, 1);
    if (rest.size() > 10)
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (const QChar c : rest)
        magnitude = magnitude * base + digitValue(c.unicode());
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return int(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const char *data, std::size_t size)
{
    const QString text = fuzzText(data, size);
    const std::optional<int> parsed = parseWholeNumber(text);
    const std::optional<int> expected = reference(text);
    require(parsed == expected, "parser agrees with the reference",
            units(text) + QStringLiteral("\nparsed: ") + (parsed ? QString::number(*parsed) : QStringLiteral("nothing"))
                + QStringLiteral(", expected: ") + (expected ? QString::number(*expected) : QStringLiteral("nothing")));
    return 0;
}
