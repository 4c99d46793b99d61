#include "inspect/variables_export.h"

#include "platform/files.h"
#include "support/temp_dir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace strovex;
using namespace strovex::test;

namespace {

TVariableRow variable(const char *name, const char *type, int order, const char *defaultValue, int length)
{
    TVariableRow row;
    row.Name = QString::fromUtf8(name);
    row.Type = QString::fromUtf8(type);
    row.Order = order;
    row.DefaultValue = QString::fromUtf8(defaultValue);
    row.Length = length;
    row.ID = 99;
    row.Format = QStringLiteral("Numeric");
    return row;
}

const QByteArray header = "\"Name\";\"Type\";\"Order\";\"Default Value\";\"Length\"\r\n";

} // namespace

TEST(VariablesExport, BytesInTheGivenOrder)
{
    const TVariableRow batch = variable("Batch", "Prompt Variable", 2, "A-17", 10);
    const TVariableRow clock = variable("Clock", "System Clock", -1, "", 8);
    EXPECT_EQ(VariablesExportBytes({&clock, &batch}),
              header + "\"Clock\";\"System Clock\";\"N/A\";\"\";\"8\"\r\n"
                       "\"Batch\";\"Prompt Variable\";\"2\";\"A-17\";\"10\"\r\n");
}

TEST(VariablesExport, Utf8AndDoubledQuotes)
{
    const TVariableRow row = variable("Šifra 日本", "Global Variable", -1, "Žluťoučký \"kůň\"; 5", 1);
    EXPECT_EQ(VariablesExportBytes({&row}),
              header + QByteArray("\"\xC5\xA0ifra \xE6\x97\xA5\xE6\x9C\xAC\";\"Global Variable\";\"N/A\";"
                                  "\"\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD \"\"k\xC5\xAF\xC5\x88\"\"; 5\";\"1\"\r\n"));
}

TEST(VariablesExport, EmptyGridWritesTheHeaderAlone)
{
    EXPECT_EQ(VariablesExportBytes({}), header);
}

TEST(VariablesExport, ReplacesAnExistingFile)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("vars.csv"), QByteArray(4096, 'x'));
    const TVariableRow row = variable("A", "Prompt Variable", 1, "", 3);
    ExportVariables(path, {&row});
    EXPECT_EQ(readAll(path), header + "\"A\";\"Prompt Variable\";\"1\";\"\";\"3\"\r\n");
}

TEST(VariablesExport, UnwritableTargetThrowsAndLeavesNothingBehind)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("missing-folder/vars.csv"));
    EXPECT_THROW(ExportVariables(path, {}), FileError);
    EXPECT_FALSE(QFile::exists(path));
}
