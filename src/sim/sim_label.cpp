// The label object and everything reached from it: settings, lists and items.
// Items read the document afresh on every call, so a change made through one
// handle shows through every other handle of the same opened label.

#include "sim/sim_internal.h"
#include "sim/sim_preview.h"

#include "automation/designer.h"
#include "platform/files.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <cmath>

namespace strovex::sim::detail {

namespace {

const QLatin1String kObjects("Objects");
const QLatin1String kVariables("Variables");
const QLatin1String kOtherVariables("OtherVariables");
const QLatin1String kDatabases("Databases");
const QLatin1String kFunctions("Functions");
const QLatin1String kSettings("Settings");

QString indexed(const QString &path, int index0)
{
    return path + QLatin1Char('[') + QString::number(index0 + 1) + QLatin1Char(']');
}

int arraySize(const QJsonObject &root, const QString &key)
{
    return int(root.value(key).toArray().size());
}

[[noreturn]] void outOfRange(const QString &listPath, int index, int count)
{
    raise(QStringLiteral("Index %1 of %2 is out of range (1 to %3).").arg(index).arg(listPath).arg(count));
}

bool isAbsoluteAnywhere(const QString &path)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    return path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1String("\\\\")) || drive.match(path).hasMatch();
}

QString quoteForCommaText(QString text)
{
    if (text.contains(QLatin1Char(' ')) || text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))) {
        text.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

// Where a variable of the label lives: its list and index, or only a name when
// a database, function or object names a variable the label does not declare.
struct VarRef {
    QString listKey;
    int index = -1;
    QString name;
};

int findName(const QStringList &names, const QString &name)
{
    // An exact match wins; otherwise the first match ignoring letter case.
    const int exact = int(names.indexOf(name));
    if (exact >= 0)
        return exact;
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

VarRef resolveVariable(const Document &doc, const QString &name)
{
    for (const QString &key : {QString(kVariables), QString(kOtherVariables)}) {
        const int i = doc.firstIndexOf(key, name);
        if (i >= 0)
            return VarRef{key, i, name};
    }
    return VarRef{QString(), -1, name};
}

// ---------------------------------------------------------------- variables

constexpr Member kVarMembers[] = {
    {dispid::Var::ID, "ID", kGet}, {dispid::Var::Name, "Name", kGet}, {dispid::Var::Kind, "Kind", kGet}, {dispid::Var::Length, "Length", kGet | kPut},
    {dispid::Var::InputFormat, "InputFormat", kGet}, {dispid::Var::DefaultValue, "DefaultValue", kGet}, {dispid::Var::PromptMode, "PromptMode", kGet},
    {dispid::Var::IsUsed, "IsUsed", kGet}, {dispid::Var::PromptOrder, "PromptOrder", kGet}, {dispid::Var::Marked, "Marked", kGet},
};

class SimVariable final : public SimObject {
public:
    SimVariable(std::shared_ptr<Document> doc, VarRef ref)
        : SimObject(doc->app, doc, ref.index >= 0 ? indexed(ref.listKey, ref.index)
                                                  : QStringLiteral("Variable(%1)").arg(ref.name)),
          ref_(std::move(ref))
    {
    }

protected:
    std::span<const Member> members() const override { return kVarMembers; }

    Value call(const Member &member, CallKind kind, std::span<const Value> args) override
    {
        const QJsonObject v = ref_.index >= 0 ? doc_->entry(ref_.listKey, ref_.index)
                                              : QJsonObject{{QStringLiteral("Name"), ref_.name}};
        const auto field = [&](const char *name) { return v.value(QLatin1String(name)); };
        switch (member.id) {
        case dispid::Var::ID: return jsonInt(field("ID"));
        case dispid::Var::Name: return textValue(jsonText(field("Name")));
        case dispid::Var::Kind: return jsonInt(field("Kind"));
        case dispid::Var::Length:
            if (kind == CallKind::Put) {
                const std::int32_t length = argInt(args, 0, "Length");
                if (length < 1)
                    raise(QStringLiteral("Invalid length %1 for variable \"%2\": the length must be at least 1.")
                              .arg(length).arg(jsonText(field("Name"))));
                if (ref_.index < 0)
                    raise(QStringLiteral("Variable \"%1\" is not a variable of the label.").arg(ref_.name));
                doc_->setEntryField(ref_.listKey, ref_.index, QStringLiteral("Length"), length);
                return std::monostate{};
            }
            return jsonInt(field("Length"));
        case dispid::Var::InputFormat: return jsonInt(field("InputFormat"));
        case dispid::Var::DefaultValue: return textValue(jsonText(field("DefaultValue")));
        case dispid::Var::PromptMode: return jsonInt(field("PromptMode"));
        case dispid::Var::IsUsed: return jsonBool(field("IsUsed"));
        case dispid::Var::PromptOrder: return jsonInt(field("PromptOrder"));
        case dispid::Var::Marked: return jsonBool(field("Marked"));
        }
        return std::monostate{};
    }

private:
    VarRef ref_;
};

// ---------------------------------------------------------------- objects

constexpr Member kObjMembers[] = {
    {dispid::Object::Left, "Left", kGet}, {dispid::Object::Top, "Top", kGet}, {dispid::Object::Name, "Name", kGet}, {dispid::Object::Kind, "Kind", kGet},
    {dispid::Object::Status, "Status", kGet}, {dispid::Object::Locked, "Locked", kGet}, {dispid::Object::Variable, "Variable", kGet},
    {dispid::Object::Contents, "Contents", kGet}, {dispid::Object::FontName, "FontName", kGet}, {dispid::Object::Italic, "Italic", kGet},
    {dispid::Object::Bold, "Bold", kGet}, {dispid::Object::SetFileName, "SetFileName", kMethod}, {dispid::Object::FontSize, "FontSize", kGet},
    {dispid::Object::Underline, "Underline", kGet}, {dispid::Object::Strikeout, "Strikeout", kGet},
};

class SimObjectItem final : public SimObject {
public:
    SimObjectItem(std::shared_ptr<Document> doc, int index)
        : SimObject(doc->app, doc, indexed(kObjects, index)), index_(index)
    {
    }

protected:
    std::span<const Member> members() const override { return kObjMembers; }

    Value call(const Member &member, CallKind, std::span<const Value> args) override
    {
        const QJsonObject o = doc_->entry(kObjects, index_);
        const auto field = [&](const char *name) { return o.value(QLatin1String(name)); };
        switch (member.id) {
        case dispid::Object::Left: return jsonInt(field("Left"));
        case dispid::Object::Top: return jsonInt(field("Top"));
        case dispid::Object::Name: return textValue(jsonText(field("Name")));
        case dispid::Object::Kind: return jsonInt(field("Kind"));
        case dispid::Object::Status: return jsonInt(field("Status"));
        case dispid::Object::Locked: return jsonBool(field("Locked"));
        case dispid::Object::Variable: {
            const QString name = jsonText(field("Variable"));
            if (name.isEmpty())
                return std::monostate{};
            return DispatchRef(std::make_shared<SimVariable>(doc_, resolveVariable(*doc_, name)));
        }
        case dispid::Object::Contents: {
            const QString contents = jsonText(field("Contents"));
            return textValue(jsonInt(field("Kind")) == ObjectKind::Graphics ? doc_->resolvePath(contents) : contents);
        }
        case dispid::Object::FontName: return textValue(jsonText(field("FontName")));
        case dispid::Object::Italic: return jsonBool(field("Italic"));
        case dispid::Object::Bold: return jsonBool(field("Bold"));
        case dispid::Object::SetFileName: return setFileName(o, argText(args, 0, "SetFileName"));
        case dispid::Object::FontSize: return jsonInt(field("FontSize"));
        case dispid::Object::Underline: return jsonBool(field("Underline"));
        case dispid::Object::Strikeout: return jsonBool(field("Strikeout"));
        }
        return std::monostate{};
    }

private:
    Value setFileName(const QJsonObject &o, const QString &path)
    {
        app_->clearError();
        const QString name = jsonText(o.value(QLatin1String("Name")));
        if (jsonInt(o.value(QLatin1String("Kind"))) != ObjectKind::Graphics) {
            app_->setError(QStringLiteral("Cannot set picture file"),
                           QStringLiteral("Object \"%1\" is not a graphic.").arg(name));
            return std::int32_t(-1);
        }
        const QFileInfo file(doc_->resolvePath(path));
        if (path.isEmpty() || !file.exists() || !file.isFile()) {
            app_->setError(QStringLiteral("Cannot set picture file"),
                           QStringLiteral("The file \"%1\" does not exist.").arg(path));
            return std::int32_t(-1);
        }
        doc_->setEntryField(kObjects, index_, QStringLiteral("Contents"), path);
        return std::int32_t(0);
    }

    int index_;
};

// ---------------------------------------------------------------- databases and functions

constexpr Member kDbMembers[] = {
    {dispid::Database::Name, "Name", kGet}, {dispid::Database::Description, "Description", kGet}, {dispid::Database::InputVariables, "InputVariables", kGet},
    {dispid::Database::OutputVariables, "OutputVariables", kGet}, {dispid::Database::IsUsed, "IsUsed", kGet}, {dispid::Database::DriverType, "DriverType", kGet},
    {dispid::Database::TableName, "TableName", kGet}, {dispid::Database::OrderField, "OrderField", kGet}, {dispid::Database::Navigation, "Navigation", kGet},
    {dispid::Database::SQL, "SQL", kGet}, {dispid::Database::ConnectionString, "ConnectionString", kGet},
};

constexpr Member kFnMembers[] = {
    {dispid::Function::Name, "Name", kGet}, {dispid::Function::Description, "Description", kGet}, {dispid::Function::Kind, "Kind", kGet},
    {dispid::Function::InputVariables, "InputVariables", kGet}, {dispid::Function::OutputVariables, "OutputVariables", kGet},
    {dispid::Function::IsUsed, "IsUsed", kGet}, {dispid::Function::Script, "Script", kGet}, {dispid::Function::KindName, "KindName", kGet},
};

DispatchRef makeNameList(std::shared_ptr<Document> doc, QString path, QStringList names);

class SimDatabaseItem final : public SimObject {
public:
    SimDatabaseItem(std::shared_ptr<Document> doc, int index)
        : SimObject(doc->app, doc, indexed(kDatabases, index)), index_(index)
    {
    }

protected:
    std::span<const Member> members() const override { return kDbMembers; }

    Value call(const Member &member, CallKind, std::span<const Value>) override
    {
        const QJsonObject d = doc_->entry(kDatabases, index_);
        const auto field = [&](const char *name) { return d.value(QLatin1String(name)); };
        switch (member.id) {
        case dispid::Database::Name: return textValue(jsonText(field("Name")));
        case dispid::Database::Description: return textValue(jsonText(field("Description")));
        case dispid::Database::InputVariables:
        case dispid::Database::OutputVariables: {
            QStringList names;
            for (const QJsonValue &v : field(member.name).toArray())
                names << jsonText(v);
            return makeNameList(doc_, memberPath(member.name), names);
        }
        case dispid::Database::IsUsed: return jsonBool(field("IsUsed"));
        case dispid::Database::DriverType: return textValue(jsonText(field("DriverType")));
        case dispid::Database::TableName: return textValue(jsonText(field("TableName")));
        case dispid::Database::OrderField: return textValue(jsonText(field("OrderField")));
        case dispid::Database::Navigation: return jsonInt(field("Navigation"));
        case dispid::Database::SQL: return textValue(jsonText(field("SQL")));
        case dispid::Database::ConnectionString: return textValue(jsonText(field("ConnectionString")));
        }
        return std::monostate{};
    }

private:
    int index_;
};

class SimFunctionItem final : public SimObject {
public:
    SimFunctionItem(std::shared_ptr<Document> doc, int index)
        : SimObject(doc->app, doc, indexed(kFunctions, index)), index_(index)
    {
    }

protected:
    std::span<const Member> members() const override { return kFnMembers; }

    Value call(const Member &member, CallKind, std::span<const Value>) override
    {
        const QJsonObject f = doc_->entry(kFunctions, index_);
        const auto field = [&](const char *name) { return f.value(QLatin1String(name)); };
        switch (member.id) {
        case dispid::Function::Name: return textValue(jsonText(field("Name")));
        case dispid::Function::Description: return textValue(jsonText(field("Description")));
        case dispid::Function::Kind: return jsonInt(field("Kind"));
        case dispid::Function::InputVariables:
        case dispid::Function::OutputVariables: {
            QStringList names;
            for (const QJsonValue &v : field(member.name).toArray())
                names << jsonText(v);
            return makeNameList(doc_, memberPath(member.name), names);
        }
        case dispid::Function::IsUsed: return jsonBool(field("IsUsed"));
        case dispid::Function::Script: return textValue(jsonText(field("Script")));
        case dispid::Function::KindName: return textValue(jsonText(field("KindName")));
        }
        return std::monostate{};
    }

private:
    int index_;
};

// ---------------------------------------------------------------- lists

constexpr Member kListMembers[] = {{dispid::List::Count, "Count", kGet}, {dispid::List::Item, "Item", kMethod}};
constexpr Member kVarListMembers[] = {
    {dispid::List::Count, "Count", kGet}, {dispid::List::Item, "Item", kMethod}, {dispid::List::FindByName, "FindByName", kMethod}};

// A list over one array of the document, or (for the variables of a database
// or function) over a list of variable names.
class SimList final : public SimObject {
public:
    SimList(std::shared_ptr<Document> doc, QString listKey)
        : SimObject(doc->app, doc, listKey), key_(std::move(listKey)), byName_(false)
    {
    }
    SimList(std::shared_ptr<Document> doc, QString path, QStringList names)
        : SimObject(doc->app, doc, std::move(path)), names_(std::move(names)), byName_(true)
    {
    }

protected:
    bool isVariableList() const { return byName_ || key_ == kVariables || key_ == kOtherVariables; }

    std::span<const Member> members() const override
    {
        if (isVariableList())
            return kVarListMembers;
        return kListMembers;
    }

    QString faultPath(const Member &member, CallKind kind, std::span<const Value> args) const override
    {
        if (member.id == dispid::List::Item && !args.empty())
            return path_ + QLatin1Char('[') + argForPath(args[0]) + QLatin1Char(']');
        return SimObject::faultPath(member, kind, args);
    }

    Value call(const Member &member, CallKind, std::span<const Value> args) override
    {
        const int count = byName_ ? int(names_.size()) : arraySize(doc_->root, key_);
        switch (member.id) {
        case dispid::List::Count:
            return std::int32_t(count);
        case dispid::List::Item: {
            const std::int32_t index = argInt(args, 0, "Item");
            if (index < 1 || index > count)
                outOfRange(path_, index, count);
            return item(index - 1);
        }
        case dispid::List::FindByName: {
            const QString name = argText(args, 0, "FindByName");
            const int i = findName(byName_ ? names_ : doc_->names(key_), name);
            if (i < 0)
                return std::monostate{};
            return item(i);
        }
        }
        return std::monostate{};
    }

private:
    DispatchRef item(int index0) const
    {
        if (byName_)
            return std::make_shared<SimVariable>(doc_, resolveVariable(*doc_, names_[index0]));
        if (key_ == kObjects)
            return std::make_shared<SimObjectItem>(doc_, index0);
        if (key_ == kDatabases)
            return std::make_shared<SimDatabaseItem>(doc_, index0);
        if (key_ == kFunctions)
            return std::make_shared<SimFunctionItem>(doc_, index0);
        return std::make_shared<SimVariable>(doc_, VarRef{key_, index0, QString()});
    }

    QString key_;
    QStringList names_;
    bool byName_;
};

DispatchRef makeNameList(std::shared_ptr<Document> doc, QString path, QStringList names)
{
    return std::make_shared<SimList>(std::move(doc), std::move(path), std::move(names));
}

// ---------------------------------------------------------------- settings

constexpr Member kSettingsMembers[] = {
    {dispid::Settings::Title, "Title", kGet}, {dispid::Settings::Unit, "Unit", kGet}, {dispid::Settings::Width, "Width", kGet},
    {dispid::Settings::Length, "Length", kGet}, {dispid::Settings::ColumnOffset, "ColumnOffset", kGet}, {dispid::Settings::RowOffset, "RowOffset", kGet},
};

class SimSettings final : public SimObject {
public:
    explicit SimSettings(std::shared_ptr<Document> doc) : SimObject(doc->app, doc, QString(kSettings)) {}

protected:
    std::span<const Member> members() const override { return kSettingsMembers; }

    Value call(const Member &member, CallKind, std::span<const Value>) override
    {
        const QJsonObject s = doc_->root.value(kSettings).toObject();
        if (member.id == dispid::Settings::Unit)
            return jsonInt(s.value(QLatin1String("Unit")));
        return textValue(jsonText(s.value(QLatin1String(member.name))));
    }
};

// ---------------------------------------------------------------- the label

constexpr Member kLabelMembers[] = {
    {dispid::Label::FileName, "FileName", kGet}, {dispid::Label::Save, "Save", kMethod}, {dispid::Label::Objects, "Objects", kGet},
    {dispid::Label::Variables, "Variables", kGet}, {dispid::Label::Functions, "Functions", kGet}, {dispid::Label::Databases, "Databases", kGet},
    {dispid::Label::PrinterName, "PrinterName", kGet | kPut}, {dispid::Label::OtherVariables, "OtherVariables", kGet},
    {dispid::Label::Version, "Version", kGet}, {dispid::Label::GetDependentFiles, "GetDependentFiles", kMethod},
    {dispid::Label::Settings, "Settings", kGet}, {dispid::Label::GetPrinterSetting, "GetPrinterSetting", kMethod},
    {dispid::Label::PrinterPort, "PrinterPort", kGet}, {dispid::Label::HorizontalResolution, "HorizontalResolution", kGet},
    {dispid::Label::VerticalResolution, "VerticalResolution", kGet}, {dispid::Label::GetSpeedUnit, "GetSpeedUnit", kMethod},
    {dispid::Label::ExportPreview, "ExportPreview", kMethod}, {dispid::Label::GetDarknessValues, "GetDarknessValues", kMethod},
    {dispid::Label::VariableMode, "VariableMode", kGet}, {dispid::Label::OriginalPrinter, "OriginalPrinter", kGet},
    {dispid::Label::FormName, "FormName", kGet},
};

// A label size text ("10", "4.00", "812") in the label's unit, in thousandths
// of a centimetre; 0 when it cannot be read.
int sizeInThousandths(const QString &text, int unit, int resolution)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || value <= 0)
        return 0;
    double cm = 0;
    switch (unit) {
    case 0: cm = value; break;
    case 1: cm = value * 2.54; break;
    case 2: cm = resolution > 0 ? value / resolution * 2.54 : 0; break;
    case 3: cm = value / 10.0; break;
    default: return 0;
    }
    const double thousandths = cm * 1000.0;
    return thousandths > 0 && thousandths < 1.0e8 ? int(std::lround(thousandths)) : 0;
}

class SimLabel final : public SimObject {
public:
    SimLabel(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc)
        : SimObject(std::move(app), std::move(doc), QString())
    {
        countLabel(+1);
    }
    ~SimLabel() override { countLabel(-1); }

protected:
    std::span<const Member> members() const override { return kLabelMembers; }

    Value call(const Member &member, CallKind kind, std::span<const Value> args) override
    {
        const QJsonObject &root = doc_->root;
        const auto text = [&](const char *name) { return textValue(jsonText(root.value(QLatin1String(name)))); };
        switch (member.id) {
        case dispid::Label::FileName: return textValue(doc_->filePath);
        case dispid::Label::Save: return save();
        case dispid::Label::Objects: return list(kObjects);
        case dispid::Label::Variables: return list(kVariables);
        case dispid::Label::Functions: return list(kFunctions);
        case dispid::Label::Databases: return list(kDatabases);
        case dispid::Label::OtherVariables: return list(kOtherVariables);
        case dispid::Label::PrinterName:
            if (kind == CallKind::Put) {
                doc_->root.insert(QStringLiteral("PrinterName"), argText(args, 0, "PrinterName"));
                return std::monostate{};
            }
            return text("PrinterName");
        case dispid::Label::Version: return jsonInt(root.value(QLatin1String("Version")));
        case dispid::Label::GetDependentFiles: return textValue(dependentFiles());
        case dispid::Label::Settings: return DispatchRef(std::make_shared<SimSettings>(doc_));
        case dispid::Label::GetPrinterSetting: {
            const QString name = argText(args, 0, "GetPrinterSetting");
            const QJsonObject settings = root.value(QLatin1String("PrinterSettings")).toObject();
            const QJsonValue value = settings.value(name);
            if (value.isUndefined() || value.isNull())
                raise(QStringLiteral("The printer setting \"%1\" is not available.").arg(name));
            return textValue(jsonText(value));
        }
        case dispid::Label::PrinterPort: return text("PrinterPort");
        case dispid::Label::HorizontalResolution: return jsonInt(root.value(QLatin1String("HorizontalResolution")));
        case dispid::Label::VerticalResolution: return jsonInt(root.value(QLatin1String("VerticalResolution")));
        case dispid::Label::GetSpeedUnit:
            argText(args, 0, "GetSpeedUnit");
            return text("SpeedUnit");
        case dispid::Label::ExportPreview:
            return exportPreview(argText(args, 0, "ExportPreview"), argInt(args, 1, "ExportPreview"),
                                 argInt(args, 2, "ExportPreview"));
        case dispid::Label::GetDarknessValues:
            argText(args, 0, "GetDarknessValues");
            return text("DarknessValues");
        case dispid::Label::VariableMode: return jsonInt(root.value(QLatin1String("VariableMode")));
        case dispid::Label::OriginalPrinter: return text("OriginalPrinter");
        case dispid::Label::FormName: return text("FormName");
        }
        return std::monostate{};
    }

private:
    DispatchRef list(const QString &key) const { return std::make_shared<SimList>(doc_, key); }

    QString dependentFiles() const
    {
        const QJsonValue given = doc_->root.value(QLatin1String("DependentFiles"));
        if (!given.isUndefined() && !given.isNull())
            return jsonText(given);
        QStringList files;
        for (const QJsonValue &v : doc_->root.value(kObjects).toArray()) {
            const QJsonObject o = v.toObject();
            if (jsonInt(o.value(QLatin1String("Kind"))) != ObjectKind::Graphics)
                continue;
            const QString path = jsonText(o.value(QLatin1String("Contents")));
            if (!path.isEmpty())
                files << quoteForCommaText(doc_->resolvePath(path));
        }
        return files.join(QLatin1Char(','));
    }

    Value save()
    {
        app_->clearError();
        const QByteArray bytes = QJsonDocument(doc_->root).toJson(QJsonDocument::Indented);
        HeldFileSave handOver(doc_->held.get());
        const std::optional<QString> reason = replaceFile(doc_->filePath, bytes, LinkAtTarget::Follow,
                                                          [&](int fd) { handOver.beforeReplace(fd); });
        handOver.finish(doc_->filePath, !reason);
        if (reason) {
            app_->setError(QStringLiteral("Cannot save label file"),
                           QStringLiteral("The file \"%1\" cannot be written: %2").arg(doc_->filePath, *reason));
            return false;
        }
        return true;
    }

    PreviewPage page() const
    {
        const QJsonObject &root = doc_->root;
        const QJsonObject settings = root.value(kSettings).toObject();
        const int unit = jsonInt(settings.value(QLatin1String("Unit")));
        PreviewPage page;
        page.width = sizeInThousandths(jsonText(settings.value(QLatin1String("Width"))), unit,
                                       jsonInt(root.value(QLatin1String("HorizontalResolution"))));
        page.length = sizeInThousandths(jsonText(settings.value(QLatin1String("Length"))), unit,
                                        jsonInt(root.value(QLatin1String("VerticalResolution"))));
        for (const QJsonValue &v : root.value(kObjects).toArray()) {
            const QJsonObject o = v.toObject();
            PreviewShape shape;
            shape.kind = jsonInt(o.value(QLatin1String("Kind")));
            shape.left = jsonInt(o.value(QLatin1String("Left")));
            shape.top = jsonInt(o.value(QLatin1String("Top")));
            shape.width = jsonInt(o.value(QLatin1String("Width")));
            shape.height = jsonInt(o.value(QLatin1String("Height")));
            shape.fontSize = jsonInt(o.value(QLatin1String("FontSize")));
            if (shape.kind != ObjectKind::Graphics)
                shape.text = jsonText(o.value(QLatin1String("Contents")));
            page.shapes << shape;
        }
        return page;
    }

    Value exportPreview(const QString &fileName, int width, int height)
    {
        app_->clearError();
        if (width <= 0 || height <= 0)
            return false;
        if (qint64(width) * height > kMaxPreviewPixels) {
            app_->setError(QStringLiteral("Cannot export preview"),
                           QStringLiteral("A picture of %1 x %2 pixels is too large.").arg(width).arg(height));
            return false;
        }
        const QByteArray bmp = renderPreviewBmp(page(), width, height);
        const std::optional<QString> reason = fileName.isEmpty() ? QStringLiteral("No file name was given.")
                                                                 : replaceFile(fileName, bmp);
        if (reason) {
            app_->setError(QStringLiteral("Cannot export preview"),
                           QStringLiteral("The file \"%1\" cannot be written: %2").arg(fileName, *reason));
            return false;
        }
        return true;
    }
};

} // namespace

QJsonObject Document::entry(const QString &listKey, int index) const
{
    return root.value(listKey).toArray().at(index).toObject();
}

void Document::setEntryField(const QString &listKey, int index, const QString &field, const QJsonValue &value)
{
    QJsonArray array = root.value(listKey).toArray();
    if (index < 0 || index >= array.size())
        return;
    QJsonObject entry = array.at(index).toObject();
    entry.insert(field, value);
    array.replace(index, entry);
    root.insert(listKey, array);
    if (field == QLatin1String("Name"))
        nameIndexes_.remove(listKey);
}

const Document::NameIndex &Document::nameIndex(const QString &listKey) const
{
    auto it = nameIndexes_.find(listKey);
    if (it == nameIndexes_.end()) {
        NameIndex index;
        for (const QJsonValue &v : root.value(listKey).toArray())
            index.names << jsonText(v.toObject().value(QLatin1String("Name")));
        for (int i = int(index.names.size()) - 1; i >= 0; --i)
            index.first.insert(index.names[i], i);
        it = nameIndexes_.insert(listKey, std::move(index));
    }
    return *it;
}

const QStringList &Document::names(const QString &listKey) const
{
    return nameIndex(listKey).names;
}

int Document::firstIndexOf(const QString &listKey, const QString &name) const
{
    return nameIndex(listKey).first.value(name, -1);
}

QString Document::resolvePath(const QString &path) const
{
    if (path.isEmpty() || isAbsoluteAnywhere(path))
        return path;
    QString relative = path;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QFileInfo(filePath).absolutePath() + QLatin1Char('/') + relative);
}

DispatchRef makeLabel(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc)
{
    return std::make_shared<SimLabel>(std::move(app), std::move(doc));
}

} // namespace strovex::sim::detail
