#include "inspect/label_lists.h"
#include "inspect/label_rows.h"
#include "sim/sim_designer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace strovex;

namespace {

IQuillmark openFixture(const QuillApp &app, const QString &name)
{
    return app.OpenLabel(QStringLiteral(STROVEX_TEST_DATA_DIR "/fixtures/") + name);
}

QStringList fontsOf(const IQuillmark &label)
{
    std::vector<TObjectRow> rows;
    QStringList fontNames;
    FillObjectRows(label, label.Objects(), rows, &fontNames);
    return collectFonts(fontNames);
}

} // namespace

TEST(LabelLists, FontsOfTextAndParagraphObjectsOncePerNameFirstSpellingKept)
{
    const QuillApp app(sim::createApplication());
    const IQuillmark label = openFixture(app, QStringLiteral("box.lbl"));
    ASSERT_TRUE(label);
    // "Arial" and "arial" are one font; the frame's font is not a text font.
    EXPECT_EQ(fontsOf(label), (QStringList{QStringLiteral("Arial"), QStringLiteral("Courier New")}));
    EXPECT_TRUE(fontsOf(openFixture(app, QStringLiteral("blank.lbl"))).isEmpty());
}

TEST(LabelLists, DependentFilesSplitAndSortedIgnoringCase)
{
    const QuillApp app(sim::createApplication());
    const IQuillmark label = openFixture(app, QStringLiteral("box.lbl"));
    EXPECT_EQ(collectDependentFiles(label), (QStringList{QStringLiteral("logo.bmp"), QStringLiteral("pictures\\pic one.bmp")}));
}

TEST(LabelLists, SortIgnoresCaseAndKeepsDuplicates)
{
    QStringList list{QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("B")};
    sortIgnoringCase(list);
    EXPECT_EQ(list, (QStringList{QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("B")}));
}
