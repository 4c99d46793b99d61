#pragma once
// The bytes of a script file (".vbs") the script host can read.

#include <QByteArray>
#include <QString>

namespace strovex {

// `script` and a CR LF line break: on Windows in the ANSI code page, or UTF-16
// with a byte-order mark when that code page cannot hold every character (never
// a replacement character); elsewhere in the locale's encoding.
QByteArray scriptFileBytes(const QString &script);

} // namespace strovex
