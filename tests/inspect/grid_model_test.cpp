#include "inspect/grid_model.h"
#include "inspect/label_rows.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <gtest/gtest.h>

using namespace strovex;

namespace {

struct Row {
    QString a;
    QString b;
};

std::unique_ptr<RowGridModel<Row>> twoColumns()
{
    using C = RowGridModel<Row>::Column;
    return std::make_unique<RowGridModel<Row>>(std::vector<C>{
        {{QStringLiteral("A"), 50, 0}, [](const Row &r) { return r.a; }, {}},
        {{QStringLiteral("B"), 50, 0}, [](const Row &r) { return r.b; }, {}},
    });
}

QStringList column(const GridModel &model, int c)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts << model.cellText(r, c);
    return texts;
}

QStringList sorted(QStringList texts)
{
    auto model = twoColumns();
    std::vector<Row> rows;
    for (const QString &t : texts)
        rows.push_back({t, {}});
    model->setRows(std::move(rows));
    return column(*model, 0);
}

} // namespace

TEST(GridModel, TextOrderFoldsOnlyAToZ)
{
    const auto L = [](const char *s) { return QString::fromUtf8(s); };
    // Positions compare as their formatted texts.
    EXPECT_EQ(sorted({L("10.00 cm"), L(" 9.00 cm")}), (QStringList{L(" 9.00 cm"), L("10.00 cm")}));
    EXPECT_EQ(sorted({L("20.00 cm"), L("100.00 cm")}), (QStringList{L("100.00 cm"), L("20.00 cm")}));
    // a to z fold onto A to Z; the characters between Z and a then sort after every letter.
    EXPECT_EQ(sorted({L("b"), L("_x"), L("A"), L("Ab")}), (QStringList{L("A"), L("Ab"), L("b"), L("_x")}));
    // Letters outside A to Z are not folded: their code decides.
    EXPECT_EQ(sorted({L("é"), L("É"), L("z")}), (QStringList{L("z"), L("É"), L("é")}));
    EXPECT_EQ(compareGridTexts(L("abc"), L("ABC")), 0);
    EXPECT_LT(compareGridTexts(L("abc"), L("ABD")), 0);
}

TEST(GridModel, EqualKeysKeepTheOrderAdded)
{
    auto model = twoColumns();
    model->setRows({{QStringLiteral("x"), QStringLiteral("1")}, {QStringLiteral("X"), QStringLiteral("2")},
                    {QStringLiteral("a"), QStringLiteral("3")}});
    EXPECT_EQ(column(*model, 1), (QStringList{QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("2")}));
    model->sort(0, Qt::DescendingOrder);
    EXPECT_EQ(column(*model, 1), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
}

TEST(GridModel, HeaderClicks)
{
    auto model = twoColumns();
    QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::Warning);
    model->setRows({{QStringLiteral("b"), QStringLiteral("2")}, {QStringLiteral("a"), QStringLiteral("3")},
                    {QStringLiteral("c"), QStringLiteral("1")}});
    EXPECT_EQ(model->sortColumn(), 0);
    EXPECT_EQ(model->sortOrder(), Qt::AscendingOrder);
    EXPECT_EQ(column(*model, 0), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));

    model->headerClick(0); // the sort column: reversed
    EXPECT_EQ(model->sortOrder(), Qt::DescendingOrder);
    EXPECT_EQ(column(*model, 0), (QStringList{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}));

    model->headerClick(1); // another column: ascending
    EXPECT_EQ(model->sortColumn(), 1);
    EXPECT_EQ(model->sortOrder(), Qt::AscendingOrder);
    EXPECT_EQ(column(*model, 1), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));

    model->headerClick(1);
    EXPECT_EQ(column(*model, 1), (QStringList{QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1")}));

    model->headerClick(5); // outside the grid: nothing
    EXPECT_EQ(model->sortColumn(), 1);
    EXPECT_EQ(model->cellText(0, 5), QString());
    EXPECT_EQ(model->cellText(3, 0), QString());
}

TEST(GridModel, NewRowsFollowTheCurrentSort)
{
    auto model = twoColumns();
    model->sort(1, Qt::DescendingOrder);
    model->setRows({{QStringLiteral("x"), QStringLiteral("1")}, {QStringLiteral("y"), QStringLiteral("2")}});
    EXPECT_EQ(column(*model, 0), (QStringList{QStringLiteral("y"), QStringLiteral("x")}));
    EXPECT_EQ(model->rowAt(0).a, QStringLiteral("y"));
    EXPECT_EQ(model->rowsInDisplayOrder().front()->a, QStringLiteral("y"));
    EXPECT_EQ(model->rows().front().a, QStringLiteral("x"));

    // Keys of the old rows must not decide the order of new ones.
    model->setRows({{QStringLiteral("p"), QStringLiteral("1")}, {QStringLiteral("q"), QStringLiteral("3")},
                    {QStringLiteral("r"), QStringLiteral("2")}});
    model->headerClick(0);
    model->headerClick(1);
    EXPECT_EQ(column(*model, 0), (QStringList{QStringLiteral("p"), QStringLiteral("r"), QStringLiteral("q")}));
}

TEST(GridModel, SelectionFollowsItsRowWhenSorting)
{
    auto model = twoColumns();
    model->setRows({{QStringLiteral("a"), QStringLiteral("3")}, {QStringLiteral("b"), QStringLiteral("1")},
                    {QStringLiteral("c"), QStringLiteral("2")}});
    QItemSelectionModel selection(model.get());
    selection.setCurrentIndex(model->index(0, 0), QItemSelectionModel::SelectCurrent | QItemSelectionModel::Rows);
    model->headerClick(1);
    EXPECT_EQ(model->cellText(selection.currentIndex().row(), 0), QStringLiteral("a"));
    EXPECT_EQ(selection.currentIndex().row(), 2);
    ASSERT_EQ(selection.selectedRows().size(), 1);
    EXPECT_EQ(selection.selectedRows().front().row(), 2);
}

TEST(GridModel, VariablesSortIntegersPadded)
{
    auto model = createVariableGridModel();
    std::vector<TVariableRow> rows(4);
    const int lengths[] = {10, 9, 100, 0};
    const int orders[] = {2, -1, 10, 1};
    for (int i = 0; i < 4; ++i) {
        rows[std::size_t(i)].Name = QString::number(i);
        rows[std::size_t(i)].Length = lengths[i];
        rows[std::size_t(i)].Order = orders[i];
        rows[std::size_t(i)].ID = lengths[i] * 3;
    }
    model->setRows(std::move(rows));
    model->headerClick(3);
    EXPECT_EQ(column(*model, 3), (QStringList{QStringLiteral("0"), QStringLiteral("9"), QStringLiteral("10"),
                                              QStringLiteral("100")}));
    model->headerClick(2); // "N/A" first: -1 sorts before every real order
    EXPECT_EQ(column(*model, 2), (QStringList{QStringLiteral("N/A"), QStringLiteral("1"), QStringLiteral("2"),
                                              QStringLiteral("10")}));
    model->headerClick(7);
    EXPECT_EQ(column(*model, 7), (QStringList{QStringLiteral("0"), QStringLiteral("27"), QStringLiteral("30"),
                                              QStringLiteral("300")}));
}

TEST(GridModel, PaddedNumbers)
{
    EXPECT_EQ(PaddedNumber(0), QStringLiteral("0000000000"));
    EXPECT_EQ(PaddedNumber(42), QStringLiteral("0000000042"));
    EXPECT_EQ(PaddedNumber(-1), QStringLiteral("-0000000001"));
    EXPECT_EQ(PaddedNumber(2147483647), QStringLiteral("2147483647"));
    EXPECT_EQ(PaddedNumber(-2147483647 - 1), QStringLiteral("-2147483648"));
}

TEST(GridModel, ColumnSets)
{
    const auto titles = [](const GridModel &model) {
        QStringList result;
        for (const auto &c : model.columns())
            result << c.title;
        return result;
    };
    EXPECT_EQ(titles(*createObjectGridModel()).join(QLatin1Char('|')),
              QStringLiteral("Name|Type|Status|Contents|Left|Top|Variable|Locked|Additional Info"));
    EXPECT_EQ(titles(*createVariableGridModel()).join(QLatin1Char('|')),
              QStringLiteral("Name|Type|Order|Length|Default Value|Format|Is Used|ID"));
    EXPECT_EQ(titles(*createDatabaseGridModel()).join(QLatin1Char('|')),
              QStringLiteral("Name|Table Name|Description|Driver Type|Navigation|Is Used"));
    EXPECT_EQ(titles(*createFunctionGridModel()).join(QLatin1Char('|')),
              QStringLiteral("Name|Description|Type|Input Variables|Output Variables|Is Used"));
}

// What Ctrl+C and "Copy all" put on the clipboard: the titles, then the chosen
// rows in display order, each value whole.
TEST(GridModel, TabSeparatedTextOfRows)
{
    auto model = twoColumns();
    model->setRows({{QStringLiteral("b"), QStringLiteral("two\tcells")},
                    {QStringLiteral("a"), QStringLiteral("line\nbreak")},
                    {QStringLiteral("c"), QStringLiteral("\"quoted\" start")},
                    {QStringLiteral("d"), QStringLiteral("in \"middle\"")}});
    struct Case {
        std::vector<int> rows;
        const char *text;
    };
    const Case cases[] = {
        {{}, "A\tB\n"},
        {{2, 0, 0}, "A\tB\na\t\"line\nbreak\"\nc\t\"\"\"quoted\"\" start\"\n"},
        {{1, 3, 7, -1}, "A\tB\nb\t\"two\tcells\"\nd\tin \"middle\"\n"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(model->tabSeparatedText(c.rows), QString::fromUtf8(c.text));
}
