#include "platform/platform_info.h"

#include "platform/files.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QTemporaryDir>

#include <memory>

namespace strovex {

#ifndef _WIN32
QString productVersion()
{
    return QStringLiteral(STROVEX_VERSION);
}

int buildNumber()
{
    return STROVEX_BUILD_NUMBER;
}
#endif

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
    // One folder only this user can enter, kept while the process runs: no one
    // else can plant a file or link at a name in it, so a name never needs to
    // be reserved and released.
    static QMutex mutex;
    static std::unique_ptr<QTemporaryDir> folder;
    static quint64 counter = 0;
    const QMutexLocker lock(&mutex);
    if (!folder || !QFileInfo(folder->path()).isDir()) {
        // tempPath() is empty where the folder TMPDIR names does not exist;
        // the root folder must not stand in for it.
        const QString base = QDir::tempPath();
        folder.reset();
        if (!base.isEmpty())
            folder = std::make_unique<QTemporaryDir>(base + QStringLiteral("/strovex-XXXXXX"));
        if (!folder || !folder->isValid()) {
            const QString reason = folder ? folder->errorString() : QStringLiteral("The folder does not exist.");
            folder.reset();
            throw FileError(QStringLiteral("Cannot create a temporary folder in \"%1\". %2")
                                .arg(QDir::toNativeSeparators(base.isEmpty() ? qEnvironmentVariable("TMPDIR") : base),
                                     reason));
        }
    }
    return folder->filePath(prefix + QString::number(++counter) + extension);
}

namespace {
ProgIdResolver *chosenResolver = nullptr;
} // namespace

ProgIdResolver &designerResolver()
{
    // A program that chose no designer finds none.
    static InProcessServerTable none;
    return chosenResolver ? *chosenResolver : none;
}

void setDesignerResolver(ProgIdResolver *resolver)
{
    chosenResolver = resolver;
}

#ifndef _WIN32
ProgIdResolver *nativeDesignerResolver()
{
    return nullptr;
}
#endif

} // namespace strovex
