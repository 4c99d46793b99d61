// The label object and everything reached from it: settings, lists and items.
// Items read the document afresh on every call, so a change made through one
// handle shows through every other handle of the same opened label.

#include "sim/sim_internal.h"
#include "sim/sim_preview.h"

#include "automation/designer.h"
#include "output/save_file.h"

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

constexpr int kGraphicsKind = 303;

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

enum VarMember { VarID = 1, VarName = 2, VarKind = 6, VarLength = 10, VarInputFormat = 22, VarDefaultValue = 26,
                 VarPromptMode = 27, VarIsUsed = 41, VarPromptOrder = 50, VarMarked = 61 };

constexpr Member kVarMembers[] = {
    {VarID, "ID", kGet}, {VarName, "Name", kGet}, {VarKind, "Kind", kGet}, {VarLength, "Length", kGet | kPut},
    {VarInputFormat, "InputFormat", kGet}, {VarDefaultValue, "DefaultValue", kGet}, {VarPromptMode, "PromptMode", kGet},
    {VarIsUsed, "IsUsed", kGet}, {VarPromptOrder, "PromptOrder", kGet}, {VarMarked, "Marked", kGet},
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
        case VarID: return jsonInt(field("ID"));
        case VarName: return textValue(jsonText(field("Name")));
        case VarKind: return jsonInt(field("Kind"));
        case VarLength:
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
        case VarInputFormat: return jsonInt(field("InputFormat"));
        case VarDefaultValue: return textValue(jsonText(field("DefaultValue")));
        case VarPromptMode: return jsonInt(field("PromptMode"));
        case VarIsUsed: return jsonBool(field("IsUsed"));
        case VarPromptOrder: return jsonInt(field("PromptOrder"));
        case VarMarked: return jsonBool(field("Marked"));
        }
        return std::monostate{};
    }

private:
    VarRef ref_;
};

// ---------------------------------------------------------------- objects

enum ObjMember { ObjLeft = 2, ObjTop = 3, ObjName = 6, ObjKind = 7, ObjStatus = 9, ObjLocked = 13, ObjVariable = 17,
                 ObjContents = 24, ObjFontName = 25, ObjItalic = 26, ObjBold = 27, ObjSetFileName = 29,
                 ObjFontSize = 31, ObjUnderline = 45, ObjStrikeout = 46 };

constexpr Member kObjMembers[] = {
    {ObjLeft, "Left", kGet}, {ObjTop, "Top", kGet}, {ObjName, "Name", kGet}, {ObjKind, "Kind", kGet},
    {ObjStatus, "Status", kGet}, {ObjLocked, "Locked", kGet}, {ObjVariable, "Variable", kGet},
    {ObjContents, "Contents", kGet}, {ObjFontName, "FontName", kGet}, {ObjItalic, "Italic", kGet},
    {ObjBold, "Bold", kGet}, {ObjSetFileName, "SetFileName", kMethod}, {ObjFontSize, "FontSize", kGet},
    {ObjUnderline, "Underline", kGet}, {ObjStrikeout, "Strikeout", kGet},
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
        case ObjLeft: return jsonInt(field("Left"));
        case ObjTop: return jsonInt(field("Top"));
        case ObjName: return textValue(jsonText(field("Name")));
        case ObjKind: return jsonInt(field("Kind"));
        case ObjStatus: return jsonInt(field("Status"));
        case ObjLocked: return jsonBool(field("Locked"));
        case ObjVariable: {
            const QString name = jsonText(field("Variable"));
            if (name.isEmpty())
                return std::monostate{};
            return DispatchRef(std::make_shared<SimVariable>(doc_, resolveVariable(*doc_, name)));
        }
        case ObjContents: {
            const QString contents = jsonText(field("Contents"));
            return textValue(jsonInt(field("Kind")) == kGraphicsKind ? doc_->resolvePath(contents) : contents);
        }
        case ObjFontName: return textValue(jsonText(field("FontName")));
        case ObjItalic: return jsonBool(field("Italic"));
        case ObjBold: return jsonBool(field("Bold"));
        case ObjSetFileName: return setFileName(o, argText(args, 0, "SetFileName"));
        case ObjFontSize: return jsonInt(field("FontSize"));
        case ObjUnderline: return jsonBool(field("Underline"));
        case ObjStrikeout: return jsonBool(field("Strikeout"));
        }
        return std::monostate{};
    }

private:
    Value setFileName(const QJsonObject &o, const QString &path)
    {
        app_->clearError();
        const QString name = jsonText(o.value(QLatin1String("Name")));
        if (jsonInt(o.value(QLatin1String("Kind"))) != kGraphicsKind) {
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

enum DbMember { DbName = 2, DbDescription = 3, DbInputVariables = 6, DbOutputVariables = 7, DbIsUsed = 11,
                DbDriverType = 12, DbTableName = 18, DbOrderField = 19, DbNavigation = 21, DbSQL = 23,
                DbConnectionString = 24 };

constexpr Member kDbMembers[] = {
    {DbName, "Name", kGet}, {DbDescription, "Description", kGet}, {DbInputVariables, "InputVariables", kGet},
    {DbOutputVariables, "OutputVariables", kGet}, {DbIsUsed, "IsUsed", kGet}, {DbDriverType, "DriverType", kGet},
    {DbTableName, "TableName", kGet}, {DbOrderField, "OrderField", kGet}, {DbNavigation, "Navigation", kGet},
    {DbSQL, "SQL", kGet}, {DbConnectionString, "ConnectionString", kGet},
};

enum FnMember { FnName = 2, FnDescription = 3, FnKind = 4, FnInputVariables = 6, FnOutputVariables = 7,
                FnIsUsed = 11, FnScript = 12, FnKindName = 13 };

constexpr Member kFnMembers[] = {
    {FnName, "Name", kGet}, {FnDescription, "Description", kGet}, {FnKind, "Kind", kGet},
    {FnInputVariables, "InputVariables", kGet}, {FnOutputVariables, "OutputVariables", kGet},
    {FnIsUsed, "IsUsed", kGet}, {FnScript, "Script", kGet}, {FnKindName, "KindName", kGet},
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
        case DbName: return textValue(jsonText(field("Name")));
        case DbDescription: return textValue(jsonText(field("Description")));
        case DbInputVariables:
        case DbOutputVariables: {
            QStringList names;
            for (const QJsonValue &v : field(member.name).toArray())
                names << jsonText(v);
            return makeNameList(doc_, memberPath(member.name), names);
        }
        case DbIsUsed: return jsonBool(field("IsUsed"));
        case DbDriverType: return textValue(jsonText(field("DriverType")));
        case DbTableName: return textValue(jsonText(field("TableName")));
        case DbOrderField: return textValue(jsonText(field("OrderField")));
        case DbNavigation: return jsonInt(field("Navigation"));
        case DbSQL: return textValue(jsonText(field("SQL")));
        case DbConnectionString: return textValue(jsonText(field("ConnectionString")));
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
        case FnName: return textValue(jsonText(field("Name")));
        case FnDescription: return textValue(jsonText(field("Description")));
        case FnKind: return jsonInt(field("Kind"));
        case FnInputVariables:
        case FnOutputVariables: {
            QStringList names;
            for (const QJsonValue &v : field(member.name).toArray())
                names << jsonText(v);
            return makeNameList(doc_, memberPath(member.name), names);
        }
        case FnIsUsed: return jsonBool(field("IsUsed"));
        case FnScript: return textValue(jsonText(field("Script")));
        case FnKindName: return textValue(jsonText(field("KindName")));
        }
        return std::monostate{};
    }

private:
    int index_;
};

// ---------------------------------------------------------------- lists

enum ListMember { ListCount = 1, ListItem = 2, ListFindByName = 3 };

constexpr Member kListMembers[] = {{ListCount, "Count", kGet}, {ListItem, "Item", kMethod}};
constexpr Member kVarListMembers[] = {
    {ListCount, "Count", kGet}, {ListItem, "Item", kMethod}, {ListFindByName, "FindByName", kMethod}};

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
        if (member.id == ListItem && !args.empty())
            return path_ + QLatin1Char('[') + argForPath(args[0]) + QLatin1Char(']');
        return SimObject::faultPath(member, kind, args);
    }

    Value call(const Member &member, CallKind, std::span<const Value> args) override
    {
        const int count = byName_ ? int(names_.size()) : arraySize(doc_->root, key_);
        switch (member.id) {
        case ListCount:
            return std::int32_t(count);
        case ListItem: {
            const std::int32_t index = argInt(args, 0, "Item");
            if (index < 1 || index > count)
                outOfRange(path_, index, count);
            return item(index - 1);
        }
        case ListFindByName: {
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

enum SetMember { SetTitle = 1, SetUnit = 4, SetWidth = 13, SetLength = 14, SetColumnOffset = 17, SetRowOffset = 18 };

constexpr Member kSettingsMembers[] = {
    {SetTitle, "Title", kGet}, {SetUnit, "Unit", kGet}, {SetWidth, "Width", kGet},
    {SetLength, "Length", kGet}, {SetColumnOffset, "ColumnOffset", kGet}, {SetRowOffset, "RowOffset", kGet},
};

class SimSettings final : public SimObject {
public:
    explicit SimSettings(std::shared_ptr<Document> doc) : SimObject(doc->app, doc, QString(kSettings)) {}

protected:
    std::span<const Member> members() const override { return kSettingsMembers; }

    Value call(const Member &member, CallKind, std::span<const Value>) override
    {
        const QJsonObject s = doc_->root.value(kSettings).toObject();
        if (member.id == SetUnit)
            return jsonInt(s.value(QLatin1String("Unit")));
        return textValue(jsonText(s.value(QLatin1String(member.name))));
    }
};

// ---------------------------------------------------------------- the label

enum LabelMember { LFileName = 1, LSave = 3, LObjects = 11, LVariables = 12, LFunctions = 13, LDatabases = 14,
                   LPrinterName = 15, LOtherVariables = 17, LVersion = 34, LGetDependentFiles = 39, LSettings = 40,
                   LGetPrinterSetting = 41, LPrinterPort = 43, LHorizontalResolution = 44, LVerticalResolution = 45,
                   LGetSpeedUnit = 47, LExportPreview = 57, LGetDarknessValues = 61, LVariableMode = 76,
                   LOriginalPrinter = 85, LFormName = 86 };

constexpr Member kLabelMembers[] = {
    {LFileName, "FileName", kGet}, {LSave, "Save", kMethod}, {LObjects, "Objects", kGet},
    {LVariables, "Variables", kGet}, {LFunctions, "Functions", kGet}, {LDatabases, "Databases", kGet},
    {LPrinterName, "PrinterName", kGet | kPut}, {LOtherVariables, "OtherVariables", kGet},
    {LVersion, "Version", kGet}, {LGetDependentFiles, "GetDependentFiles", kMethod},
    {LSettings, "Settings", kGet}, {LGetPrinterSetting, "GetPrinterSetting", kMethod},
    {LPrinterPort, "PrinterPort", kGet}, {LHorizontalResolution, "HorizontalResolution", kGet},
    {LVerticalResolution, "VerticalResolution", kGet}, {LGetSpeedUnit, "GetSpeedUnit", kMethod},
    {LExportPreview, "ExportPreview", kMethod}, {LGetDarknessValues, "GetDarknessValues", kMethod},
    {LVariableMode, "VariableMode", kGet}, {LOriginalPrinter, "OriginalPrinter", kGet},
    {LFormName, "FormName", kGet},
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
        case LFileName: return textValue(doc_->filePath);
        case LSave: return save();
        case LObjects: return list(kObjects);
        case LVariables: return list(kVariables);
        case LFunctions: return list(kFunctions);
        case LDatabases: return list(kDatabases);
        case LOtherVariables: return list(kOtherVariables);
        case LPrinterName:
            if (kind == CallKind::Put) {
                doc_->root.insert(QStringLiteral("PrinterName"), argText(args, 0, "PrinterName"));
                return std::monostate{};
            }
            return text("PrinterName");
        case LVersion: return jsonInt(root.value(QLatin1String("Version")));
        case LGetDependentFiles: return textValue(dependentFiles());
        case LSettings: return DispatchRef(std::make_shared<SimSettings>(doc_));
        case LGetPrinterSetting: {
            const QString name = argText(args, 0, "GetPrinterSetting");
            const QJsonObject settings = root.value(QLatin1String("PrinterSettings")).toObject();
            const QJsonValue value = settings.value(name);
            if (value.isUndefined() || value.isNull())
                raise(QStringLiteral("The printer setting \"%1\" is not available.").arg(name));
            return textValue(jsonText(value));
        }
        case LPrinterPort: return text("PrinterPort");
        case LHorizontalResolution: return jsonInt(root.value(QLatin1String("HorizontalResolution")));
        case LVerticalResolution: return jsonInt(root.value(QLatin1String("VerticalResolution")));
        case LGetSpeedUnit:
            argText(args, 0, "GetSpeedUnit");
            return text("SpeedUnit");
        case LExportPreview:
            return exportPreview(argText(args, 0, "ExportPreview"), argInt(args, 1, "ExportPreview"),
                                 argInt(args, 2, "ExportPreview"));
        case LGetDarknessValues:
            argText(args, 0, "GetDarknessValues");
            return text("DarknessValues");
        case LVariableMode: return jsonInt(root.value(QLatin1String("VariableMode")));
        case LOriginalPrinter: return text("OriginalPrinter");
        case LFormName: return text("FormName");
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
            if (jsonInt(o.value(QLatin1String("Kind"))) != kGraphicsKind)
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
        // Lock the new file before it takes the label's name, so the name is never free.
        HeldFile replacement;
        const auto lockReplacement = [&](QFileDevice &file) {
            if (!doc_->held)
                return;
#ifdef Q_OS_WIN
            // Windows moves no file over an open one, and the new file is
            // open to nobody else until it is moved: the hold is given up
            // here and taken again on the file under the name afterwards.
            Q_UNUSED(file);
            *doc_->held = HeldFile();
#else
            replacement = HeldFile::lockReplacement(int(file.handle()));
#endif
        };
        const std::optional<QString> reason = replaceFile(doc_->filePath, bytes, LinkAtTarget::Follow, lockReplacement);
#ifdef Q_OS_WIN
        if (doc_->held && !doc_->held->valid()) {
            HeldFiles none;
            if (LabelFileRead again = readLabelFile(doc_->filePath, none); again.held)
                *doc_->held = std::move(*again.held);
        }
#endif
        if (reason) {
            app_->setError(QStringLiteral("Cannot save label file"),
                           QStringLiteral("The file \"%1\" cannot be written: %2").arg(doc_->filePath, *reason));
            return false;
        }
        if (replacement.valid())
            *doc_->held = std::move(replacement);
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
            if (shape.kind != kGraphicsKind)
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
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(filePath).absolutePath() + QLatin1Char('/') + relative));
}

DispatchRef makeLabel(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc)
{
    return std::make_shared<SimLabel>(std::move(app), std::move(doc));
}

} // namespace strovex::sim::detail
