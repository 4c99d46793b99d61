#include "output/save_file.h"

#include <QSaveFile>

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

QByteArray utf16LeWithBom(const QStringList &lines)
{
    qsizetype units = 1;
    for (const QString &line : lines)
        units += line.size() + 2;
    QByteArray bytes;
    bytes.reserve(units * 2);
    const auto put = [&bytes](char16_t unit) {
        bytes.append(char(unit & 0xFF));
        bytes.append(char(unit >> 8));
    };
    put(0xFEFF);
    for (const QString &line : lines) {
        for (const QChar c : line)
            put(c.unicode());
        put(u'\r');
        put(u'\n');
    }
    return bytes;
}

QByteArray utf8Lines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes.append(line.toUtf8());
        bytes.append("\r\n", 2);
    }
    return bytes;
}

} // namespace strovex
