#include "inspect/label_rows.h"

#include "inspect/label_info.h"
#include "inspect/load_status.h"
#include "inspect/measure.h"
#include "inspect/value_tables.h"

#include <exception>

namespace strovex {
namespace {

QString countCaption(int count, const char *what, const char *one, const char *many)
{
    if (count < 1)
        return {};
    const QString noun = QString::fromLatin1(count == 1 ? one : many);
    return QStringLiteral("%1 information for %2 %3:").arg(QString::fromLatin1(what)).arg(count).arg(noun);
}

} // namespace

void FillObjectRows(const IQuillmark &label, const IObjectList &objects, std::vector<TObjectRow> &rows,
                    QStringList *fontNames, std::optional<int> knownUnitCode)
{
    // One read of the unit serves the unit text and the conversion. The unit
    // text tolerates a failing read (it stays empty); the conversion cannot do
    // without the code, so only then is it read again, and a second failure
    // ends the fill.
    int unitCode = 0;
    QString unitText;
    if (knownUnitCode) {
        unitCode = *knownUnitCode;
        unitText = UnitNameText(unitCode);
    } else {
        try {
            unitCode = label.Settings().Unit();
            unitText = UnitNameText(unitCode);
        } catch (const std::exception &) {
            unitCode = label.Settings().Unit();
        }
    }
    const int hRes = label.HorizontalResolution();
    const int vRes = label.VerticalResolution();
    if (objects.isNull())
        return;
    const int count = objects.Count();
    for (int i = 1; i <= count; ++i) {
        const IObjectItem object = objects.Item(i);
        if (object.isNull())
            continue;
        LoadStatus::tick();
        TObjectRow &row = rows.emplace_back();
        row.Name = object.Name();
        row.Left = PositionText(ConvertMeasure(object.Left(), unitCode, hRes), unitText);
        row.Top = PositionText(ConvertMeasure(object.Top(), unitCode, vRes), unitText);
        row.Status = ObjectStatusText(object.Status());
        row.Locked = YesNoText(object.Locked());
        if (const IVar variable = object.Variable(); !variable.isNull())
            row.Variable = variable.Name();
        const int kind = object.Kind();
        row.Type = ObjectKindText(kind);
        const ObjectMembers members = ReadObjectMembers(object, kind);
        row.Contents = ObjectContentsText(members);
        row.AdditionalInfo = ObjectAdditionalInfo(members);
        if (fontNames) {
            if (QString font = ListedFontName(members); !font.isEmpty())
                *fontNames << font;
        }
    }
}

static void fillVariableList(const IVariableList &list, bool skipUnnamed, std::vector<TVariableRow> &rows)
{
    if (list.isNull())
        return;
    const int count = list.Count();
    for (int i = 1; i <= count; ++i) {
        const IVar variable = list.Item(i);
        if (variable.isNull())
            continue;
        LoadStatus::tick();
        const QString name = variable.Name();
        if (skipUnnamed && name.isEmpty())
            continue;
        TVariableRow &row = rows.emplace_back();
        row.Name = name;
        row.ID = variable.ID();
        const int kind = variable.Kind();
        row.Type = VariableKindText(kind);
        // PromptMode and PromptOrder mean something for prompt variables only.
        if (kind == 1) {
            const int promptMode = variable.PromptMode();
            if (promptMode != 2)
                row.Order = variable.PromptOrder();
        }
        row.DefaultValue = variable.DefaultValue();
        row.Format = InputFormatText(variable.InputFormat());
        row.Length = variable.Length();
        row.IsUsed = variable.IsUsed();
    }
}

void FillVariableRows(const IVariableList &variables, const IVariableList &otherVariables,
                      std::vector<TVariableRow> &rows)
{
    fillVariableList(variables, true, rows);
    fillVariableList(otherVariables, false, rows);
}

void FillDatabaseRows(const IDatabaseList &databases, std::vector<TDatabaseRow> &rows)
{
    if (databases.isNull())
        return;
    const int count = databases.Count();
    for (int i = 1; i <= count; ++i) {
        const IDatabaseItem database = databases.Item(i);
        if (database.isNull())
            continue;
        LoadStatus::tick();
        TDatabaseRow &row = rows.emplace_back();
        row.Name = database.Name();
        row.Description = database.Description();
        row.DriverType = database.DriverType();
        row.OutputVariables = JoinVariableNames(database.OutputVariables());
        row.InputVariables = JoinVariableNames(database.InputVariables());
        row.TableName = database.TableName();
        row.OrderField = database.OrderField();
        row.SQL = database.SQL();
        row.Navigation = NavigationText(database.Navigation());
        row.ConnectionString = database.ConnectionString();
        row.IsUsed = database.IsUsed();
    }
}

QString TrimmedScript(const QString &script, const QString &type)
{
    if (script.size() > 1 && type == visualBasicScriptText())
        return script.mid(1);
    return script;
}

void FillFunctionRows(const IFunctionList &functions, std::vector<TFunctionRow> &rows)
{
    if (functions.isNull())
        return;
    const int count = functions.Count();
    for (int i = 1; i <= count; ++i) {
        const IFunctionItem function = functions.Item(i);
        if (function.isNull())
            continue;
        LoadStatus::tick();
        const QString name = function.Name();
        if (name.isEmpty())
            continue;
        TFunctionRow &row = rows.emplace_back();
        row.Name = name;
        row.Description = function.Description();
        row.Type = FunctionKindText(function);
        try {
            row.Script = TrimmedScript(function.Script(), row.Type);
        } catch (const std::exception &) {
            row.Script.clear(); // an unreadable script only leaves the viewer empty
        }
        row.OutputVariables = JoinVariableNames(function.OutputVariables());
        row.InputVariables = JoinVariableNames(function.InputVariables());
        row.IsUsed = function.IsUsed();
    }
}

QString OrderText(int order)
{
    return order == -1 ? QStringLiteral("N/A") : QString::number(order);
}

QString PaddedNumber(int value)
{
    const qint64 wide = value; // the magnitude of INT_MIN does not fit an int
    const QString digits = QString::number(wide < 0 ? -wide : wide).rightJustified(10, QLatin1Char('0'));
    return wide < 0 ? QLatin1Char('-') + digits : digits;
}

QString ObjectsCaption(int count)
{
    return countCaption(count, "Object", "object", "objects");
}

QString VariablesCaption(int count)
{
    return countCaption(count, "Variable", "variable", "variables");
}

QString DatabasesCaption(int count)
{
    return countCaption(count, "Database", "database", "databases");
}

QString FunctionsCaption(int count)
{
    return countCaption(count, "Function", "function", "functions");
}

std::unique_ptr<ObjectGridModel> createObjectGridModel(QObject *parent)
{
    using C = ObjectGridModel::Column;
    std::vector<C> columns = {
        {{QStringLiteral("Name"), 50, 0}, [](const TObjectRow &r) { return r.Name; }, {}},
        {{QStringLiteral("Type"), 50, 0}, [](const TObjectRow &r) { return r.Type; }, {}},
        {{QStringLiteral("Status"), 50, 0}, [](const TObjectRow &r) { return r.Status; }, {}},
        {{QStringLiteral("Contents"), 75, 75}, [](const TObjectRow &r) { return r.Contents; }, {}},
        {{QStringLiteral("Left"), 50, 0}, [](const TObjectRow &r) { return r.Left; }, {}},
        {{QStringLiteral("Top"), 50, 0}, [](const TObjectRow &r) { return r.Top; }, {}},
        {{QStringLiteral("Variable"), 50, 0}, [](const TObjectRow &r) { return r.Variable; }, {}},
        {{QStringLiteral("Locked"), 50, 0}, [](const TObjectRow &r) { return r.Locked; }, {}},
        {{QStringLiteral("Additional Info"), 100, 100}, [](const TObjectRow &r) { return r.AdditionalInfo; }, {}},
    };
    return std::make_unique<ObjectGridModel>(std::move(columns), parent);
}

std::unique_ptr<VariableGridModel> createVariableGridModel(QObject *parent)
{
    using C = VariableGridModel::Column;
    std::vector<C> columns = {
        {{QStringLiteral("Name"), 50, 0}, [](const TVariableRow &r) { return r.Name; }, {}},
        {{QStringLiteral("Type"), 50, 0}, [](const TVariableRow &r) { return r.Type; }, {}},
        {{QStringLiteral("Order"), 50, 0}, [](const TVariableRow &r) { return OrderText(r.Order); },
         [](const TVariableRow &r) { return PaddedNumber(r.Order); }},
        {{QStringLiteral("Length"), 50, 0}, [](const TVariableRow &r) { return QString::number(r.Length); },
         [](const TVariableRow &r) { return PaddedNumber(r.Length); }},
        {{QStringLiteral("Default Value"), 50, 80}, [](const TVariableRow &r) { return r.DefaultValue; }, {}},
        {{QStringLiteral("Format"), 50, 0}, [](const TVariableRow &r) { return r.Format; }, {}},
        {{QStringLiteral("Is Used"), 50, 0}, [](const TVariableRow &r) { return YesNoText(r.IsUsed); }, {}},
        {{QStringLiteral("ID"), 0, 0}, [](const TVariableRow &r) { return QString::number(r.ID); },
         [](const TVariableRow &r) { return PaddedNumber(r.ID); }},
    };
    return std::make_unique<VariableGridModel>(std::move(columns), parent);
}

std::unique_ptr<DatabaseGridModel> createDatabaseGridModel(QObject *parent)
{
    using C = DatabaseGridModel::Column;
    std::vector<C> columns = {
        {{QStringLiteral("Name"), 50, 164}, [](const TDatabaseRow &r) { return r.Name; }, {}},
        {{QStringLiteral("Table Name"), 75, 120}, [](const TDatabaseRow &r) { return r.TableName; }, {}},
        {{QStringLiteral("Description"), 100, 120}, [](const TDatabaseRow &r) { return r.Description; }, {}},
        {{QStringLiteral("Driver Type"), 0, 120}, [](const TDatabaseRow &r) { return r.DriverType; }, {}},
        {{QStringLiteral("Navigation"), 0, 100}, [](const TDatabaseRow &r) { return r.Navigation; }, {}},
        {{QStringLiteral("Is Used"), 0, 120}, [](const TDatabaseRow &r) { return YesNoText(r.IsUsed); }, {}},
    };
    return std::make_unique<DatabaseGridModel>(std::move(columns), parent);
}

std::unique_ptr<FunctionGridModel> createFunctionGridModel(QObject *parent)
{
    using C = FunctionGridModel::Column;
    std::vector<C> columns = {
        {{QStringLiteral("Name"), 50, 100}, [](const TFunctionRow &r) { return r.Name; }, {}},
        {{QStringLiteral("Description"), 75, 150}, [](const TFunctionRow &r) { return r.Description; }, {}},
        {{QStringLiteral("Type"), 50, 90}, [](const TFunctionRow &r) { return r.Type; }, {}},
        {{QStringLiteral("Input Variables"), 0, 0}, [](const TFunctionRow &r) { return r.InputVariables; }, {}},
        {{QStringLiteral("Output Variables"), 100, 100}, [](const TFunctionRow &r) { return r.OutputVariables; }, {}},
        {{QStringLiteral("Is Used"), 50, 0}, [](const TFunctionRow &r) { return YesNoText(r.IsUsed); }, {}},
    };
    return std::make_unique<FunctionGridModel>(std::move(columns), parent);
}

} // namespace strovex
