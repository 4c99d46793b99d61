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

} // namespace strovex
