#include "output/save_suffix.h"

#include <QRegularExpression>

namespace strovex {

QString suffixOfNameFilter(const QString &nameFilter, const QString &fallback)
{
    // The patterns are the text between the last parentheses, or the whole
    // filter where it has none.
    QString patterns = nameFilter;
    const qsizetype open = nameFilter.lastIndexOf(u'(');
    const qsizetype close = nameFilter.lastIndexOf(u')');
    if (open != -1 && close > open)
        patterns = nameFilter.mid(open + 1, close - open - 1);
    const QString first = patterns.split(QRegularExpression(QStringLiteral("[\\s;]+")), Qt::SkipEmptyParts).value(0);
    static const QRegularExpression plain(QStringLiteral("^\\*\\.([^*?\\[\\]./\\\\]+)$"));
    const QRegularExpressionMatch match = plain.match(first);
    return match.hasMatch() ? match.captured(1) : fallback;
}

} // namespace strovex
