#include "app_fixture.h"

#include "inspect/label_view.h"
#include "support/temp_dir.h"
#include "browse/widget_helpers.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include "platform/launcher.h"
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace strovex;
using strovex::test::TempDir;
using strovex::test::chooseTypeAndName;
using strovex::test::whenModal;
using strovex::test::AppTest;

namespace {

QAction *action(QWidget *window, const char *name)
{
    return window->findChild<QAction *>(QString::fromLatin1(name));
}

} // namespace

TEST_F(AppTest, StartUpInitializesTheDesignerAndHidesTheSearchPane)
{
    TfrmMain &w = start();
    EXPECT_TRUE(w.connection());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Strovex"));
    EXPECT_FALSE(w.findChild<QTreeWidget *>(QStringLiteral("vstSearchResults"))->isVisible());
}

TEST_F(AppTest, MenusCarryTheirCaptionsAndShortcuts)
{
    TfrmMain &w = start();
    struct Case { const char *name, *text, *shortcut; };
    const Case cases[] = {
        {"FileOpen1", "&Open...", "Ctrl+O"},
        {"actFileClose", "&Close", ""},
        {"actFileCloseAll", "Close &All", ""},
        {"FileExit1", "E&xit", ""},
        {"actSearchFind", "&Find...", "Ctrl+F"},
        {"actToolsSetPrinter", "&Set printer...", ""},
        {"actToolsSetPaths", "Set &paths...", ""},
        {"actToolsSetVariableLength", "Set &variable length", ""},
        {"actToolsCreateJobFile", "&Create command file", ""},
        {"actToolsCreateGraph", "Create &graph", ""},
        {"actToolsGetVBScripts", "Extract VB Scripts from &label file...", ""},
        {"actHelpAbout", "&About", ""},
    };
    for (const Case &c : cases) {
        QAction *a = action(&w, c.name);
        ASSERT_NE(a, nullptr) << c.name;
        EXPECT_EQ(a->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(a->shortcut().toString(), QString::fromUtf8(c.shortcut)) << c.name;
    }
    QStringList menus;
    for (QAction *m : w.menuBar()->actions())
        menus << m->text() + (m->isVisible() ? QString() : QStringLiteral(" (hidden)"));
    EXPECT_EQ(menus, (QStringList{QStringLiteral("&File"), QStringLiteral("&Search (hidden)"), QStringLiteral("&Tools"),
                                  QStringLiteral("&Help")}));
}

TEST_F(AppTest, SamePathIsOnePageOtherLetterCaseOrRelativePathIsAnother)
{
    TempDir dir;
    const QString path = dir.copy(fixture("box.lbl"), QStringLiteral("Box.lbl"));
    dir.copy(fixture("box.lbl"), QStringLiteral("box.lbl"));
    TfrmMain &w = start();
    w.OpenLabelFile(path);
    w.OpenLabelFile(fixture("blank.lbl"));
    ASSERT_EQ(w.pages()->count(), 2);
    w.OpenLabelFile(path);
    EXPECT_EQ(w.pages()->count(), 2);
    EXPECT_EQ(w.pages()->currentIndex(), 0);
    EXPECT_EQ(w.FindLabelPage(path), 0);

    w.OpenLabelFile(dir.file(QStringLiteral("box.lbl")));
    EXPECT_EQ(w.pages()->count(), 3);
    EXPECT_EQ(w.pages()->tabText(0), QStringLiteral("Box.lbl"));
    EXPECT_EQ(w.pages()->tabToolTip(0), path);
}

TEST_F(AppTest, AFailedOpenShowsTheMessageAndLeavesPagesAndActivePage)
{
    TfrmMain &w = start();
    w.OpenLabelFile(fixture("box.lbl"));
    w.OpenLabelFile(fixture("blank.lbl"));
    w.pages()->setCurrentIndex(0);
    const QString missing = fixture("missing.lbl");
    w.OpenLabelFile(missing);
    EXPECT_EQ(w.pages()->count(), 2);
    EXPECT_EQ(w.pages()->currentIndex(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Plain);
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("File \"%1\" cannot be opened!\r\n\r\n").arg(missing)))
        << messages[0].text.toStdString();
    EXPECT_GT(messages[0].text.size(), QStringLiteral("File \"%1\" cannot be opened!\r\n\r\n").arg(missing).size());
}

TEST_F(AppTest, AnErrorWhileLoadingKeepsThePageInactiveAndEndsTheSelection)
{
    TempDir dir;
    const QString broken = dir.write(QStringLiteral("broken.lbl"),
                                     R"({"SimulatedLabel": 1, "Faults": {"Objects": {"Raise": "Objects are gone"}}})");
    TfrmMain &w = start();
    w.OpenLabelFile(fixture("blank.lbl"));
    const bool ok = runGuarded(&w, [&] { w.FileOpen1Accept({broken, fixture("box.lbl")}); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(w.pages()->count(), 2); // the broken page stays, box.lbl was never opened
    EXPECT_EQ(w.pages()->currentIndex(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].text, QStringLiteral("Objects are gone"));
}

TEST_F(AppTest, AnErrorWhileLoadingTheFirstPageLeavesNoActivePage)
{
    TempDir dir;
    const QString broken = dir.write(QStringLiteral("broken.lbl"),
                                     R"({"SimulatedLabel": 1, "Faults": {"Objects": {"Raise": "Objects are gone"}}})");
    TfrmMain &w = start();
    EXPECT_FALSE(runGuarded(&w, [&] { w.OpenLabelFile(broken); }));
    EXPECT_EQ(w.pages()->count(), 0);
    EXPECT_EQ(w.activeView(), nullptr);
    EXPECT_FALSE(action(&w, "actToolsCreateJobFile")->isEnabled());
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(AppTest, ClosingTheLastPageDisablesThePageActions)
{
    TfrmMain &w = start();
    const char *pageActions[] = {"actFileClose", "actFileCloseAll", "actToolsCreateJobFile", "actToolsCreateGraph"};
    for (const char *name : pageActions)
        EXPECT_FALSE(action(&w, name)->isEnabled()) << name;
    w.OpenLabelFile(fixture("box.lbl"));
    w.OpenLabelFile(fixture("blank.lbl"));
    for (const char *name : pageActions)
        EXPECT_TRUE(action(&w, name)->isEnabled()) << name;
    action(&w, "actFileClose")->trigger();
    EXPECT_EQ(w.pages()->count(), 1);
    EXPECT_TRUE(action(&w, "actFileClose")->isEnabled());
    action(&w, "actFileCloseAll")->trigger();
    EXPECT_EQ(w.pages()->count(), 0);
    for (const char *name : pageActions)
        EXPECT_FALSE(action(&w, name)->isEnabled()) << name;
    EXPECT_EQ(sim::liveLabels(), 0);
}

TEST_F(AppTest, DropsOpenOnlyAFirstFileWithALabelExtension)
{
    TempDir dir;
    const QString upper = dir.copy(fixture("box.lbl"), QStringLiteral("UPPER.LBL"));
    const QString mixed = dir.copy(fixture("box.lbl"), QStringLiteral("Mixed.Lbl"));
    const QString text = dir.write(QStringLiteral("notes.txt"), "hello");
    const QString deep = QString(100, QLatin1Char('d')) + QLatin1Char('/') + QString(100, QLatin1Char('e')) + QLatin1Char('/')
        + QString(100, QLatin1Char('f')) + QLatin1Char('/');
    dir.write(deep + QStringLiteral("placeholder"), "");
    const QString unicode = dir.copy(fixture("box.lbl"), deep + QStringLiteral("Štítek 日本.lbl"));
    TfrmMain &w = start();
    w.handleDroppedFiles({text, upper});
    EXPECT_EQ(w.pages()->count(), 0);
    w.handleDroppedFiles({upper, mixed});
    EXPECT_EQ(w.pages()->count(), 1);
    w.handleDroppedFiles({mixed});
    EXPECT_EQ(w.pages()->count(), 2);
    // Paths beyond 260 characters and outside ASCII arrive whole.
    ASSERT_GT(unicode.size(), 260);
    w.handleDroppedFiles({unicode});
    EXPECT_EQ(w.pages()->count(), 3);
    EXPECT_EQ(w.pages()->tabToolTip(2), unicode);
    EXPECT_TRUE(messages.empty());
}

TEST_F(AppTest, CtrlTRevealsTheOpenTimeOfTheActivePageOnly)
{
    TfrmMain &w = start();
    QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier); // no page: nothing happens
    w.OpenLabelFile(fixture("box.lbl"));
    w.OpenLabelFile(fixture("blank.lbl"));
    QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    auto openTimeShown = [&](int page) {
        return !w.viewAt(page)->findChild<QLineEdit *>(QStringLiteral("edtOpenTime"))->isHidden();
    };
    EXPECT_TRUE(openTimeShown(1));
    EXPECT_FALSE(openTimeShown(0));
    EXPECT_TRUE(w.viewAt(0)->findChild<QLabel *>(QStringLiteral("lblOpenedIn"))->isHidden());
    EXPECT_FALSE(w.viewAt(1)->findChild<QLabel *>(QStringLiteral("lblOpenedIn"))->isHidden());
    EXPECT_FALSE(w.viewAt(1)->findChild<QLabel *>(QStringLiteral("lblMs"))->isHidden());
}

TEST_F(AppTest, ShutdownReleasesEveryLabelAndQuitsTheDesigner)
{
    TfrmMain &w = start();
    w.OpenLabelFile(fixture("box.lbl"));
    w.OpenLabelFile(fixture("blank.lbl"));
    EXPECT_EQ(sim::liveLabels(), 2);
    const auto quitsBefore = sim::quitCount();
    w.close();
    EXPECT_EQ(sim::quitCount(), quitsBefore + 1);
    EXPECT_EQ(sim::liveObjects(), 0);
    EXPECT_EQ(w.pages()->count(), 2); // pages stay until the window is destroyed
}

TEST_F(AppTest, WithoutADesignerTheMessageIsShownOnceAndTheProgramEnds)
{
    table.clear();
    window = std::make_unique<TfrmMain>(&table);
    window->show();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(5000);
    const int code = QCoreApplication::exec();
    EXPECT_EQ(code, 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].text, QStringLiteral("Program requires Quillmark 5 or Quillmark 6 to be installed!"));
}

TEST_F(AppTest, TheVersion5DesignerIsUsedWhenVersion6IsMissing)
{
    table.clear();
    table.registerServer(kProgIdVersion5, [] { return sim::createApplication(); });
    TfrmMain &w = start();
    EXPECT_TRUE(w.connection());
    EXPECT_TRUE(messages.empty());
}

TEST_F(AppTest, EachBatchToolOpensModallyWithTheConnectionAndGoesWhenClosed)
{
    TfrmMain &w = start();
    const char *tools[][2] = {{"actToolsSetPrinter", "TfrmSetPrinter"}, {"actToolsSetPaths", "TfrmSetPaths"},
                              {"actToolsSetVariableLength", "TfrmSetVariable"}, {"actToolsGetVBScripts", "TfrmGetScripts"}};
    for (const auto &tool : tools) {
        QString seen;
        whenModal([&](QDialog *modal) {
            seen = QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        });
        action(&w, tool[0])->trigger();
        EXPECT_TRUE(seen.endsWith(QString::fromLatin1(tool[1]))) << tool[0] << " opened " << seen.toStdString();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(AppTest, CommandFileGoesThroughTheWindowsSaveDialogWhichKeepsTheLastName)
{
    struct RecordingLauncher : Launcher {
        QStringList edited;
        bool openInTextEditor(const QString &path) override { edited << path; return true; }
        bool openWithAssociatedProgram(const QString &) override { return true; }
    };
    auto recorder = std::make_shared<RecordingLauncher>();
    setLauncher(recorder);
    TempDir dir;
    TfrmMain &w = start();
    w.OpenLabelFile(fixture("box.lbl"));
    const QString target = dir.file(QStringLiteral("print.job"));
    QFileDialog *dialog = nullptr;
    whenModal([&](QDialog *modal) {
        dialog = w.findChild<QFileDialog *>(QStringLiteral("SaveDialog"));
        if (dialog != modal) {
            ADD_FAILURE() << "the window's save dialog is not the one open";
            modal->reject();
            return;
        }
        EXPECT_EQ(dialog->nameFilters(), (QStringList{QStringLiteral("Quillmark Job File (*.job)"),
                                                      QStringLiteral("Quillmark XML Command File (*.xml)"),
                                                      QStringLiteral("Quillmark CSV Command File (*.csv)")}));
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("job"));
        dialog->selectFile(target);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    action(&w, "actToolsCreateJobFile")->trigger();
    EXPECT_TRUE(QFileInfo::exists(target));
    EXPECT_EQ(recorder->edited, QStringList{target});

    QString proposed;
    whenModal([&](QDialog *) {
        proposed = dialog->selectedFiles().value(0);
        dialog->reject();
    });
    action(&w, "actToolsCreateJobFile")->trigger();
    EXPECT_EQ(proposed, target);
    EXPECT_EQ(recorder->edited.size(), 1);

    // A name without a suffix takes that of the selected type, whose writer writes it.
    whenModal([&](QDialog *) {
        EXPECT_TRUE(chooseTypeAndName(*dialog, QStringLiteral("Quillmark XML Command File (*.xml)"), QStringLiteral("cmd3")));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    action(&w, "actToolsCreateJobFile")->trigger();
    const QString xml = dir.file(QStringLiteral("cmd3.xml"));
    EXPECT_EQ(recorder->edited.value(1), xml);
    QFile written(xml);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf16(reinterpret_cast<const char16_t *>(written.readAll().constData() + 2), 18)
                    .startsWith(QStringLiteral("<quill_commands")));
    setLauncher(nullptr);
}

// A generator's output typed as the open label, or as another page's label:
// refused with the command line's message, the label unchanged, nothing started.
TEST_F(AppTest, GeneratorsNeverWriteOverAnOpenLabel)
{
    struct RecordingLauncher : Launcher {
        QStringList started;
        bool openInTextEditor(const QString &path) override { started << path; return true; }
        bool openWithAssociatedProgram(const QString &path) override { started << path; return true; }
    };
    auto recorder = std::make_shared<RecordingLauncher>();
    setLauncher(recorder);
    TempDir dir;
    const QString first = dir.copy(fixture("box.lbl"), QStringLiteral("a.lbl"));
    const QString second = dir.copy(fixture("blank.lbl"), QStringLiteral("b.lbl"));
    const QByteArray firstBytes = test::readAll(first);
    const QByteArray secondBytes = test::readAll(second);
    TfrmMain &w = start();
    w.OpenLabelFile(first);
    w.OpenLabelFile(second);
    w.pages()->setCurrentIndex(0);

    const struct {
        const char *action, *dialog;
        QString target;
    } cases[] = {
        {"actToolsCreateGraph", "SaveDialog2", first},
        {"actToolsCreateJobFile", "SaveDialog", first},
        {"actToolsCreateGraph", "SaveDialog2", second},
    };
    for (const auto &c : cases) {
        messages.clear();
        whenModal([&](QDialog *modal) {
            auto *dialog = w.findChild<QFileDialog *>(QString::fromLatin1(c.dialog));
            if (dialog != modal) {
                ADD_FAILURE() << c.dialog << " is not the one open";
                modal->reject();
                return;
            }
            // Typed, as a user would: the proposed name's selection may still be on its way.
            dialog->selectFile(c.target);
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (!name) {
                ADD_FAILURE() << "no file name box";
                modal->reject();
                return;
            }
            name->setText(c.target);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        action(&w, c.action)->trigger();
        ASSERT_EQ(messages.size(), 1u) << c.action << " wrote " << recorder->started.join(u',').toStdString();
        EXPECT_EQ(messages[0].kind, MessageKind::Error);
        EXPECT_EQ(messages[0].text, QStringLiteral("Cannot create file \"%1\". It is the label being read.").arg(c.target));
    }
    EXPECT_EQ(test::readAll(first), firstBytes);
    EXPECT_EQ(test::readAll(second), secondBytes);
    EXPECT_TRUE(recorder->started.isEmpty());
    setLauncher(nullptr);
}

TEST_F(AppTest, AboutShowsTheVersionLineAndClosesWithEscape)
{
    TfrmMain &w = start();
    QString version;
    bool closedByEscape = false;
    whenModal([&](QDialog *about) {
        version = about->findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
        QTest::keyClick(about, Qt::Key_Escape);
        closedByEscape = !about->isVisible();
    });
    action(&w, "actHelpAbout")->trigger();
    EXPECT_EQ(version, QStringLiteral("Version 2.9.5 (build 120)"));
    EXPECT_TRUE(closedByEscape);
}

// A long load names the page it fills over the window, without taking room from
// the pages: after the load nothing moves, so the designer draws no second preview.
TEST_F(AppTest, ALongLoadShowsItsStatusWithoutDrawingThePreviewAgain)
{
    TfrmMain &w = start();
    sim::Knobs slow;
    slow.latencyUs = 10'000; // about 90 calls: close to a second
    sim::setKnobs(slow);
    w.OpenLabelFile(fixture("box.lbl"));
    sim::setKnobs({});
    ASSERT_EQ(w.pages()->count(), 1);
    const std::uint64_t calls = sim::callCount();
    QTest::qWait(100);
    EXPECT_EQ(sim::callCount(), calls) << "the designer was called again after the load";

    auto *status = w.findChild<QLabel *>(QStringLiteral("lblLoadStatus"));
    ASSERT_NE(status, nullptr) << "the load's status was never shown";
    EXPECT_EQ(status->text(), QStringLiteral("Loading box.lbl: Preview"));
    EXPECT_FALSE(status->isVisible());
}
