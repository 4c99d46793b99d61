#include "platform/qt_dialog_memory.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace strovex {

void removeEmptyQtSettings()
{
    const QString file = QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName();
    const QFileInfo info(file);
    // Only a plain file of ours to judge; a link or anything else stays.
    if (info.isFile() && !info.isSymLink() && info.size() == 0)
        QFile::remove(file);
}

} // namespace strovex
