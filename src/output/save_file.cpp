#include "output/save_file.h"

#include <QSaveFile>
#include <QtEndian>

namespace strovex {

FileError::FileError(const QString &message)
    : std::runtime_error(message.toUtf8().toStdString())
{
}

void writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    const auto fail = [&path](const QString &reason) {
        throw FileError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(reason);
    }
    if (!file.commit())
        fail(file.errorString());
}

namespace {

// All lines in one text, each followed by CR LF.
QString joinLines(const QStringList &lines, QString start = {})
{
    qsizetype size = start.size();
    for (const QString &line : lines)
        size += line.size() + 2;
    QString text = std::move(start);
    text.reserve(size);
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n", 2);
    }
    return text;
}

} // namespace

QByteArray utf16LeWithBom(const QStringList &lines)
{
    const QString text = joinLines(lines, QString(QChar(QChar::ByteOrderMark)));
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

QByteArray utf8Lines(const QStringList &lines)
{
    return joinLines(lines).toUtf8();
}

} // namespace strovex
