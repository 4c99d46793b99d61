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

QStringList collectFonts(const QStringList &fontNames)
{
    QStringList fonts;
    for (const QString &font : fontNames) {
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
