#pragma once
// The folder picker of the batch dialogs: a modal tree of file-system folders
// with a status line showing the selected folder's path, shortened.

#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QString>

class QDialog;
class QWidget;

namespace strovex {

enum class TBrowseInfoFlag {
    bfFileSysDirsOnly = 0x1,   // only folders with a file-system path can be confirmed
    bfDontGoBelowDomain = 0x2,
    bfStatusText = 0x4,        // the dialog has a status line
    bfFileSysAncestors = 0x8,
    bfBrowseForComputer = 0x10,
    bfBrowseForPrinter = 0x20,
};
using TBrowseInfoFlags = QFlags<TBrowseInfoFlag>;

// Where the tree starts: the whole folder namespace, optionally with its top level opened.
enum class TSHFolders { foDesktop, foDesktopExpanded };

class TBrowseFolder : public QObject {
    Q_OBJECT
public:
    // `owner` is the dialog that holds the picker; the picker window is its child.
    explicit TBrowseFolder(QWidget *owner);

    // Start folder; after a confirmed pick, the chosen folder in native form,
    // without a trailing separator except for a root.
    QString Directory() const { return FDirectory; }
    void setDirectory(const QString &directory) { FDirectory = directory; }
    QString Title() const { return FTitle; }
    void setTitle(const QString &title) { FTitle = title; }
    TBrowseInfoFlags Flags() const { return FFlags; }
    void setFlags(TBrowseInfoFlags flags) { FFlags = flags; }
    bool ShowPathInStatusArea() const { return FShowPathInStatusArea; }
    void setShowPathInStatusArea(bool on) { FShowPathInStatusArea = on; }
    TSHFolders RootFolder() const { return FRootFolder; }
    void setRootFolder(TSHFolders root) { FRootFolder = root; }

    // Shows the picker modally. True when the user confirmed a folder
    // (Directory then holds it); false on cancel, Directory unchanged.
    bool Execute();

    // The folder selected while the picker is open (empty when the item has no path).
    QString selectedPath() const { return FSelected; }

private:
    QWidget *owner_;
    QString FDirectory;
    QString FTitle;
    TBrowseInfoFlags FFlags;
    bool FShowPathInStatusArea = false;
    TSHFolders FRootFolder = TSHFolders::foDesktopExpanded;
    QString FSelected;
};

} // namespace strovex

Q_DECLARE_OPERATORS_FOR_FLAGS(strovex::TBrowseInfoFlags)
