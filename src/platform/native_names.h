#pragma once
// File names as the system spells them. On POSIX systems a name is bytes and
// the program holds it as text read as UTF-8; bytes that are not valid UTF-8
// read as U+FFFD, whose own bytes name another file. Such a name is refused
// or passed over wherever it arrives, never used.

#include <QByteArray>
#include <QString>

#include <optional>

namespace strovex {

// The text of the name `native`, or nothing when that text does not name the
// same bytes again.
std::optional<QString> exactNameText(const QByteArray &native);

// `native` for people: its valid UTF-8 as text, every other byte as \xNN.
QString shownNativeName(const QByteArray &native);

} // namespace strovex
