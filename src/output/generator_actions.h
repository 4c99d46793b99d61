#pragma once
// The Tools menu's generators: "&Create command file" and "Create &graph".
// Both ask for a file name, write the file, then hand it to the launcher.
// They throw (AutomationError, FileError); the caller runs them inside its
// error boundary. Nothing is started when writing failed.

#include "output/label_handles.h"

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace strovex {

// What a save dialog is asked for. `filters` are Qt name filters.
struct SaveDialogRequest {
    QStringList filters;
    QString defaultSuffix;
    QString proposedName; // empty: the dialog starts empty
};

// Returns the chosen path, or an empty text when the user cancelled.
using SaveDialogRunner = std::function<QString(QWidget *parent, const SaveDialogRequest &request)>;

// A modal QFileDialog that does not confirm overwriting.
QString runSaveDialog(QWidget *parent, const SaveDialogRequest &request);

// Starts the dialog with `lastChosenName` and keeps the name chosen there.
void actToolsCreateJobFileExecute(QWidget *parent, const LabelHandles &view, QString &lastChosenName,
                                  const SaveDialogRunner &dialog = runSaveDialog);

// Proposes the label's file name with ".dot"; ".dot" (exact case) gives DOT,
// anything else DGML.
void actToolsCreateGraphExecute(QWidget *parent, const LabelHandles &view, const QString &labelFileName,
                                const SaveDialogRunner &dialog = runSaveDialog);

// The requests the two actions make, for the dialog.
SaveDialogRequest commandFileDialogRequest(const QString &lastChosenName);
SaveDialogRequest graphDialogRequest(const QString &labelFileName);

} // namespace strovex
