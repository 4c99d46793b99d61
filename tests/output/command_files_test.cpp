// Command files, byte for byte, for fixture labels whose variables all have
// default values (random samples are checked by their constraints elsewhere).

#include "label_fixture.h"
#include "output/command_files.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace strovex;
using namespace strovex::test;

namespace {

class CommandFiles : public ::testing::Test {
protected:
    TempDir dir;
    // A long file name with a space: the DAT short name is cut, the JOB/XML
    // label reference keeps it whole.
    QString labelPath = dir.copy(fixturePath(QStringLiteral("shipping.lbl")), QStringLiteral("Shipping Box.lbl"));
    OpenedLabel opened{labelPath};

    QByteArray write(const QString &name)
    {
        const QString path = dir.file(name);
        WriteCommandFile(opened.view, path);
        return readAll(path);
    }
};

} // namespace

// List order, not prompt order; both "Article" variables; the space-named
// variable quoted, the tab-named one not; escaped line breaks; quotes and
// backslashes of a default value unchanged; non-prompted and absent items left out.
TEST_F(CommandFiles, JobFile)
{
    const QStringList expected = expectedLines(R"(
LABEL "{P}"
PRINTER "Thermal "Dock 3" & Co"
SET Article = "A&B <1>"
SET "Ship To" = "Line1\r\nLine2 "q" \"
SET Tab<TAB>Name = "x"
SET Article = "second"
SET "Marked one" = "m"
PRINT "1"
)", labelPath);
    EXPECT_EQ(write(QStringLiteral("out.job")), utf16File(expected));
    // Any other extension is JOB too.
    EXPECT_EQ(write(QStringLiteral("out.txt")), utf16File(expected));
    EXPECT_EQ(write(QStringLiteral("out")), utf16File(expected));
}

TEST_F(CommandFiles, XmlFile)
{
    const QStringList expected = expectedLines(R"(
<quill_commands quit="false">
  <label name="{P}" close="true">
    <print_job printer="Thermal &quot;Dock 3&quot; &amp; Co" quantity="1" skip="0" identical_copies="1" job_name="Shipping Box.lbl">
      <variable name="Article">A&amp;B &lt;1></variable>
      <variable name="Ship To">Line1\r\nLine2 &quot;q&quot; \</variable>
      <variable name="Tab&#9;Name">x</variable>
      <variable name="Article">second</variable>
      <variable name="Marked one">m</variable>
    </print_job>
  </label>
</quill_commands>
)", labelPath);
    const QByteArray bytes = write(QStringLiteral("out.XML"));
    EXPECT_EQ(bytes, utf16File(expected));

    // A reader gets every name and value back as the designer gave them.
    QXmlStreamReader reader(QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData() + 2), (bytes.size() - 2) / 2));
    QStringList variables;
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("variable")) {
            const QString name = reader.attributes().value(QStringLiteral("name")).toString();
            variables << name + u'=' + reader.readElementText();
        } else if (reader.name() != QLatin1String("quill_commands") && reader.name() != QLatin1String("label")
                   && reader.name() != QLatin1String("print_job")) {
            reader.skipCurrentElement();
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    EXPECT_EQ(variables, QStringList({QStringLiteral("Article=A&B <1>"), QStringLiteral("Ship To=Line1\\r\\nLine2 \"q\" \\"),
                                      QStringLiteral("Tab\tName=x"), QStringLiteral("Article=second"),
                                      QStringLiteral("Marked one=m")}));
}

TEST_F(CommandFiles, CsvFile)
{
    const QStringList expected = expectedLines(R"(
@Label, @Printer, @Quantity, @Skip, @IdenticalCopies, @NumberOfSets, @Port, "Article", "Ship To", "Tab<TAB>Name", "Article", "Marked one"
"{P}", "Thermal "Dock 3" & Co", 1, 0, 1, 1, , "A&B <1>", "Line1\r\nLine2 "q" \", "x", "second", "m"
)", labelPath);
    EXPECT_EQ(write(QStringLiteral("out.csv")), utf16File(expected));
}

// Sorted by prompt order, one "Article" (the lower prompt order), values
// from character 67 on.
TEST_F(CommandFiles, DataFile)
{
    const QString fixed = QStringLiteral("..JPH    0000") + QString(20, u' ')
                          + QStringLiteral("1234567001001591556-2BT152V65    ");
    ASSERT_EQ(fixed.size(), 66);
    const QStringList expected = {
        QStringLiteral("~~SHIPPINGSHIPPING1234567890"),
        fixed + QStringLiteral("secondLine1\\r\\nLine2 \"q\" \\xm^^0000001"),
    };
    EXPECT_EQ(write(QStringLiteral("out.dat")), utf16File(expected));
    EXPECT_EQ(write(QStringLiteral("out.Dat")), utf16File(expected));
}

TEST_F(CommandFiles, DataFileLeavesMarkedVariablesOutInVariableMode1)
{
    QByteArray json = readAll(labelPath);
    json.replace("\"VariableMode\": 0", "\"VariableMode\": 1");
    // Beside the fixture's label, which its own designer holds open.
    const QString modePath = dir.write(QStringLiteral("marked/Shipping Box.lbl"), json);
    OpenedLabel marked(modePath);
    const QString path = dir.file(QStringLiteral("marked.dat"));
    WriteDataFile(marked.view, path);
    const QString fixed = QStringLiteral("..JPH    0000") + QString(20, u' ')
                          + QStringLiteral("1234567001001591556-2BT152V65    ");
    EXPECT_EQ(readAll(path), utf16File({QStringLiteral("~~SHIPPINGSHIPPING1234567890"),
                                        fixed + QStringLiteral("secondLine1\\r\\nLine2 \"q\" \\x^^0000001")}));
}

TEST(CommandFilesWithoutPromptedVariables, GiveOnlyTheFixedLines)
{
    TempDir dir;
    const QString labelPath = dir.copy(fixturePath(QStringLiteral("plain.lbl")), QStringLiteral("q.lbl"));
    OpenedLabel opened(labelPath);
    const auto write = [&](const QString &name) {
        WriteCommandFile(opened.view, dir.file(name));
        return readAll(dir.file(name));
    };

    EXPECT_EQ(write(QStringLiteral("a.job")), utf16File(expectedLines(R"(
LABEL "{P}"
PRINTER "Office"
PRINT "1"
)", labelPath)));
    EXPECT_EQ(write(QStringLiteral("a.xml")), utf16File(expectedLines(R"(
<quill_commands quit="false">
  <label name="{P}" close="true">
    <print_job printer="Office" quantity="1" skip="0" identical_copies="1" job_name="q.lbl">
    </print_job>
  </label>
</quill_commands>
)", labelPath)));
    EXPECT_EQ(write(QStringLiteral("a.csv")), utf16File(expectedLines(R"(
@Label, @Printer, @Quantity, @Skip, @IdenticalCopies, @NumberOfSets, @Port
"{P}", "Office", 1, 0, 1, 1, 
)", labelPath)));
    EXPECT_EQ(write(QStringLiteral("a.dat")),
              utf16File({QStringLiteral("~~Q       Q       1234567890"),
                         QStringLiteral("..JPH    0000") + QString(20, u' ')
                             + QStringLiteral("1234567001001591556-2BT152V65    ^^0000001")}));
}

// A character XML 1.0 cannot carry is refused in the XML command file, never
// replaced: the message names where it is and the character, and the file
// already there stays as it was. The JOB file carries the same value.
TEST(XmlCommandFile, RefusesCharactersXmlCannotCarry)
{
    struct Case {
        const char *printer;
        const char *name;
        const char *value; // JSON string contents
        const char *refusal; // empty: written
    };
    const Case cases[] = {
        {"Office", "GS1 Code", R"((01)09501101530008\u001D(10)ABC)",
         "the value of variable \"GS1 Code\" holds the character U+001D"},
        {"Office", "Start", R"(\u0000x)", "the value of variable \"Start\" holds the character U+0000"},
        {"Office", "Last", R"(ab\uFFFF)", "the value of variable \"Last\" holds the character U+FFFF"},
        {"Office", R"(Bell\u0007)", "x", "a variable name holds the character U+0007"},
        {R"(Dock\u001B3)", "Plain", "x", "the printer name holds the character U+001B"},
        // Tab, line breaks and characters beyond the BMP are fine.
        {"Office", "Wide", R"(\t\r\n\uD83D\uDE00)", ""},
    };
    for (const Case &c : cases) {
        TempDir dir;
        const QString labelPath = dir.write(QStringLiteral("gs1.lbl"),
            QStringLiteral(R"({"SimulatedLabel": 1, "PrinterName": "%1", "Variables": [
                {"ID": 1, "Name": "%2", "Kind": 1, "PromptMode": 0, "Length": 30, "DefaultValue": "%3"}]})")
                .arg(QString::fromUtf8(c.printer), QString::fromUtf8(c.name), QString::fromUtf8(c.value)).toUtf8());
        OpenedLabel opened(labelPath);
        const QString xml = dir.write(QStringLiteral("out.xml"), "old");
        if (*c.refusal == '\0') {
            EXPECT_NO_THROW(WriteCommandFile(opened.view, xml)) << c.value;
            EXPECT_NE(readAll(xml), QByteArray("old"));
            continue;
        }
        try {
            WriteCommandFile(opened.view, xml);
            ADD_FAILURE() << c.refusal << ": written";
        } catch (const FileError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("The XML command file cannot be written: %1, which XML cannot carry. "
                                                  "Write the command file in the JOB or CSV format instead.")
                                       .arg(QString::fromUtf8(c.refusal)));
        }
        EXPECT_EQ(readAll(xml), QByteArray("old")) << c.refusal;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << c.refusal;
    }

    // The JOB file keeps the group separator.
    TempDir dir;
    const QString labelPath = dir.write(QStringLiteral("gs1.lbl"), R"({"SimulatedLabel": 1, "PrinterName": "Office",
        "Variables": [{"ID": 1, "Name": "GS1", "Kind": 1, "PromptMode": 0, "Length": 30,
                       "DefaultValue": "(01)09501101530008\u001D(10)ABC"}]})");
    OpenedLabel opened(labelPath);
    WriteCommandFile(opened.view, dir.file(QStringLiteral("out.job")));
    EXPECT_EQ(readAll(dir.file(QStringLiteral("out.job"))),
              utf16File(expectedLines("LABEL \"{P}\"\nPRINTER \"Office\"\n"
                                      "SET GS1 = \"(01)09501101530008\x1D(10)ABC\"\nPRINT \"1\"", labelPath)));
}
