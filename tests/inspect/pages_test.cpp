#include "inspect/code_view.h"
#include "inspect/database_properties.h"
#include "inspect/grid_pages.h"
#include "inspect/label_info_page.h"
#include "inspect/script_viewer.h"

#include "app/error_boundary.h"
#include "locale_scope.h"
#include "sim_label.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include <functional>

using namespace strovex;
using namespace strovex::test;

namespace {

// Runs `handle` on the first modal dialog that opens while it lives; the
// handler must close it. A dialog left open is rejected so a test never hangs.
class ModalProbe {
public:
    explicit ModalProbe(std::function<void(QWidget *)> handle) : handle_(std::move(handle))
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            if (!seen_) {
                seen_ = true;
                handle_(modal);
            }
            if (QApplication::activeModalWidget() == modal && ++ticks_ > 100)
                if (auto *dialog = qobject_cast<QDialog *>(modal))
                    dialog->reject();
        });
        timer_.start();
    }
    bool seen() const { return seen_; }

private:
    std::function<void(QWidget *)> handle_;
    QTimer timer_;
    bool seen_ = false;
    int ticks_ = 0;
};

template<class T>
T *child(QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QStringList columnTexts(const GridModel &model, int column)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts << model.cellText(r, column);
    return texts;
}

// Types the path into the save dialog's file-name box, as a user would, and accepts.
void chooseFile(QFileDialog *dialog, const QString &path)
{
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(path);
    static_cast<QDialog *>(dialog)->accept();
}

void clickHeader(QTreeView *view, int column)
{
    QHeaderView *header = view->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2));
}

class Pages : public ::testing::Test {
protected:
    LocaleScope locale{QLocale::English, QLocale::UnitedStates};
    SimLabels labels;
};

} // namespace

TEST_F(Pages, LabelInfoShowsEveryFieldReadOnly)
{
    LabelInfoPage page;
    const IQuillmark label = labels.open("label_info.lbl");
    page.fill(label);
    EXPECT_EQ(child<QLineEdit>(&page, "tedtTitle")->text(), QStringLiteral("Pallet label"));
    EXPECT_EQ(child<QLineEdit>(&page, "tedtVersion")->text(), QStringLiteral("6"));
    EXPECT_EQ(child<QLineEdit>(&page, "tedtFormName")->text(), QStringLiteral("Label 100x50"));
    EXPECT_EQ(child<QLineEdit>(&page, "tedtDarkness")->text(), QStringLiteral("15"));
    EXPECT_EQ(child<QLabel>(&page, "tlblSpeedUnit")->text(), QStringLiteral("ips"));
    for (const char *unit : {"tlblLengthUnit", "tlblWidthUnit", "tlblColumOffUnit", "tlblRowOffUnit"})
        EXPECT_EQ(child<QLabel>(&page, unit)->text(), QStringLiteral("mm")) << unit;
    for (const char *name : {"tedtName", "tedtTitle", "tedtAuthor", "tedtVersion", "tedtPrinter", "tedtDriver",
                             "tedtPrinterPort", "tedtOriginalPrinter", "tedtFormName", "tedtLength", "tedtWidth",
                             "tedtSpeed", "tedtDarkness", "tedtColumnOffset", "tedtRowOffset", "edtOpenTime"})
        EXPECT_TRUE(child<QLineEdit>(&page, name)->isReadOnly()) << name;
}

TEST_F(Pages, LabelInfoKeepsWhatWasReadBeforeAFailure)
{
    LabelInfoPage page;
    const IQuillmark label = labels.open("label_info.lbl", raising({{"Settings.Title", "Title not readable"}}));
    EXPECT_THROW(page.fill(label), AutomationError);
    EXPECT_EQ(child<QLineEdit>(&page, "tedtName")->text(), labels.lastPath());
    EXPECT_EQ(child<QLineEdit>(&page, "tedtPrinter")->text(), QString());
}

TEST_F(Pages, OpenTimeHiddenUntilRevealed)
{
    LabelInfoPage page;
    page.show();
    page.setOpenTime(QStringLiteral("12 (30)"));
    EXPECT_FALSE(child<QLabel>(&page, "lblOpenedIn")->isVisible());
    EXPECT_FALSE(child<QLineEdit>(&page, "edtOpenTime")->isVisible());
    EXPECT_FALSE(child<QLabel>(&page, "lblMs")->isVisible());
    page.revealOpenTime();
    EXPECT_TRUE(child<QLabel>(&page, "lblOpenedIn")->isVisible());
    EXPECT_EQ(child<QLabel>(&page, "lblOpenedIn")->text(), QStringLiteral("Opened in:"));
    EXPECT_EQ(child<QLineEdit>(&page, "edtOpenTime")->text(), QStringLiteral("12 (30)"));
    EXPECT_EQ(child<QLabel>(&page, "lblMs")->text(), QStringLiteral("ms"));
}

TEST_F(Pages, ObjectsCaptionsAndColumns)
{
    const IQuillmark four = labels.open("objects.lbl");
    ObjectsPage page;
    page.resize(900, 400);
    page.show();
    EXPECT_EQ(page.caption()->objectName(), QStringLiteral("lblObjectInfo"));
    EXPECT_EQ(page.view()->objectName(), QStringLiteral("vstObjectInfo"));
    page.fill(four, four.Objects());
    EXPECT_EQ(page.caption()->text(), QStringLiteral("Object information for 4 objects:"));
    EXPECT_EQ(columnTexts(page.model(), 0), (QStringList{QStringLiteral("Code"), QStringLiteral("Frame"),
                                                         QStringLiteral("Logo"), QStringLiteral("Title")}));
    // Fitted: no text is cut, and no column is below its minimum.
    const QFontMetrics metrics = page.view()->fontMetrics();
    for (int c = 0; c < page.model().columnCount(); ++c) {
        EXPECT_GE(page.view()->columnWidth(c), page.model().columns()[std::size_t(c)].minimumWidth) << c;
        for (int r = 0; r < page.model().rowCount(); ++r)
            EXPECT_GT(page.view()->columnWidth(c), metrics.horizontalAdvance(page.model().cellText(r, c))) << r << "," << c;
    }
    EXPECT_EQ(page.view()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(page.view()->header()->isSortIndicatorShown());

    QJsonObject one = fixture("objects.lbl");
    one.insert(QStringLiteral("Objects"), QJsonArray{one.value(QStringLiteral("Objects")).toArray().at(1)});
    const IQuillmark single = labels.open(one);
    ObjectsPage onePage;
    onePage.fill(single, single.Objects());
    EXPECT_EQ(onePage.caption()->text(), QStringLiteral("Object information for 1 object:"));
}

TEST_F(Pages, EmptyOrFailedFillKeepsCaptionAndWidths)
{
    const IQuillmark none = labels.open("objects.lbl", {{QStringLiteral("Objects"), QJsonArray()}});
    ObjectsPage page;
    const int contentsWidth = page.view()->columnWidth(3);
    page.fill(none, none.Objects());
    EXPECT_EQ(page.caption()->text(), QStringLiteral("&Object information:"));
    EXPECT_EQ(page.view()->columnWidth(3), contentsWidth);
    EXPECT_EQ(contentsWidth, 75);

    const IQuillmark failing = labels.open("objects.lbl", raising({{"Objects[3].Name", "refused"}}));
    ObjectsPage failed;
    EXPECT_THROW(failed.fill(failing, failing.Objects()), AutomationError);
    EXPECT_EQ(failed.caption()->text(), QStringLiteral("&Object information:"));
    EXPECT_EQ(failed.model().rowCount(), 3); // two full rows and the one being read
}

TEST_F(Pages, HeaderClicksSortAndShowTheGlyph)
{
    const IQuillmark label = labels.open("objects.lbl");
    ObjectsPage page;
    page.resize(900, 400);
    page.show();
    page.fill(label, label.Objects());
    QHeaderView *header = page.view()->header();

    clickHeader(page.view(), 0); // Name is the initial sort column: now descending
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(columnTexts(page.model(), 0).constFirst(), QStringLiteral("Title"));

    clickHeader(page.view(), 4); // Left, ascending, in text order
    EXPECT_EQ(header->sortIndicatorSection(), 4);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(columnTexts(page.model(), 4), (QStringList{QStringLiteral(" 1.50 cm"), QStringLiteral(" 9.00 cm"),
                                                         QStringLiteral("100.00 cm"), QStringLiteral("20.00 cm")}));
    clickHeader(page.view(), 4);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(columnTexts(page.model(), 4).constFirst(), QStringLiteral("20.00 cm"));
}

TEST_F(Pages, VariablesExportFromTheContextMenu)
{
    const IQuillmark label = labels.open("variables.lbl");
    VariablesPage page;
    page.fill(label.Variables(), label.OtherVariables());
    EXPECT_EQ(page.caption()->text(), QStringLiteral("Variable information for 4 variables:"));
    EXPECT_EQ(page.contextMenu()->objectName(), QStringLiteral("pmVariables"));
    QAction *exportAction = page.contextMenu()->findChild<QAction *>(QStringLiteral("mmiExportToFile"));
    ASSERT_NE(exportAction, nullptr);
    EXPECT_EQ(exportAction->text(), QStringLiteral("Export information to file"));

    page.model().headerClick(3);
    page.model().headerClick(3); // Length, descending

    TempDir dir;
    const QString path = dir.write(QStringLiteral("old.csv"), "stale contents that must go\r\n");
    ModalProbe probe([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("csv"));
        chooseFile(dialog, path);
    });
    exportAction->trigger();
    EXPECT_TRUE(probe.seen());
    EXPECT_EQ(readAll(path),
              QByteArray("\"Name\";\"Type\";\"Order\";\"Default Value\";\"Length\"\r\n"
                         "\"Clock\";\"System Clock\";\"N/A\";\"\";\"100\"\r\n"
                         "\"Batch\";\"Prompt Variable\";\"2\";\"A-17\";\"10\"\r\n"
                         "\"Skipped prompt\";\"Prompt Variable\";\"N/A\";\"\";\"9\"\r\n"
                         "\"\";\"Global Variable\";\"N/A\";\"") +
                  QString::fromUtf8("Žluťoučký \"\"kůň\"\"; 日本").toUtf8() + QByteArray("\";\"1\"\r\n"));
}

TEST_F(Pages, ExportFailureIsReportedNotThrown)
{
    VariablesPage page;
    QStringList messages;
    setMessageHandler([&](MessageKind, const QString &text) { messages << text; });
    TempDir dir;
    ModalProbe probe([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        chooseFile(dialog, dir.file(QStringLiteral("no-such-folder/vars.csv")));
    });
    page.mmiExportToFileClick();
    setMessageHandler({});
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.constFirst().contains(QStringLiteral("vars.csv")));
}

TEST_F(Pages, DatabaseDoubleClick)
{
    const IQuillmark label = labels.open("databases_functions.lbl");
    DatabasesPage page;
    page.fill(label.Databases());
    EXPECT_EQ(page.caption()->text(), QStringLiteral("Database information for 2 databases:"));

    {
        ModalProbe probe([](QWidget *) {});
        page.vstDatabasesDblClick(); // no focused row
        EXPECT_FALSE(probe.seen());
    }

    page.view()->setCurrentIndex(page.model().index(1, 0)); // sorted by name: "Articles" after ""
    ModalProbe probe([&](QWidget *modal) {
        auto *dialog = qobject_cast<TfrmDatabaseProperties *>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Database Properties"));
        EXPECT_EQ(child<QLineEdit>(dialog, "edtName")->text(), QStringLiteral("Articles"));
        EXPECT_EQ(child<QLineEdit>(dialog, "edtTableName")->text(), QStringLiteral("ART"));
        EXPECT_EQ(child<QLineEdit>(dialog, "edtOutputVariables")->text(), QStringLiteral("\"Article\", \"Price\""));
        EXPECT_EQ(child<QLineEdit>(dialog, "edtNavigation")->text(), QStringLiteral("All records"));
        EXPECT_EQ(child<QLineEdit>(dialog, "edtLevel")->text(), QString());
        auto *isUsed = child<QCheckBox>(dialog, "chbIsUsed");
        EXPECT_TRUE(isUsed->isChecked());
        EXPECT_FALSE(isUsed->isEnabled());
        auto *sql = child<CodeView>(dialog, "smSQL");
        EXPECT_EQ(sql->toPlainText(), QStringLiteral("SELECT * FROM ART"));
        EXPECT_TRUE(sql->isReadOnly());
        EXPECT_FALSE(sql->lineNumbersShown());
        EXPECT_EQ(child<QPlainTextEdit>(dialog, "memConnectionString")->toPlainText(), QStringLiteral("DSN=Shop"));
        sql->setFocus();
        QTest::keyClick(sql, Qt::Key_Escape);
    });
    page.vstDatabasesDblClick();
    EXPECT_TRUE(probe.seen());
}

TEST_F(Pages, DatabasePropertiesCloseOnEnter)
{
    TfrmDatabaseProperties dialog;
    dialog.fill(TDatabaseRow{});
    ModalProbe probe([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Return); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(probe.seen());
}

TEST_F(Pages, FunctionDoubleClickOpensOnlyScripts)
{
    const IQuillmark label = labels.open("databases_functions.lbl");
    FunctionsPage page;
    page.fill(label.Functions());
    // Sorted by name: One, Prices, Total.
    ASSERT_EQ(columnTexts(page.model(), 0),
              (QStringList{QStringLiteral("One"), QStringLiteral("Prices"), QStringLiteral("Total")}));

    page.view()->setCurrentIndex(page.model().index(1, 0)); // a lookup table
    {
        ModalProbe probe([](QWidget *) {});
        page.vstFunctionsDblClick();
        EXPECT_FALSE(probe.seen());
    }

    page.view()->setCurrentIndex(page.model().index(2, 0));
    for (int round = 0; round < 2; ++round) {
        ModalProbe probe([&](QWidget *modal) {
            auto *viewer = qobject_cast<TfrmVBScript *>(modal);
            ASSERT_NE(viewer, nullptr);
            EXPECT_EQ(viewer->windowTitle(), QStringLiteral("VB Script"));
            CodeView *editor = child<CodeView>(viewer, "SynEdit1");
            EXPECT_EQ(editor->toPlainText(), QStringLiteral("Total = Price * 1.2"));
            EXPECT_TRUE(editor->lineNumbersShown());
            EXPECT_GT(editor->gutterWidth(), 0);
            editor->setFocus();
            QTest::keyClicks(editor, QStringLiteral("typed "));
            QTest::keyClick(editor, Qt::Key_Escape);
        });
        page.vstFunctionsDblClick();
        EXPECT_TRUE(probe.seen());
    }
    EXPECT_EQ(page.model().rowAt(2).Script, QStringLiteral("Total = Price * 1.2"));
}

TEST(CodeView, FixedPitchFont)
{
    EXPECT_TRUE(QFontInfo(codeFont()).fixedPitch());
}
