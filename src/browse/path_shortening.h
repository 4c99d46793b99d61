#pragma once
// How the folder picker fits a path into its status line.

#include <QChar>
#include <QString>

namespace strovex {

// A path of at most `limit` characters, or of two components or fewer, comes
// back unchanged. Otherwise the second component becomes `filler` and, while
// the result is longer than `limit` and has more than three components, the
// third component is dropped. The result may be longer than the path itself.
QString shortenPath(const QString &path, QChar separator, int limit = 35,
                    const QString &filler = QStringLiteral("..."));

} // namespace strovex
