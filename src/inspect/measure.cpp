#include "inspect/measure.h"

#include <QLocale>

#include <optional>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace strovex {

QString UnitNameText(int unitCode)
{
    switch (unitCode) {
    case 0: return QStringLiteral("cm");
    case 1: return QStringLiteral("inch");
    case 2: return QStringLiteral("dot");
    case 3: return QStringLiteral("mm");
    default: return {};
    }
}

namespace {

// printf's rounding of `value` to `decimals`, through the text it prints.
double roundThroughText(long double value, int decimals)
{
    char buffer[64];
    const auto printed = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    double rounded = 0;
    std::from_chars(buffer, printed.ptr, rounded);
    return rounded;
}

} // namespace

double ConvertMeasure(int value, int unitCode, int resolution)
{
    const long double cm = value / 1000.0L;
    long double result = 0;
    int decimals = 0;
    switch (unitCode) {
    case 0: result = cm; decimals = 2; break;
    case 1: result = cm / 2.54L; decimals = 3; break;
    case 2: result = cm / 2.54L * resolution; decimals = 0; break;
    case 3: result = cm * 10.0L; decimals = 1; break;
    default: return double(value);
    }
    // The result is what printing it shows. Printing a long double is slow
    // (a whole label's positions are converted in one load), so the text is
    // made only where the scaled value lies too near a tie to round it here;
    // elsewhere both round to the same integer, and dividing that integer in
    // double gives the double nearest its decimal text, as reading it would.
    static constexpr long double scales[] = {1.0L, 10.0L, 100.0L, 1000.0L};
    const long double scaled = result * scales[decimals];
    const long double whole = std::floor(scaled);
    if (std::fabs(scaled) < 1e12L && std::fabs(scaled - whole - 0.5L) > 1e-6L) {
        const long double nearest = scaled - whole < 0.5L ? whole : whole + 1;
        // A negative number that rounds to zero prints as "-0".
        return std::copysign(double(static_cast<long long>(nearest)) / double(scales[decimals]), double(scaled));
    }
    return roundThroughText(result, decimals);
}

namespace {

// The default locale's way of writing numbers, looked up again only when the
// default locale changes.
struct NumberStyle {
    QLocale locale; // the default locale as it was looked up
    QChar decimalPoint;
    bool plainDigits = false; // "0"-"9", "-" and a one-character decimal point
};

const NumberStyle &numberStyle()
{
    thread_local std::optional<NumberStyle> style;
    const QLocale now;
    if (!style || now != style->locale) {
        const QString point = now.decimalPoint();
        style = NumberStyle{now, point.isEmpty() ? QChar() : point.front(),
                            now.zeroDigit() == QLatin1String("0") && now.negativeSign() == QLatin1String("-")
                                && point.size() == 1};
    }
    return *style;
}

} // namespace

QString FixedPointText(double value, int decimals)
{
    const NumberStyle &style = numberStyle();
    char buffer[400];
    std::to_chars_result printed{buffer, std::errc::not_supported};
    if (style.plainDigits && std::isfinite(value) && decimals >= 1) {
        // The locale writes no sign on a negative zero (but does on -0.004).
        printed = std::to_chars(buffer, buffer + sizeof buffer, value == 0 ? 0.0 : value, std::chars_format::fixed,
                                decimals);
    }
    if (printed.ec != std::errc()) {
        QLocale locale = style.locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(value, 'f', decimals);
    }
    QString text = QString::fromLatin1(buffer, printed.ptr - buffer);
    text[text.size() - 1 - decimals] = style.decimalPoint;
    return text;
}

QString PositionText(double measure, const QString &unitText)
{
    const QString number = FixedPointText(measure, 2);
    const qsizetype pad = std::max<qsizetype>(0, 5 - number.size());
    QString text(pad + number.size() + 1 + unitText.size(), Qt::Uninitialized);
    QChar *out = text.data();
    out = std::fill_n(out, pad, QLatin1Char(' '));
    out = std::copy(number.cbegin(), number.cend(), out);
    *out++ = QLatin1Char(' ');
    std::copy(unitText.cbegin(), unitText.cend(), out);
    return text;
}

} // namespace strovex
