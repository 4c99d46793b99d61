#pragma once
// Typed views of the designer's automation interfaces: one line per member,
// its DispID named beside it (designer_ids.h). Each class is a value over a counted reference;
// release() (or destruction) lets the designer object go. Every member throws
// AutomationError when the designer refuses the call, or when the handle is empty.

#include "automation/designer_ids.h"
#include "automation/dispatch.h"

#include <QString>
#include <QStringList>

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
    int Count() const { return getInt(dispid::List::Count); }
    ItemT Item(int index) const { return ItemT(valueToObject(call(dispid::List::Item, {Value(std::int32_t(index))}))); }
};

class IVar : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    int ID() const { return getInt(dispid::Var::ID); }
    QString Name() const { return getText(dispid::Var::Name); }
    int Kind() const { return getInt(dispid::Var::Kind); }
    int Length() const { return getInt(dispid::Var::Length); }
    void SetLength(int length) const { put(dispid::Var::Length, Value(std::int32_t(length))); }
    int InputFormat() const { return getInt(dispid::Var::InputFormat); }
    QString DefaultValue() const { return getText(dispid::Var::DefaultValue); }
    int PromptMode() const { return getInt(dispid::Var::PromptMode); }
    bool IsUsed() const { return getBool(dispid::Var::IsUsed); }
    int PromptOrder() const { return getInt(dispid::Var::PromptOrder); }
    bool Marked() const { return getBool(dispid::Var::Marked); }
};

class IVariableList : public DesignerList<IVar> {
public:
    using DesignerList<IVar>::DesignerList;
    IVar FindByName(const QString &name) const;
};

class IObjectItem : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    int Left() const { return getInt(dispid::Object::Left); }
    int Top() const { return getInt(dispid::Object::Top); }
    QString Name() const { return getText(dispid::Object::Name); }
    int Kind() const { return getInt(dispid::Object::Kind); }
    int Status() const { return getInt(dispid::Object::Status); }
    bool Locked() const { return getBool(dispid::Object::Locked); }
    IVar Variable() const { return getObject<IVar>(dispid::Object::Variable); }
    QString Contents() const { return getText(dispid::Object::Contents); }
    QString FontName() const { return getText(dispid::Object::FontName); }
    bool Italic() const { return getBool(dispid::Object::Italic); }
    bool Bold() const { return getBool(dispid::Object::Bold); }
    int SetFileName(const QString &path) const;
    int FontSize() const { return getInt(dispid::Object::FontSize); }
    bool Underline() const { return getBool(dispid::Object::Underline); }
    bool Strikeout() const { return getBool(dispid::Object::Strikeout); }
};

class IObjectList : public DesignerList<IObjectItem> {
public:
    using DesignerList<IObjectItem>::DesignerList;
};

class IDatabaseItem : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    QString Name() const { return getText(dispid::Database::Name); }
    QString Description() const { return getText(dispid::Database::Description); }
    IVariableList InputVariables() const { return getObject<IVariableList>(dispid::Database::InputVariables); }
    IVariableList OutputVariables() const { return getObject<IVariableList>(dispid::Database::OutputVariables); }
    bool IsUsed() const { return getBool(dispid::Database::IsUsed); }
    QString DriverType() const { return getText(dispid::Database::DriverType); }
    QString TableName() const { return getText(dispid::Database::TableName); }
    QString OrderField() const { return getText(dispid::Database::OrderField); }
    int Navigation() const { return getInt(dispid::Database::Navigation); }
    QString SQL() const { return getText(dispid::Database::SQL); }
    QString ConnectionString() const { return getText(dispid::Database::ConnectionString); }
};

class IDatabaseList : public DesignerList<IDatabaseItem> {
public:
    using DesignerList<IDatabaseItem>::DesignerList;
};

class IFunctionItem : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    QString Name() const { return getText(dispid::Function::Name); }
    QString Description() const { return getText(dispid::Function::Description); }
    int Kind() const { return getInt(dispid::Function::Kind); }
    IVariableList InputVariables() const { return getObject<IVariableList>(dispid::Function::InputVariables); }
    IVariableList OutputVariables() const { return getObject<IVariableList>(dispid::Function::OutputVariables); }
    bool IsUsed() const { return getBool(dispid::Function::IsUsed); }
    QString Script() const { return getText(dispid::Function::Script); }
    QString KindName() const { return getText(dispid::Function::KindName); }
};

class IFunctionList : public DesignerList<IFunctionItem> {
public:
    using DesignerList<IFunctionItem>::DesignerList;
};

class ILabelSettings : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    QString Title() const { return getText(dispid::Settings::Title); }
    int Unit() const { return getInt(dispid::Settings::Unit); }
    QString Width() const { return getText(dispid::Settings::Width); }
    QString Length() const { return getText(dispid::Settings::Length); }
    QString ColumnOffset() const { return getText(dispid::Settings::ColumnOffset); }
    QString RowOffset() const { return getText(dispid::Settings::RowOffset); }
};

class IQuillmark : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    QString FileName() const { return getText(dispid::Label::FileName); }
    bool Save() const { return valueToBool(call(dispid::Label::Save)); }
    IObjectList Objects() const { return getObject<IObjectList>(dispid::Label::Objects); }
    IVariableList Variables() const { return getObject<IVariableList>(dispid::Label::Variables); }
    IFunctionList Functions() const { return getObject<IFunctionList>(dispid::Label::Functions); }
    IDatabaseList Databases() const { return getObject<IDatabaseList>(dispid::Label::Databases); }
    QString PrinterName() const { return getText(dispid::Label::PrinterName); }
    void SetPrinterName(const QString &name) const { put(dispid::Label::PrinterName, Value(toU16(name))); }
    IVariableList OtherVariables() const { return getObject<IVariableList>(dispid::Label::OtherVariables); }
    int Version() const { return getInt(dispid::Label::Version); }
    QString GetDependentFiles() const { return valueToText(call(dispid::Label::GetDependentFiles, {Value(std::int32_t(0))})); }
    ILabelSettings Settings() const { return getObject<ILabelSettings>(dispid::Label::Settings); }
    QString GetPrinterSetting(const QString &name) const { return valueToText(call(dispid::Label::GetPrinterSetting, {Value(toU16(name))})); }
    QString PrinterPort() const { return getText(dispid::Label::PrinterPort); }
    int HorizontalResolution() const { return getInt(dispid::Label::HorizontalResolution); }
    int VerticalResolution() const { return getInt(dispid::Label::VerticalResolution); }
    QString GetSpeedUnit(const QString &printer) const { return valueToText(call(dispid::Label::GetSpeedUnit, {Value(toU16(printer))})); }
    void ExportPreview(const QString &file, int width, int height) const;
    QString GetDarknessValues(const QString &printer) const { return valueToText(call(dispid::Label::GetDarknessValues, {Value(toU16(printer))})); }
    int VariableMode() const { return getInt(dispid::Label::VariableMode); }
    QString OriginalPrinter() const { return getText(dispid::Label::OriginalPrinter); }
    QString FormName() const { return getText(dispid::Label::FormName); }
};

// A file name as the designer is given it: absolute, clean and in the
// platform's own spelling. The designer is a process of its own with a current
// folder of its own, so a relative name would reach another file or none.
QString designerPath(const QString &path);

// quillApp: the designer's application object.
class QuillApp : public DesignerObject {
public:
    using DesignerObject::DesignerObject;
    void Quit() const { call(dispid::App::Quit); }
    QString ErrorText() const { return getText(dispid::App::ErrorText); }
    QString ErrorDetail() const { return getText(dispid::App::ErrorDetail); }
    IQuillmark OpenLabel(const QString &path) const { return IQuillmark(valueToObject(call(dispid::App::OpenLabel, {Value(toU16(designerPath(path)))}))); }
    void Initialize() const { call(dispid::App::Initialize); }
    void SetAutomationFlag(bool on) const { put(dispid::App::AutomationFlag, Value(on)); }
    // ErrorText, then CR LF and ErrorDetail when that is non-empty too.
    QString LastErrorText() const;
};

// An opened label and the four lists every reader of it takes: held together
// from the open until release() or destruction, by whoever shows or writes it.
struct LabelHandles {
    IQuillmark FLabel;
    IVariableList FVariables;
    IObjectList FObjects;
    IFunctionList FFunctions;
    IDatabaseList FDatabases;
    // The label files being read (the one these handles are of, and any other
    // the program holds open): a writer never replaces one of them.
    QStringList labelFiles;

    // Reads the four lists from `label` (Variables, Objects, Databases,
    // Functions, in that order); `labelFile` (the file `label` was opened
    // from) goes into labelFiles. Throws AutomationError when the designer refuses.
    static LabelHandles fromLabel(const IQuillmark &label, const QString &labelFile = {});
    explicit operator bool() const { return bool(FLabel); }
    void release();
};

} // namespace strovex
