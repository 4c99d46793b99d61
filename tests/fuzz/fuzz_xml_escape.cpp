// The XML escaping: any text, escaped for an attribute and for element
// content, gives a well-formed document that reads back as the text (with
// the characters XML cannot carry as U+FFFD).
#include "fuzz_check.h"
#include "graph_input.h"
#include "output/xml_text.h"

#include <QXmlStreamReader>

using namespace strovex;
using namespace strovex::fuzz;

namespace {

// The text as a reader gets it back.
QString representable(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || c.isSurrogate() || u == 0xFFFE || u == 0xFFFF) {
            out += QChar(QChar::ReplacementCharacter);
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const char *data, std::size_t size)
{
    const QString text = fuzzText(data, size);
    const QString document = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<r a=\"") + xmlAttributeText(text)
        + QStringLiteral("\">") + xmlContentText(text) + QStringLiteral("</r>\r\n");

    QXmlStreamReader reader(document.toUtf8());
    QString attribute, content;
    bool root = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && !root) {
            root = true;
            attribute = reader.attributes().value(QStringLiteral("a")).toString();
        } else if (reader.isCharacters() && root) {
            content += reader.text();
        }
    }
    require(!reader.hasError(), "well-formed", units(text) + QStringLiteral("\n") + reader.errorString());
    const QString expected = representable(text);
    require(attribute == expected, "the attribute reads back", units(text) + QStringLiteral("\ngot: ") + units(attribute));
    // Element content: a reader turns CR LF and lone CR into LF unless the CR was a reference.
    require(content == expected, "the content reads back", units(text) + QStringLiteral("\ngot: ") + units(content));
    return 0;
}
