#pragma once
// The font families installed on this machine, for the health check. The core
// links no Qt Gui, so the portable side asks fontconfig's fc-list and the
// Windows side the system's font list.

#include <QStringList>

#include <optional>

namespace strovex {

// Every installed family name (localised names too); nothing when the list
// cannot be had, so that no font is reported missing for want of it.
std::optional<QStringList> installedFontFamilies();

} // namespace strovex
