#pragma once
// What the writers of files derived from a label check before writing.

#include "automation/designer.h"

#include <QStringList>

namespace strovex {

// Throws FileError "Cannot create file \"<output>\". It is the label being
// read." when `output` names one of `labelFiles`, also through a symbolic or
// hard link: writing it would lose the label.
void refuseLabelAsOutput(const QStringList &labelFiles, const QString &output);

} // namespace strovex
