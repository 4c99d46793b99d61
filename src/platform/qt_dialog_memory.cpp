#include "platform/qt_dialog_memory.h"

#include <QSettings>

namespace strovex {
namespace {

const QString kOrganization = QStringLiteral("QtProject");
const QString kGroup = QStringLiteral("FileDialog");

} // namespace

QtDialogMemory::QtDialogMemory()
{
    const QSettings settings(QSettings::UserScope, kOrganization);
    existedBefore_ = settings.childGroups().contains(kGroup);
}

QtDialogMemory::~QtDialogMemory()
{
    if (existedBefore_)
        return;
    {
        QSettings settings(QSettings::UserScope, kOrganization);
        settings.remove(kGroup);
        settings.sync();
    }
    removeEmptyQtSettings();
}

} // namespace strovex
