#pragma once
// The value a command file gives a prompted variable: its default value, or a
// random text that suits its input format and length.

#include "automation/designer.h"

#include <QString>

namespace strovex {

// The default value with its line breaks escaped when it is not empty;
// otherwise, by InputFormat: 0 printable ASCII 32..125 without '"', 1 digits
// 0..8, 2 letters and digits, 3 letters (Length characters each; none for a
// Length of 0 or less), 6 "Date", 7 "Time", anything else empty. Each random
// sample starts from a fresh seed taken from a high-resolution clock.
// Throws AutomationError when a designer call fails.
QString MakeSampleValue(const IVar &variable);
// The same from values already read.
QString MakeSampleValue(int length, const QString &defaultValue, int inputFormat);

// CR becomes the two characters "\r", LF becomes "\n"; nothing else changes.
QString EscapeLineBreaks(const QString &text);

} // namespace strovex
