#pragma once
// Row records of the objects, variables, databases and functions grids, the
// fills that read them from the designer, and the grids' column sets.
//
// Every fill appends to `rows` as it reads. A missing item (Item(i) gives
// nothing) is skipped; a failing designer call throws AutomationError and ends
// the fill, leaving the rows read so far in `rows` (the last one possibly
// partly filled). A missing list handle counts as an empty list.

#include "automation/designer.h"
#include "inspect/grid_model.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace strovex {

struct TObjectRow {
    QString Name;
    QString Type;
    QString Contents;
    QString Left;
    QString Top;
    QString Status;
    QString Locked;
    QString Variable;
    QString AdditionalInfo;

    bool operator==(const TObjectRow &) const = default;
};

struct TVariableRow {
    int ID = 0;
    QString Name;
    QString Type;
    int Order = -1; // -1: not a prompted variable, shown as "N/A"
    QString DefaultValue;
    QString Format;
    int Length = 0;
    bool IsUsed = false;

    bool operator==(const TVariableRow &) const = default;
};

struct TDatabaseRow {
    QString Name;
    QString Description;
    QString DriverType;
    QString OutputVariables;
    QString InputVariables;
    QString TableName;
    QString OrderField;
    QString SQL;
    QString Navigation;
    QString ConnectionString;
    bool IsUsed = false;

    bool operator==(const TDatabaseRow &) const = default;
};

struct TFunctionRow {
    QString Name;
    QString Description;
    QString Script;
    QString Type;
    QString OutputVariables;
    QString InputVariables;
    bool IsUsed = false;

    bool operator==(const TFunctionRow &) const = default;
};

// Reads the label's unit (unless `unitCode` brings it, as the Label Info page
// read it) and resolutions first, then every object, each member once. With
// `fontNames`, the font names of the text and paragraph objects are appended
// to it in object order (see collectFonts), so the Fonts page needs no walk of
// its own.
void FillObjectRows(const IQuillmark &label, const IObjectList &objects, std::vector<TObjectRow> &rows,
                    QStringList *fontNames = nullptr, std::optional<int> unitCode = {});
// Both lists in order; variables without a name are skipped in the first list only.
void FillVariableRows(const IVariableList &variables, const IVariableList &otherVariables,
                      std::vector<TVariableRow> &rows);
// Databases with an empty name are listed.
void FillDatabaseRows(const IDatabaseList &databases, std::vector<TDatabaseRow> &rows);
// Functions with an empty name are skipped. A failing script read only empties Script.
void FillFunctionRows(const IFunctionList &functions, std::vector<TFunctionRow> &rows);

QString OrderText(int order); // "N/A" for -1
// "%10.10d": at least ten digits, zero-padded, a minus sign before a negative number.
QString PaddedNumber(int value);
// A script function's text comes with one leading character that is not source.
QString TrimmedScript(const QString &script, const QString &type);

// The page captions after a fill; a null text for 0 rows: the caption stays.
QString ObjectsCaption(int count);
QString VariablesCaption(int count);
QString DatabasesCaption(int count);
QString FunctionsCaption(int count);

using ObjectGridModel = RowGridModel<TObjectRow>;
using VariableGridModel = RowGridModel<TVariableRow>;
using DatabaseGridModel = RowGridModel<TDatabaseRow>;
using FunctionGridModel = RowGridModel<TFunctionRow>;

// The grids with their columns, sorted by column 0 ascending. The caller owns them.
std::unique_ptr<ObjectGridModel> createObjectGridModel(QObject *parent = nullptr);
std::unique_ptr<VariableGridModel> createVariableGridModel(QObject *parent = nullptr);
std::unique_ptr<DatabaseGridModel> createDatabaseGridModel(QObject *parent = nullptr);
std::unique_ptr<FunctionGridModel> createFunctionGridModel(QObject *parent = nullptr);

} // namespace strovex
