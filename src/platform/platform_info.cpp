#include "platform/platform_info.h"
#include "sim/sim_designer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace strovex {

QString productVersion()
{
    return QStringLiteral(STROVEX_VERSION);
}

int buildNumber()
{
    return STROVEX_BUILD_NUMBER;
}

QString versionText(const QString &productVersion, int build)
{
    QString version = productVersion;
    if (version.contains(QStringLiteral(".0 ")))
        version.replace(QStringLiteral(".0 "), QStringLiteral(" "));
    else if (version.endsWith(QStringLiteral(".0")))
        version.chop(2);
    return version + QStringLiteral(" (build ") + QString::number(build) + QLatin1Char(')');
}

QString uniqueTempFileName(const QString &prefix, const QString &extension)
{
    // QTemporaryFile creates the file exclusively, so two views never get the
    // same name; we keep the reserved stem and swap the extension.
    for (int attempt = 0; attempt < 100; ++attempt) {
        QTemporaryFile reserve(QDir::tempPath() + QLatin1Char('/') + prefix + QStringLiteral("XXXXXX") + extension);
        reserve.setAutoRemove(false);
        if (!reserve.open())
            continue;
        const QString name = reserve.fileName();
        reserve.close();
        QFile::remove(name);
        return name;
    }
    return QDir::tempPath() + QLatin1Char('/') + prefix + extension;
}

#ifndef _WIN32
ProgIdResolver &designerResolver()
{
    static bool registered = false;
    auto &table = InProcessServerTable::instance();
    if (!registered) {
        registered = true;
        sim::registerFromEnvironment(table);
    }
    return table;
}
#endif

} // namespace strovex
