#include "platform/files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace strovex {

FileError::FileError(const QString &message)
    : std::runtime_error(message.toUtf8().toStdString()), message_(message)
{
}

std::optional<QString> replaceFile(const QString &path, const QByteArray &bytes, LinkAtTarget link,
                                   const std::function<void(int)> &beforeCommit)
{
    const QFileInfo target(path);
    if (link == LinkAtTarget::Refuse && target.isSymbolicLink())
        return QStringLiteral("A symbolic link has that name; it is not followed.");
    QSaveFile file(path);
    // A user may be allowed to change a file in a folder where they may not
    // create one: then the file is written in place.
    file.setDirectWriteFallback(true);
    // Unbuffered: a short write shows in write() itself. Buffered, a small file
    // stays in Qt's buffer and a failing flush in commit() went unnoticed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        QString reason = file.errorString();
        const QFileInfo folder(target.absolutePath());
        if (!target.exists() && folder.isDir() && !folder.isWritable())
            reason += QStringLiteral(" The folder \"%1\" does not allow new files.").arg(folder.filePath());
        return reason;
    }
    for (qint64 done = 0; done < bytes.size();) {
        // After a short write the next one fails and tells the system's reason.
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return reason;
        }
        done += written;
    }
    if (beforeCommit)
        beforeCommit(int(file.handle()));
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

void writeFileAtomically(const QString &path, const QByteArray &bytes, LinkAtTarget link)
{
    if (const std::optional<QString> reason = replaceFile(path, bytes, link))
        throw FileError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, *reason));
}

bool isSameFile(const QString &first, const QString &second)
{
#ifdef Q_OS_UNIX
    struct stat a {};
    struct stat b {};
    return ::stat(QFile::encodeName(first).constData(), &a) == 0 && ::stat(QFile::encodeName(second).constData(), &b) == 0
           && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
#else
    const QFileInfo a(first), b(second);
    return a.exists() && b.exists() && a.canonicalFilePath().compare(b.canonicalFilePath(), Qt::CaseInsensitive) == 0;
#endif
}

} // namespace strovex
