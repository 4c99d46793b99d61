#pragma once
// Designer lengths (thousandths of a centimetre) in the label's own unit.

#include <QString>

namespace strovex {

// "cm", "inch", "dot", "mm" for the unit codes 0 to 3; empty for any other code.
QString UnitNameText(int unitCode);

// `value` in the designer's internal unit turned into the unit `unitCode`,
// rounded as fixed-point printing with that unit's decimals (2, 3, 0, 1) would.
// `resolution` (dots per inch) matters for dots only. Any other unit code
// returns `value` unchanged.
double ConvertMeasure(int value, int unitCode, int resolution);

// "%5.2f %s": the number right-aligned to at least five characters, two
// decimals with the default locale's separator, a space, then `unitText`.
QString PositionText(double measure, const QString &unitText);

// `value` with `decimals` decimals as the default locale writes it, without
// group separators: QLocale().toString(value, 'f', decimals), made without
// QLocale where the locale writes plain digits (a load formats every position
// and font size of a label).
QString FixedPointText(double value, int decimals);

} // namespace strovex
