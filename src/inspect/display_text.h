#pragma once
// Texts as one line of a grid cell or list row shows them.

#include <QString>

namespace strovex {

// Every line break (CR LF, a lone CR or a lone LF) replaced by `mark`.
QString replaceLineBreaks(const QString &text, const QString &mark);

// What a grid cell draws for a value that holds line breaks: the lines stay
// visible, separated by a mark that cannot be mistaken for the value's own text.
inline const QString kLineBreakMark = QStringLiteral(" \u21B5 ");

} // namespace strovex
