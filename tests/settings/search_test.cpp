#include "app/app_fixture.h"
#include "inspect/grid_pages.h"
#include "inspect/label_view.h"
#include "platform/settings_store_file.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QTest>
#include <QTreeWidget>

using namespace strovex;
using namespace strovex::test;

namespace {

// The results tree as text, two spaces of indent per level.
QStringList treeLines(const QTreeWidget &tree)
{
    QStringList lines;
    std::function<void(const QTreeWidgetItem *, int)> add = [&](const QTreeWidgetItem *item, int depth) {
        lines << QString(depth * 2, QLatin1Char(' ')) + item->text(0);
        for (int i = 0; i < item->childCount(); ++i)
            add(item->child(i), depth + 1);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        add(tree.topLevelItem(i), 0);
    return lines;
}

class SearchTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        setSettingsStore(std::make_shared<FileSettingsStore>(config.file(QStringLiteral("settings.json"))));
    }
    void TearDown() override
    {
        AppTest::TearDown();
        setSettingsStore(nullptr);
    }

    // A window with the fixture label open; the input box answers `answers` in turn.
    TfrmMain &startWithLabel()
    {
        TfrmMain &w = start();
        w.setTextInput([this](QWidget *, const QString &caption, const QString &prompt) -> std::optional<QString> {
            asked << caption + QLatin1Char('|') + prompt;
            if (answers.empty())
                return std::nullopt;
            const auto next = answers.begin();
            const std::optional<QString> answer = *next;
            answers.erase(next);
            return answer;
        });
        w.OpenLabelFile(label);
        EXPECT_EQ(w.pages()->count(), 1);
        return w;
    }

    void search(const std::optional<QString> &text)
    {
        answers.push_back(text);
        window->findChild<QAction *>(QStringLiteral("actSearchFind"))->trigger();
    }

    QTreeWidget &results() const { return *window->findChild<QTreeWidget *>(QStringLiteral("vstSearchResults")); }

    TempDir config;
    QString label = fixture("search.lbl");
    std::vector<std::optional<QString>> answers;
    QStringList asked;
};

TEST_F(SearchTest, MatchesAreWholeCaseSensitiveValuesInTheGridsDisplayOrder)
{
    struct Case {
        const char *text;
        int variablesSortColumn; // -1: as loaded (Name, ascending)
        Qt::SortOrder order;
        QStringList below; // the rows under the label row
    };
    const QString n = QStringLiteral("    Name: ");
    const QString d = QStringLiteral("    Default value: ");
    const QString objects = QStringLiteral("  Objects");
    const QString variables = QStringLiteral("  Variables");
    const int idColumn = 7;
    const Case cases[] = {
        {"Batch", -1, Qt::AscendingOrder, {variables, n + QStringLiteral("Batch")}},
        {"batch", -1, Qt::AscendingOrder, {}},
        {"Artic", -1, Qt::AscendingOrder, {}},
        // Name and default value of one variable: one group, the name first;
        // the object "article" differs in case and is not found.
        {"Article", -1, Qt::AscendingOrder,
         {objects, n + QStringLiteral("Article"), variables, n + QStringLiteral("Article"), d + QStringLiteral("Article")}},
        {"A-17", -1, Qt::AscendingOrder, {variables, d + QStringLiteral("A-17"), d + QStringLiteral("A-17")}},
        // Contents are not searched ("Article" and "Batch" are object contents).
        {"Price", -1, Qt::AscendingOrder, {objects, n + QStringLiteral("Price"), variables, n + QStringLiteral("Price")}},
        // Empty text: the nameless object and the nameless second-list variable,
        // and the variables whose default value is empty (Alpha, Price).
        {"", -1, Qt::AscendingOrder, {objects, n, variables, n, d, d}},
        // The variable Logo (name) sorts before Zeta (default value "Logo") ...
        {"Logo", -1, Qt::AscendingOrder,
         {objects, n + QStringLiteral("Logo"), variables, n + QStringLiteral("Logo"), d + QStringLiteral("Logo")}},
        // ... after it when the grid is sorted by name descending ...
        {"Logo", 0, Qt::DescendingOrder,
         {objects, n + QStringLiteral("Logo"), variables, d + QStringLiteral("Logo"), n + QStringLiteral("Logo")}},
        // ... and after it by ID (Zeta 4, Logo 6).
        {"Logo", idColumn, Qt::AscendingOrder,
         {objects, n + QStringLiteral("Logo"), variables, d + QStringLiteral("Logo"), n + QStringLiteral("Logo")}},
    };
    TfrmMain &w = startWithLabel();
    VariableGridModel &grid = w.activeView()->variablesPage()->model();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        grid.sort(c.variablesSortColumn < 0 ? 0 : c.variablesSortColumn, c.order);
        results().clear();
        search(QString::fromUtf8(c.text));
        const QStringList lines = treeLines(results());
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.front(), label) << "the label row is the label's file name";
        EXPECT_EQ(lines.mid(1), c.below);
    }
}

TEST_F(SearchTest, ThePaneAppearsWithTheFirstSearchAndResultsAccumulateAcrossClosedPages)
{
    TfrmMain &w = startWithLabel();
    EXPECT_TRUE(results().isHidden());

    search(std::nullopt); // cancelled
    EXPECT_EQ(asked, QStringList{QStringLiteral("Find|Search Text")});
    EXPECT_TRUE(results().isHidden()) << "a cancelled search shows nothing";
    EXPECT_EQ(results().topLevelItemCount(), 0);

    search(QStringLiteral("Batch"));
    EXPECT_TRUE(results().isVisible());
    search(QStringLiteral("nothing like it"));
    w.findChild<QAction *>(QStringLiteral("actFileClose"))->trigger();
    ASSERT_EQ(w.pages()->count(), 0);

    // With no page open the command does nothing, not even ask.
    asked.clear();
    search(QStringLiteral("Batch"));
    answers.clear();
    EXPECT_TRUE(asked.isEmpty());

    w.OpenLabelFile(label);
    search(QStringLiteral("Zeta"));
    EXPECT_EQ(treeLines(results()),
              (QStringList{label, QStringLiteral("  Variables"), QStringLiteral("    Name: Batch"), label, label,
                           QStringLiteral("  Variables"), QStringLiteral("    Name: Zeta")}));
    EXPECT_TRUE(results().isVisible());
}

TEST_F(SearchTest, CtrlFOpensTheInputBoxWhileTheSearchMenuIsHidden)
{
    TfrmMain &w = startWithLabel();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    answers.push_back(QStringLiteral("Batch"));
    QTest::keyClick(w.activeView(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(asked, QStringList{QStringLiteral("Find|Search Text")});
    EXPECT_EQ(results().topLevelItemCount(), 1);
}

} // namespace

namespace {

TEST_F(SearchTest, TheWindowKeepsItsSizeAndTheFirstSearchGivesThePaneItsHeight)
{
    TfrmMain &w = start();
    const QSize before = w.size();
    ASSERT_EQ(w.frameGeometry().size(), QSize(441, 554));
    w.setTextInput([](QWidget *, const QString &, const QString &) { return std::optional<QString>(QStringLiteral("Batch")); });
    w.OpenLabelFile(label);
    QApplication::processEvents();
    EXPECT_EQ(w.size(), before) << "opening a label";
    for (int i = 0; i < 2; ++i) {
        window->findChild<QAction *>(QStringLiteral("actSearchFind"))->trigger();
        QApplication::processEvents();
        EXPECT_EQ(w.size(), before) << "search " << i;
        EXPECT_EQ(results().height(), 216) << "search " << i;
    }
    EXPECT_LE(w.minimumSizeHint().height(), before.height());
    EXPECT_LE(w.minimumSizeHint().width(), before.width());
}

} // namespace
