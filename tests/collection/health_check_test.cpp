// The health rules, each on the smallest label that shows it, over a machine
// view the test sets.

#include "collection/health_check.h"

#include "collection_fixture.h"

#include <gtest/gtest.h>

using namespace strovex;
using namespace strovex::test;

namespace {

MachineView machine()
{
    MachineView view;
    view.printers = QStringList{QStringLiteral("TT-4203 Dock 1")};
    view.fonts = QStringList{QStringLiteral("Arial")};
    view.fileExists = [](const QString &path) { return path.endsWith(QStringLiteral("here.bmp")); };
    view.windowsPaths = false;
    return view;
}

// "rule item" per finding, in order.
QStringList found(const IndexedLabel &label, const MachineView &view = machine(), const QStringList &ignored = {})
{
    QStringList result;
    for (const Finding &f : checkLabels({label}, view, ignored)) {
        EXPECT_EQ(f.path, label.path);
        result << (f.rule + u' ' + f.item).trimmed();
    }
    return result;
}

} // namespace

TEST(HealthCheck, EachRuleOnTheSmallestLabelThatShowsIt)
{
    struct Case {
        const char *name;
        std::function<void(IndexedLabel &)> make;
        QStringList findings;
    };
    const Case cases[] = {
        {"a sound label", [](IndexedLabel &) {}, {}},
        {"refused",
         [](IndexedLabel &l) {
             l.state = LabelState::Refused;
             l.error = QStringLiteral("File cannot be opened!\r\n\r\nDamaged.");
         },
         {QStringLiteral("cannot-open")}},
        {"picture missing, relative to the label's folder",
         [](IndexedLabel &l) {
             l.contents.objects = {object(QStringLiteral("Logo"), QStringLiteral("Graphics"), QStringLiteral("../gone.bmp")),
                                   object(QStringLiteral("Seal"), QStringLiteral("Graphics"), QStringLiteral("here.bmp"))};
         },
         {QStringLiteral("picture-missing Logo")}},
        {"a Windows path is not checked here, never missing",
         [](IndexedLabel &l) {
             l.contents.objects = {object(QStringLiteral("Logo"), QStringLiteral("Graphics"), QStringLiteral("P:\\Art\\x.bmp"))};
             l.contents.files = {QStringLiteral("\\\\server\\share\\data.csv")};
         },
         {QStringLiteral("path-not-checked Logo"), QStringLiteral("path-not-checked")}},
        {"dependent file missing",
         [](IndexedLabel &l) { l.contents.files = {QStringLiteral("/nowhere/data.csv")}; },
         {QStringLiteral("dependent-file-missing")}},
        {"printer not installed, and not the original",
         [](IndexedLabel &l) {
             l.contents.info.Printer = QStringLiteral("Office Laser");
             l.contents.info.OriginalPrinter = QStringLiteral("TT-4203 Dock 1");
         },
         {QStringLiteral("printer-not-installed"), QStringLiteral("printer-differs")}},
        {"printer names compare without letter case",
         [](IndexedLabel &l) { l.contents.info.Printer = QStringLiteral("tt-4203 dock 1"); },
         {}},
        {"font not installed",
         [](IndexedLabel &l) { l.contents.fonts = {QStringLiteral("arial"), QStringLiteral("Gothic 720")}; },
         {QStringLiteral("font-not-installed")}},
        {"a prompted default longer than its length; a non-prompted one is not printed from a prompt",
         [](IndexedLabel &l) {
             l.contents.variables = {variable(QStringLiteral("Lot"), 1, QStringLiteral("123456"), 5),
                                     variable(QStringLiteral("Batch"), 2, QStringLiteral("12345"), 5),
                                     variable(QStringLiteral("Clock"), -1, QStringLiteral("123456"), 5)};
         },
         {QStringLiteral("default-too-long Lot")}},
        {"two prompted variables with one prompt order",
         [](IndexedLabel &l) {
             l.contents.variables = {variable(QStringLiteral("A"), 3), variable(QStringLiteral("B"), 3),
                                     variable(QStringLiteral("C"), 4)};
         },
         {QStringLiteral("prompt-order-twice A, B")}},
        {"unused variable, database and function; an empty script",
         [](IndexedLabel &l) {
             l.contents.variables = {variable(QStringLiteral("Spare"), -1, {}, 10, false)};
             TDatabaseRow database;
             database.Name = QStringLiteral("Old");
             l.contents.databases = {database};
             TFunctionRow script;
             script.Name = QStringLiteral("Blank");
             script.Type = QStringLiteral("Visual Basic Script");
             script.Script = QStringLiteral(" \r\n");
             script.IsUsed = true;
             l.contents.functions = {script};
         },
         {QStringLiteral("variable-unused Spare"), QStringLiteral("database-unused Old"),
          QStringLiteral("script-empty Blank")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        IndexedLabel label = indexedLabel(QStringLiteral("/labels/dock/a.lbl"));
        label.contents.info.Printer = QStringLiteral("TT-4203 Dock 1");
        c.make(label);
        EXPECT_EQ(found(label), c.findings);
    }
}

TEST(HealthCheck, UnknownMachineFactsAndIgnoredRulesGiveNoFinding)
{
    IndexedLabel label = indexedLabel(QStringLiteral("/labels/a.lbl"));
    label.contents.info.Printer = QStringLiteral("Office Laser");
    label.contents.fonts = {QStringLiteral("Gothic 720")};
    label.contents.variables = {variable(QStringLiteral("Spare"), -1, {}, 10, false)};
    MachineView unknown = machine();
    unknown.printers.reset();
    unknown.fonts.reset();
    EXPECT_EQ(found(label, unknown), QStringList{QStringLiteral("variable-unused Spare")});
    EXPECT_EQ(found(label, machine(), {QStringLiteral("variable-unused"), QStringLiteral("font-not-installed")}),
              QStringList{QStringLiteral("printer-not-installed")});
}
