#pragma once
// The handles a generator reads: those a label view keeps from loading.

#include "automation/designer.h"

namespace strovex {

struct LabelHandles {
    IQuillmark FLabel;
    IVariableList FVariables;
    IObjectList FObjects;
    IFunctionList FFunctions;
    IDatabaseList FDatabases;

    // Reads the four lists from `label`, as a label view does when it loads.
    // Throws AutomationError when the designer refuses.
    static LabelHandles fromLabel(const IQuillmark &label);
};

// The text after the last path separator ('/', and on Windows also '\' and ':').
QString fileNamePart(const QString &path);
// The extension of the file-name part from its last dot, dot included; empty
// when the name has no dot.
QString fileExtension(const QString &path);
// The file-name part without its extension.
QString fileBaseName(const QString &path);

} // namespace strovex
