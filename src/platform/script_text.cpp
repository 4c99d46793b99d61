#include "platform/script_text.h"

#ifdef _WIN32
#include "platform/win/script_file.h"
#endif

namespace strovex {

QByteArray scriptFileBytes(const QString &script)
{
#ifdef _WIN32
    const std::string bytes = win::scriptFileBytes(script.toStdU16String());
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
#else
    return (script + QStringLiteral("\r\n")).toLocal8Bit();
#endif
}

} // namespace strovex
