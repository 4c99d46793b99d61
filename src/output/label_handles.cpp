#include "output/label_handles.h"

namespace strovex {

QString fileNamePart(const QString &path)
{
    qsizetype i = path.size();
    while (i > 0) {
        const QChar c = path[i - 1];
#ifdef Q_OS_WIN
        if (c == u'/' || c == u'\\' || c == u':')
            break;
#else
        if (c == u'/')
            break;
#endif
        --i;
    }
    return path.mid(i);
}

QString fileExtension(const QString &path)
{
    const QString name = fileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

QString fileBaseName(const QString &path)
{
    const QString name = fileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

} // namespace strovex
