// Variable records: which designer variables become records, and how a list
// is merged from a label.

#include "label_fixture.h"
#include "output/variable_record.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace strovex;
using namespace strovex::test;

namespace {

QStringList describe(const TVarList &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i) {
        const TVariable *r = list.Get(i);
        out << (r ? r->Name() + u'#' + QString::number(r->ID()) : QStringLiteral("<empty>"));
    }
    return out;
}

QString withVariableMode(TempDir &dir, int mode)
{
    QByteArray json = readAll(fixturePath(QStringLiteral("records.lbl")));
    json.replace("\"VariableMode\": 0", "\"VariableMode\": " + QByteArray::number(mode));
    return dir.write(QStringLiteral("records.lbl"), json);
}

} // namespace

TEST(VariableRecords, OnlyPromptedVariablesBecomeRecords)
{
    OpenedLabel opened(fixturePath(QStringLiteral("records.lbl")));
    const IVariableList vars = opened.view.FVariables;

    EXPECT_EQ(CreateVariableRecord(IVar()), nullptr);
    EXPECT_EQ(CreateVariableRecord(vars.Item(5)), nullptr); // Kind 2
    EXPECT_EQ(CreateVariableRecord(vars.Item(6)), nullptr); // PromptMode 2
    EXPECT_EQ(CountPromptVariables(vars), 5);                // Item(8) is nothing

    const auto record = CreateVariableRecord(vars.Item(1));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Name(), QStringLiteral("Zeta"));
    EXPECT_EQ(record->ID(), 11);
    EXPECT_EQ(record->Kind(), 1);
    EXPECT_EQ(record->PromptMode(), 0);
    EXPECT_EQ(record->PromptOrder(), 5);
    EXPECT_EQ(record->InputFormat(), 2);
    EXPECT_EQ(record->DefaultValue(), QStringLiteral("z"));
    EXPECT_TRUE(record->IsUsed());
    EXPECT_EQ(record->Length(), 70000 & 0xFFFF);
    // The record still reaches the designer variable, which keeps its full length.
    EXPECT_EQ(record->Variable().Length(), 70000);
}

TEST(VariableRecords, CollectSortsByPromptOrderAndKeepsFirstOfEachName)
{
    OpenedLabel opened(fixturePath(QStringLiteral("records.lbl")));
    TVarList list;
    CollectLabelVariables(list, opened.label);
    // "alpha"#14 (order 1) wins over "alpha"#12 (order 2); "Alpha" differs in case.
    EXPECT_EQ(describe(list), QStringList({QStringLiteral("alpha#14"), QStringLiteral("Alpha#13"),
                                           QStringLiteral("Flagged#17"), QStringLiteral("Zeta#11")}));
    EXPECT_TRUE(list.HasName(QStringLiteral("Alpha")));
    EXPECT_FALSE(list.HasName(QStringLiteral("ALPHA")));
    EXPECT_FALSE(list.HasName(QStringLiteral("Absent")));
}

TEST(VariableRecords, MarkedVariablesLeftOutOnlyInVariableMode1)
{
    const QStringList all = {QStringLiteral("alpha#14"), QStringLiteral("Alpha#13"), QStringLiteral("Flagged#17"),
                             QStringLiteral("Zeta#11")};
    const QStringList unmarked = {QStringLiteral("alpha#14"), QStringLiteral("Alpha#13"), QStringLiteral("Zeta#11")};
    for (const auto &[mode, expected] : {std::pair{1, unmarked}, std::pair{2, all}, std::pair{-1, all}}) {
        TempDir dir;
        OpenedLabel opened(withVariableMode(dir, mode));
        TVarList list;
        CollectLabelVariables(list, opened.label);
        EXPECT_EQ(describe(list), expected) << "VariableMode " << mode;
    }
}

TEST(VariableRecords, MergeKeepsRecordsTheListAlreadyHolds)
{
    OpenedLabel opened(fixturePath(QStringLiteral("records.lbl")));
    TVarList list;
    auto older = std::make_unique<TVariable>();
    older->SetName(QStringLiteral("Zeta"));
    older->SetID(99);
    list.Add(std::move(older));
    list.Add(nullptr);
    CollectLabelVariables(list, opened.label);
    EXPECT_EQ(describe(list), QStringList({QStringLiteral("Zeta#99"), QStringLiteral("<empty>"), QStringLiteral("alpha#14"),
                                           QStringLiteral("Alpha#13"), QStringLiteral("Flagged#17")}));

    list.FreeItems();
    EXPECT_EQ(list.Count(), 0);
}

TEST(VariableRecords, LabelWithoutPromptedVariablesLeavesListAlone)
{
    OpenedLabel opened(fixturePath(QStringLiteral("plain.lbl")));
    TVarList list;
    auto kept = std::make_unique<TVariable>();
    kept->SetName(QStringLiteral("kept"));
    list.Add(std::move(kept));
    CollectLabelVariables(list, opened.label);
    EXPECT_EQ(describe(list), QStringList({QStringLiteral("kept#0")}));
}

// Whichever designer call fails, the list stays as it was and no designer
// object outlives the failed merge.
TEST(VariableRecords, FailedCollectLeavesListUnchangedAndHoldsNothing)
{
    OpenedLabel opened(fixturePath(QStringLiteral("records.lbl")));
    sim::setKnobs({});
    sim::resetCallCount();
    {
        TVarList probe;
        CollectLabelVariables(probe, opened.label);
    }
    const auto calls = sim::callCount();
    ASSERT_GT(calls, 20u);
    const long baseline = sim::liveObjects();

    for (std::uint64_t n = 1; n <= calls; ++n) {
        TVarList list;
        auto kept = std::make_unique<TVariable>();
        kept->SetName(QStringLiteral("kept"));
        list.Add(std::move(kept));
        sim::Knobs knobs;
        knobs.failCall = n;
        sim::setKnobs(knobs);
        EXPECT_THROW(CollectLabelVariables(list, opened.label), AutomationError) << "call " << n;
        sim::setKnobs({});
        EXPECT_EQ(describe(list), QStringList({QStringLiteral("kept#0")})) << "call " << n;
        EXPECT_EQ(sim::liveObjects(), baseline) << "call " << n;
    }
}

TEST(VariableRecords, RecordsReleaseTheirDesignerVariables)
{
    OpenedLabel opened(fixturePath(QStringLiteral("records.lbl")));
    const long baseline = sim::liveObjects();
    TVarList list;
    CollectLabelVariables(list, opened.label);
    EXPECT_EQ(sim::liveObjects(), baseline + list.Count());
    list.FreeItems();
    EXPECT_EQ(sim::liveObjects(), baseline);
}

TEST(VariableRecords, ChangedCallsTheHandlerWhenSet)
{
    TVariable record;
    record.Changed(); // no handler: nothing happens
    TVariable *seen = nullptr;
    record.SetOnChange([&seen](TVariable &r) { seen = &r; });
    record.Changed();
    EXPECT_EQ(seen, &record);
}

TEST(VariableRecords, CompareByPromptOrder)
{
    TVariable a, b;
    a.SetPromptOrder(std::numeric_limits<std::int32_t>::min());
    b.SetPromptOrder(std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(CompareByPromptOrder(a, b), -1);
    EXPECT_EQ(CompareByPromptOrder(b, a), 1);
    EXPECT_EQ(CompareByPromptOrder(a, a), 0);
}
