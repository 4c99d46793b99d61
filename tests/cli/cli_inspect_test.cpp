// info, export-variables, command-file, graph, preview and find against what
// the core produces for the app from the same labels.

#include "cli_fixture.h"

#include "inspect/label_info.h"
#include "inspect/label_lists.h"
#include "inspect/label_rows.h"
#include "inspect/variables_export.h"
#include "output/command_files.h"
#include "output/graphs.h"
#include "output/label_handles.h"
#include "tools/find_files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

using namespace strovex;
using namespace strovex::test;

namespace {

QString plainCaption(QString caption)
{
    caption.remove(u'&');
    caption.chop(1); // the colon
    return caption;
}

template<class Row>
QJsonArray gridRows(RowGridModel<Row> &model, std::vector<Row> rows)
{
    model.setRows(std::move(rows));
    QJsonArray result;
    for (int row = 0; row < model.rowCount(); ++row) {
        QJsonObject cells;
        for (int column = 0; column < int(model.columns().size()); ++column)
            cells.insert(model.columns()[std::size_t(column)].title, model.cellText(row, column));
        result.append(cells);
    }
    return result;
}

// What the label view fills for `path`, in the shape of the JSON document.
QJsonObject coreInfo(const QString &path)
{
    const QuillApp app{sim::createApplication()};
    const IQuillmark label = app.OpenLabel(path);
    EXPECT_FALSE(label.isNull()) << path.toStdString();
    QJsonObject result;

    LabelInfoTexts texts;
    ReadLabelInfo(label, texts);
    QJsonObject info;
    for (const LabelInfoField &field : LabelInfoFields(texts)) {
        QStringList parts{field.text, field.unit};
        parts.removeAll(QString());
        info.insert(plainCaption(field.caption), parts.join(u' '));
    }
    result.insert(QStringLiteral("Label Info"), info);

    std::vector<TObjectRow> objects;
    QStringList fontNames;
    FillObjectRows(label, label.Objects(), objects, &fontNames);
    result.insert(QStringLiteral("Objects"), gridRows(*createObjectGridModel(), objects));
    std::vector<TVariableRow> variables;
    FillVariableRows(label.Variables(), label.OtherVariables(), variables);
    result.insert(QStringLiteral("Variables"), gridRows(*createVariableGridModel(), variables));
    std::vector<TDatabaseRow> databases;
    FillDatabaseRows(label.Databases(), databases);
    result.insert(QStringLiteral("Databases"), gridRows(*createDatabaseGridModel(), databases));
    std::vector<TFunctionRow> functions;
    FillFunctionRows(label.Functions(), functions);
    result.insert(QStringLiteral("Functions"), gridRows(*createFunctionGridModel(), functions));
    result.insert(QStringLiteral("Fonts"), QJsonArray::fromStringList(collectFonts(fontNames)));
    result.insert(QStringLiteral("Dependant Files"), QJsonArray::fromStringList(collectDependentFiles(label)));
    return result;
}

const QByteArray kAwkwardTexts = R"({
    "SimulatedLabel": 1,
    "Settings": {"Title": "Quote \" back\\slash\ttab", "Unit": 7, "Width": "12", "Length": ""},
    "Variables": [
        {"ID": 2, "Name": "b", "Kind": 1, "Length": 9, "DefaultValue": "line1\r\nline2 \u2713 \u0001"},
        {"ID": 10, "Name": "A", "Kind": 4, "Length": 10},
        {"ID": 11, "Name": "\u65E5\u672C", "Kind": 4, "Length": 10}
    ]
})";

} // namespace

TEST_F(CliTest, InfoJsonHoldsWhatTheLabelViewFillsForEverySample)
{
    const QStringList samples = openableSamples();
    ASSERT_GE(samples.size(), 5);
    const CliResult result = runCliCaptured(QStringList{QStringLiteral("info"), QStringLiteral("--json")} + samples);
    ASSERT_EQ(result.status, CliOk) << result.err.toStdString();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonArray labels = document.array();
    ASSERT_EQ(labels.size(), samples.size());
    for (int i = 0; i < samples.size(); ++i)
        EXPECT_EQ(labels[i].toObject(), coreInfo(samples[i])) << samples[i].toStdString();

    // The pages come in the view's order, and a sample's values read as the page shows them.
    const QStringList pages{QStringLiteral("\"Label Info\""), QStringLiteral("\"Objects\""),
                            QStringLiteral("\"Variables\""), QStringLiteral("\"Databases\""),
                            QStringLiteral("\"Functions\""), QStringLiteral("\"Fonts\""),
                            QStringLiteral("\"Dependant Files\"")};
    for (int i = 1; i < pages.size(); ++i)
        EXPECT_LT(result.out.indexOf(pages[i - 1]), result.out.indexOf(pages[i]));
    const QJsonObject shipping = labels[samples.indexOf(samplePath(QStringLiteral("shipping_sscc.lbl")))].toObject();
    EXPECT_EQ(shipping[QLatin1String("Label Info")][QLatin1String("Length")].toString(), QStringLiteral("15.00 cm"));
    EXPECT_EQ(shipping[QLatin1String("Label Info")][QLatin1String("Speed")].toString(), QStringLiteral("4 inch/s"));
    EXPECT_EQ(shipping[QLatin1String("Variables")][0][QLatin1String("Name")].toString(), QStringLiteral("CompanyPrefix"));
}

// The layout scripts and diffs rely on, byte for byte: two spaces a level,
// members in the pages' order, empty lists as [], and [] when no label opens.
TEST_F(CliTest, InfoJsonKeepsItsLayout)
{
    const QString path = dir.write(QStringLiteral("tiny.lbl"), R"({"SimulatedLabel": 1,
        "Settings": {"Title": "T", "Unit": 0, "Width": "10", "Length": "5"},
        "Objects": [{"Name": "A", "Kind": 301, "Left": 100, "Top": 200, "Contents": "x", "FontName": "Serif", "FontSize": 100}],
        "Variables": [{"ID": 1, "Name": "V", "Kind": 4, "Length": 3}]})");
    const QString label = QStringLiteral(R"(  {
    "Label Info": {
      "Name": "%1",
      "Title": "T",
      "Author": "",
      "Version": "0",
      "Printer": "",
      "Driver": "",
      "Port": "",
      "Original printer": "",
      "Form": "",
      "Length": "5 cm",
      "Width": "10 cm",
      "Speed": "",
      "Darkness": "",
      "Column offset": "cm",
      "Row offset": "cm"
    },
    "Objects": [
      {
        "Name": "A",
        "Type": "Text",
        "Status": "OK",
        "Contents": "x",
        "Left": " 0.10 cm",
        "Top": " 0.20 cm",
        "Variable": "",
        "Locked": "No",
        "Additional Info": "Serif; 10 pt"
      }
    ],
    "Variables": [
      {
        "Name": "V",
        "Type": "Global Variable",
        "Order": "N/A",
        "Length": "3",
        "Default Value": "",
        "Format": "All characters",
        "Is Used": "No",
        "ID": "1"
      }
    ],
    "Databases": [],
    "Functions": [],
    "Fonts": [
      "Serif"
    ],
    "Dependant Files": []
  })").arg(path);
    const QString damaged = samplePath(QStringLiteral("damaged.lbl"));
    const CliResult two = runCliCaptured({QStringLiteral("info"), QStringLiteral("--json"), path, damaged, path});
    EXPECT_EQ(two.status, CliFileErrors);
    EXPECT_EQ(two.out, QStringLiteral("[\n") + label + QStringLiteral(",\n") + label + QStringLiteral("\n]\n"));
    const CliResult none = runCliCaptured({QStringLiteral("info"), QStringLiteral("--json"), damaged});
    EXPECT_EQ(none.status, CliFileErrors);
    EXPECT_EQ(none.out, QStringLiteral("[]\n"));
}

TEST_F(CliTest, InfoJsonKeepsAwkwardTextsExactly)
{
    const QString path = dir.write(QStringLiteral("awkward.lbl"), kAwkwardTexts);
    const CliResult result = runCliCaptured({QStringLiteral("info"), QStringLiteral("--json"), path});
    ASSERT_EQ(result.status, CliOk) << result.err.toStdString();
    QJsonParseError error;
    const QJsonArray labels = QJsonDocument::fromJson(result.out.toUtf8(), &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].toObject(), coreInfo(path));
    EXPECT_EQ(labels[0][QLatin1String("Label Info")][QLatin1String("Title")].toString(),
              QStringLiteral("Quote \" back\\slash\ttab"));
    // No unit known: the width shows alone.
    EXPECT_EQ(labels[0][QLatin1String("Label Info")][QLatin1String("Width")].toString(), QStringLiteral("12"));
}

TEST_F(CliTest, InfoTextShowsTheFieldsAndTheGridsInTheirInitialOrderOneRowALine)
{
    const QString path = dir.write(QStringLiteral("awkward.lbl"), kAwkwardTexts);
    const CliResult result = runCliCaptured({QStringLiteral("info"), path});
    ASSERT_EQ(result.status, CliOk) << result.err.toStdString();
    const QStringList lines = result.out.split(u'\n');

    EXPECT_TRUE(lines.contains(QStringLiteral("  Name:              ") + path)) << result.out.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("  Title:             Quote \" back\\slash tab")));
    EXPECT_TRUE(lines.contains(QStringLiteral("  Author:")));

    // Variables sorted by name with a to z folded: "A" before "b"; the line break stays on its row.
    const qsizetype heading = lines.indexOf(QStringLiteral("Variables"));
    ASSERT_GE(heading, 0);
    EXPECT_TRUE(lines[heading + 1].startsWith(QStringLiteral("  Name  Type")));
    EXPECT_TRUE(lines[heading + 2].startsWith(QStringLiteral("  ----  ----")));
    EXPECT_TRUE(lines[heading + 3].startsWith(QStringLiteral("  A     Global Variable")));
    EXPECT_TRUE(lines[heading + 4].startsWith(QStringLiteral("  b     Prompt Variable")));
    EXPECT_TRUE(lines[heading + 4].contains(QStringLiteral("line1\\r\\nline2 \u2713  ")));
    // Wide characters take two columns, so the next column still lines up.
    EXPECT_TRUE(lines[heading + 5].startsWith(QStringLiteral("  \u65E5\u672C  Global Variable"))) << result.out.toStdString();
    EXPECT_EQ(lines[heading + 6], QString());
    for (const QString &page : {QStringLiteral("Label Info"), QStringLiteral("Objects"), QStringLiteral("Databases"),
                                QStringLiteral("Functions"), QStringLiteral("Fonts"), QStringLiteral("Dependant Files")})
        EXPECT_TRUE(lines.contains(page)) << page.toStdString();
}

TEST_F(CliTest, InfoGoesOnAfterALabelThatCannotBeOpenedAndEndsWithStatusOne)
{
    const QString good = samplePath(QStringLiteral("asset_dots.lbl"));
    const QString damaged = samplePath(QStringLiteral("damaged.lbl"));
    const CliResult result = runCliCaptured({QStringLiteral("info"), damaged, good});
    EXPECT_EQ(result.status, CliFileErrors);
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("File \"%1\" cannot be opened!\n\nCannot open label file\n").arg(damaged)))
        << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(QStringLiteral("  Name:              ") + good));
}

TEST_F(CliTest, InfoNamesALabelWhoseReadingFailsAndGoesOn)
{
    const QString failing = dir.write(QStringLiteral("failing.lbl"),
                                      R"({"SimulatedLabel": 1, "Faults": {"Objects": {"Raise": "Objects are gone"}}})");
    const QString good = samplePath(QStringLiteral("asset_dots.lbl"));
    for (const bool json : {false, true}) {
        SCOPED_TRACE(json ? "json" : "text");
        QStringList args{QStringLiteral("info")};
        if (json)
            args << QStringLiteral("--json");
        const CliResult result = runCliCaptured(args + QStringList{failing, good});
        EXPECT_EQ(result.status, CliFileErrors);
        EXPECT_EQ(result.err, QStringLiteral("File \"%1\" cannot be read!\n\nObjects are gone\n").arg(failing));
        EXPECT_TRUE(result.out.contains(good)) << result.out.toStdString();
        EXPECT_FALSE(result.out.contains(failing));
    }
}

TEST_F(CliTest, ExportVariablesWritesTheGridsExportInTheAskedOrder)
{
    const QString label = samplePath(QStringLiteral("shipping_sscc.lbl"));
    struct Case {
        QStringList options;
        int column;
        Qt::SortOrder order;
    };
    const std::vector<Case> cases = {
        {{}, 0, Qt::AscendingOrder},
        {{QStringLiteral("--descending")}, 0, Qt::DescendingOrder},
        {{QStringLiteral("--sort"), QStringLiteral("length"), QStringLiteral("--descending")}, 3, Qt::DescendingOrder},
        {{QStringLiteral("--sort=Default Value")}, 4, Qt::AscendingOrder},
    };
    for (const Case &c : cases) {
        const QString out = dir.file(QStringLiteral("variables.csv"));
        const CliResult result = runCliCaptured(QStringList{QStringLiteral("export-variables"), label, out} + c.options);
        ASSERT_EQ(result.status, CliOk) << result.err.toStdString();

        const QuillApp app{sim::createApplication()};
        const IQuillmark opened = app.OpenLabel(label);
        auto model = createVariableGridModel();
        ASSERT_EQ(model->columns()[std::size_t(c.column)].title.toLower(),
                  c.options.size() > 1 ? c.options[1].toLower() : model->columns()[std::size_t(c.column)].title.toLower());
        std::vector<TVariableRow> rows;
        FillVariableRows(opened.Variables(), opened.OtherVariables(), rows);
        model->setRows(std::move(rows));
        model->sort(c.column, c.order);
        EXPECT_EQ(readAll(out), VariablesExportBytes(model->rowsInDisplayOrder())) << c.options.join(u' ').toStdString();
    }
}

TEST_F(CliTest, CommandFileAndGraphAreWhatTheAppsWritersWriteForTheChosenName)
{
    // Every prompted variable has a default value, so no random samples differ.
    const QString label = samplePath(QStringLiteral("shipping_sscc.lbl"));
    struct Case {
        QString command;
        QString name;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("command-file"), QStringLiteral("print.job")},
        {QStringLiteral("command-file"), QStringLiteral("print.XML")},
        {QStringLiteral("command-file"), QStringLiteral("print.csv")},
        {QStringLiteral("command-file"), QStringLiteral("print.Dat")},
        {QStringLiteral("command-file"), QStringLiteral("print.txt")},
        {QStringLiteral("graph"), QStringLiteral("graph.dot")},
        // Another base name: on Windows "graph.DOT" would be "graph.dot" again.
        {QStringLiteral("graph"), QStringLiteral("upper.DOT")},
        {QStringLiteral("graph"), QStringLiteral("graph.dgml")},
    };
    for (const Case &c : cases) {
        const QString out = dir.file(QStringLiteral("cli-") + c.name);
        const CliResult result = runCliCaptured({c.command, label, out});
        ASSERT_EQ(result.status, CliOk) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());

        const QString expected = dir.file(QStringLiteral("app-") + c.name);
        {
            const QuillApp app{sim::createApplication()};
            const LabelHandles handles = LabelHandles::fromLabel(app.OpenLabel(label));
            if (c.command == u"command-file")
                WriteCommandFile(handles, expected);
            else if (IsDotGraphPath(expected))
                WriteDotGraph(handles, expected);
            else
                WriteDgmlGraph(handles, expected);
        }
        const QByteArray bytes = readAll(out);
        EXPECT_FALSE(bytes.isEmpty()) << c.name.toStdString();
        EXPECT_EQ(bytes, readAll(expected)) << c.name.toStdString();
    }
    // Only ".dot" in exactly this case is DOT.
    EXPECT_TRUE(readAll(dir.file(QStringLiteral("cli-graph.dot"))).startsWith("digraph "));
    EXPECT_TRUE(readAll(dir.file(QStringLiteral("cli-upper.DOT"))).startsWith("\xFF\xFE"));
}

TEST_F(CliTest, OutputCommandsLeaveNoFileWhenTheLabelCannotBeOpened)
{
    const QString damaged = samplePath(QStringLiteral("damaged.lbl"));
    for (const QString &command : {QStringLiteral("export-variables"), QStringLiteral("command-file"),
                                   QStringLiteral("graph"), QStringLiteral("preview")}) {
        const QString out = dir.file(QStringLiteral("out.bmp"));
        const CliResult result = runCliCaptured({command, damaged, out});
        EXPECT_EQ(result.status, CliFileErrors) << command.toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("cannot be opened!"))) << command.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << command.toStdString();
    }
}

TEST_F(CliTest, PreviewIsThePictureTheDesignerDrawsAtTheAskedSize)
{
    const QString label = samplePath(QStringLiteral("product_paragraph.lbl"));
    const QString out = dir.file(QStringLiteral("preview.bmp"));
    ASSERT_EQ(runCliCaptured({QStringLiteral("preview"), label, out, QStringLiteral("--size"), QStringLiteral("320x200")})
                  .status,
              CliOk);
    const QString expected = dir.file(QStringLiteral("expected.bmp"));
    {
        const QuillApp app{sim::createApplication()};
        app.OpenLabel(label).ExportPreview(expected, 320, 200);
    }
    EXPECT_EQ(readAll(out), readAll(expected));

    // Without --size: 800 x 600.
    ASSERT_EQ(runCliCaptured({QStringLiteral("preview"), label, out}).status, CliOk);
    const QByteArray bmp = readAll(out);
    ASSERT_GE(bmp.size(), 26);
    EXPECT_EQ(qFromLittleEndian<qint32>(bmp.constData() + 18), 800);
    EXPECT_EQ(qFromLittleEndian<qint32>(bmp.constData() + 22), 600);
}

TEST_F(CliTest, PreviewTheDesignerRefusesIsAnErrorAndLeavesTheOldFile)
{
    const QString out = dir.write(QStringLiteral("preview.bmp"), "old");
    // Far more pixels than the designer draws.
    const CliResult result = runCliCaptured({QStringLiteral("preview"), samplePath(QStringLiteral("asset_dots.lbl")),
                                             out, QStringLiteral("--size"), QStringLiteral("100000x100000")});
    EXPECT_EQ(result.status, CliFileErrors);
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("The designer drew no preview picture"))) << result.err.toStdString();
    EXPECT_EQ(readAll(out), QByteArray("old"));
}

TEST_F(CliTest, FindListsWhatTheBatchToolsSearchFinds)
{
    const QString collection = samplePath(QStringLiteral("collection"));
    for (const QStringList &mask : {QStringList{}, QStringList{QStringLiteral("--mask"), QStringLiteral("*.bak")}}) {
        QStringList expected;
        FindFiles(mask.isEmpty() ? QStringLiteral("*.lbl") : mask[1], collection, true, expected);
        ASSERT_FALSE(expected.isEmpty());
        const CliResult result = runCliCaptured(QStringList{QStringLiteral("find"), collection} + mask);
        EXPECT_EQ(result.status, CliOk);
        EXPECT_EQ(result.out, printedLines(expected));
    }
    // The search needs no designer.
    EXPECT_EQ(runCliCaptured({QStringLiteral("--designer"), QStringLiteral("none"), QStringLiteral("find"), collection})
                  .status,
              CliOk);
}
