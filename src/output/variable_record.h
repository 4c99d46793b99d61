#pragma once
// Snapshots of a label's prompted variables: a designer variable of Kind 1
// whose PromptMode is not 2. Used by the fixed-width data file.

#include "automation/designer.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace strovex {

// True for a prompted variable. Reads Kind, and PromptMode only when Kind is 1.
bool isPromptVariable(const IVar &variable);

// One designer variable's properties as they were when the record was made,
// plus a counted reference to the variable itself (released with the record).
class TVariable {
public:
    using ChangeHandler = std::function<void(TVariable &)>;

    virtual ~TVariable() = default;

    // Calls OnChange with this record when a handler is set.
    virtual void Changed();

    const QString &DefaultValue() const { return FDefaultValue; }
    std::int32_t PromptMode() const { return FPromptMode; }
    std::int32_t InputFormat() const { return FInputFormat; }
    std::int32_t ID() const { return FID; }
    bool IsUsed() const { return FIsUsed; }
    std::uint16_t Length() const { return FLength; }
    // Length as the designer gave it, before the record's 16 bits cut it.
    std::int32_t DesignerLength() const { return FDesignerLength; }
    // The designer's UTF-16 text unchanged, so distinct names stay distinct.
    const QString &Name() const { return FName; }
    const ChangeHandler &OnChange() const { return FOnChange; }
    std::int32_t PromptOrder() const { return FPromptOrder; }
    const IVar &Variable() const { return FVariable; }
    std::int32_t Kind() const { return FKind; }

    void SetDefaultValue(const QString &value) { FDefaultValue = value; }
    void SetPromptMode(std::int32_t value) { FPromptMode = value; }
    void SetInputFormat(std::int32_t value) { FInputFormat = value; }
    void SetID(std::int32_t value) { FID = value; }
    void SetIsUsed(bool value) { FIsUsed = value; }
    void SetLength(std::uint16_t value) { FLength = value; }
    void SetDesignerLength(std::int32_t value) { FDesignerLength = value; }
    void SetName(const QString &value) { FName = value; }
    void SetOnChange(ChangeHandler value) { FOnChange = std::move(value); }
    void SetPromptOrder(std::int32_t value) { FPromptOrder = value; }
    void SetVariable(IVar value) { FVariable = std::move(value); }
    void SetKind(std::int32_t value) { FKind = value; }

private:
    QString FDefaultValue;
    std::int32_t FPromptMode = 0;
    std::int32_t FInputFormat = 0;
    std::int32_t FID = 0;
    bool FIsUsed = false;
    std::uint16_t FLength = 0;
    std::int32_t FDesignerLength = 0;
    QString FName;
    ChangeHandler FOnChange;
    std::int32_t FPromptOrder = 0;
    IVar FVariable;
    std::int32_t FKind = 0;
};

// -1, 0 or +1 by PromptOrder (signed 32-bit).
int CompareByPromptOrder(const TVariable &a, const TVariable &b);

// An ordered list of records, 0-based. Entries may be empty. The list owns its
// records: FreeItems (or destroying the list) releases them and their
// designer references.
class TVarList {
public:
    using Compare = std::function<int(const TVariable &, const TVariable &)>;

    int Count() const { return int(items_.size()); }
    void Add(std::unique_ptr<TVariable> record) { items_.push_back(std::move(record)); }
    TVariable *Get(int index) const { return items_.at(std::size_t(index)).get(); }
    void Set(int index, std::unique_ptr<TVariable> record) { items_.at(std::size_t(index)) = std::move(record); }
    // Removes and returns the record at `index`, leaving the entry empty.
    std::unique_ptr<TVariable> Take(int index) { return std::move(items_.at(std::size_t(index))); }
    void Pack(); // drops empty entries
    // Sorts ascending by `compare` (not stable); empty entries go last.
    void Sort(const Compare &compare);
    // True when a record named exactly `name` (case-sensitive) is in the list.
    bool HasName(const QString &name) const;
    void FreeItems();

private:
    std::vector<std::unique_ptr<TVariable>> items_;
};

// A new record of `variable`, or nullptr when it is absent or not prompted.
// Each member is read once. Throws AutomationError when a designer call fails.
std::unique_ptr<TVariable> CreateVariableRecord(const IVar &variable);

// The number of prompted variables in `variables` (empty items skipped).
int CountPromptVariables(const IVariableList &variables);

// Appends the label's prompted variables to `list`, sorted by PromptOrder,
// skipping names the list already holds (so the first in prompt order wins).
// With VariableMode 1, Marked variables are left out. When a designer call
// fails the AutomationError passes on and `list` is unchanged.
void CollectLabelVariables(TVarList &list, const IQuillmark &label);

} // namespace strovex
