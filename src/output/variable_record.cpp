#include "output/variable_record.h"

#include <QSet>

#include <algorithm>

namespace strovex {

bool isPromptVariable(const IVar &variable)
{
    return variable.Kind() == 1 && variable.PromptMode() != 2;
}

void TVariable::Changed()
{
    if (FOnChange)
        FOnChange(*this);
}

int CompareByPromptOrder(const TVariable &a, const TVariable &b)
{
    if (a.PromptOrder() < b.PromptOrder())
        return -1;
    return a.PromptOrder() > b.PromptOrder() ? 1 : 0;
}

void TVarList::Pack()
{
    std::erase_if(items_, [](const auto &record) { return !record; });
}

void TVarList::Sort(const Compare &compare)
{
    std::sort(items_.begin(), items_.end(), [&compare](const auto &a, const auto &b) {
        if (!a || !b)
            return bool(a) && !b;
        return compare(*a, *b) < 0;
    });
}

bool TVarList::HasName(const QString &name) const
{
    return std::any_of(items_.begin(), items_.end(),
                       [&name](const auto &record) { return record && record->Name() == name; });
}

void TVarList::FreeItems()
{
    for (auto &record : items_)
        record.reset();
    items_.clear();
}

std::unique_ptr<TVariable> CreateVariableRecord(const IVar &variable)
{
    if (variable.isNull() || !isPromptVariable(variable))
        return nullptr;
    auto record = std::make_unique<TVariable>();
    record->SetVariable(variable);
    record->SetDefaultValue(variable.DefaultValue());
    record->SetPromptMode(variable.PromptMode());
    record->SetInputFormat(variable.InputFormat());
    record->SetID(variable.ID());
    record->SetIsUsed(variable.IsUsed());
    record->SetLength(std::uint16_t(std::uint32_t(variable.Length()) & 0xFFFFu));
    record->SetName(variable.Name());
    record->SetPromptOrder(variable.PromptOrder());
    record->SetKind(variable.Kind());
    return record;
}

int CountPromptVariables(const IVariableList &variables)
{
    int count = 0;
    const int total = variables.Count();
    for (int index = 1; index <= total; ++index) {
        const IVar variable = variables.Item(index);
        if (!variable.isNull() && isPromptVariable(variable))
            ++count;
    }
    return count;
}

void CollectLabelVariables(TVarList &list, const IQuillmark &label)
{
    if (CountPromptVariables(label.Variables()) == 0)
        return;

    // Everything is built and sorted here first, so a failing designer call
    // leaves `list` as it was; the records built so far die with `found`.
    TVarList found;
    const int total = label.Variables().Count();
    for (int index = 1; index <= total; ++index) {
        const IVar variable = label.Variables().Item(index);
        if (variable.isNull())
            continue;
        if (label.VariableMode() == 1 && variable.Marked())
            continue;
        if (auto record = CreateVariableRecord(variable))
            found.Add(std::move(record));
    }
    found.Pack();
    found.Sort(CompareByPromptOrder);

    // HasName walks the list; a set of the names keeps large labels linear.
    QSet<QString> names;
    for (int i = 0; i < list.Count(); ++i) {
        if (const TVariable *record = list.Get(i))
            names.insert(record->Name());
    }
    for (int i = 0; i < found.Count(); ++i) {
        auto record = found.Take(i);
        if (names.contains(record->Name()))
            continue;
        names.insert(record->Name());
        list.Add(std::move(record));
    }
}

} // namespace strovex
