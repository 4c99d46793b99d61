#include "browse/path_shortening.h"

#include <QStringList>

namespace strovex {

QString shortenPath(const QString &path, QChar separator, int limit, const QString &filler)
{
    if (path.size() <= limit)
        return path;
    QStringList parts = path.split(separator);
    if (parts.size() <= 2)
        return path;
    parts[1] = filler;
    QString result = parts.join(separator);
    while (result.size() > limit && parts.size() > 3) {
        parts.removeAt(2);
        result = parts.join(separator);
    }
    return result;
}

} // namespace strovex
