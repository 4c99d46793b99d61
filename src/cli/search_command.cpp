// search: the search pane's result rows for one label, read from the Objects
// and Variables rows in the grids' initial order, as the app searches them.

#include "app/search_label.h"
#include "cli/cli_internal.h"
#include "inspect/label_rows.h"

namespace strovex::cli {
namespace {

void writeRow(QTextStream &out, const SearchTreeRow &row, int level)
{
    out << QString(2 * level, u' ') << oneLine(row.text) << '\n';
    for (const SearchTreeRow &child : row.children)
        writeRow(out, child, level + 1);
}

} // namespace

int searchCommand(Context &context, const ParsedArgs &args)
{
    const QStringList values = requirePositional(args, 2, QStringLiteral("LABEL and TEXT"));
    const IQuillmark label = context.openLabel(values[0]);
    if (!label)
        return CliFileErrors;

    const auto objects = createObjectGridModel();
    std::vector<TObjectRow> objectRows;
    FillObjectRows(label, label.Objects(), objectRows);
    objects->setRows(std::move(objectRows));
    const auto variables = createVariableGridModel();
    std::vector<TVariableRow> variableRows;
    FillVariableRows(label.Variables(), label.OtherVariables(), variableRows);
    variables->setRows(std::move(variableRows));

    writeRow(context.out,
             SearchLabel(label.FileName(), objects->rowsInDisplayOrder(), variables->rowsInDisplayOrder(), values[1]), 0);
    return CliOk;
}

} // namespace strovex::cli
