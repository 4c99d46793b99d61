#include "inspect/label_rows.h"

#include "locale_scope.h"
#include "sim_label.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace strovex;
using namespace strovex::test;

namespace {

class LabelRows : public ::testing::Test {
protected:
    LocaleScope locale{QLocale::English, QLocale::UnitedStates};
    SimLabels labels;
};

QStringList names(const auto &rows)
{
    QStringList result;
    for (const auto &row : rows)
        result << row.Name;
    return result;
}

} // namespace

TEST_F(LabelRows, Objects)
{
    const IQuillmark label = labels.open("objects.lbl");
    std::vector<TObjectRow> rows;
    FillObjectRows(label, label.Objects(), rows);
    ASSERT_EQ(rows.size(), 4u);

    const TObjectRow &title = rows[0];
    EXPECT_EQ(title.Name, QStringLiteral("Title"));
    EXPECT_EQ(title.Type, QStringLiteral("Text"));
    EXPECT_EQ(title.Contents, QStringLiteral("Batch 17"));
    EXPECT_EQ(title.Left, QStringLiteral(" 1.50 cm"));
    EXPECT_EQ(title.Top, QStringLiteral("12.35 cm"));
    EXPECT_EQ(title.Status, QStringLiteral("OK"));
    EXPECT_EQ(title.Locked, QStringLiteral("Yes"));
    EXPECT_EQ(title.Variable, QStringLiteral("Batch"));
    EXPECT_EQ(title.AdditionalInfo, QStringLiteral("Arial; 12 pt; Bold"));

    const TObjectRow &frame = rows[1];
    EXPECT_EQ(frame.Type, QStringLiteral("Rectangle"));
    EXPECT_EQ(frame.Left, QStringLiteral("100.00 cm"));
    EXPECT_EQ(frame.Status, QString()); // out-of-range status
    EXPECT_EQ(frame.Locked, QStringLiteral("No"));
    EXPECT_EQ(frame.Variable, QString());
    EXPECT_EQ(frame.Contents, QString());
    EXPECT_EQ(frame.AdditionalInfo, QString());

    EXPECT_EQ(rows[2].Contents, QString());
    EXPECT_TRUE(rows[2].AdditionalInfo.endsWith(QStringLiteral("logo.bmp")));
    EXPECT_EQ(rows[3].AdditionalInfo, QStringLiteral("Code 128"));

    // Horizontal positions use the horizontal resolution, vertical ones the vertical.
    rows.clear();
    const IQuillmark dots = labels.open("objects.lbl", {{QStringLiteral("Settings"), QJsonObject{{QStringLiteral("Unit"), 2}}}});
    FillObjectRows(dots, dots.Objects(), rows);
    EXPECT_EQ(rows[0].Left, QStringLiteral("59.00 dot"));
    EXPECT_EQ(rows[0].Top, QStringLiteral("1458.00 dot"));
}

TEST_F(LabelRows, ObjectPositionsWithoutReadableUnit)
{
    const IQuillmark label = labels.open("objects.lbl", {{QStringLiteral("Settings"), QJsonObject{{QStringLiteral("Unit"), 4}}}});
    std::vector<TObjectRow> rows;
    FillObjectRows(label, label.Objects(), rows);
    EXPECT_EQ(rows[0].Left, QStringLiteral("1500.00 "));
}

TEST_F(LabelRows, MissingObjectsAreSkippedAndFailuresKeepEarlierRows)
{
    const IQuillmark skipping = labels.open("objects.lbl", {{QStringLiteral("Faults"),
        QJsonObject{{QStringLiteral("Objects[2]"), QJsonObject{{QStringLiteral("Nothing"), true}}}}}});
    std::vector<TObjectRow> rows;
    FillObjectRows(skipping, skipping.Objects(), rows);
    EXPECT_EQ(names(rows), (QStringList{QStringLiteral("Title"), QStringLiteral("Logo"), QStringLiteral("Code")}));

    const IQuillmark failing = labels.open("objects.lbl", raising({{"Objects[3].Contents", "contents refused"}}));
    rows.clear();
    EXPECT_THROW(FillObjectRows(failing, failing.Objects(), rows), AutomationError);
    // Title, Frame, and the partly filled Logo row.
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].Name, QStringLiteral("Logo"));
    EXPECT_EQ(rows[2].Type, QStringLiteral("Graphics"));
}

TEST_F(LabelRows, Variables)
{
    const IQuillmark label = labels.open("variables.lbl");
    std::vector<TVariableRow> rows;
    FillVariableRows(label.Variables(), label.OtherVariables(), rows);
    // The unnamed variable of the first list is left out; the one of the second list is not.
    ASSERT_EQ(names(rows), (QStringList{QStringLiteral("Batch"), QStringLiteral("Skipped prompt"),
                                        QStringLiteral("Clock"), QString()}));
    const TVariableRow &batch = rows[0];
    EXPECT_EQ(batch.ID, 3);
    EXPECT_EQ(batch.Type, QStringLiteral("Prompt Variable"));
    EXPECT_EQ(batch.Order, 2);
    EXPECT_EQ(batch.Length, 10);
    EXPECT_EQ(batch.DefaultValue, QStringLiteral("A-17"));
    EXPECT_EQ(batch.Format, QStringLiteral("Alphanumeric"));
    EXPECT_TRUE(batch.IsUsed);
    EXPECT_EQ(rows[1].Order, -1); // prompt mode 2
    EXPECT_EQ(rows[1].Format, QString());
    EXPECT_EQ(rows[2].Order, -1); // not a prompt variable, whatever its PromptOrder
    EXPECT_EQ(rows[3].Type, QStringLiteral("Global Variable"));
    EXPECT_EQ(VariablesCaption(int(rows.size())), QStringLiteral("Variable information for 4 variables:"));
}

TEST_F(LabelRows, VariableFailureKeepsEarlierRows)
{
    const IQuillmark label = labels.open("variables.lbl", raising({{"Variables[4].Length", "refused"}}));
    std::vector<TVariableRow> rows;
    EXPECT_THROW(FillVariableRows(label.Variables(), label.OtherVariables(), rows), AutomationError);
    EXPECT_EQ(rows.size(), 3u);
}

TEST_F(LabelRows, DatabasesAndFunctions)
{
    const IQuillmark label = labels.open("databases_functions.lbl");
    std::vector<TDatabaseRow> databases;
    FillDatabaseRows(label.Databases(), databases);
    ASSERT_EQ(databases.size(), 2u); // an unnamed database is listed
    const TDatabaseRow &articles = databases[0];
    EXPECT_EQ(articles.Name, QStringLiteral("Articles"));
    EXPECT_EQ(articles.Description, QStringLiteral("Article master"));
    EXPECT_EQ(articles.DriverType, QStringLiteral("ODBC"));
    EXPECT_EQ(articles.TableName, QStringLiteral("ART"));
    EXPECT_EQ(articles.OrderField, QStringLiteral("ARTNO"));
    EXPECT_EQ(articles.Navigation, QStringLiteral("All records"));
    EXPECT_EQ(articles.SQL, QStringLiteral("SELECT * FROM ART"));
    EXPECT_EQ(articles.ConnectionString, QStringLiteral("DSN=Shop"));
    EXPECT_EQ(articles.InputVariables, QStringLiteral("\"Article\""));
    EXPECT_EQ(articles.OutputVariables, QStringLiteral("\"Article\", \"Price\""));
    EXPECT_TRUE(articles.IsUsed);
    EXPECT_EQ(databases[1].Name, QString());
    EXPECT_EQ(databases[1].Navigation, QString()); // code 4
    EXPECT_EQ(databases[1].InputVariables, QString());

    std::vector<TFunctionRow> functions;
    FillFunctionRows(label.Functions(), functions);
    ASSERT_EQ(names(functions), (QStringList{QStringLiteral("Total"), QStringLiteral("One"), QStringLiteral("Prices")}));
    EXPECT_EQ(functions[0].Type, QStringLiteral("Visual Basic Script"));
    EXPECT_EQ(functions[0].Script, QStringLiteral("Total = Price * 1.2"));
    EXPECT_EQ(functions[0].Description, QStringLiteral("Adds VAT"));
    EXPECT_EQ(functions[0].InputVariables, QStringLiteral("\"Price\""));
    EXPECT_EQ(functions[0].OutputVariables, QStringLiteral("\"Article\""));
    EXPECT_EQ(functions[1].Script, QStringLiteral("x"));        // one character stays
    EXPECT_EQ(functions[2].Type, QStringLiteral("Lookup table"));
    EXPECT_EQ(functions[2].Script, QStringLiteral("#table"));   // only script functions lose a character
    EXPECT_EQ(FunctionsCaption(int(functions.size())), QStringLiteral("Function information for 3 functions:"));
}

TEST_F(LabelRows, ScriptReadFailureOnlyEmptiesTheScript)
{
    const IQuillmark label = labels.open("databases_functions.lbl", raising({{"Functions[1].Script", "refused"}}));
    std::vector<TFunctionRow> functions;
    ASSERT_NO_THROW(FillFunctionRows(label.Functions(), functions));
    ASSERT_EQ(functions.size(), 3u);
    EXPECT_EQ(functions[0].Script, QString());
    EXPECT_EQ(functions[0].InputVariables, QStringLiteral("\"Price\""));

    const IQuillmark failing = labels.open("databases_functions.lbl", raising({{"Functions[3].IsUsed", "refused"}}));
    functions.clear();
    EXPECT_THROW(FillFunctionRows(failing.Functions(), functions), AutomationError);
    EXPECT_EQ(functions.size(), 2u);
}

TEST(Captions, OneAndMany)
{
    EXPECT_TRUE(ObjectsCaption(0).isNull());
    EXPECT_EQ(ObjectsCaption(1), QStringLiteral("Object information for 1 object:"));
    EXPECT_EQ(ObjectsCaption(12), QStringLiteral("Object information for 12 objects:"));
    EXPECT_EQ(VariablesCaption(1), QStringLiteral("Variable information for 1 variable:"));
    EXPECT_EQ(DatabasesCaption(1), QStringLiteral("Database information for 1 database:"));
    EXPECT_EQ(DatabasesCaption(2), QStringLiteral("Database information for 2 databases:"));
    EXPECT_EQ(FunctionsCaption(1), QStringLiteral("Function information for 1 function:"));
}

TEST(ScriptTrim, OnlyScriptFunctionsLongerThanOneCharacter)
{
    const QString vbs = QStringLiteral("Visual Basic Script");
    EXPECT_EQ(TrimmedScript(QStringLiteral("#ab"), vbs), QStringLiteral("ab"));
    EXPECT_EQ(TrimmedScript(QStringLiteral("#"), vbs), QStringLiteral("#"));
    EXPECT_EQ(TrimmedScript(QString(), vbs), QString());
    EXPECT_EQ(TrimmedScript(QStringLiteral("#ab"), QStringLiteral("visual basic script")), QStringLiteral("#ab"));
}
