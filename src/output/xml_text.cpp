#include "output/xml_text.h"

namespace strovex {
namespace {

// A code unit that is not the start of a surrogate pair.
bool xmlCannotCarry(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || c.isSurrogate() || u == 0xFFFE || u == 0xFFFF;
}

bool startsPair(const QString &text, qsizetype i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
}

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
        } else if (startsPair(text, i)) {
            out += c;
            out += text[++i];
        } else if (xmlCannotCarry(c)) {
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

std::optional<char32_t> firstCharacterXmlCannotCarry(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (startsPair(text, i))
            ++i;
        else if (xmlCannotCarry(text[i]))
            return text[i].unicode();
    }
    return std::nullopt;
}

QString characterName(char32_t c)
{
    return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace strovex
