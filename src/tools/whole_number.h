#pragma once
// The whole numbers a user may type into a batch dialog's number box.

#include <QStringView>

#include <optional>

namespace strovex {

// Optional leading spaces, an optional sign, then decimal digits, or
// hexadecimal digits after "$", "x" or "0x" (either letter case). Nothing may
// follow the digits and the value must lie in the signed 32-bit range.
// Returns nothing for anything else, the empty text included.
std::optional<int> parseWholeNumber(QStringView text);

} // namespace strovex
