#pragma once
// Undo of a run from its journal: each label whose bytes are still the ones
// the run left gets its kept bytes back, through the atomic replace every
// write uses. Labels changed since are left alone unless forced; what an undo
// replaces is itself kept in a new run's journal, so an undo can be undone.

#include <QString>
#include <QStringList>

namespace strovex {

struct UndoOptions {
    bool force = false;  // restore labels changed since the run too
    bool dryRun = false; // say what would happen, write nothing
};

struct UndoResult {
    QStringList lines;   // one per label, "<path> - <what happened>", then a summary
    int restored = 0;    // restored, or would be in a dry run
    int notRestored = 0; // labels left as they are for a fault or a change since the run
    QString journalId;   // the run that keeps what this undo replaced; empty when nothing was replaced
};

// Undoes run `id` of the journal folder `root` (the labels in reverse order, so
// a label the run saved twice ends with its first bytes). Throws JournalError,
// restoring nothing, when the id is not a run's, the run's folder or the
// journal folder is a symbolic link, the manifest is missing or damaged, or
// another run or undo holds the run. Per label: a kept copy that is missing or
// does not match its recorded hash, or a label name that now leads to another
// file, refuses that label with a message; the others are restored.
UndoResult undoRun(const QString &root, const QString &id, const UndoOptions &options);

// The line after an undo's labels: "Restored N labels." ("1 label").
QString restoredLine(const UndoResult &result);

} // namespace strovex
