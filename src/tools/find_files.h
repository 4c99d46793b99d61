#pragma once
// The recursive label-file search of the batch dialogs.

#include "platform/directory_lister.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace strovex {

struct FindFilesOptions {
    bool recursive = true; // also search every sub-folder, depth first
    // Told after each folder is read, with the folders read and the files
    // found so far; false stops the search, and FindFiles then leaves `list`
    // as it was and returns -1 (a search is all or nothing).
    std::function<bool(int folders, int files)> progress;
    // Told of each folder not entered and each matching file not listed
    // because its name is not valid text (see DirEntry::inexactName), as the
    // path a user reads: such a name would reach another file.
    std::function<void(const QString &shownPath)> skipped;
};

// The report's line for a path FindFiles passed over (FindFilesOptions::skipped).
QString SkippedNameLine(const QString &shownPath);

// Appends to `list` every regular file of `folder` (links to regular files
// included) whose name matches `mask` ("*" and "?", letter case ignored;
// hidden files included), each as folder + separator + name with no doubled
// separator (on Windows the separator the folder spells last, "\\" when it has
// none), sorted by compareNamesNaturally; then, when recursive, does the
// same for every sub-folder in that order, depth first. Hidden and system
// folders are skipped, each folder (by its identity) is entered at most once
// per call whatever path leads there, and the kernel's pseudo file systems
// are not entered unless `folder` lies on one; names that are not valid text
// are passed over (and told to `options.skipped`). Files already in `list` stay
// and are not de-duplicated against. A folder that cannot be read contributes
// nothing; never throws for file-system reasons. Returns the number of files
// appended, or -1 when `options.progress` stopped it.
int FindFiles(const QString &mask, const QString &folder, const FindFilesOptions &options, QStringList &list);
inline int FindFiles(const QString &mask, const QString &folder, bool recursive, QStringList &list)
{
    FindFilesOptions options;
    options.recursive = recursive;
    return FindFiles(mask, folder, options, list);
}

// Case-insensitive wildcard match of a whole name ("*" any run, "?" one character).
bool wildcardMatches(QStringView mask, QStringView name);

// The order of names in a folder as people read them: letter case ignored and
// runs of digits compared by their value ("file2" before "file10"); names equal
// that way are ordered by their code units so the order is total. <0, 0, >0.
int compareNamesNaturally(QStringView a, QStringView b);

// The lister FindFiles uses; tests swap it (null puts the native one back).
DirectoryLister &directoryLister();
void setDirectoryLister(std::shared_ptr<DirectoryLister> lister);

} // namespace strovex
