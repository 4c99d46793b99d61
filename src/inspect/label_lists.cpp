#include "inspect/label_lists.h"
#include "inspect/comma_text.h"

#include <algorithm>

namespace strovex {

void sortIgnoringCase(QStringList &list)
{
    std::stable_sort(list.begin(), list.end(), [](const QString &a, const QString &b) {
        const int c = QString::localeAwareCompare(a.toCaseFolded(), b.toCaseFolded());
        return c < 0;
    });
}

QStringList collectFonts(const IQuillmark &label)
{
    QStringList fonts;
    const int count = label.Objects().Count();
    for (int i = 1; i <= count; ++i) {
        const IObjectItem object = label.Objects().Item(i);
        if (!object)
            continue;
        const int kind = object.Kind();
        if (kind != 301 && kind != 309)
            continue;
        const QString font = object.FontName();
        if (!font.isEmpty() && !fonts.contains(font, Qt::CaseInsensitive))
            fonts << font;
    }
    sortIgnoringCase(fonts);
    return fonts;
}

QStringList collectDependentFiles(const IQuillmark &label)
{
    QStringList files;
    for (const QString &item : splitCommaText(label.GetDependentFiles())) {
        if (!item.isEmpty())
            files << item;
    }
    sortIgnoringCase(files);
    return files;
}

} // namespace strovex
