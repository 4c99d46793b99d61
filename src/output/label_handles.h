#pragma once
// What the generators take: a label's handles (LabelHandles, the same a label
// view holds), and the file-name rules of their outputs.

#include "automation/designer.h"

namespace strovex {

// The text after the last path separator ('/', and on Windows also '\' and ':').
QString fileNamePart(const QString &path);
// The extension of the file-name part from its last dot, dot included; empty
// when the name has no dot.
QString fileExtension(const QString &path);
// The file-name part without its extension.
QString fileBaseName(const QString &path);

} // namespace strovex
