#pragma once
// The Fonts and Dependant Files pages' contents, read from an opened label.
// Both throw AutomationError when a designer call fails.

#include "automation/designer.h"

#include <QStringList>

namespace strovex {

// The Fonts page from the font names of the text and paragraph
// objects as FillObjectRows collects them: one entry per name compared without
// regard to letter case (the first spelling stays), sorted alphabetically
// ignoring case; empty names are left out.
QStringList collectFonts(const QStringList &fontNames);

// The non-empty items of GetDependentFiles(0) as comma text, sorted
// alphabetically ignoring case; duplicates stay.
QStringList collectDependentFiles(const IQuillmark &label);

// Alphabetical order without regard to letter case, as the sorted lists use.
void sortIgnoringCase(QStringList &list);

} // namespace strovex
