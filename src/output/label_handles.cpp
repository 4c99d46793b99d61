#include "output/label_handles.h"

namespace strovex {

LabelHandles LabelHandles::fromLabel(const IQuillmark &label)
{
    LabelHandles handles;
    handles.FLabel = label;
    handles.FObjects = label.Objects();
    handles.FVariables = label.Variables();
    handles.FDatabases = label.Databases();
    handles.FFunctions = label.Functions();
    return handles;
}

} // namespace strovex
