#pragma once
// Everything the label view shows of one label, read through the designer in
// one pass: the Label Info texts, the four grids' rows, the fonts and the
// dependent files. A plain value: the view shows it, `info` prints it, and
// whatever compares or indexes labels keeps it without a designer at hand.

#include "automation/designer.h"
#include "inspect/label_info.h"
#include "inspect/label_rows.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace strovex {

struct LabelContents {
    LabelInfoTexts info;
    std::vector<TObjectRow> objects;     // in the label's order, as read
    std::vector<TVariableRow> variables; // the variables, then the other variables
    std::vector<TDatabaseRow> databases;
    std::vector<TFunctionRow> functions;
    QStringList fonts; // the Fonts page: sorted, one per name
    QStringList files; // the Dependant Files page: sorted

    bool operator==(const LabelContents &) const = default;
};

// The parts in the order they are read, which is the pages' order.
enum class LabelPart { LabelInfo, Objects, Variables, Databases, Functions, Fonts, DependentFiles };
// The page's name as the view and `info` show it ("Label Info", …, "Dependant Files").
QString labelPartName(LabelPart part);

// Reads every part of `label` in order, each designer member once (the unit
// read for Label Info serves the objects' positions; the objects' walk gives
// the font names). `onPart`, when given, is called as each part begins, for
// progress; the long fills call LoadStatus::tick() inside.
//
// A failing designer call throws AutomationError and leaves in `contents`
// every part read before, and what was read of the failing part (the rows
// read so far, the last one possibly partly filled); `onPart` has named it.
void readLabelContents(const LabelHandles &label, LabelContents &contents,
                       const std::function<void(LabelPart)> &onPart = {});
LabelContents readLabelContents(const LabelHandles &label);

} // namespace strovex
