#include "output/variable_record.h"

#include <QSet>

#include <algorithm>
#include <optional>
#include <utility>

namespace strovex {

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

namespace {

// The record of a variable whose Kind and PromptMode (for kind 1) were read.
std::unique_ptr<TVariable> recordOf(const IVar &variable, int kind, int promptMode)
{
    auto record = std::make_unique<TVariable>();
    record->SetVariable(variable);
    record->SetDefaultValue(variable.DefaultValue());
    record->SetPromptMode(promptMode);
    record->SetInputFormat(variable.InputFormat());
    record->SetID(variable.ID());
    record->SetIsUsed(variable.IsUsed());
    const int length = variable.Length();
    record->SetLength(std::uint16_t(std::uint32_t(length) & 0xFFFFu));
    record->SetDesignerLength(length);
    record->SetName(variable.Name());
    record->SetPromptOrder(variable.PromptOrder());
    record->SetKind(kind);
    return record;
}

// Kind, then PromptMode only for kind 1; nullopt when not prompted.
std::optional<std::pair<int, int>> promptKindAndMode(const IVar &variable)
{
    const int kind = variable.Kind();
    if (kind != 1)
        return std::nullopt;
    const int promptMode = variable.PromptMode();
    if (promptMode == 2)
        return std::nullopt;
    return std::pair{kind, promptMode};
}

} // namespace

bool isPromptVariable(const IVar &variable)
{
    return promptKindAndMode(variable).has_value();
}

std::unique_ptr<TVariable> CreateVariableRecord(const IVar &variable)
{
    if (variable.isNull())
        return nullptr;
    const auto prompted = promptKindAndMode(variable);
    if (!prompted)
        return nullptr;
    return recordOf(variable, prompted->first, prompted->second);
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
    // Everything is built and sorted here first, so a failing designer call
    // leaves `list` as it was; the records built so far die with `found`.
    // One walk reads each variable's members once; VariableMode once, when a
    // prompted variable asks for it.
    TVarList found;
    const IVariableList variables = label.Variables();
    const int total = variables.Count();
    std::optional<int> variableMode;
    for (int index = 1; index <= total; ++index) {
        const IVar variable = variables.Item(index);
        if (variable.isNull())
            continue;
        const auto prompted = promptKindAndMode(variable);
        if (!prompted)
            continue;
        if (!variableMode)
            variableMode = label.VariableMode();
        if (*variableMode == 1 && variable.Marked())
            continue;
        found.Add(recordOf(variable, prompted->first, prompted->second));
    }
    if (found.Count() == 0)
        return;
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
