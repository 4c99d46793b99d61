#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace strovex::test {

TempDir::TempDir() = default;

QString TempDir::copy(const QString &source, const QString &name) const
{
    const QString target = file(name.isEmpty() ? QFileInfo(source).fileName() : name);
    QFile::remove(target);
    QFile::copy(source, target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

QString TempDir::write(const QString &name, const QByteArray &bytes) const
{
    const QString target = file(name);
    QDir().mkpath(QFileInfo(target).path());
    QFile f(target);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return target;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString samplePath(const QString &name)
{
    // Absolute as a designer names an open label: on Windows with its drive.
    return QFileInfo(QStringLiteral(STROVEX_SAMPLES_DIR "/") + name).absoluteFilePath();
}

} // namespace strovex::test
