#include "inspect/measure.h"

#include <QLocale>

#include <charconv>

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
    // Round through fixed-point text so the result is what printing it shows;
    // to_chars and from_chars ignore the process locale.
    char buffer[64];
    const auto printed = std::to_chars(buffer, buffer + sizeof buffer, result, std::chars_format::fixed, decimals);
    double rounded = 0;
    std::from_chars(buffer, printed.ptr, rounded);
    return rounded;
}

QString PositionText(double measure, const QString &unitText)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(measure, 'f', 2).rightJustified(5, QLatin1Char(' ')) + QLatin1Char(' ') + unitText;
}

} // namespace strovex
