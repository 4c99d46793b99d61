#pragma once
// The designer's comma text: items separated by commas or blanks; an item in
// double quotes may hold commas and blanks, two double quotes standing for one.

#include <QString>
#include <QStringList>

namespace strovex {

// Leading blanks (space and control characters) are skipped; a comma at the
// very end adds an empty item; an empty text gives no items.
QStringList splitCommaText(const QString &text);

// Items joined by commas; an item holding a blank, control character, double
// quote or comma is quoted with inner quotes doubled. One empty item gives "".
QString joinCommaText(const QStringList &items);

} // namespace strovex
