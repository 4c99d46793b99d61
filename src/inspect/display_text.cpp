#include "inspect/display_text.h"

namespace strovex {

QString replaceLineBreaks(const QString &text, const QString &mark)
{
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString result;
    result.reserve(text.size() + mark.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            result += mark;
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace strovex
