#include "platform/files.h"

namespace strovex {

FileError::FileError(const QString &message)
    : std::runtime_error(message.toUtf8().toStdString()), message_(message)
{
}

void writeFileAtomically(const QString &path, const QByteArray &bytes, LinkAtTarget link)
{
    if (const std::optional<QString> reason = replaceFile(path, bytes, link))
        throw FileError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, *reason));
}

QString notARegularFile(const QString &path)
{
    return QStringLiteral("\"%1\" is not a regular file.").arg(path);
}

} // namespace strovex
