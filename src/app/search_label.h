#pragma once
// The search in the active label: which of the Objects and Variables rows
// match a text, as the rows of the results tree. Decided here, shown by the
// main window.

#include "inspect/label_rows.h"

#include <QString>

#include <vector>

namespace strovex {

// One row of the results tree and the rows under it.
struct SearchTreeRow {
    QString text;
    std::vector<SearchTreeRow> children;
    bool operator==(const SearchTreeRow &) const = default;
};

// The label row (text: `fileName`) with an "Objects" group row when an object's
// Name equals `text`, then a "Variables" group row when a variable's Name or
// DefaultValue does; each group holds "Name: <name>" and "Default value:
// <value>" match rows, a variable's name line before its default-value line.
// Comparison is exact and case-sensitive over the whole value; an empty text
// matches empty values. Rows are visited in the order given: the grids'
// display order. A group without a match is not made. Never fails.
SearchTreeRow SearchLabel(const QString &fileName, const std::vector<const TObjectRow *> &objects,
                          const std::vector<const TVariableRow *> &variables, const QString &text);

} // namespace strovex
