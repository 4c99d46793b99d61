#pragma once
// The handles a generator reads: those a label view keeps from loading.

#include "automation/designer.h"

#include <QStringList>

namespace strovex {

struct LabelHandles {
    IQuillmark FLabel;
    IVariableList FVariables;
    IObjectList FObjects;
    IFunctionList FFunctions;
    IDatabaseList FDatabases;
    // The label files being read (the one these handles are of, and any other
    // the program holds open): a writer never replaces one of them.
    QStringList labelFiles;

    // Reads the four lists from `label`, as a label view does when it loads;
    // `labelFile` (the file `label` was opened from) goes into labelFiles.
    // Throws AutomationError when the designer refuses.
    static LabelHandles fromLabel(const IQuillmark &label, const QString &labelFile = {});
};

// Throws FileError "Cannot create file \"<output>\". It is the label being
// read." when `output` names one of `labelFiles`, also through a symbolic or
// hard link: writing it would lose the label.
void refuseLabelAsOutput(const QStringList &labelFiles, const QString &output);

} // namespace strovex
