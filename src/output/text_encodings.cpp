#include "output/text_encodings.h"

#include <QString>
#include <QtEndian>

namespace strovex {

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
