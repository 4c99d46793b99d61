// Fault sweeps over the main window: loading every sample into a label view,
// the command-file and graph generators, the variables export and the search,
// each run the way the user's action runs it (inside the error boundary).

#include "sweep.h"

#include "app/main_window.h"
#include "automation/resolver.h"
#include "inspect/grid_pages.h"
#include "inspect/label_view.h"
#include "output/generator_actions.h"
#include "output/label_handles.h"
#include "platform/launcher.h"
#include "support/temp_dir.h"
#include "browse/widget_helpers.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMessageBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <memory>

using namespace strovex;
using namespace strovex::faults;
using strovex::test::TempDir;
using strovex::test::whenModal;

namespace {

class CountingLauncher : public Launcher {
public:
    bool openInTextEditor(const QString &) override { return ++started, true; }
    bool openWithAssociatedProgram(const QString &) override { return ++started, true; }
    int started = 0;
};

// Every text a label view shows, by widget name and cell; what a tolerated
// failure may only have left empty.
QMap<QString, QString> snapshot(const TLabelInfo &view)
{
    QMap<QString, QString> texts;
    for (const QLineEdit *edit : view.findChildren<QLineEdit *>()) {
        if (!edit->objectName().isEmpty() && edit->objectName() != QStringLiteral("edtOpenTime"))
            texts.insert(edit->objectName(), edit->text());
    }
    for (const QLabel *label : view.findChildren<QLabel *>()) {
        if (!label->objectName().isEmpty())
            texts.insert(label->objectName(), label->text());
    }
    for (const QListWidget *list : view.findChildren<QListWidget *>()) {
        texts.insert(list->objectName() + QStringLiteral("#rows"), QString::number(list->count()));
        for (int i = 0; i < list->count(); ++i)
            texts.insert(list->objectName() + QStringLiteral("[%1]").arg(i), list->item(i)->text());
    }
    for (const QTreeView *tree : view.findChildren<QTreeView *>()) {
        const QAbstractItemModel *model = tree->model();
        if (!model)
            continue;
        texts.insert(tree->objectName() + QStringLiteral("#rows"), QString::number(model->rowCount()));
        for (int r = 0; r < model->rowCount(); ++r) {
            for (int c = 0; c < model->columnCount(); ++c)
                texts.insert(tree->objectName() + QStringLiteral("[%1,%2]").arg(r).arg(c),
                             model->index(r, c).data().toString());
        }
    }
    return texts;
}

// `faulty` is `clean` with one run of characters left out (a value or its unit left empty).
bool partLeftEmpty(const QString &clean, const QString &faulty)
{
    if (faulty.size() >= clean.size())
        return false;
    qsizetype prefix = 0;
    while (prefix < faulty.size() && faulty[prefix] == clean[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < faulty.size() - prefix && faulty[faulty.size() - 1 - suffix] == clean[clean.size() - 1 - suffix])
        ++suffix;
    return prefix + suffix == faulty.size();
}

// Where a tolerated failure shows: fields of the clean view (or a part of
// one, such as the unit after a number) left empty, nothing else.
QStringList compareTolerated(const QMap<QString, QString> &clean, const QMap<QString, QString> &faulty)
{
    QStringList problems;
    for (auto it = clean.cbegin(); it != clean.cend(); ++it) {
        const QString got = faulty.value(it.key());
        const bool count = it.key().endsWith(QStringLiteral("#rows"));
        if (got != it.value() && (count || !partLeftEmpty(it.value(), got)))
            problems << QStringLiteral("%1 shows \"%2\" where a clean load shows \"%3\"").arg(it.key(), got, it.value());
    }
    return problems;
}

class ViewSweeps : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::setKnobs({});
        setLauncher(launcher);
        table.registerServer(kProgIdVersion6, [] { return sim::createApplication(); });
        {
            RecordedMessages recording(startup);
            window = std::make_unique<TfrmMain>(&table);
            window->show();
            QApplication::processEvents();
            QApplication::processEvents();
        }
        ASSERT_TRUE(window->connection()) << qPrintable(startup.text());
        baseline = sim::liveObjects();
    }
    void TearDown() override
    {
        window.reset();
        setLauncher(nullptr);
        sim::setKnobs({});
        EXPECT_EQ(sim::liveObjects(), 0);
    }

    // What the File Open action does once its dialog has answered.
    void open(const QString &path)
    {
        runGuarded(window.get(), [&] { window->FileOpen1Accept({path}); });
    }
    TLabelInfo *page(const QString &path) const
    {
        const int index = window->FindLabelPage(path);
        return index < 0 ? nullptr : window->viewAt(index);
    }
    void closeAll()
    {
        window->findChild<QAction *>(QStringLiteral("actFileCloseAll"))->trigger();
    }
    // After the page is closed the designer holds only what the connection holds.
    void checkReleased(QStringList &problems)
    {
        if (window->pages()->count() != 0)
            problems << QStringLiteral("a page was left open");
        if (sim::liveLabels() != 0)
            problems << QStringLiteral("%1 label objects alive after closing").arg(sim::liveLabels());
        if (sim::liveObjects() != baseline)
            problems << QStringLiteral("%1 designer objects alive after closing, %2 before")
                            .arg(sim::liveObjects()).arg(baseline);
    }

    InProcessServerTable table;
    std::unique_ptr<TfrmMain> window;
    std::shared_ptr<CountingLauncher> launcher = std::make_shared<CountingLauncher>();
    Messages startup;
    long baseline = 0;
    TempDir dir;
};

} // namespace

TEST_F(ViewSweeps, LoadingEverySampleIntoALabelView)
{
    const QStringList samples = QDir(QStringLiteral(STROVEX_SAMPLES_DIR)).entryList({QStringLiteral("*.lbl")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(samples.isEmpty());
    for (const QString &name : samples) {
        const QString path = QDir::cleanPath(QStringLiteral(STROVEX_SAMPLES_DIR "/") + name);
        const QByteArray original = bytesOf(path);

        Messages clean;
        std::uint64_t calls = 0;
        {
            RecordedMessages recording(clean);
            Armed armed({});
            open(path);
            calls = sim::callCount();
        }
        ASSERT_FALSE(clean.anyError()) << qPrintable(name) << ": " << qPrintable(clean.text());
        const TLabelInfo *cleanView = page(path);
        const QMap<QString, QString> cleanTexts = cleanView ? snapshot(*cleanView) : QMap<QString, QString>();
        closeAll();

        sweep(QStringLiteral("loading %1").arg(name), calls, [&](const Point &point) {
            Messages shown;
            {
                RecordedMessages recording(shown);
                Armed armed(point.knobs);
                open(path);
            }
            QStringList problems;
            checkCursor(problems);
            if (!shown.anyError()) {
                // Not reported: the outcome of a clean load, a tolerant reading at most leaving a field empty.
                if (shown.text() != clean.text())
                    problems << QStringLiteral("shown \"%1\" where a clean load shows \"%2\"").arg(shown.text(), clean.text());
                const TLabelInfo *view = page(path);
                if (bool(view) != bool(cleanView))
                    problems << QStringLiteral("the failure was neither reported nor tolerated");
                else if (view)
                    problems << compareTolerated(cleanTexts, snapshot(*view));
            }
            if (bytesOf(path) != original)
                problems << QStringLiteral("the label file changed");
            closeAll();
            checkReleased(problems);
            return problems;
        });
    }
}

namespace {

struct Generator {
    const char *name;
    const char *fileName;
    bool graph;
};

} // namespace

TEST_F(ViewSweeps, CommandFileAndGraphWriters)
{
    const QString label = QDir::cleanPath(QStringLiteral(STROVEX_SAMPLES_DIR "/database_scripts.lbl"));
    for (const Generator &generator : {Generator{"command file (JOB)", "run.job", false},
                                       Generator{"command file (XML)", "run.xml", false},
                                       Generator{"command file (CSV)", "run.csv", false},
                                       Generator{"command file (DAT)", "run.dat", false},
                                       Generator{"graph (DOT)", "graph.dot", true},
                                       Generator{"graph (DGML)", "graph.dgml", true}}) {
        open(label);
        const TLabelInfo *view = page(label);
        ASSERT_NE(view, nullptr);
        { // the handles share the page's label: they go before the page closes
            LabelHandles handles = view->handles();
            handles.labelFiles = {label};
            const QString target = dir.file(QString::fromLatin1(generator.fileName));
            const QByteArray old = "the file written before\r\n";
            // The action with its save dialog answered by `target`.
            const auto run = [&] {
                const SaveDialogRunner answer = [&](QWidget *, const SaveDialogRequest &) { return target; };
                runGuarded(window.get(), [&] {
                    if (generator.graph) {
                        actToolsCreateGraphExecute(window.get(), handles, view->FFileName(), answer);
                    } else {
                        QString last;
                        actToolsCreateJobFileExecute(window.get(), handles, last, answer);
                    }
                });
            };

            Messages clean;
            std::uint64_t calls = 0;
            {
                RecordedMessages recording(clean);
                Armed armed({});
                run();
                calls = sim::callCount();
        }
        ASSERT_FALSE(clean.anyError()) << generator.name << ": " << qPrintable(clean.text());
        ASSERT_TRUE(QFile::exists(target));

        sweep(QString::fromLatin1(generator.name), calls, [&](const Point &point) {
            // Every other point finds a file of that name already there.
            QFile::remove(target);
            const bool existed = point.n % 2 == 1;
            if (existed)
                writeBytes(target, old);
            launcher->started = 0;
            Messages shown;
            {
                RecordedMessages recording(shown);
                Armed armed(point.knobs);
                run();
            }
            QStringList problems;
            checkCursor(problems);
            const QByteArray now = bytesOf(target);
            if (shown.anyError()) {
                if (existed ? now != old : QFile::exists(target))
                    problems << QStringLiteral("the file was touched although writing failed");
                if (launcher->started != 0)
                    problems << QStringLiteral("a program was started on a file that was not written");
            } else {
                if (!point.clean())
                    problems << QStringLiteral("the failure was not reported");
                if (now.isEmpty() || now == old || launcher->started != 1)
                    problems << QStringLiteral("a clean outcome without a new file and one program started");
            }
            if (QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() > 1)
                problems << QStringLiteral("files left beside the target: %1")
                                .arg(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(u','));
            if (sim::liveLabels() != 1)
                problems << QStringLiteral("%1 labels alive while one page is open").arg(sim::liveLabels());
            return problems;
        });
        QFile::remove(target);
        }
        closeAll();
        QStringList problems;
        checkReleased(problems);
        EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join(u'\n'));
    }
}

// The export writes the rows the page already holds: it makes no designer call,
// so a designer that stopped after loading changes nothing in it. A file that
// cannot be written is reported and the old one stays.
TEST_F(ViewSweeps, VariablesExportNeedsNoDesigner)
{
    const QString label = QDir::cleanPath(QStringLiteral(STROVEX_SAMPLES_DIR "/shipping_sscc.lbl"));
    open(label);
    TLabelInfo *view = page(label);
    ASSERT_NE(view, nullptr);
    VariablesPage *variables = view->variablesPage();
    const QString target = dir.file(QStringLiteral("variables.csv"));

    // The context menu's action, its dialog answered with `path`.
    const auto exportTo = [&](const QString &path) {
        // Answered once the dialog is up, however long it takes to appear.
        const QPointer<QTimer> answer = whenModal([path](QDialog *dialog) {
            if (auto *files = qobject_cast<QFileDialog *>(dialog))
                files->selectFile(path);
            dialog->accept(); // QFileDialog::accept, public through its base
        });
        variables->mmiExportToFileClick();
        delete answer.data(); // no dialog came: stop waiting for one
    };

    Messages clean;
    std::uint64_t calls = 0;
    {
        RecordedMessages recording(clean);
        Armed armed({});
        exportTo(target);
        calls = sim::callCount();
    }
    const QByteArray written = bytesOf(target);
    ASSERT_FALSE(written.isEmpty()) << qPrintable(clean.text());
    EXPECT_EQ(calls, 0u);

    Messages stopped;
    {
        RecordedMessages recording(stopped);
        sim::Knobs knobs;
        knobs.stopAfter = 1;
        Armed armed(knobs);
        QFile::remove(target);
        exportTo(target);
    }
    EXPECT_TRUE(stopped.shown.empty()) << qPrintable(stopped.text());
    EXPECT_EQ(bytesOf(target), written);

    // A folder in the way of the file: reported, nothing else changed.
    const QString blocked = dir.file(QStringLiteral("blocked.csv"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    Messages refused;
    {
        RecordedMessages recording(refused);
        runGuarded(window.get(), [&] { variables->exportToFile(blocked); });
    }
    EXPECT_TRUE(refused.anyError());
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("variables.csv")});
    QStringList problems;
    checkCursor(problems);
    closeAll();
    checkReleased(problems);
    EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join(u'\n'));
    std::printf("variables export: no designer call; written whole with the designer stopped\n");
}

// The search reads the rows the pages hold and the label's file name: a
// failure adds no result row, not even part of one.
TEST_F(ViewSweeps, Search)
{
    const QString label = QDir::cleanPath(QStringLiteral(STROVEX_SAMPLES_DIR "/shipping_sscc.lbl"));
    open(label);
    ASSERT_NE(page(label), nullptr);
    window->setTextInput([](QWidget *, const QString &, const QString &) { return std::optional<QString>(QStringLiteral("SSCC")); });
    auto *results = window->findChild<QTreeWidget *>(QStringLiteral("vstSearchResults"));
    ASSERT_NE(results, nullptr);
    QAction *find = window->findChild<QAction *>(QStringLiteral("actSearchFind"));
    // The first search shows the results pane, and the label view's preview may
    // be drawn again at its new size (a reading the loading sweeps cover): one
    // search before counting keeps every run of the sweep the same.
    find->trigger();
    results->clear();

    Messages clean;
    std::uint64_t calls = 0;
    {
        RecordedMessages recording(clean);
        Armed armed({});
        find->trigger();
        calls = sim::callCount();
    }
    ASSERT_FALSE(clean.anyError()) << qPrintable(clean.text());
    ASSERT_EQ(results->topLevelItemCount(), 1);
    const QTreeWidgetItem *found = results->topLevelItem(0);
    ASSERT_GT(found->childCount(), 0) << "the search text matches nothing in the label";

    sweep(QStringLiteral("search"), calls, [&](const Point &point) {
        const int before = results->topLevelItemCount();
        Messages shown;
        {
            RecordedMessages recording(shown);
            Armed armed(point.knobs);
            find->trigger();
        }
        QStringList problems;
        checkCursor(problems);
        const int added = results->topLevelItemCount() - before;
        if (shown.anyError()) {
            if (added != 0)
                problems << QStringLiteral("a result row was added although the search failed");
        } else if (!point.clean()) {
            problems << QStringLiteral("the failure was not reported");
        } else if (added != 1 || results->topLevelItem(before)->childCount() != found->childCount()) {
            problems << QStringLiteral("a clean search did not add its result");
        }
        if (sim::liveLabels() != 1)
            problems << QStringLiteral("%1 labels alive while one page is open").arg(sim::liveLabels());
        return problems;
    });
    closeAll();
    QStringList problems;
    checkReleased(problems);
    EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join(u'\n'));
}

namespace {

// Closes every message box as it appears (the real boxes, not a recording
// handler) and keeps their texts.
class BoxCloser {
public:
    BoxCloser()
    {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start();
    }
    QStringList texts;

private:
    QTimer timer_;
};

// Lets the layout pass (and what it posted) run, then the preview drawings
// it asked for and their reports.
void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const auto previewsPending = [] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            for (const QTimer *timer : top->findChildren<QTimer *>(QStringLiteral("tmrPreview"))) {
                if (timer->isActive())
                    return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return !previewsPending(); }));
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

} // namespace

// The preview is drawn again once the picture's size has settled. With the
// real message boxes, a failed drawing is reported once and the window lives on: for every preview
// drawing of a load and of the window resized after it, made to fail, for the
// designer stopping before each, and for a label whose preview always fails.
TEST_F(ViewSweeps, PreviewFailuresReportedOnceWithTheRealBoxes)
{
    const QString path = QDir::cleanPath(QStringLiteral(STROVEX_SAMPLES_DIR "/database_scripts.lbl"));
    // A first page may set the window's size: every run below starts from the one it leaves.
    open(path);
    settle();
    closeAll();
    const QSize size = window->size();
    const auto openAndResize = [&](const QString &label) {
        open(label);
        settle();
        window->resize(size + QSize(64, 48));
        settle();
        window->resize(size);
        settle();
    };

    const QString log = dir.file(QStringLiteral("calls.log"));
    std::vector<std::uint64_t> previewCalls;
    {
        BoxCloser boxes;
        sim::Knobs knobs;
        knobs.logFile = log;
        Armed armed(knobs);
        openAndResize(path);
        ASSERT_TRUE(boxes.texts.isEmpty()) << qPrintable(boxes.texts.join(u'\n'));
    }
    closeAll();
    for (const QByteArray &line : bytesOf(log).split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() > 2 && fields[2] == "ExportPreview")
            previewCalls.push_back(fields[0].toULongLong());
    }
    // The load draws once, each resize once more.
    ASSERT_GE(previewCalls.size(), 3u);

    const auto run = [&](const sim::Knobs &knobs, const QString &label, std::uint64_t mustReach) {
        QStringList problems;
        BoxCloser boxes;
        {
            Armed armed(knobs);
            openAndResize(label);
            if (sim::callCount() < mustReach)
                problems << QStringLiteral("the run made %1 calls, the failure point was never reached").arg(sim::callCount());
        }
        if (boxes.texts.size() != 1)
            problems << QStringLiteral("%1 reports: %2").arg(boxes.texts.size()).arg(boxes.texts.join(QStringLiteral(" | ")));
        checkCursor(problems);
        closeAll();
        checkReleased(problems);
        return problems;
    };
    QStringList problems;
    for (const std::uint64_t n : previewCalls) {
        sim::Knobs failing;
        failing.failCall = n;
        for (const QString &p : run(failing, path, n))
            problems << QStringLiteral("failCall = %1: %2").arg(n).arg(p);
        sim::Knobs stopped;
        stopped.stopAfter = n - 1;
        for (const QString &p : run(stopped, path, n))
            problems << QStringLiteral("stopAfter = %1: %2").arg(n - 1).arg(p);
    }
    const QString broken = dir.write(QStringLiteral("broken_preview.lbl"), R"({"SimulatedLabel": 1,
        "Objects": [{"Name": "T", "Kind": 100, "Contents": "x"}],
        "Faults": {"ExportPreview": {"Raise": "The printer driver cannot draw this label."}}})");
    for (const QString &p : run({}, broken, 0))
        problems << QStringLiteral("a preview that always fails: %1").arg(p);
    std::printf("preview failures with the real message boxes: %zu drawings, each made to fail and stopped before\n",
                previewCalls.size());
    EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join(u'\n'));
}
