#include "inspect/label_view.h"
#include "sim/sim_designer.h"
#include "support/keyed_calls.h"
#include "support/temp_dir.h"
#include "ui/error_boundary.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QProcess>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QFileInfo>

#include <cstdio>
#include <new>

#include <gtest/gtest.h>

using namespace strovex;
using strovex::test::TempDir;

namespace {

// Absolute as the designer names an open label: on Windows with its drive.
QString fixture(const char *name)
{
    return QFileInfo(QStringLiteral(STROVEX_TEST_DATA_DIR "/fixtures/") + QString::fromLatin1(name)).absoluteFilePath();
}

QStringList items(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QStringList previewLeftovers()
{
    return QDir::temp().entryList({QStringLiteral("Img*.bmp")}, QDir::Files);
}

class LabelViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setMessageHandler([this](MessageKind, const QString &text) { messages << text; });
        app = QuillApp(sim::createApplication());
    }
    void TearDown() override
    {
        sim::setKnobs({});
        setMessageHandler({});
        app.release();
        EXPECT_EQ(sim::liveObjects(), 0);
    }
    QuillApp app;
    QStringList messages;
};

} // namespace

TEST_F(LabelViewTest, LoadFillsFontsFilesPreviewAndSelectsPreview)
{
    const QStringList before = previewLeftovers();
    TLabelInfo view;
    view.resize(900, 700);
    view.show();
    QApplication::processEvents();
    view.PrepareGrids();
    ASSERT_TRUE(view.LoadLabel(app, fixture("box.lbl")));
    EXPECT_EQ(view.FFileName(), fixture("box.lbl"));
    EXPECT_EQ(items(view.findChild<QListWidget *>(QStringLiteral("tlsbFonts"))),
              (QStringList{QStringLiteral("Arial"), QStringLiteral("Courier New")}));
    EXPECT_EQ(items(view.findChild<QListWidget *>(QStringLiteral("tlsbFiles"))).size(), 2);
    const auto *infoType = view.findChild<QListWidget *>(QStringLiteral("tlsbInfoType"));
    EXPECT_EQ(infoType->currentRow(), 0);
    EXPECT_EQ(view.currentPageIndex(), 0);
    const auto *picture = view.findChild<QLabel *>(QStringLiteral("imgLabelPreview"));
    ASSERT_FALSE(picture->pixmap().isNull());
    EXPECT_EQ(picture->pixmap().size(), picture->size());
    EXPECT_TRUE(view.findChild<QLineEdit *>(QStringLiteral("edtOpenTime"))->text().contains(QLatin1Char('(')));
    EXPECT_EQ(previewLeftovers(), before);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(LabelViewTest, ResizingRendersThePreviewAgainOnlyWhileALabelIsHeld)
{
    TLabelInfo view;
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();
    ASSERT_TRUE(view.LoadLabel(app, fixture("box.lbl")));
    const auto *picture = view.findChild<QLabel *>(QStringLiteral("imgLabelPreview"));
    const QSize first = picture->pixmap().size();
    view.resize(1000, 760);
    EXPECT_TRUE(QTest::qWaitFor([&] { return picture->pixmap().size() == picture->size(); }));
    EXPECT_NE(picture->pixmap().size(), first);

    view.ReleaseLabel();
    view.ReleaseLabel(); // twice is harmless
    const auto calls = sim::callCount();
    view.resize(700, 500);
    QTest::qWait(3 * TLabelInfo::kPreviewResizeDelayMs);
    EXPECT_EQ(sim::callCount(), calls);
}

// Dragging a window's edge resizes the picture step by step: the designer is
// asked once, for the size the steps end at, and not again for a size the
// picture already has.
TEST_F(LabelViewTest, ResizeStepsAskForThePreviewOncePerFinalSize)
{
    TLabelInfo view;
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();
    ASSERT_TRUE(view.LoadLabel(app, fixture("box.lbl")));
    QApplication::processEvents();
    const auto *picture = view.findChild<QLabel *>(QStringLiteral("imgLabelPreview"));
    auto *timer = view.findChild<QTimer *>(QStringLiteral("tmrPreview"));
    ASSERT_NE(timer, nullptr);
    // However slowly this machine runs the steps, they come before the drawing.
    timer->setInterval(3'600'000);
    const auto drawAndCount = [&](const QList<QSize> &steps) {
        const auto calls = sim::callCount();
        for (const QSize size : steps) {
            view.resize(size);
            QApplication::processEvents();
        }
        EXPECT_EQ(sim::callCount(), calls) << "drawn during the steps";
        timer->setInterval(0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !timer->isActive(); }));
        timer->setInterval(3'600'000);
        return sim::callCount() - calls;
    };

    EXPECT_EQ(drawAndCount({{820, 610}, {850, 630}, {900, 660}, {960, 700}, {1000, 760}}), 1u);
    EXPECT_EQ(picture->pixmap().size(), picture->size());
    EXPECT_EQ(drawAndCount({{900, 700}, {1000, 760}}), 0u) << "drawn again at the size it has";
    EXPECT_EQ(drawAndCount({{900, 700}}), 1u);
    EXPECT_EQ(picture->pixmap().size(), picture->size());
    EXPECT_TRUE(messages.isEmpty());
}

// A drawing that fails after a resize is reported once while it keeps failing
// the same way; the last picture drawn stays.
TEST_F(LabelViewTest, PreviewFailureOnResizeIsReportedOnce)
{
    QWidget window;
    window.resize(1100, 800);
    auto *view = new TLabelInfo(&window);
    view->setGeometry(0, 0, 800, 600);
    window.show();
    QApplication::processEvents();
    ASSERT_TRUE(view->LoadLabel(app, fixture("box.lbl")));
    QApplication::processEvents();
    const auto *picture = view->findChild<QLabel *>(QStringLiteral("imgLabelPreview"));
    const QImage drawn = picture->pixmap().toImage();
    ASSERT_FALSE(drawn.isNull());

    const auto stopDesigner = [&] {
        sim::Knobs stopped;
        stopped.stopAfter = 1;
        sim::setKnobs(stopped);
        (void)view->FLabel().FileName(); // the one call still answered
    };
    const auto resizeAndWait = [&](QSize size) {
        const auto calls = sim::callCount();
        view->resize(size);
        EXPECT_TRUE(QTest::qWaitFor([&] { return sim::callCount() > calls; })) << "not drawn at the new size";
        QApplication::processEvents(); // the report, posted
    };
    stopDesigner();
    for (const QSize size : {QSize(900, 700), QSize(950, 720), QSize(1000, 760)})
        resizeAndWait(size);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("does not respond"))) << messages[0].toStdString();
    EXPECT_EQ(picture->pixmap().toImage(), drawn);

    // Drawn again once the designer answers; a later failure is a new one.
    sim::setKnobs({});
    view->resize(900, 700);
    EXPECT_TRUE(QTest::qWaitFor([&] { return picture->pixmap().size() == picture->size(); }));
    stopDesigner();
    resizeAndWait(QSize(800, 600));
    sim::setKnobs({});
    EXPECT_EQ(messages.size(), 2);
}

// On a scaled screen the designer is asked for device pixels and the picture
// says so: each of its pixels is one of the screen's. The scale factor is read
// at start-up, so the case runs in a child process of this test program.
TEST_F(LabelViewTest, PreviewInDevicePixelsOnAScaledScreen)
{
    const char *name = "LabelViewTest.PreviewInDevicePixelsOnAScaledScreen";
    if (qEnvironmentVariable("QT_SCALE_FACTOR") != QStringLiteral("1.5")) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("1.5"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + QLatin1String(name)});
        ASSERT_TRUE(child.waitForFinished(120000));
        const QString output = QString::fromLocal8Bit(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
        return;
    }
    TLabelInfo view;
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();
    const auto *picture = view.findChild<QLabel *>(QStringLiteral("imgLabelPreview"));
    ASSERT_EQ(picture->devicePixelRatioF(), 1.5);
    ASSERT_TRUE(view.LoadLabel(app, fixture("box.lbl")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return picture->pixmap().size() == picture->size() * 1.5; }));
    const QPixmap drawn = picture->pixmap();
    EXPECT_EQ(drawn.devicePixelRatio(), 1.5);
    EXPECT_EQ(drawn.size(), picture->size() * 1.5); // what the designer drew
    EXPECT_EQ(drawn.deviceIndependentSize().toSize(), picture->size());
}

TEST_F(LabelViewTest, TheFailureMessageHasTwoLineBreaksBeforeTheDesignerText)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("refused.lbl"),
                                   R"({"SimulatedLabel": 1, "Faults": {"OpenLabel": {"Nothing": true, "ErrorText": "Access denied", "ErrorDetail": "Locked by another user"}}})");
    const QString silent = dir.write(QStringLiteral("silent.lbl"),
                                     R"({"SimulatedLabel": 1, "Faults": {"OpenLabel": {"Nothing": true, "ErrorText": ""}}})");
    TLabelInfo view;
    EXPECT_FALSE(view.LoadLabel(app, path));
    TLabelInfo other;
    EXPECT_FALSE(other.LoadLabel(app, silent));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], QStringLiteral("File \"%1\" cannot be opened!\r\n\r\nAccess denied\r\nLocked by another user").arg(path));
    EXPECT_EQ(messages[1], QStringLiteral("File \"%1\" cannot be opened!\r\n\r\n").arg(silent));
}

TEST_F(LabelViewTest, PickingAnInformationTypeShowsItsPage)
{
    TLabelInfo view;
    auto *list = view.findChild<QListWidget *>(QStringLiteral("tlsbInfoType"));
    QStringList texts = items(list);
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Preview"), QStringLiteral("Label Info"), QStringLiteral("Objects"),
                                  QStringLiteral("Variables"), QStringLiteral("Databases"), QStringLiteral("Functions"),
                                  QStringLiteral("Fonts"), QStringLiteral("Dependant Files")}));
    const auto *stack = view.findChild<QStackedWidget *>(QStringLiteral("tpgcInfo"));
    const char *pages[] = {"tbsPreview", "ttbsLabelInfo", "ttbsObjectInfo", "ttbsVariableInfo",
                           "ttbsDatabaseInfo", "ttbsFunctionInfo", "tbsFonts", "tbsDependantFiles"};
    for (int i = 0; i < 8; ++i) {
        list->setCurrentRow(i);
        EXPECT_EQ(stack->currentWidget()->objectName(), QString::fromLatin1(pages[i]));
    }
}

// With an out-of-process designer every call is a round trip: one load reads
// each member of each object (the label, its lists, items and what they hand
// out) at most once, however many pages show it.
TEST_F(LabelViewTest, ALoadReadsEachMemberOfEachObjectOnce)
{
    const QString samples = QStringLiteral(STROVEX_SAMPLES_DIR "/");
    const QString inspectFixtures = QStringLiteral(STROVEX_TEST_DATA_DIR "/../inspect/fixtures/");
    const QString cases[] = {
        fixture("box.lbl"),
        fixture("blank.lbl"),
        inspectFixtures + QStringLiteral("objects.lbl"),
        inspectFixtures + QStringLiteral("variables.lbl"),
        inspectFixtures + QStringLiteral("databases_functions.lbl"),
        inspectFixtures + QStringLiteral("label_info.lbl"),
        samples + QStringLiteral("product_paragraph.lbl"),
        samples + QStringLiteral("pallet_inches.lbl"),
        samples + QStringLiteral("shipping_sscc.lbl"),
        samples + QStringLiteral("asset_dots.lbl"),
        samples + QStringLiteral("database_scripts.lbl"),
        samples + QStringLiteral("international.lbl"),
    };
    auto calls = std::make_shared<test::KeyedCalls>();
    const QuillApp counted(test::keyedCalls(app.ref(), calls));
    for (const QString &path : cases) {
        SCOPED_TRACE(path.toStdString());
        TLabelInfo view;
        calls->reset();
        ASSERT_TRUE(view.LoadLabel(counted, path)) << messages.join(u'|').toStdString();
        const auto *objects = view.findChild<QTreeView *>(QStringLiteral("vstObjectInfo"));
        std::printf("%-28s %3d objects: %5ld calls, %5ld distinct\n", qPrintable(QFileInfo(path).fileName()),
                    objects->model()->rowCount(), calls->total, calls->distinct());
        EXPECT_EQ(calls->total, calls->distinct());
        for (const std::string &name : calls->repeated())
            ADD_FAILURE() << "read again: " << name;
        view.ReleaseLabel();
    }
}

// A load that lasts more than a moment names the page it is filling, in the
// pages' order, and repaints meanwhile; the preview is still drawn once.
TEST_F(LabelViewTest, ALongLoadShowsWhichPageItFills)
{
    TLabelInfo view;
    view.resize(900, 700);
    view.show();
    QApplication::processEvents();
    QStringList steps;
    QObject::connect(&view, &TLabelInfo::loadStatusChanged, [&steps](const QString &step) {
        if (steps.isEmpty() || steps.last() != step)
            steps << step;
    });
    auto calls = std::make_shared<test::KeyedCalls>();
    const QuillApp counted(test::keyedCalls(app.ref(), calls));
    sim::Knobs slow;
    slow.latencyUs = 10'000; // about 90 calls: close to a second
    sim::setKnobs(slow);
    ASSERT_TRUE(view.LoadLabel(counted, fixture("box.lbl")));
    sim::setKnobs({});

    const QStringList pages{QStringLiteral("Label Info"), QStringLiteral("Objects"), QStringLiteral("Variables"),
                            QStringLiteral("Databases"), QStringLiteral("Functions"), QStringLiteral("Fonts"),
                            QStringLiteral("Dependant Files"), QStringLiteral("Preview")};
    ASSERT_FALSE(steps.isEmpty());
    EXPECT_EQ(steps.last(), QStringLiteral("Loading box.lbl: Preview"));
    qsizetype at = 0;
    for (const QString &step : steps) {
        const qsizetype page = pages.indexOf(step.section(QStringLiteral(": "), 1));
        EXPECT_GE(page, at) << step.toStdString();
        at = page;
    }
    for (const std::string &name : calls->repeated())
        ADD_FAILURE() << "read again: " << name;
}

// Memory running out while a label is opened or read is said as that, naming
// the label, not as the bare "std::bad_alloc".
TEST_F(LabelViewTest, ALabelTooLargeForTheMemoryIsNamed)
{
    struct OutOfMemory : Dispatch {
        Value invoke(int, CallKind, std::span<const Value>) override { throw std::bad_alloc(); }
    };
    const QuillApp exhausted(std::make_shared<OutOfMemory>());
    const QString path = fixture("box.lbl");
    TLabelInfo view;
    runGuarded(&view, [&] { view.LoadLabel(exhausted, path); });
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.front(), QStringLiteral("File \"%1\" is too large for the memory available.").arg(path));
}
