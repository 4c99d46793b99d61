#pragma once
// The font families of this Windows session (EnumFontFamiliesExW), free of Qt.

#include <string>
#include <vector>

namespace strovex::win {

std::vector<std::u16string> installedFontFamilies();

} // namespace strovex::win
