#pragma once
// Qt's file dialogs remember their last folder, history and view under a key
// of Qt's own (HKEY_CURRENT_USER\Software\QtProject on Windows, QtProject.conf
// in the user's config folder elsewhere), which uninstalling Strovex would
// leave behind. Strovex keeps no such memory: what the dialogs wrote during a
// run is taken out again at its end, and only that.

#include <QString>

namespace strovex {

class QtDialogMemory {
public:
    // Notes whether the dialogs' memory was there before this run.
    QtDialogMemory();
    // Where it was not, removes it, and any key or file of Qt's left empty.
    ~QtDialogMemory();
    QtDialogMemory(const QtDialogMemory &) = delete;
    QtDialogMemory &operator=(const QtDialogMemory &) = delete;

private:
    bool existedBefore_ = false;
};

// What the Windows build removes once the dialogs' group is gone: the keys of
// Qt's own below HKEY_CURRENT_USER that are left without values or subkeys.
// Elsewhere the settings file of Qt's own, when it is left empty.
void removeEmptyQtSettings();

} // namespace strovex
