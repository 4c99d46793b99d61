#include "platform/native_names.h"

#include <QFile>

namespace strovex {
namespace {

// The length of the valid UTF-8 sequence at `at`, or 0 when none starts there
// (overlong forms, surrogates and values past U+10FFFF are not valid).
qsizetype validSequence(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    }
    return length;
}

} // namespace

std::optional<QString> exactNameText(const QByteArray &native)
{
    // The same conversions Qt makes when it reads a name and when it opens one.
    QString text = QFile::decodeName(native);
    if (QFile::encodeName(text) != native)
        return std::nullopt;
    return text;
}

QString shownNativeName(const QByteArray &native)
{
    QString shown;
    for (qsizetype at = 0; at < native.size();) {
        const qsizetype length = validSequence(native, at);
        if (length == 0) {
            shown += QStringLiteral("\\x")
                + QString::number(static_cast<unsigned char>(native[at]), 16).toUpper().rightJustified(2, u'0');
            ++at;
        } else {
            shown += QString::fromUtf8(native.constData() + at, length);
            at += length;
        }
    }
    return shown;
}

} // namespace strovex
