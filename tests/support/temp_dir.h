#pragma once
// A temporary folder for one test, removed afterwards; tests never touch the home folder.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace strovex::test {

class TempDir {
public:
    TempDir();
    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }
    // Copies a file into the folder and returns the copy's path.
    QString copy(const QString &source, const QString &name = {}) const;
    QString write(const QString &name, const QByteArray &bytes) const;

private:
    QTemporaryDir dir_;
};

QByteArray readAll(const QString &path);
QString samplePath(const QString &name);

} // namespace strovex::test
