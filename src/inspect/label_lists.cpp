#include "inspect/label_lists.h"
#include "inspect/comma_text.h"

#include <algorithm>
#include <vector>

namespace strovex {

void sortIgnoringCase(QStringList &list)
{
    // Each entry folded once, not at every comparison.
    struct Entry {
        QString folded;
        QString text;
    };
    std::vector<Entry> entries;
    entries.reserve(std::size_t(list.size()));
    for (QString &text : list)
        entries.push_back({text.toCaseFolded(), std::move(text)});
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return QString::localeAwareCompare(a.folded, b.folded) < 0;
    });
    for (qsizetype i = 0; i < list.size(); ++i)
        list[i] = std::move(entries[std::size_t(i)].text);
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
