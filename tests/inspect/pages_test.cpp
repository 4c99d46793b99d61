#include "inspect/code_view.h"
#include "inspect/database_properties.h"
#include "inspect/grid_pages.h"
#include "inspect/label_contents.h"
#include "inspect/label_info_page.h"
#include "inspect/script_viewer.h"

#include "locale_scope.h"
#include "sim_label.h"
#include "ui/error_boundary.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QHeaderView>
#include <QHelpEvent>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <QStyle>

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

LabelContents contentsOf(const IQuillmark &label)
{
    return readLabelContents(LabelHandles::fromLabel(label));
}

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
    page.showTexts(contentsOf(label).info);
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
    LabelContents read;
    EXPECT_THROW(readLabelContents(LabelHandles::fromLabel(label), read), AutomationError);
    page.showTexts(read.info);
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
    // Wide enough that no column has to give way (the next case covers that)
    // whatever the font's metrics: DejaVu Sans 9 pt measures wider under the
    // offscreen platform on Windows than on Linux.
    ObjectsPage page;
    page.resize(1200, 400);
    page.show();
    EXPECT_EQ(page.caption()->objectName(), QStringLiteral("lblObjectInfo"));
    EXPECT_EQ(page.view()->objectName(), QStringLiteral("vstObjectInfo"));
    page.showRows(contentsOf(four).objects);
    EXPECT_EQ(page.caption()->text(), QStringLiteral("Object information for 4 objects:"));
    EXPECT_EQ(columnTexts(page.model(), 0), (QStringList{QStringLiteral("Code"), QStringLiteral("Frame"),
                                                         QStringLiteral("Logo"), QStringLiteral("Title")}));
    // Fitted: no text is cut, and no column is below its minimum.
    const auto expectFitted = [](const ObjectsPage &filled) {
        const QFontMetrics metrics = filled.view()->fontMetrics();
        for (int c = 0; c < filled.model().columnCount(); ++c) {
            EXPECT_GE(filled.view()->columnWidth(c), filled.model().columns()[std::size_t(c)].minimumWidth) << c;
            for (int r = 0; r < filled.model().rowCount(); ++r)
                EXPECT_GT(filled.view()->columnWidth(c), metrics.horizontalAdvance(filled.model().cellText(r, c)))
                    << r << "," << c;
        }
    };
    expectFitted(page);
    // A load fills every page while the user looks at one: a page filled
    // while hidden is fitted when it is shown.
    ObjectsPage hidden;
    hidden.resize(1200, 400);
    hidden.showRows(contentsOf(four).objects);
    hidden.show();
    expectFitted(hidden);
    EXPECT_EQ(page.view()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(page.view()->header()->isSortIndicatorShown());

    QJsonObject one = fixture("objects.lbl");
    one.insert(QStringLiteral("Objects"), QJsonArray{one.value(QStringLiteral("Objects")).toArray().at(1)});
    const IQuillmark single = labels.open(one);
    ObjectsPage onePage;
    onePage.showRows(contentsOf(single).objects);
    EXPECT_EQ(onePage.caption()->text(), QStringLiteral("Object information for 1 object:"));
}

TEST_F(Pages, LongAndMultiLineValuesStayReadableWithoutPushingColumnsAway)
{
    const QString address = QStringLiteral("line1\r\nline2\nline3");
    const QString long600 = QString(600, u'W');
    QJsonObject doc = fixture("objects.lbl");
    QJsonArray objects = doc.value(QStringLiteral("Objects")).toArray();
    QJsonObject title = objects.at(0).toObject();
    title.insert(QStringLiteral("Contents"), address);
    objects.replace(0, title);
    QJsonObject code = objects.at(3).toObject();
    code.insert(QStringLiteral("Contents"), long600);
    objects.replace(3, code);
    doc.insert(QStringLiteral("Objects"), objects);
    const IQuillmark label = labels.open(doc);

    ObjectsPage page;
    page.resize(1400, 400);
    page.show();
    page.showRows(contentsOf(label).objects);
    const GridModel &model = page.model();
    const int contents = 3;
    ASSERT_EQ(model.headerData(contents, Qt::Horizontal).toString(), QStringLiteral("Contents"));
    // Rows by name: Code, Frame, Logo, Title.
    const QModelIndex codeCell = model.index(0, contents);
    const QModelIndex titleCell = model.index(3, contents);

    // Drawn on one line with the breaks marked; the value itself is unchanged.
    EXPECT_EQ(model.data(titleCell).toString(), QStringLiteral("line1 \u21B5 line2 \u21B5 line3"));
    EXPECT_EQ(model.cellText(3, contents), address);
    EXPECT_EQ(model.data(titleCell, Qt::ToolTipRole).toString(), address);
    EXPECT_EQ(model.data(codeCell, Qt::ToolTipRole).toString(), long600);
    EXPECT_FALSE(model.data(model.index(1, contents), Qt::ToolTipRole).isValid()) << "Frame has no contents";

    // The long value is capped at half the view; every column stays in sight.
    QTreeView *view = page.view();
    const int viewport = view->viewport()->width();
    EXPECT_LE(view->columnWidth(contents), viewport / 2);
    QHeaderView *header = view->header();
    EXPECT_LE(header->sectionPosition(model.columnCount() - 1) + header->sectionSize(model.columnCount() - 1), viewport)
        << [&] {
               std::string widths;
               for (int c = 0; c < model.columnCount(); ++c)
                   widths += std::to_string(view->columnWidth(c)) + " ";
               return widths;
           }();
    // Had the long value not been there, the marked address would fit.
    EXPECT_GE(view->columnWidth(contents),
              std::min(viewport / 2, view->fontMetrics().horizontalAdvance(model.data(titleCell).toString())));

    // The tooltip shows only where the cell cuts its text.
    const auto tipAt = [&](const QModelIndex &index) {
        QToolTip::hideText();
        const QRect cell = view->visualRect(index);
        QHelpEvent event(QEvent::ToolTip, cell.center(), view->viewport()->mapToGlobal(cell.center()));
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.rect = cell;
        view->itemDelegate()->helpEvent(&event, view, option, index);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(model.index(0, 0)), QString()) << "a name that fits has no tooltip";
    EXPECT_TRUE(tipAt(codeCell).contains(long600));
    QToolTip::hideText();
}

TEST_F(Pages, EmptyOrFailedFillKeepsCaptionAndWidths)
{
    const IQuillmark none = labels.open("objects.lbl", {{QStringLiteral("Objects"), QJsonArray()}});
    ObjectsPage page;
    const int contentsWidth = page.view()->columnWidth(3);
    page.showRows(contentsOf(none).objects);
    EXPECT_EQ(page.caption()->text(), QStringLiteral("&Object information:"));
    EXPECT_EQ(page.view()->columnWidth(3), contentsWidth);
    EXPECT_EQ(contentsWidth, 75);

    const IQuillmark failing = labels.open("objects.lbl", raising({{"Objects[3].Name", "refused"}}));
    ObjectsPage failed;
    LabelContents read;
    EXPECT_THROW(readLabelContents(LabelHandles::fromLabel(failing), read), AutomationError);
    failed.showRows(read.objects, false);
    EXPECT_EQ(failed.caption()->text(), QStringLiteral("&Object information:"));
    EXPECT_EQ(failed.model().rowCount(), 3); // two full rows and the one being read
}

TEST_F(Pages, HeaderClicksSortAndShowTheGlyph)
{
    const IQuillmark label = labels.open("objects.lbl");
    ObjectsPage page;
    page.resize(900, 400);
    page.show();
    page.showRows(contentsOf(label).objects);
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
    page.showRows(contentsOf(label).variables);
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
    page.showRows(contentsOf(label).databases);
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

    // Enter on the row opens the same.
    bool opened = false;
    ModalProbe byEnter([&](QWidget *modal) {
        opened = qobject_cast<TfrmDatabaseProperties *>(modal) != nullptr;
        static_cast<QDialog *>(modal)->reject();
    });
    QTest::keyClick(page.view(), Qt::Key_Return);
    EXPECT_TRUE(opened);
}

TEST_F(Pages, DatabasePropertiesCloseOnEnter)
{
    TfrmDatabaseProperties dialog;
    dialog.fill(TDatabaseRow{});
    ModalProbe probe([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Return); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(probe.seen());
}

TEST_F(Pages, LongSqlWrapsInsideTheBoxAndTakesTheCursor)
{
    QStringList columns;
    for (int i = 1; i <= 60; ++i)
        columns << QStringLiteral("COLUMN_%1").arg(i);
    TDatabaseRow row;
    row.SQL = QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ART");
    TfrmDatabaseProperties dialog;
    dialog.fill(row);
    dialog.show();
    auto *sql = child<CodeView>(&dialog, "smSQL");
    EXPECT_EQ(sql->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(sql->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    const QTextBlock block = sql->document()->firstBlock();
    ASSERT_NE(block.layout(), nullptr);
    EXPECT_GT(block.layout()->lineCount(), 1) << "the SELECT wraps";
    for (int i = 0; i < block.layout()->lineCount(); ++i)
        EXPECT_LE(block.layout()->lineAt(i).naturalTextWidth(), sql->viewport()->width()) << i;
    EXPECT_TRUE(sql->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    sql->setFocus();
    QTest::keyClick(sql, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(sql->textCursor().position(), row.SQL.size());
}

TEST_F(Pages, FunctionDoubleClickOpensOnlyScripts)
{
    const IQuillmark label = labels.open("databases_functions.lbl");
    FunctionsPage page;
    page.showRows(contentsOf(label).functions);
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

namespace {

// One letter per character: S string, C comment, K keyword, N number, '.' plain.
QString colourRuns(QSyntaxHighlighter &highlighter, QTextDocument &document, const QString &line)
{
    document.setPlainText(line);
    highlighter.rehighlight();
    QString runs(line.size(), u'.');
    for (const QTextLayout::FormatRange &range : document.firstBlock().layout()->formats()) {
        const QColor colour = range.format.foreground().color();
        const QChar letter = colour == QColor(0xA0, 0x00, 0x00)   ? u'S'
                             : colour == QColor(0x00, 0x80, 0x00) ? u'C'
                             : colour == QColor(0x00, 0x00, 0x80) ? u'K'
                             : colour == QColor(0x80, 0x00, 0x80) ? u'N'
                                                                  : u'?';
        for (int i = range.start; i < range.start + range.length && i < runs.size(); ++i)
            runs[i] = letter;
    }
    return runs;
}

} // namespace

TEST(CodeView, StringsAndCommentsWhicheverOpensFirst)
{
    struct Case {
        const char *line;
        const char *runs;
    };
    const Case vbScript[] = {
        {R"(s = "Don't stack" & " pallets")", R"(....SSSSSSSSSSSSS...SSSSSSSSSS)"},
        {R"(x = 1 ' say "hi")", R"(....N.CCCCCCCCCC)"},
        {R"(s = "say ""hi"" now" ' done)", R"(....SSSSSSSSSSSSSSSS.CCCCCC)"},
        {R"(s = "open)", R"(....SSSSS)"},
        {R"(Rem a "quote")", R"(CCCCCCCCCCCCC)"},
        {R"(Remark = 2)", R"(.........N)"},
        {R"(If x Then)", R"(KK...KKKK)"},
    };
    const Case sql[] = {
        {R"(SELECT 'a--b' AS x)", R"(KKKKKK.SSSSSS.KK..)"},
        {R"(SELECT 1 -- it's)", R"(KKKKKK.N.CCCCCCC)"},
        {R"(WHERE a = 'it''s' /* 'x' */ OR b)", R"(KKKKK.....SSSSSSS.CCCCCCCCC.KK..)"},
        {R"(SELECT '/*' FROM t)", R"(KKKKKK.SSSS.KKKK..)"},
    };
    QTextDocument vbDocument;
    VbScriptHighlighter vb(&vbDocument);
    for (const Case &c : vbScript)
        EXPECT_EQ(colourRuns(vb, vbDocument, QString::fromUtf8(c.line)), QString::fromUtf8(c.runs)) << c.line;
    QTextDocument sqlDocument;
    SqlHighlighter highlighter(&sqlDocument);
    for (const Case &c : sql)
        EXPECT_EQ(colourRuns(highlighter, sqlDocument, QString::fromUtf8(c.line)), QString::fromUtf8(c.runs)) << c.line;
}

TEST(CodeView, SqlBlockCommentsSpanLines)
{
    QTextDocument document;
    SqlHighlighter highlighter(&document);
    document.setPlainText(QStringLiteral("SELECT /* one\nit's two */ 'x'"));
    highlighter.rehighlight();
    const QTextBlock second = document.firstBlock().next();
    QString runs(second.text().size(), u'.');
    for (const QTextLayout::FormatRange &range : second.layout()->formats())
        for (int i = range.start; i < range.start + range.length; ++i)
            runs[i] = range.format.foreground().color() == QColor(0x00, 0x80, 0x00) ? u'C' : u'S';
    EXPECT_EQ(runs, QStringLiteral("CCCCCCCCCCC.SSS"));
}

namespace {

double luminance(QRgb rgb)
{
    const auto channel = [](int v) {
        const double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The most contrasting pixel of a selected row against its commonest colour:
// the text, drawn on the selection's background.
double selectedRowContrast(QTreeView &view, int row)
{
    view.setFocus();
    view.selectionModel()->select(view.model()->index(row, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QImage image = view.viewport()->grab().toImage();
    QRect rect = view.visualRect(view.model()->index(row, 0));
    rect.setRight(view.viewport()->width() - 1);
    std::map<QRgb, int> counts;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            ++counts[image.pixel(x, y)];
    const QRgb background =
        std::max_element(counts.begin(), counts.end(), [](auto &a, auto &b) { return a.second < b.second; })->first;
    double best = 1;
    for (const auto &[colour, count] : counts)
        best = std::max(best, contrast(colour, background));
    return best;
}

} // namespace

// One selection style in every grid, readable whatever the palette.
TEST_F(Pages, SelectedRowsAreReadableInEveryGridAndPalette)
{
    const IQuillmark objects = labels.open("objects.lbl");
    const IQuillmark variables = labels.open("variables.lbl");
    const auto palette = [](const char *window, const char *base, const char *text, const char *highlight,
                            const char *highlighted) {
        QPalette p(QColor(QString::fromLatin1(window)), QColor(QString::fromLatin1(window)));
        p.setColor(QPalette::Base, QColor(QString::fromLatin1(base)));
        p.setColor(QPalette::Text, QColor(QString::fromLatin1(text)));
        p.setColor(QPalette::WindowText, QColor(QString::fromLatin1(text)));
        p.setColor(QPalette::Highlight, QColor(QString::fromLatin1(highlight)));
        p.setColor(QPalette::HighlightedText, QColor(QString::fromLatin1(highlighted)));
        return p;
    };
    const std::pair<const char *, QPalette> palettes[] = {
        {"light", QApplication::style()->standardPalette()},
        {"dark", palette("#202020", "#2b2b2b", "#ffffff", "#3d7cc9", "#ffffff")},
        {"high contrast", palette("#000000", "#000000", "#ffffff", "#1aebff", "#000000")},
    };
    for (const auto &[name, colours] : palettes) {
        SCOPED_TRACE(name);
        ObjectsPage objectsPage;
        objectsPage.showRows(contentsOf(objects).objects);
        VariablesPage variablesPage;
        variablesPage.showRows(contentsOf(variables).variables);
        for (GridPage *page : std::initializer_list<GridPage *>{&objectsPage, &variablesPage}) {
            SCOPED_TRACE(page->objectName().toStdString());
            page->setPalette(colours);
            page->resize(900, 300);
            page->show();
            EXPECT_GE(selectedRowContrast(*page->view(), 1), 3.0);
        }
    }
}

// Several rows, Ctrl+A and Ctrl+C, and the menu's "Copy" and "Copy all".
TEST_F(Pages, RowsAreCopiedWithTheTitlesFromKeysAndMenu)
{
    const IQuillmark label = labels.open("variables.lbl");
    VariablesPage page;
    page.showRows(contentsOf(label).variables);
    page.show();
    QTreeView *view = page.view();
    view->setFocus();
    const auto rowPoint = [&](int row) { return view->visualRect(page.model().index(row, 0)).center(); };
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rowPoint(0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, rowPoint(2));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), page.model().tabSeparatedText({0, 2}));
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    const QString all = page.model().tabSeparatedText({0, 1, 2, 3});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), all);
    EXPECT_TRUE(all.startsWith(QStringLiteral("Name\tType\t"))) << all.toStdString();

    QStringList captions;
    for (QAction *action : page.contextMenu()->actions())
        captions << action->text();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Copy"), QStringLiteral("Copy all"), QString(),
                                     QStringLiteral("Export information to file")}));
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rowPoint(1));
    page.contextMenu()->actions().at(1)->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), all);
    page.contextMenu()->actions().at(0)->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), page.model().tabSeparatedText({1}));
}
