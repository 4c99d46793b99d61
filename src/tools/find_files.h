#pragma once
// The recursive label-file search of the batch dialogs.

#include "platform/directory_lister.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace strovex {

// Appends to `list` every file of `folder` whose name matches `mask` ("*" and
// "?", letter case ignored; hidden files included), each as folder + separator
// + name with no doubled separator, then, when `recursive`, does the same for
// every sub-folder depth first in enumeration order. Hidden and system folders
// are skipped, and so is a folder already on the current search path (reached
// again through a link). Nothing is sorted or de-duplicated. A folder that
// cannot be read contributes nothing; never throws for file-system reasons.
// Returns the number of files appended.
int FindFiles(const QString &mask, const QString &folder, bool recursive, QStringList &list);

// Case-insensitive wildcard match of a whole name ("*" any run, "?" one character).
bool wildcardMatches(QStringView mask, QStringView name);

// The lister FindFiles uses; tests swap it (null puts the native one back).
DirectoryLister &directoryLister();
void setDirectoryLister(std::shared_ptr<DirectoryLister> lister);
// Supplied by the platform side in use (POSIX here, Win32 on Windows).
std::shared_ptr<DirectoryLister> createNativeDirectoryLister();

} // namespace strovex
