#include "output/xml_text.h"

namespace strovex {
namespace {

QString escaped(const QString &text, bool content)
{
    QString out;
    out.reserve(text.size() + 8);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (u == u'&') {
            out += QStringLiteral("&amp;");
        } else if (u == u'<') {
            out += QStringLiteral("&lt;");
        } else if (u == u'"') {
            out += QStringLiteral("&quot;");
        } else if (content && u == u'>' && out.endsWith(QStringLiteral("]]"))) {
            out += QStringLiteral("&gt;");
        } else if (u == u'\r' || (!content && (u == u'\n' || u == u'\t'))) {
            // A reader normalises these (in attributes to spaces); as
            // references they come back as they were.
            out += QStringLiteral("&#%1;").arg(int(u));
        } else if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || c.isSurrogate()
                   || u == 0xFFFE || u == 0xFFFF) {
            out += QChar(QChar::ReplacementCharacter);
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

QString xmlAttributeText(const QString &text)
{
    return escaped(text, false);
}

QString xmlContentText(const QString &text)
{
    return escaped(text, true);
}

} // namespace strovex
