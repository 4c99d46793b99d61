#include "platform/qt_dialog_memory.h"
#include "platform/win/registry_store.h"

namespace strovex {

void removeEmptyQtSettings()
{
    win::removeEmptyKeys(u"Software\\QtProject\\OrganizationDefaults", u"Software");
}

} // namespace strovex
