#include "platform/win/font_list.h"

#include <windows.h>

#include <algorithm>

namespace strovex::win {
namespace {

int CALLBACK addFamily(const LOGFONTW *font, const TEXTMETRICW *, DWORD, LPARAM list)
{
    auto &families = *reinterpret_cast<std::vector<std::u16string> *>(list);
    std::u16string name(reinterpret_cast<const char16_t *>(font->lfFaceName));
    if (!name.empty() && name[0] != u'@' && std::find(families.begin(), families.end(), name) == families.end())
        families.push_back(name);
    return 1;
}

} // namespace

std::vector<std::u16string> installedFontFamilies()
{
    std::vector<std::u16string> families;
    HDC screen = GetDC(nullptr);
    if (!screen)
        return families;
    LOGFONTW font{};
    font.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(screen, &font, addFamily, reinterpret_cast<LPARAM>(&families), 0);
    ReleaseDC(nullptr, screen);
    return families;
}

} // namespace strovex::win
