#include "platform/installed_fonts.h"

#include "platform/win/font_list.h"

namespace strovex {

std::optional<QStringList> installedFontFamilies()
{
    QStringList families;
    for (const std::u16string &name : win::installedFontFamilies())
        families << QString::fromStdU16String(name);
    if (families.isEmpty())
        return std::nullopt;
    return families;
}

} // namespace strovex
