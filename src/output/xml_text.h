#pragma once
// Text inserted into the XML files we write (command files, DGML).

#include <QString>

#include <optional>

namespace strovex {

// For attribute values: &, < and " become entity references, tab, CR and LF
// character references (so a reader gets them back). Characters that
// XML 1.0 cannot carry at all (C0 controls other than tab, CR and LF, U+FFFE,
// U+FFFF, unpaired surrogates) become U+FFFD, so the file stays well-formed.
QString xmlAttributeText(const QString &text);
// For element content: as above but tab and LF stay as they are, and the '>'
// of "]]>" is written &gt;.
QString xmlContentText(const QString &text);

// The first character of `text` that XML 1.0 cannot carry at all, if any: for
// files where a replaced character would change what the file means.
std::optional<char32_t> firstCharacterXmlCannotCarry(const QString &text);
// A character as messages name it: "U+001D", "U+1F600".
QString characterName(char32_t c);

} // namespace strovex
