#pragma once
// The suffix a save dialog adds to a name typed without one follows the type
// selected in it, as the Windows dialog does with a default extension: the
// writer is then chosen by the suffix the user sees.

#include <QString>

namespace strovex {

// The suffix (no dot) of the first pattern of a Qt name filter such as
// "Dot File (*.dot)"; `fallback` where the filter names no plain suffix
// ("All files (*)", "*.tar*", no pattern at all).
QString suffixOfNameFilter(const QString &nameFilter, const QString &fallback);

} // namespace strovex
