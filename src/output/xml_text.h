#pragma once
// Text inserted into the XML files we write (command files, DGML).

#include <QString>

namespace strovex {

// For attribute values: &, < and " become entity references, tab, CR and LF
// character references (so a reader gets them back). Characters that
// XML 1.0 cannot carry at all (C0 controls other than tab, CR and LF, U+FFFE,
// U+FFFF, unpaired surrogates) become U+FFFD, so the file stays well-formed.
QString xmlAttributeText(const QString &text);
// For element content: as above but tab and LF stay as they are, and the '>'
// of "]]>" is written &gt;.
QString xmlContentText(const QString &text);

} // namespace strovex
