#include "automation/designer.h"
#include "sim/sim_designer.h"
#include "sim/sim_preview.h"
#include "support/holding_process.h"
#include "support/temp_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QJsonObject>
#include <QSet>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace strovex;
using test::TempDir;

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(STROVEX_TEST_DATA_DIR "/data/") + name;
}

QJsonObject readJson(const QString &path)
{
    return QJsonDocument::fromJson(test::readAll(path)).object();
}

QByteArray toBytes(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

// A copy of the full fixture (and its picture folder) in a temporary folder,
// optionally with faults added.
QString copyFixture(const TempDir &dir, const QJsonObject &faults = {})
{
    QDir().mkpath(dir.file(QStringLiteral("pictures")));
    dir.copy(fixture(QStringLiteral("pictures/logo.bmp")), QStringLiteral("pictures/logo.bmp"));
    dir.copy(fixture(QStringLiteral("pictures/new logo.bmp")), QStringLiteral("pictures/new logo.bmp"));
    QJsonObject doc = readJson(fixture(QStringLiteral("full.lbl")));
    if (!faults.isEmpty())
        doc.insert(QStringLiteral("Faults"), faults);
    return dir.write(QStringLiteral("full.lbl"), toBytes(doc));
}

// Every test leaves the knobs off, whatever it set.
class Sim : public ::testing::Test {
protected:
    void SetUp() override { sim::setKnobs({}); }
    void TearDown() override { sim::setKnobs({}); }
};

} // namespace

TEST_F(Sim, ReadsEveryInterfaceOfAnOpenedLabel)
{
    TempDir dir;
    const QString path = copyFixture(dir);
    QuillApp app(sim::createApplication());
    app.Initialize();
    app.SetAutomationFlag(true);
    const IQuillmark label = app.OpenLabel(path);
    ASSERT_FALSE(label.isNull());

    EXPECT_EQ(label.FileName(), path);
    EXPECT_EQ(label.Version(), 6);
    EXPECT_EQ(label.PrinterName(), QStringLiteral("Dock 3 Thermal"));
    EXPECT_EQ(label.PrinterPort(), QStringLiteral("USB001:"));
    EXPECT_EQ(label.OriginalPrinter(), QStringLiteral("Office Laser"));
    EXPECT_EQ(label.FormName(), QStringLiteral("100 x 50 mm"));
    EXPECT_EQ(label.HorizontalResolution(), 203);
    EXPECT_EQ(label.VerticalResolution(), 300);
    EXPECT_EQ(label.VariableMode(), 1);
    EXPECT_EQ(label.GetPrinterSetting(QStringLiteral("PRINTSPEED")), QStringLiteral("4"));
    EXPECT_EQ(label.GetPrinterSetting(QStringLiteral("PRINTDARKNESS")), QStringLiteral("12"));
    EXPECT_THROW(label.GetPrinterSetting(QStringLiteral("PRINTMODE")), AutomationError);
    EXPECT_EQ(label.GetSpeedUnit(label.PrinterName()), QStringLiteral("inch/s"));
    EXPECT_EQ(label.GetDarknessValues(label.PrinterName()), QStringLiteral("1,2,3"));
    // Graphics paths are reported against the label's folder; a space puts the file in quotes.
    EXPECT_EQ(label.GetDependentFiles(), dir.file(QStringLiteral("pictures/logo.bmp")));

    const ILabelSettings settings = label.Settings();
    EXPECT_EQ(settings.Title(), QStringLiteral("Fixture"));
    EXPECT_EQ(settings.Unit(), 3);
    EXPECT_EQ(settings.Width(), QStringLiteral("100.0"));
    EXPECT_EQ(settings.Length(), QStringLiteral("50.0"));
    EXPECT_EQ(settings.ColumnOffset(), QStringLiteral("1.5"));
    EXPECT_EQ(settings.RowOffset(), QStringLiteral("2"));

    const IObjectList objects = label.Objects();
    ASSERT_EQ(objects.Count(), 4);
    const IObjectItem title = objects.Item(1);
    EXPECT_EQ(title.Name(), QStringLiteral("Title"));
    EXPECT_EQ(title.Kind(), 301);
    EXPECT_EQ(title.Left(), 500);
    EXPECT_EQ(title.Top(), 400);
    EXPECT_EQ(title.Status(), 0);
    EXPECT_TRUE(title.Locked());
    EXPECT_EQ(title.Contents(), QStringLiteral("ABC-123"));
    EXPECT_EQ(title.FontName(), QStringLiteral("Arial"));
    EXPECT_EQ(title.FontSize(), 105);
    EXPECT_TRUE(title.Italic());
    EXPECT_TRUE(title.Bold());
    EXPECT_FALSE(title.Underline());
    EXPECT_TRUE(title.Strikeout());
    EXPECT_EQ(title.Variable().Name(), QStringLiteral("Article"));
    EXPECT_EQ(title.Variable().Length(), 10);
    EXPECT_EQ(objects.Item(2).Contents(), dir.file(QStringLiteral("pictures/logo.bmp")));
    EXPECT_TRUE(objects.Item(3).Variable().isNull());
    EXPECT_EQ(objects.Item(3).Status(), 1);
    EXPECT_FALSE(objects.Item(3).Locked());
    // A name the label does not declare still names the variable.
    EXPECT_EQ(objects.Item(4).Variable().Name(), QStringLiteral("Undeclared"));
    EXPECT_EQ(objects.Item(4).Variable().Length(), 0);

    const IVariableList variables = label.Variables();
    ASSERT_EQ(variables.Count(), 2);
    const IVar article = variables.Item(1);
    EXPECT_EQ(article.ID(), 1);
    EXPECT_EQ(article.Name(), QStringLiteral("Article"));
    EXPECT_EQ(article.Kind(), 1);
    EXPECT_EQ(article.Length(), 10);
    EXPECT_EQ(article.InputFormat(), 2);
    EXPECT_EQ(article.DefaultValue(), QStringLiteral("ABC-123"));
    EXPECT_EQ(article.PromptMode(), 0);
    EXPECT_EQ(article.PromptOrder(), 1);
    EXPECT_TRUE(article.IsUsed());
    EXPECT_FALSE(article.Marked());
    EXPECT_FALSE(variables.Item(2).IsUsed());
    EXPECT_TRUE(variables.Item(2).Marked());
    EXPECT_EQ(label.OtherVariables().Item(1).Name(), QStringLiteral("Counter"));

    const IDatabaseItem db = label.Databases().Item(1);
    EXPECT_EQ(label.Databases().Count(), 1);
    EXPECT_EQ(db.Name(), QStringLiteral("Articles"));
    EXPECT_EQ(db.Description(), QStringLiteral("Article master"));
    EXPECT_EQ(db.DriverType(), QStringLiteral("ODBC"));
    EXPECT_EQ(db.TableName(), QStringLiteral("ARTICLE"));
    EXPECT_EQ(db.OrderField(), QStringLiteral("ARTNO"));
    EXPECT_EQ(db.Navigation(), 2);
    EXPECT_EQ(db.SQL(), QStringLiteral("SELECT * FROM ARTICLE"));
    EXPECT_EQ(db.ConnectionString(), QStringLiteral("DSN=Stock"));
    EXPECT_TRUE(db.IsUsed());
    EXPECT_EQ(db.InputVariables().Count(), 1);
    EXPECT_EQ(db.InputVariables().Item(1).Name(), QStringLiteral("Article"));
    // Names in a database's lists resolve to the label's variables, the second list included.
    EXPECT_EQ(db.OutputVariables().Item(2).Kind(), 5);
    EXPECT_EQ(db.OutputVariables().FindByName(QStringLiteral("Quantity")).Length(), 4);

    const IFunctionItem fn = label.Functions().Item(1);
    EXPECT_EQ(fn.Name(), QStringLiteral("Check"));
    EXPECT_EQ(fn.Description(), QStringLiteral("Check digit"));
    EXPECT_EQ(fn.Kind(), 9);
    EXPECT_EQ(fn.KindName(), QStringLiteral("QUILLScript"));
    EXPECT_EQ(fn.Script(), QStringLiteral("\u0001Result = Article & \"-\""));
    EXPECT_TRUE(fn.IsUsed());
    EXPECT_EQ(fn.InputVariables().Count(), 1);
    EXPECT_EQ(fn.OutputVariables().Count(), 0);

    EXPECT_TRUE(app.ErrorText().isEmpty());
}

TEST_F(Sim, FindByNamePrefersTheExactNameThenIgnoresLetterCase)
{
    TempDir dir;
    QJsonObject doc{{QStringLiteral("SimulatedLabel"), 1}};
    doc.insert(QStringLiteral("Variables"), QJsonArray{
        QJsonObject{{QStringLiteral("Name"), QStringLiteral("lot")}, {QStringLiteral("Length"), 1}},
        QJsonObject{{QStringLiteral("Name"), QStringLiteral("Lot")}, {QStringLiteral("Length"), 2}},
        QJsonObject{{QStringLiteral("Name"), QStringLiteral("Größe")}, {QStringLiteral("Length"), 3}},
    });
    QuillApp app(sim::createApplication());
    const IVariableList vars = app.OpenLabel(dir.write(QStringLiteral("a.lbl"), toBytes(doc))).Variables();

    const struct {
        const char16_t *name;
        int length; // 0: not found
    } cases[] = {
        {u"Lot", 2},
        {u"lot", 1},
        {u"LOT", 1},     // no exact match: the first ignoring case
        {u"GRÖSSE", 0},  // letter case folds character by character, not by spelling rules
        {u"GRÖßE", 3},
        {u"Batch", 0},
        {u"", 0},
    };
    for (const auto &c : cases) {
        const IVar found = vars.FindByName(QString::fromUtf16(c.name));
        SCOPED_TRACE(QString::fromUtf16(c.name).toStdString());
        EXPECT_EQ(found.isNull() ? 0 : found.Length(), c.length);
    }
}

TEST_F(Sim, OpenFailuresReturnNothingAndExplainWhy)
{
    TempDir dir;
    dir.write(QStringLiteral("broken.lbl"), "{\"SimulatedLabel\": 1, \"Objects\": [");
    dir.write(QStringLiteral("plain.lbl"), "{\"Version\": 6}");
    dir.write(QStringLiteral("marker2.lbl"), "{\"SimulatedLabel\": 2}");
    dir.write(QStringLiteral("array.lbl"), "[1, 2]");
    dir.write(QStringLiteral("empty.lbl"), "");
    QDir().mkpath(dir.file(QStringLiteral("folder.lbl")));
#ifndef _WIN32 // FIFOs and a link to /dev/zero: POSIX file-system behaviour
    // Nothing that is not a regular file is read: a FIFO would block the open,
    // /dev/zero would be read until memory ran out.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file(QStringLiteral("fifo.lbl"))).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.file(QStringLiteral("zero.lbl"))));
#endif
    // Sparse: larger than the limit without taking the disk space.
    QFile large(dir.file(QStringLiteral("large.lbl")));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly) && large.resize(sim::kMaxLabelFileBytes + 1));
    large.close();

    const struct {
        QString path;
        QString detailPart;
    } cases[] = {
        {dir.file(QStringLiteral("missing.lbl")), QStringLiteral("does not exist")},
        {dir.file(QStringLiteral("broken.lbl")), QStringLiteral("is damaged or not a label")},
        {dir.file(QStringLiteral("empty.lbl")), QStringLiteral("is damaged or not a label")},
        {dir.file(QStringLiteral("plain.lbl")), QStringLiteral("label marker is missing")},
        {dir.file(QStringLiteral("marker2.lbl")), QStringLiteral("label marker is missing")},
        {dir.file(QStringLiteral("array.lbl")), QStringLiteral("label marker is missing")},
        {dir.file(QStringLiteral("folder.lbl")), QStringLiteral("is a folder")},
#ifndef _WIN32
        {dir.file(QStringLiteral("fifo.lbl")), QStringLiteral("is not a regular file")},
        {dir.file(QStringLiteral("zero.lbl")), QStringLiteral("is not a regular file")},
#endif
        {dir.file(QStringLiteral("large.lbl")), QStringLiteral("is larger than 256 MB")},
        {QString(), QStringLiteral("No file name")},
    };
    QuillApp app(sim::createApplication());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_TRUE(app.OpenLabel(c.path).isNull());
        EXPECT_EQ(app.ErrorText(), QStringLiteral("Cannot open label file"));
        EXPECT_TRUE(app.ErrorDetail().contains(c.detailPart)) << app.ErrorDetail().toStdString();
        if (!c.path.isEmpty()) {
            EXPECT_TRUE(app.ErrorDetail().contains(c.path));
        }
    }
    // A successful open clears the texts of the failure before it.
    EXPECT_FALSE(app.OpenLabel(copyFixture(dir)).isNull());
    EXPECT_EQ(app.LastErrorText(), QString());
    EXPECT_EQ(sim::liveLabels(), 0);
}

TEST_F(Sim, EachOpenIsAFreshLabelAndFileNameIsAbsoluteButNotResolved)
{
    TempDir dir;
    const QString path = copyFixture(dir);
    QuillApp app(sim::createApplication());
    const IQuillmark first = app.OpenLabel(path);
    const IQuillmark second = app.OpenLabel(path);
    ASSERT_NE(first.ref(), second.ref());
    first.SetPrinterName(QStringLiteral("Changed"));
    EXPECT_EQ(first.PrinterName(), QStringLiteral("Changed"));
    EXPECT_EQ(second.PrinterName(), QStringLiteral("Dock 3 Thermal"));
    EXPECT_EQ(sim::liveLabels(), 2);

#ifndef _WIN32 // symbolic links: POSIX file-system behaviour
    ASSERT_TRUE(QFile::link(path, dir.file(QStringLiteral("link.lbl"))));
    EXPECT_EQ(app.OpenLabel(dir.file(QStringLiteral("link.lbl"))).FileName(), dir.file(QStringLiteral("link.lbl")));
#endif

    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QString relative = app.OpenLabel(QStringLiteral("./pictures/../full.lbl")).FileName();
    QDir::setCurrent(saved);
    EXPECT_EQ(relative, path);
}

namespace {

// What a call did: its value as text, "nothing", or the error it raised.
QString outcome(const std::function<QString()> &call)
{
    try {
        return call();
    } catch (const AutomationError &e) {
        return QStringLiteral("raised: ") + toQString(e.text());
    }
}

QString nullOr(const DesignerObject &object, const QString &text)
{
    return object.isNull() ? QStringLiteral("nothing") : text;
}

} // namespace

TEST_F(Sim, ALabelFileIsHeldByItsDesignerUntilReleased)
{
    TempDir dir;
    const QString path = copyFixture(dir);
    QuillApp first(sim::createApplication());
    QuillApp second(sim::createApplication());
    IQuillmark label = first.OpenLabel(path);
    ASSERT_FALSE(label.isNull());
    IObjectList objects = label.Objects();

    const auto refusedToSecond = [&] {
        const bool refused = second.OpenLabel(path).isNull();
        EXPECT_EQ(second.ErrorText(), QStringLiteral("The file is in use by another process."));
        EXPECT_TRUE(second.ErrorDetail().contains(path)) << second.ErrorDetail().toStdString();
        return refused;
    };
    EXPECT_TRUE(refusedToSecond());
    // The designer holding the file may open it again.
    EXPECT_FALSE(first.OpenLabel(path).isNull());
    // A save puts a new file under the name; the designer keeps that one.
    label.SetPrinterName(QStringLiteral("Saved"));
    ASSERT_TRUE(label.Save());
    EXPECT_TRUE(refusedToSecond());

    label.release();
    EXPECT_TRUE(refusedToSecond()); // the label's objects still hold its document
    objects.release();
    IQuillmark reopened = second.OpenLabel(path);
    ASSERT_FALSE(reopened.isNull());
    EXPECT_EQ(reopened.PrinterName(), QStringLiteral("Saved"));
    EXPECT_TRUE(first.OpenLabel(path).isNull());
    EXPECT_EQ(first.ErrorText(), QStringLiteral("The file is in use by another process."));
}

TEST_F(Sim, AnotherProcessIsRefusedAndTheLockEndsWithTheProcessThatHeldIt)
{
    TempDir dir;
    const QString path = copyFixture(dir);
    {
        QuillApp app(sim::createApplication());
        const IQuillmark label = app.OpenLabel(path);
        ASSERT_FALSE(label.isNull());
        test::HoldingProcess refused(path);
        EXPECT_EQ(refused.opened(), 'n');
    }
    test::HoldingProcess holder(path);
    ASSERT_EQ(holder.opened(), 'y');
    QuillApp app(sim::createApplication());
    EXPECT_TRUE(app.OpenLabel(path).isNull());
#ifndef _WIN32
    // Where the system tells who holds a lock, the detail names that process.
    const QRegularExpressionMatch by = QRegularExpression(QStringLiteral(R"(open in another designer \(process (\d+) \(.+\)\)\.$)"))
                                           .match(app.ErrorDetail());
    ASSERT_TRUE(by.hasMatch()) << app.ErrorDetail().toStdString();
    EXPECT_NE(by.captured(1).toLongLong(), qint64(QCoreApplication::applicationPid()));
#endif
    holder.end(); // killed: no release ever runs in it
    EXPECT_FALSE(app.OpenLabel(path).isNull());
}

TEST_F(Sim, FaultsRaiseReturnNothingOrReturnAValueOnTheirPath)
{
    using Check = std::function<QString(const IQuillmark &)>;
    const auto fault = [](const char *json) { return QJsonDocument::fromJson(json).object(); };
    const struct {
        const char *path;
        QJsonObject fault;
        Check faulty;     // the call the fault sits on
        QString expected;
        Check neighbour;  // a call beside it that must stay unharmed
        QString neighbourExpected;
        QString errorText; // the application's error text afterwards
    } cases[] = {
        {"FormName", fault(R"({"Raise": "Form unavailable", "ErrorText": "Driver error", "ErrorDetail": "No forms"})"),
         [](const IQuillmark &l) { return l.FormName(); }, QStringLiteral("raised: Form unavailable"),
         [](const IQuillmark &l) { return l.PrinterPort(); }, QStringLiteral("USB001:"), QStringLiteral("Driver error")},
        {"Settings.ColumnOffset", fault(R"({"Return": "9.75"})"),
         [](const IQuillmark &l) { return l.Settings().ColumnOffset(); }, QStringLiteral("9.75"),
         [](const IQuillmark &l) { return l.Settings().RowOffset(); }, QStringLiteral("2"), QString()},
        {"Objects[2]", fault(R"({"Nothing": true})"),
         [](const IQuillmark &l) { return nullOr(l.Objects().Item(2), QStringLiteral("an object")); }, QStringLiteral("nothing"),
         [](const IQuillmark &l) { return l.Objects().Item(3).Name(); }, QStringLiteral("Frame"), QString()},
        {"Objects[2].Contents", fault(R"({"Raise": "Picture lost"})"),
         [](const IQuillmark &l) { return l.Objects().Item(2).Contents(); }, QStringLiteral("raised: Picture lost"),
         [](const IQuillmark &l) { return l.Objects().Item(2).Name(); }, QStringLiteral("Logo"), QString()},
        {"Variables[1].Length=", fault(R"({"Raise": "Length locked", "ErrorText": "Refused"})"),
         [](const IQuillmark &l) { l.Variables().FindByName(QStringLiteral("Article")).SetLength(12); return QStringLiteral("set"); },
         QStringLiteral("raised: Length locked"),
         [](const IQuillmark &l) { return QString::number(l.Variables().Item(1).Length()); }, QStringLiteral("10"),
         QStringLiteral("Refused")},
        {"Functions[1].Script", fault(R"({"Return": 42})"),
         [](const IQuillmark &l) { return l.Functions().Item(1).Script(); }, QStringLiteral("42"),
         [](const IQuillmark &l) { return l.Functions().Item(1).KindName(); }, QStringLiteral("QUILLScript"), QString()},
        {"GetPrinterSetting(PRINTSPEED)", fault(R"({"Raise": "Printer offline"})"),
         [](const IQuillmark &l) { return l.GetPrinterSetting(QStringLiteral("PRINTSPEED")); }, QStringLiteral("raised: Printer offline"),
         [](const IQuillmark &l) { return l.GetPrinterSetting(QStringLiteral("PRINTDARKNESS")); }, QStringLiteral("12"), QString()},
        {"GetSpeedUnit", fault(R"({"Return": null})"),
         [](const IQuillmark &l) { return l.GetSpeedUnit(QStringLiteral("any")); }, QString(),
         [](const IQuillmark &l) { return l.GetDarknessValues(QStringLiteral("any")); }, QStringLiteral("1,2,3"), QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        TempDir dir;
        const QString path = copyFixture(dir, QJsonObject{{QLatin1String(c.path), c.fault}});
        QuillApp app(sim::createApplication());
        const IQuillmark label = app.OpenLabel(path);
        ASSERT_FALSE(label.isNull());
        EXPECT_EQ(outcome([&] { return c.faulty(label); }), c.expected);
        EXPECT_EQ(outcome([&] { return c.neighbour(label); }), c.neighbourExpected);
        EXPECT_EQ(app.ErrorText(), c.errorText);
        // A fault holds for every call on its path, not only the first.
        EXPECT_EQ(outcome([&] { return c.faulty(label); }), c.expected);
    }
}

TEST_F(Sim, OpenLabelAndSaveFaults)
{
    TempDir dir;
    QuillApp app(sim::createApplication());

    const QString nothing = copyFixture(dir, QJsonObject{{QStringLiteral("OpenLabel"),
        QJsonObject{{QStringLiteral("Nothing"), true}, {QStringLiteral("ErrorText"), QStringLiteral("License expired")},
                    {QStringLiteral("ErrorDetail"), QStringLiteral("Contact your administrator.")}}}});
    EXPECT_TRUE(app.OpenLabel(nothing).isNull());
    EXPECT_EQ(app.LastErrorText(), QStringLiteral("License expired\r\nContact your administrator."));

    const QString raises = copyFixture(dir, QJsonObject{{QStringLiteral("OpenLabel"),
        QJsonObject{{QStringLiteral("Raise"), QStringLiteral("Server busy")}}}});
    EXPECT_EQ(outcome([&] { return nullOr(app.OpenLabel(raises), QStringLiteral("opened")); }), QStringLiteral("raised: Server busy"));

    const QString refusesSave = copyFixture(dir, QJsonObject{{QStringLiteral("Save"),
        QJsonObject{{QStringLiteral("Return"), false}, {QStringLiteral("ErrorText"), QStringLiteral("Disk full")}}}});
    const QByteArray before = test::readAll(refusesSave);
    const IQuillmark label = app.OpenLabel(refusesSave);
    label.SetPrinterName(QStringLiteral("Other"));
    EXPECT_FALSE(label.Save());
    EXPECT_EQ(app.LastErrorText(), QStringLiteral("Disk full"));
    EXPECT_EQ(test::readAll(refusesSave), before);
    EXPECT_EQ(sim::liveLabels(), 1);
}

TEST_F(Sim, SaveKeepsUnknownKeysAndWritesOnlyTheChanges)
{
    TempDir dir;
    const QString path = copyFixture(dir);
    const QJsonObject original = readJson(path);
    {
        QuillApp app(sim::createApplication());
        const IQuillmark label = app.OpenLabel(path);
        label.SetPrinterName(QStringLiteral("Řada 2"));
        label.Variables().Item(2).SetLength(8);
        EXPECT_EQ(label.Objects().Item(2).SetFileName(QStringLiteral("pictures/new logo.bmp")), 0);
        EXPECT_TRUE(label.Save());
        EXPECT_TRUE(app.ErrorText().isEmpty());
    }
    QJsonObject saved = readJson(path);
    EXPECT_EQ(saved.value(QStringLiteral("PrinterName")).toString(), QStringLiteral("Řada 2"));
    EXPECT_EQ(saved.value(QStringLiteral("Variables")).toArray().at(1).toObject().value(QStringLiteral("Length")).toInt(), 8);
    EXPECT_EQ(saved.value(QStringLiteral("Objects")).toArray().at(1).toObject().value(QStringLiteral("Contents")).toString(),
              QStringLiteral("pictures/new logo.bmp"));

    // Undo the three changes by hand: everything else must be as it was, unknown keys included.
    saved.insert(QStringLiteral("PrinterName"), original.value(QStringLiteral("PrinterName")));
    QJsonArray vars = saved.value(QStringLiteral("Variables")).toArray();
    QJsonObject quantity = vars.at(1).toObject();
    quantity.insert(QStringLiteral("Length"), 4);
    vars.replace(1, quantity);
    saved.insert(QStringLiteral("Variables"), vars);
    QJsonArray objects = saved.value(QStringLiteral("Objects")).toArray();
    QJsonObject logo = objects.at(1).toObject();
    logo.insert(QStringLiteral("Contents"), QStringLiteral("pictures/logo.bmp"));
    objects.replace(1, logo);
    saved.insert(QStringLiteral("Objects"), objects);
    EXPECT_EQ(saved, original);
    EXPECT_TRUE(saved.contains(QStringLiteral("CustomerNote")));

    QuillApp app(sim::createApplication());
    const IQuillmark reopened = app.OpenLabel(path);
    EXPECT_EQ(reopened.PrinterName(), QStringLiteral("Řada 2"));
    EXPECT_EQ(reopened.GetDependentFiles(), QLatin1Char('"') + dir.file(QStringLiteral("pictures/new logo.bmp")) + QLatin1Char('"'));
}

TEST_F(Sim, AFailingSaveReturnsFalseAndLeavesTheFileIntact)
{
    TempDir dir;
    // The longest name a folder entry may have: the atomic writer's temporary
    // file beside it cannot be named, so the write fails before it starts.
    const QString name = QString(251, QLatin1Char('x')) + QStringLiteral(".lbl");
    const QString path = dir.write(name, test::readAll(fixture(QStringLiteral("full.lbl"))));
    ASSERT_TRUE(QFileInfo::exists(path));
    const QByteArray before = test::readAll(path);

    QuillApp app(sim::createApplication());
    const IQuillmark label = app.OpenLabel(path);
    ASSERT_FALSE(label.isNull());
    label.SetPrinterName(QStringLiteral("Elsewhere"));
    EXPECT_FALSE(label.Save());
    EXPECT_EQ(app.ErrorText(), QStringLiteral("Cannot save label file"));
    EXPECT_TRUE(app.ErrorDetail().contains(path));
    EXPECT_EQ(test::readAll(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(Sim, SetFileNameRefusesMissingFilesAndObjectsThatAreNoGraphic)
{
    TempDir dir;
    const QString path = copyFixture(dir);
    QuillApp app(sim::createApplication());
    const IObjectList objects = app.OpenLabel(path).Objects();
    const IObjectItem logo = objects.Item(2);

    EXPECT_EQ(logo.SetFileName(dir.file(QStringLiteral("pictures/missing.bmp"))), -1);
    EXPECT_EQ(app.ErrorText(), QStringLiteral("Cannot set picture file"));
    EXPECT_TRUE(app.ErrorDetail().contains(QStringLiteral("missing.bmp")));
    EXPECT_EQ(logo.SetFileName(QStringLiteral("D:\\Art\\logo.bmp")), -1);
    EXPECT_EQ(logo.SetFileName(QString()), -1);
    EXPECT_EQ(logo.SetFileName(dir.path()), -1); // a folder is no picture
    EXPECT_EQ(logo.Contents(), dir.file(QStringLiteral("pictures/logo.bmp")));

    EXPECT_EQ(objects.Item(1).SetFileName(dir.file(QStringLiteral("pictures/logo.bmp"))), -1);
    EXPECT_TRUE(app.ErrorDetail().contains(QStringLiteral("not a graphic")));

    const QString absolute = dir.file(QStringLiteral("pictures/new logo.bmp"));
    EXPECT_EQ(logo.SetFileName(absolute), 0);
    EXPECT_TRUE(app.ErrorText().isEmpty());
    EXPECT_EQ(logo.Contents(), absolute);
    EXPECT_EQ(objects.Item(2).Contents(), absolute); // every handle sees the change
}

TEST_F(Sim, VariableLengthBelowOneRaises)
{
    TempDir dir;
    QuillApp app(sim::createApplication());
    const IVar article = app.OpenLabel(copyFixture(dir)).Variables().Item(1);
    for (int length : {0, -1, -2147483647 - 1}) {
        SCOPED_TRACE(length);
        EXPECT_THROW(article.SetLength(length), AutomationError);
        EXPECT_EQ(article.Length(), 10);
    }
    article.SetLength(1);
    EXPECT_EQ(article.Length(), 1);
}

TEST_F(Sim, RefusesUnknownMembersWrongCallKindsAndIndexesOutOfRange)
{
    TempDir dir;
    QuillApp app(sim::createApplication());
    const IQuillmark label = app.OpenLabel(copyFixture(dir));
    const DispatchRef objects = label.Objects().ref();
    const std::int32_t indexes[] = {0, 5, -1};
    for (std::int32_t index : indexes) {
        const Value arg(index);
        EXPECT_THROW(objects->invoke(dispid::List::Item, CallKind::Method, std::span<const Value>(&arg, 1)), AutomationError) << index;
    }
    const Value text(std::u16string(u"x"));
    EXPECT_THROW(objects->invoke(dispid::List::Item, CallKind::Method, {}), AutomationError);                          // no index
    EXPECT_THROW(objects->invoke(dispid::List::Item, CallKind::Method, std::span<const Value>(&text, 1)), AutomationError); // not a number
    EXPECT_THROW(objects->invoke(dispid::List::FindByName, CallKind::Method, std::span<const Value>(&text, 1)), AutomationError); // FindByName is for variables
    EXPECT_THROW(objects->invoke(99, CallKind::Get, {}), AutomationError);
    EXPECT_THROW(label.ref()->invoke(dispid::Label::FileName, CallKind::Put, std::span<const Value>(&text, 1)), AutomationError); // FileName is read-only
    EXPECT_THROW(label.ref()->invoke(dispid::Label::Version, CallKind::Method, {}), AutomationError);
    EXPECT_THROW(app.ref()->invoke(dispid::App::ErrorText, CallKind::Put, std::span<const Value>(&text, 1)), AutomationError);
    EXPECT_THROW(label.Variables().Item(3), AutomationError);
    EXPECT_EQ(label.Functions().Item(1).InputVariables().Item(1).Name(), QStringLiteral("Article"));
    EXPECT_THROW(label.Functions().Item(1).OutputVariables().Item(1), AutomationError);
}

TEST_F(Sim, FailCallAndStopAfterKnobs)
{
    TempDir dir;
    const QString path = copyFixture(dir);
    QuillApp app(sim::createApplication());
    const IQuillmark label = app.OpenLabel(path);

    sim::Knobs knobs;
    knobs.failCall = 3;
    sim::setKnobs(knobs);
    QStringList seen;
    for (int i = 1; i <= 5; ++i)
        seen << outcome([&] { return label.PrinterPort(); });
    EXPECT_EQ(seen, QStringList({QStringLiteral("USB001:"), QStringLiteral("USB001:"),
                                 QStringLiteral("raised: Simulated failure of call 3."),
                                 QStringLiteral("USB001:"), QStringLiteral("USB001:")}));

    knobs = {};
    knobs.stopAfter = 2;
    sim::setKnobs(knobs);
    seen.clear();
    for (int i = 1; i <= 4; ++i)
        seen << outcome([&] { return label.PrinterPort(); }).left(30);
    EXPECT_EQ(seen, QStringList({QStringLiteral("USB001:"), QStringLiteral("USB001:"),
                                 QStringLiteral("raised: The designer does not "), QStringLiteral("raised: The designer does not ")}));
    // A stopped designer refuses every object, the application included.
    EXPECT_THROW(app.ErrorText(), AutomationError);
    EXPECT_THROW(sim::createApplication()->invoke(dispid::App::ErrorText, CallKind::Get, {}), AutomationError);

    sim::setKnobs({});
    EXPECT_EQ(label.PrinterPort(), QStringLiteral("USB001:"));
}

TEST_F(Sim, CountsCallsAndLogsOneLinePerCall)
{
    TempDir dir;
    const QString path = copyFixture(dir);
    sim::Knobs knobs;
    knobs.logFile = dir.file(QStringLiteral("calls.log"));
    knobs.latencyUs = 50;
    sim::setKnobs(knobs);
    sim::resetCallCount();
    {
        QuillApp app(sim::createApplication());
        const IQuillmark label = app.OpenLabel(path);
        label.Objects().Item(2).SetFileName(QStringLiteral("pictures/new logo.bmp"));
        EXPECT_THROW(label.ref()->invoke(99, CallKind::Get, {}), AutomationError);
    }
    EXPECT_EQ(sim::callCount(), 5u);
    sim::setKnobs({});

    const QStringList lines = QString::fromUtf8(test::readAll(knobs.logFile)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    // The path as the designer is given it, backslashes escaped as in every text of the log.
    const QString given = designerPath(path).replace(u'\\', QStringLiteral("\\\\"));
    EXPECT_EQ(lines[0], QStringLiteral("1\tApp\tOpenLabel\tmethod\t\"%1\"").arg(given));
    EXPECT_EQ(lines[1], QStringLiteral("2\tfull.lbl:\tObjects\tget\t"));
    EXPECT_EQ(lines[2], QStringLiteral("3\tfull.lbl:Objects\tItem\tmethod\t2"));
    EXPECT_EQ(lines[3], QStringLiteral("4\tfull.lbl:Objects[2]\tSetFileName\tmethod\t\"pictures/new logo.bmp\""));
    EXPECT_EQ(lines[4], QStringLiteral("5\tfull.lbl:\t#99\tget\t"));
}

namespace {

struct BmpInfo {
    QByteArray bytes;
    int width = 0;
    int height = 0;
    int bits = 0;
    quint32 fileSize = 0;
    quint32 dataOffset = 0;

    // 0xRRGGBB of pixel (x, y), y counted from the top.
    quint32 pixel(int x, int y) const
    {
        const int stride = (width * 3 + 3) & ~3;
        const char *p = bytes.constData() + dataOffset + qsizetype(stride) * (height - 1 - y) + x * 3;
        return quint32(uchar(p[2])) << 16 | quint32(uchar(p[1])) << 8 | uchar(p[0]);
    }
};

BmpInfo bmpOf(const QByteArray &bytes)
{
    BmpInfo info;
    info.bytes = bytes;
    if (info.bytes.size() < 54 || !info.bytes.startsWith("BM"))
        return info;
    const auto *p = reinterpret_cast<const uchar *>(info.bytes.constData());
    info.fileSize = qFromLittleEndian<quint32>(p + 2);
    info.dataOffset = qFromLittleEndian<quint32>(p + 10);
    info.width = qFromLittleEndian<qint32>(p + 18);
    info.height = qFromLittleEndian<qint32>(p + 22);
    info.bits = qFromLittleEndian<quint16>(p + 28);
    return info;
}

BmpInfo readBmp(const QString &path)
{
    return bmpOf(test::readAll(path));
}

} // namespace

TEST_F(Sim, ExportPreviewWritesA24BitBmpOfTheAskedSize)
{
    TempDir dir;
    QuillApp app(sim::createApplication());
    const IQuillmark label = app.OpenLabel(copyFixture(dir));

    const struct {
        int width;
        int height;
    } sizes[] = {{200, 100}, {101, 37}, {1, 1}, {37, 300}};
    for (const auto &s : sizes) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(s.width).arg(s.height).toStdString());
        const QString file = dir.file(QStringLiteral("preview_%1_%2.bmp").arg(s.width).arg(s.height));
        label.ExportPreview(file, s.width, s.height);
        const BmpInfo bmp = readBmp(file);
        EXPECT_EQ(bmp.width, s.width);
        EXPECT_EQ(bmp.height, s.height);
        EXPECT_EQ(bmp.bits, 24);
        EXPECT_EQ(bmp.dataOffset, 54u);
        EXPECT_EQ(bmp.fileSize, quint32(bmp.bytes.size()));
        EXPECT_EQ(bmp.bytes.size(), 54 + ((s.width * 3 + 3) & ~3) * s.height);
    }

    // The label is 100 x 50 mm: at 200 x 100 pixels it fills the picture but a
    // small margin, so its white paper shows in the middle and its objects are drawn on it.
    const BmpInfo bmp = readBmp(dir.file(QStringLiteral("preview_200_100.bmp")));
    QSet<quint32> colours;
    for (int y = 0; y < bmp.height; ++y)
        for (int x = 0; x < bmp.width; ++x)
            colours.insert(bmp.pixel(x, y));
    EXPECT_TRUE(colours.contains(0xFFFFFF));
    EXPECT_TRUE(colours.contains(0x000000));
    EXPECT_GE(colours.size(), 4);
    EXPECT_NE(bmp.pixel(0, 0), 0xFFFFFFu); // outside the label

    for (const auto &bad : {std::pair{0, 100}, std::pair{100, 0}, std::pair{-5, 20}}) {
        const QString file = dir.file(QStringLiteral("none.bmp"));
        label.ExportPreview(file, bad.first, bad.second);
        EXPECT_FALSE(QFileInfo::exists(file));
    }
    label.ExportPreview(dir.file(QStringLiteral("huge.bmp")), 100000, 100000);
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("huge.bmp"))));
    EXPECT_EQ(app.ErrorText(), QStringLiteral("Cannot export preview"));
}

TEST_F(Sim, PreviewDrawsOnlyThePartOfEachObjectOnThePicture)
{
    // Objects far larger than the picture, or billions of units off it: each
    // drawn in what shows of it (these once took minutes or overflowed).
    const QByteArray label10x5 = R"("Settings": {"Unit": 0, "Width": "10", "Length": "5"})";
    const struct {
        const char *name;
        QByteArray json;
        bool hatched;     // the whole label under a graphic's pattern
        quint32 at50x25;  // else a pixel in the label's top left quarter
        quint32 at150x75; // and one in its bottom right quarter
    } cases[] = {
        {"graphic covering the label", R"({"Kind": 303, "Width": 20000000, "Height": 20000000})", true, 0, 0},
        {"ellipse 2e9 wide", R"({"Kind": 313, "Width": 2000000000, "Height": 2000000000})", false, 0xFFFFFF, 0xFFFFFF},
        {"graphic at the largest Left", R"({"Kind": 303, "Left": 2147483647, "Width": 1000})", false, 0xFFFFFF, 0xFFFFFF},
        {"barcode ending left of the label", R"({"Kind": 304, "Left": -2147483648, "Top": -2147483648,
          "Width": 2147483647, "Height": 2147483647, "Contents": "0123456789"})", false, 0xFFFFFF, 0xFFFFFF},
        {"inverse from the middle on", R"({"Kind": 306, "Left": 5000, "Top": 2500, "Width": 2000000000, "Height": 2000000000})",
         false, 0xFFFFFF, 0x000000},
        {"paragraph in the largest font", R"({"Kind": 309, "FontSize": 2147483647, "Width": 10000, "Height": 5000,
          "Contents": "line\nline"})", false, 0xFFFFFF, 0xFFFFFF},
    };
    TempDir dir;
    QuillApp app(sim::createApplication());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.write(QStringLiteral("big.lbl"), R"({"SimulatedLabel": 1, )" + label10x5 + R"(, "Objects": [)" + c.json + "]}");
        const QString file = dir.file(QStringLiteral("big.bmp"));
        app.OpenLabel(path).ExportPreview(file, 200, 100);
        const BmpInfo bmp = readBmp(file);
        ASSERT_EQ(bmp.width, 200);
        if (c.hatched) { // the pattern's colour on every sixth diagonal
            QSet<quint32> colours;
            for (int x = 40; x < 46; ++x)
                colours.insert(bmp.pixel(x, 25));
            EXPECT_EQ(colours, (QSet<quint32>{0xFFFFFF, 0x8090A8}));
        } else {
            EXPECT_EQ(bmp.pixel(50, 25), c.at50x25);
            EXPECT_EQ(bmp.pixel(150, 75), c.at150x75);
        }
    }
    // A label a thousandth of a centimetre wide with an object two billion to its right.
    const QString tiny = dir.write(QStringLiteral("tiny.lbl"), R"({"SimulatedLabel": 1, "Settings": {"Unit": 0, "Width": "0.001", "Length": "5"},
        "Objects": [{"Kind": 301, "Left": 2000000000, "Contents": "far"}]})");
    app.OpenLabel(tiny).ExportPreview(dir.file(QStringLiteral("tiny.bmp")), 200, 100);
    EXPECT_EQ(readBmp(dir.file(QStringLiteral("tiny.bmp"))).width, 200);
}

// Whatever a document holds, the drawing stops at its budget of work and says
// so in the picture; objects that add nothing (hidden under a later opaque
// box, drawn again later) cost nothing and leave the picture as it was.
TEST_F(Sim, PreviewWorkIsBoundedWhateverTheDocument)
{
    const auto graphic = [](int left, int top, int width, int height) {
        sim::PreviewShape s;
        s.kind = 303;
        s.left = left;
        s.top = top;
        s.width = width;
        s.height = height;
        return s;
    };
    const auto page = [](QList<sim::PreviewShape> shapes) {
        sim::PreviewPage p;
        p.width = 10000;
        p.length = 5000;
        p.shapes = std::move(shapes);
        return p;
    };
    const sim::PreviewShape full = graphic(0, 0, 10000, 5000);
    sim::PreviewShape inverse = full;
    inverse.kind = 306;

    QList<sim::PreviewShape> scattered, same, underInverse;
    for (int i = 0; i < 200'000; ++i) {
        scattered << graphic(i % 5000, (i / 5000) * 100, 5000, 2500);
        same << full;
        sim::PreviewShape s = graphic(i % 9000, i % 4000, 1000, 1000);
        s.kind = i % 2 ? 301 : 304;
        s.text = QStringLiteral("0123456789");
        underInverse << s;
    }
    underInverse.last() = inverse;
    QList<sim::PreviewShape> thousandShifted;
    for (int i = 0; i < 1'000; ++i)
        thousandShifted << graphic(i, 0, 10000, 5000);

    const struct {
        const char *name;
        sim::PreviewPage page;
        int width, height;
        bool complete;
        QList<sim::PreviewShape> sameAs; // the objects whose picture it is, when complete
    } cases[] = {
        {"200,000 graphics, each somewhere else", page(scattered), 800, 600, false, {}},
        {"200,000 times the same graphic", page(same), 800, 600, true, {full}},
        {"200,000 texts and barcodes, the last an inverse box over the label", page(underInverse), 800, 600, true, {inverse}},
        {"1,000 graphics over the label, each a unit further right", page(thousandShifted), 2000, 1000, false, {}},
        {"1,000 times the same graphic", page(QList<sim::PreviewShape>(1'000, full)), 2000, 1000, true, {full}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        sim::PreviewStats stats;
        const BmpInfo bmp = bmpOf(sim::renderPreviewBmp(c.page, c.width, c.height, &stats));
        ASSERT_EQ(bmp.width, c.width);
        EXPECT_LE(stats.work, sim::previewWorkBudget(c.width, c.height));
        EXPECT_EQ(stats.complete, c.complete);
        // The yellow band across the top, under the words, is there exactly when the drawing stopped.
        EXPECT_EQ(bmp.pixel(c.width / 2, 1) == 0xFFD000, !c.complete);
        if (c.complete) {
            EXPECT_EQ(stats.drawn, 1);
            EXPECT_EQ(stats.skipped, c.page.shapes.size() - 1);
            EXPECT_LE(stats.work, 2 * qint64(c.width) * c.height); // about one object's pixels
            EXPECT_EQ(bmp.bytes, sim::renderPreviewBmp(page(c.sameAs), c.width, c.height));
        } else {
            EXPECT_LT(stats.drawn, c.page.shapes.size());
        }
    }
}

TEST_F(Sim, ReleasingEveryHandleLeavesNoObjectAlive)
{
    ASSERT_EQ(sim::liveObjects(), 0);
    TempDir dir;
    const QString path = copyFixture(dir);
    {
        QuillApp app(sim::createApplication());
        EXPECT_EQ(sim::liveObjects(), 1);
        IQuillmark label = app.OpenLabel(path);
        IObjectItem item = label.Objects().Item(1);
        IVar var = item.Variable();
        IVariableList inputs = label.Databases().Item(1).InputVariables();
        ILabelSettings settings = label.Settings();
        EXPECT_EQ(sim::liveLabels(), 1);
        EXPECT_EQ(sim::liveObjects(), 6);

        // Items keep the document alive, not the label object.
        label.release();
        EXPECT_EQ(sim::liveLabels(), 0);
        EXPECT_EQ(var.Name(), QStringLiteral("Article"));
        EXPECT_EQ(inputs.Count(), 1);
        item.release();
        var.release();
        inputs.release();
        settings.release();
        EXPECT_EQ(sim::liveObjects(), 1); // the application alone
        app.OpenLabel(path).Functions().Item(1).OutputVariables();
        EXPECT_EQ(sim::liveObjects(), 1);
    }
    EXPECT_EQ(sim::liveObjects(), 0);
    EXPECT_EQ(sim::liveLabels(), 0);
}

TEST_F(Sim, DependentFilesComeFromTheDocumentOrFromItsGraphics)
{
    TempDir dir;
    QJsonObject doc{{QStringLiteral("SimulatedLabel"), 1}};
    doc.insert(QStringLiteral("Objects"), QJsonArray{
        QJsonObject{{QStringLiteral("Kind"), 303}, {QStringLiteral("Contents"), QStringLiteral("/art/plain.bmp")}},
        QJsonObject{{QStringLiteral("Kind"), 301}, {QStringLiteral("Contents"), QStringLiteral("not a file")}},
        QJsonObject{{QStringLiteral("Kind"), 303}, {QStringLiteral("Contents"), QStringLiteral("C:\\Art\\a,b.bmp")}},
        QJsonObject{{QStringLiteral("Kind"), 303}, {QStringLiteral("Contents"), QStringLiteral("/art/say \"hi\".png")}},
        QJsonObject{{QStringLiteral("Kind"), 303}, {QStringLiteral("Contents"), QString()}},
        QJsonObject{{QStringLiteral("Kind"), 303}, {QStringLiteral("Contents"), QStringLiteral("sub\\logo.bmp")}},
    });
    QuillApp app(sim::createApplication());
    EXPECT_EQ(app.OpenLabel(dir.write(QStringLiteral("derived.lbl"), toBytes(doc))).GetDependentFiles(),
              QStringLiteral("/art/plain.bmp,\"C:\\Art\\a,b.bmp\",\"/art/say \"\"hi\"\".png\",") + dir.file(QStringLiteral("sub/logo.bmp")));

    doc.insert(QStringLiteral("DependentFiles"), QStringLiteral("a.bmp, \"b c.bmp\""));
    EXPECT_EQ(app.OpenLabel(dir.write(QStringLiteral("given.lbl"), toBytes(doc))).GetDependentFiles(),
              QStringLiteral("a.bmp, \"b c.bmp\""));
    doc.insert(QStringLiteral("DependentFiles"), QString());
    EXPECT_EQ(app.OpenLabel(dir.write(QStringLiteral("none.lbl"), toBytes(doc))).GetDependentFiles(), QString());
}

TEST_F(Sim, MissingKeysTakeNeutralDefaults)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("bare.lbl"),
        "{\"SimulatedLabel\": 1, \"Objects\": [{}], \"Variables\": [{}], \"Databases\": [{}], \"Functions\": [{}]}");
    QuillApp app(sim::createApplication());
    const IQuillmark label = app.OpenLabel(path);
    EXPECT_EQ(label.PrinterName(), QString());
    EXPECT_EQ(label.Version(), 0);
    EXPECT_EQ(label.Settings().Unit(), 0);
    EXPECT_EQ(label.Settings().Width(), QString());
    EXPECT_EQ(label.OtherVariables().Count(), 0);
    EXPECT_EQ(label.GetDependentFiles(), QString());
    EXPECT_EQ(label.GetDarknessValues(QString()), QString());
    const IObjectItem object = label.Objects().Item(1);
    EXPECT_EQ(object.Kind(), 0);
    EXPECT_FALSE(object.Locked());
    EXPECT_TRUE(object.Variable().isNull());
    EXPECT_EQ(label.Variables().Item(1).Name(), QString());
    EXPECT_EQ(label.Databases().Item(1).InputVariables().Count(), 0);
    EXPECT_EQ(label.Functions().Item(1).Script(), QString());
    label.ExportPreview(dir.file(QStringLiteral("bare.bmp")), 40, 30);
    EXPECT_EQ(readBmp(dir.file(QStringLiteral("bare.bmp"))).width, 40);
}

TEST_F(Sim, QuitIsCounted)
{
    const auto before = sim::quitCount();
    QuillApp(sim::createApplication()).Quit();
    EXPECT_EQ(sim::quitCount(), before + 1);
}

TEST_F(Sim, RegistersAsTheDesignerTheEnvironmentAsksFor)
{
    const QByteArray saved = qgetenv("STROVEX_DESIGNER");
    const bool wasSet = qEnvironmentVariableIsSet("STROVEX_DESIGNER");
    const struct {
        const char *value; // nullptr: unset
        bool six;
        bool five;
    } cases[] = {{nullptr, true, false}, {"", true, false}, {"5", false, true}, {"none", false, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        if (c.value)
            qputenv("STROVEX_DESIGNER", c.value);
        else
            qunsetenv("STROVEX_DESIGNER");
        InProcessServerTable table;
        table.registerServer(kProgIdVersion5, [] { return sim::createApplication(); }); // a stale entry goes
        sim::registerFromEnvironment(table);
        EXPECT_EQ(table.create(kProgIdVersion6) != nullptr, c.six);
        EXPECT_EQ(table.create(kProgIdVersion5) != nullptr, c.five);
        EXPECT_TRUE(sim::designerChoiceError().isEmpty());
    }
    for (const char *unknown : {"6", "None"}) {
        SCOPED_TRACE(unknown);
        qputenv("STROVEX_DESIGNER", unknown);
        InProcessServerTable table;
        EXPECT_THROW(sim::registerFromEnvironment(table), sim::DesignerChoiceError);
        EXPECT_TRUE(sim::designerChoiceError().contains(QStringLiteral("\"%1\"").arg(QLatin1String(unknown))))
            << sim::designerChoiceError().toStdString();
    }
    if (wasSet)
        qputenv("STROVEX_DESIGNER", saved);
    else
        qunsetenv("STROVEX_DESIGNER");
}

TEST_F(Sim, KnobsComeFromTheEnvironment)
{
    qputenv("STROVEX_SIM_FAIL_CALL", "7");
    qputenv("STROVEX_SIM_STOP_AFTER", " 90 ");
    qputenv("STROVEX_SIM_LATENCY_US", "abc");
    qputenv("STROVEX_SIM_LOG", "");
    sim::loadKnobsFromEnvironment();
    const sim::Knobs k = sim::knobs();
    EXPECT_EQ(k.failCall, 7u);
    EXPECT_EQ(k.stopAfter, 90u);
    EXPECT_EQ(k.latencyUs, 0u);
    EXPECT_TRUE(k.logFile.isEmpty());
    for (const char *name : {"STROVEX_SIM_FAIL_CALL", "STROVEX_SIM_STOP_AFTER", "STROVEX_SIM_LATENCY_US", "STROVEX_SIM_LOG"})
        qunsetenv(name);
}

TEST_F(Sim, EverySampleOpensButTheDamagedOne)
{
    TempDir previews;
    QuillApp app(sim::createApplication());
    QDirIterator it(QStringLiteral(STROVEX_SAMPLES_DIR), {QStringLiteral("*.lbl")},
                    QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    int opened = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        SCOPED_TRACE(path.toStdString());
        const IQuillmark label = app.OpenLabel(path);
        if (QFileInfo(path).fileName() == QLatin1String("damaged.lbl")) {
            EXPECT_TRUE(label.isNull());
            EXPECT_FALSE(app.ErrorDetail().isEmpty());
            continue;
        }
        ASSERT_FALSE(label.isNull()) << app.LastErrorText().toStdString();
        ++opened;
        // Every object, variable, database and function can be read, and every
        // variable an object, database or function names is declared.
        const IObjectList objects = label.Objects();
        for (int i = 1; i <= objects.Count(); ++i) {
            const IObjectItem o = objects.Item(i);
            EXPECT_FALSE(o.Name().isEmpty());
            if (const IVar v = o.Variable()) {
                EXPECT_FALSE(label.Variables().FindByName(v.Name()).isNull() && label.OtherVariables().FindByName(v.Name()).isNull())
                    << v.Name().toStdString();
            }
            if (o.Kind() == 303) {
                EXPECT_FALSE(o.Contents().isEmpty());
            }
        }
        EXPECT_FALSE(label.Settings().Title().isEmpty());
        const QString preview = previews.file(QStringLiteral("%1.bmp").arg(opened));
        label.ExportPreview(preview, 160, 120);
        EXPECT_EQ(readBmp(preview).width, 160);
    }
    EXPECT_GE(opened, 6);
}
