#include "platform/files.h"

#include <QFileInfo>
#include <QSaveFile>

namespace strovex {

std::optional<QString> replaceFile(const QString &path, const QByteArray &bytes, LinkAtTarget link,
                                   const std::function<void(int)> &beforeCommit)
{
    const QFileInfo target(path);
    if (link == LinkAtTarget::Refuse && target.isSymbolicLink())
        return QStringLiteral("A symbolic link has that name; it is not followed.");
    // A folder or device is never replaced by a file.
    if (target.exists() && !target.isFile())
        return notARegularFile(path);
    QSaveFile file(path);
    // Never written in place: a failure part-way would leave it cut.
    file.setDirectWriteFallback(false);
    // Unbuffered: a short write shows in write() itself. Buffered, a small file
    // stays in Qt's buffer and a failing flush in commit() went unnoticed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        QString reason = file.errorString();
        const QFileInfo folder(target.absolutePath());
        if (folder.isDir() && !folder.isWritable())
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

bool isSameFile(const QString &first, const QString &second)
{
    const QFileInfo a(first), b(second);
    return a.exists() && b.exists() && a.canonicalFilePath().compare(b.canonicalFilePath(), Qt::CaseInsensitive) == 0;
}

} // namespace strovex
