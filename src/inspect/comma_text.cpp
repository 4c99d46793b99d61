#include "inspect/comma_text.h"

namespace strovex {
namespace {

bool isBlank(QChar c)
{
    return c.unicode() <= u' ';
}

} // namespace

QStringList splitCommaText(const QString &text)
{
    QStringList items;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text[i]))
        ++i;
    if (i >= n)
        return items;
    for (;;) {
        QString item;
        if (text[i] == u'"') {
            ++i;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        item += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
            // Characters after the closing quote up to the separator belong to the item.
            while (i < n && text[i] != u',' && !isBlank(text[i]))
                item += text[i++];
        } else {
            while (i < n && text[i] != u',' && !isBlank(text[i]))
                item += text[i++];
        }
        items << item;
        while (i < n && isBlank(text[i]))
            ++i;
        if (i >= n)
            break;
        if (text[i] == u',') {
            ++i;
            while (i < n && isBlank(text[i]))
                ++i;
            if (i >= n) {
                items << QString();
                break;
            }
        }
    }
    return items;
}

QString joinCommaText(const QStringList &items)
{
    if (items.size() == 1 && items.front().isEmpty())
        return QStringLiteral("\"\"");
    QStringList parts;
    parts.reserve(items.size());
    for (const QString &item : items) {
        bool quote = false;
        for (QChar c : item) {
            if (isBlank(c) || c == u'"' || c == u',') {
                quote = true;
                break;
            }
        }
        if (quote) {
            QString escaped = item;
            escaped.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            parts << QLatin1Char('"') + escaped + QLatin1Char('"');
        } else {
            parts << item;
        }
    }
    return parts.join(QLatin1Char(','));
}

} // namespace strovex
