#include "platform/paths.h"

#include <QDir>
#include <QFile>

namespace strovex {

bool isPathSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == u'/' || c == u'\\';
#else
    return c == u'/';
#endif
}

QChar separatorOf(QStringView folder)
{
    for (qsizetype i = folder.size(); i > 0; --i) {
        if (isPathSeparator(folder[i - 1]))
            return folder[i - 1];
    }
    return QDir::separator();
}

QString withTrailingSeparator(QString folder)
{
    if (folder.isEmpty() || !isPathSeparator(folder.back()))
        folder += separatorOf(folder);
    return folder;
}

QString fileNamePart(const QString &path)
{
    qsizetype i = path.size();
    while (i > 0) {
        const QChar c = path[i - 1];
#ifdef Q_OS_WIN
        // "C:a.lbl" is a.lbl in the current folder of drive C.
        if (isPathSeparator(c) || c == u':')
            break;
#else
        if (isPathSeparator(c))
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

bool isPlainFileName(QStringView name)
{
    if (name == u"." || name == u"..")
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() == 0)
            return false;
#ifdef Q_OS_WIN
        // Windows refuses these in file names, and "Box.a:b.vbs" would write
        // into a hidden stream of a file "Box.a" instead.
        if (c.unicode() < 32 || QStringView(u"<>:\"|?*").contains(c))
            return false;
#endif
    }
    return true;
}

QString fileNameKey(const QString &path)
{
    const QString absolute = QDir::cleanPath(QDir().absoluteFilePath(path));
#ifdef Q_OS_WIN
    // Names are UTF-16 there: through the ANSI code page distinct names would
    // meet ("日" and "本" both become "?").
    return absolute.toCaseFolded();
#else
    return QFile::decodeName(QFile::encodeName(absolute));
#endif
}

} // namespace strovex
