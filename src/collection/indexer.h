#pragma once
// Indexing: walks folders as the batch tools' "++" does and brings the store
// up to date with what is on disk, calling the designer only for labels that
// are new or whose bytes changed.

#include "collection/collection_store.h"

#include <functional>

namespace strovex {

// What reading one label gave: its contents, or why there are none.
struct LabelReading {
    LabelState state = LabelState::Read;
    QString error;
    LabelContents contents;
};
// Reads one label through the designer. Never throws for a label's own fault:
// a refusal or a failed call comes back as the reading's state and error.
using LabelReader = std::function<LabelReading(const QString &path)>;

struct IndexHooks {
    // Before label `done` (0-based) of the `total` labels to read is read.
    std::function<void(int done, int total, const QString &path)> labelStarted;
    // Asked before each label is read: true ends the run there. Every label
    // finished stays; nothing is removed and no folder counts as refreshed.
    std::function<bool()> stopRequested;
};

struct IndexSummary {
    int found = 0;     // label files found in the reachable folders
    int unchanged = 0; // same path, size and modification time: not opened
    int read = 0;      // read by the designer (refused and failed included)
    int refused = 0;
    int failed = 0;
    int touched = 0;   // new time or size, same bytes: not opened
    int moved = 0;     // same bytes at a new path, the old path gone: not opened
    int removed = 0;
    QStringList unreachable; // folders that could not be read; their labels are kept, "not seen"
    bool stopped = false;
    int toRead = 0; // labels that needed the designer
};

// A folder as the index keys it: absolute, cleaned, with the platform's separators.
QString indexFolderPath(const QString &folder);

// Brings the labels below `folders` up to date in `store`, one label per
// transaction. Throws CollectionError when the store fails; labels finished
// before stay.
IndexSummary indexFolders(CollectionStore &store, const QStringList &folders, const LabelReader &reader,
                          const IndexHooks &hooks = {});

// The SHA-256 of a file's bytes in lower-case hex; empty when it cannot be read.
QByteArray fileSha256(const QString &path);

} // namespace strovex
