#pragma once
// Save dialogs whose added suffix follows the selected type.

class QFileDialog;
class QString;

namespace strovex {

// From now on `dialog` adds the suffix of the type selected in it to a name
// typed without one; `fallbackSuffix` where the type names none.
void addSuffixOfSelectedType(QFileDialog &dialog, const QString &fallbackSuffix);

} // namespace strovex
