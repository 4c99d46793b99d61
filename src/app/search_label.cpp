#include "app/search_label.h"

namespace strovex {
namespace {

// The group row under `root` titled `title`, made at its grid's first match
// so that a grid without matches leaves no empty group behind.
SearchTreeRow &groupRow(SearchTreeRow &root, const QString &title)
{
    if (root.children.empty() || root.children.back().text != title)
        root.children.push_back({title, {}});
    return root.children.back();
}

void SearchVisitRow(SearchTreeRow &root, const TObjectRow &row, const QString &text)
{
    if (row.Name == text)
        groupRow(root, QStringLiteral("Objects")).children.push_back({QStringLiteral("Name: ") + row.Name, {}});
}

void SearchVisitRow(SearchTreeRow &root, const TVariableRow &row, const QString &text)
{
    if (row.Name == text)
        groupRow(root, QStringLiteral("Variables")).children.push_back({QStringLiteral("Name: ") + row.Name, {}});
    if (row.DefaultValue == text)
        groupRow(root, QStringLiteral("Variables"))
            .children.push_back({QStringLiteral("Default value: ") + row.DefaultValue, {}});
}

} // namespace

SearchTreeRow SearchLabel(const QString &fileName, const std::vector<const TObjectRow *> &objects,
                          const std::vector<const TVariableRow *> &variables, const QString &text)
{
    SearchTreeRow root{fileName, {}};
    for (const TObjectRow *row : objects)
        SearchVisitRow(root, *row, text);
    for (const TVariableRow *row : variables)
        SearchVisitRow(root, *row, text);
    return root;
}

} // namespace strovex
