#pragma once
// Typed views of the designer's automation interfaces: one line per member,
// the DispID beside it. Each class is a value over a counted reference;
// release() (or destruction) lets the designer object go. Every member throws
// AutomationError when the designer refuses the call, or when the handle is empty.

#include "automation/dispatch.h"

#include <QString>

#include <initializer_list>

namespace strovex {

QString toQString(std::u16string_view text);
std::u16string toU16(const QString &text);

// Conversions a real server needs: a text member may arrive as a number and a
// number as text; booleans are true when non-zero.
QString valueToText(const Value &value);
int valueToInt(const Value &value);
bool valueToBool(const Value &value);
DispatchRef valueToObject(const Value &value);

class DesignerObject {
public:
    DesignerObject() = default;
    explicit DesignerObject(DispatchRef ref) : ref_(std::move(ref)) {}

    bool isNull() const { return !ref_; }
    explicit operator bool() const { return bool(ref_); }
    void release() { ref_.reset(); }
    const DispatchRef &ref() const { return ref_; }

protected:
    Value get(int dispId) const;
    void put(int dispId, Value value) const;
    Value call(int dispId, std::initializer_list<Value> args = {}) const;
    QString getText(int dispId) const { return valueToText(get(dispId)); }
    int getInt(int dispId) const { return valueToInt(get(dispId)); }
    bool getBool(int dispId) const { return valueToBool(get(dispId)); }
    template<class T> T getObject(int dispId) const { return T(valueToObject(get(dispId))); }

private:
    Dispatch &target() const;
    DispatchRef ref_;
};

// Designer lists are 1-based; Item(i) may come back as nothing (a null handle).
template<class ItemT>
class DesignerList : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    int Count() const { return getInt(1); }
    ItemT Item(int index) const { return ItemT(valueToObject(call(2, {Value(std::int32_t(index))}))); }
};

class IVar : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    int ID() const { return getInt(1); }
    QString Name() const { return getText(2); }
    int Kind() const { return getInt(6); }
    int Length() const { return getInt(10); }
    void SetLength(int length) const { put(10, Value(std::int32_t(length))); }
    int InputFormat() const { return getInt(22); }
    QString DefaultValue() const { return getText(26); }
    int PromptMode() const { return getInt(27); }
    bool IsUsed() const { return getBool(41); }
    int PromptOrder() const { return getInt(50); }
    bool Marked() const { return getBool(61); }
};

class IVariableList : public DesignerList<IVar> {
public:
    using DesignerList<IVar>::DesignerList;
    IVar FindByName(const QString &name) const;
};

class IObjectItem : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    int Left() const { return getInt(2); }
    int Top() const { return getInt(3); }
    QString Name() const { return getText(6); }
    int Kind() const { return getInt(7); }
    int Status() const { return getInt(9); }
    bool Locked() const { return getBool(13); }
    IVar Variable() const { return getObject<IVar>(17); }
    QString Contents() const { return getText(24); }
    QString FontName() const { return getText(25); }
    bool Italic() const { return getBool(26); }
    bool Bold() const { return getBool(27); }
    int SetFileName(const QString &path) const;
    int FontSize() const { return getInt(31); }
    bool Underline() const { return getBool(45); }
    bool Strikeout() const { return getBool(46); }
};

class IObjectList : public DesignerList<IObjectItem> {
public:
    using DesignerList<IObjectItem>::DesignerList;
};

class IDatabaseItem : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    QString Name() const { return getText(2); }
    QString Description() const { return getText(3); }
    IVariableList InputVariables() const { return getObject<IVariableList>(6); }
    IVariableList OutputVariables() const { return getObject<IVariableList>(7); }
    bool IsUsed() const { return getBool(11); }
    QString DriverType() const { return getText(12); }
    QString TableName() const { return getText(18); }
    QString OrderField() const { return getText(19); }
    int Navigation() const { return getInt(21); }
    QString SQL() const { return getText(23); }
    QString ConnectionString() const { return getText(24); }
};

class IDatabaseList : public DesignerList<IDatabaseItem> {
public:
    using DesignerList<IDatabaseItem>::DesignerList;
};

class IFunctionItem : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    QString Name() const { return getText(2); }
    QString Description() const { return getText(3); }
    int Kind() const { return getInt(4); }
    IVariableList InputVariables() const { return getObject<IVariableList>(6); }
    IVariableList OutputVariables() const { return getObject<IVariableList>(7); }
    bool IsUsed() const { return getBool(11); }
    QString Script() const { return getText(12); }
    QString KindName() const { return getText(13); }
};

class IFunctionList : public DesignerList<IFunctionItem> {
public:
    using DesignerList<IFunctionItem>::DesignerList;
};

class ILabelSettings : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    QString Title() const { return getText(1); }
    int Unit() const { return getInt(4); }
    QString Width() const { return getText(13); }
    QString Length() const { return getText(14); }
    QString ColumnOffset() const { return getText(17); }
    QString RowOffset() const { return getText(18); }
};

class IQuillmark : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    QString FileName() const { return getText(1); }
    bool Save() const { return valueToBool(call(3)); }
    IObjectList Objects() const { return getObject<IObjectList>(11); }
    IVariableList Variables() const { return getObject<IVariableList>(12); }
    IFunctionList Functions() const { return getObject<IFunctionList>(13); }
    IDatabaseList Databases() const { return getObject<IDatabaseList>(14); }
    QString PrinterName() const { return getText(15); }
    void SetPrinterName(const QString &name) const { put(15, Value(toU16(name))); }
    IVariableList OtherVariables() const { return getObject<IVariableList>(17); }
    int Version() const { return getInt(34); }
    QString GetDependentFiles() const { return valueToText(call(39, {Value(std::int32_t(0))})); }
    ILabelSettings Settings() const { return getObject<ILabelSettings>(40); }
    QString GetPrinterSetting(const QString &name) const { return valueToText(call(41, {Value(toU16(name))})); }
    QString PrinterPort() const { return getText(43); }
    int HorizontalResolution() const { return getInt(44); }
    int VerticalResolution() const { return getInt(45); }
    QString GetSpeedUnit(const QString &printer) const { return valueToText(call(47, {Value(toU16(printer))})); }
    void ExportPreview(const QString &file, int width, int height) const;
    QString GetDarknessValues(const QString &printer) const { return valueToText(call(61, {Value(toU16(printer))})); }
    int VariableMode() const { return getInt(76); }
    QString OriginalPrinter() const { return getText(85); }
    QString FormName() const { return getText(86); }
};

// A file name as the designer is given it: absolute, clean and in the
// platform's own spelling. The designer is a process of its own with a current
// folder of its own, so a relative name would reach another file or none.
QString designerPath(const QString &path);

// quillApp: the designer's application object.
class QuillApp : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    void Quit() const { call(2); }
    QString ErrorText() const { return getText(10); }
    QString ErrorDetail() const { return getText(11); }
    IQuillmark OpenLabel(const QString &path) const
    {
        return IQuillmark(valueToObject(call(24, {Value(toU16(designerPath(path)))})));
    }
    void Initialize() const { call(27); }
    void SetAutomationFlag(bool on) const { put(32, Value(on)); }
    // ErrorText, then CR LF and ErrorDetail when that is non-empty too.
    QString LastErrorText() const;
};

} // namespace strovex
