#pragma once
// Encodings of generated text files. Every line, the last one included, ends
// with CR LF.

#include <QByteArray>
#include <QStringList>

namespace strovex {

QByteArray utf16LeWithBom(const QStringList &lines); // FF FE, then UTF-16 LE
QByteArray utf8Lines(const QStringList &lines);      // no byte-order mark

} // namespace strovex
