#pragma once
// The reader indexing uses: one label opened and read through the designer
// with the one core reading of a label.

#include "automation/designer.h"
#include "collection/indexer.h"

#include <functional>

namespace strovex {

// Opens each label through the designer `connect` gives (called for the first
// label that needs it, so a run with nothing to read makes no designer call;
// what it throws ends the run), reads every part once and lets it go. A
// refusal keeps the designer's text; a failing call is kept as that label's
// failure and the run goes on.
LabelReader designerLabelReader(std::function<const QuillApp &()> connect);

} // namespace strovex
