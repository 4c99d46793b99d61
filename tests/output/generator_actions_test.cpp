// The two generator actions: what they ask the save dialog, which writer the
// chosen name selects, what they hand to the launcher, and that a failure
// writes nothing and starts nothing.

#include "label_fixture.h"
#include "browse/widget_helpers.h"
#include "output/command_files.h"
#include "output/generator_actions.h"
#include "output/graphs.h"
#include "output/text_encodings.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace strovex;
using namespace strovex::test;

namespace {

class GeneratorActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        setLauncher(launcher);
        sim::setKnobs({});
    }
    void TearDown() override
    {
        sim::setKnobs({});
        setLauncher(nullptr);
    }

    // A dialog that records its request and answers `answer` (a name in the
    // temporary folder, or "" for cancel).
    SaveDialogRunner answering(const QString &answer)
    {
        return [this, answer](QWidget *, const SaveDialogRequest &request) {
            requests.push_back(request);
            return answer.isEmpty() ? QString() : dir.file(answer);
        };
    }

    TempDir dir;
    QString labelPath = dir.copy(fixturePath(QStringLiteral("shipping.lbl")), QStringLiteral("Shipping Box.lbl"));
    OpenedLabel opened{labelPath};
    std::shared_ptr<RecordingLauncher> launcher = std::make_shared<RecordingLauncher>();
    std::vector<SaveDialogRequest> requests;
};

} // namespace

TEST_F(GeneratorActions, CommandFileKeepsTheLastNameAndOpensTheEditor)
{
    QString last;
    actToolsCreateJobFileExecute(nullptr, opened.view, last, answering(QStringLiteral("run.XML")));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].filters, QStringList({QStringLiteral("Quillmark Job File (*.job)"),
                                                QStringLiteral("Quillmark XML Command File (*.xml)"),
                                                QStringLiteral("Quillmark CSV Command File (*.csv)")}));
    EXPECT_EQ(requests[0].defaultSuffix, QStringLiteral("job"));
    EXPECT_EQ(requests[0].proposedName, QString());

    const QString path = dir.file(QStringLiteral("run.XML"));
    EXPECT_EQ(last, path);
    EXPECT_EQ(launcher->editor, QStringList({path}));
    EXPECT_TRUE(launcher->opened.isEmpty());
    EXPECT_EQ(readAll(path), utf16LeWithBom(BuildXmlCommandFile(opened.view)));

    // The next time the dialog starts with that name; cancelling keeps it.
    actToolsCreateJobFileExecute(nullptr, opened.view, last, answering(QString()));
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].proposedName, path);
    EXPECT_EQ(last, path);
    EXPECT_EQ(launcher->editor.size(), 1);
}

TEST_F(GeneratorActions, GraphProposesDotAndTheExactExtensionChoosesTheFormat)
{
    const QString proposed = QStringLiteral("Shipping Box.dot");
    struct Case { QString answer; bool dot; };
    const Case cases[] = {
        {proposed, true},
        {QStringLiteral("g.DOT"), false},
        {QStringLiteral("g.dgml"), false},
        {QStringLiteral("g"), false},
    };
    for (const Case &c : cases) {
        actToolsCreateGraphExecute(nullptr, opened.view, labelPath, answering(c.answer));
        const QString path = dir.file(c.answer);
        const QByteArray expected = c.dot ? utf8Lines(BuildDotGraph(opened.view))
                                          : utf16LeWithBom(BuildDgmlGraph(opened.view));
        EXPECT_EQ(readAll(path), expected) << c.answer.toStdString();
        EXPECT_EQ(launcher->opened.last(), path);
    }
    EXPECT_EQ(requests.front().proposedName, proposed);
    EXPECT_EQ(requests.front().filters, QStringList({QStringLiteral("Dot File (*.dot)"),
                                                     QStringLiteral("Directed Graph Markup Language File (*.dgml)")}));
    EXPECT_EQ(requests.front().defaultSuffix, QStringLiteral("dgml"));
    EXPECT_TRUE(launcher->editor.isEmpty());

    // Cancel: nothing written, nothing opened.
    const auto before = launcher->opened.size();
    actToolsCreateGraphExecute(nullptr, opened.view, labelPath, answering(QString()));
    EXPECT_EQ(launcher->opened.size(), before);
}

// A fault on any designer call of any writer: the error passes on, the
// existing file keeps its bytes, and no program is started.
TEST_F(GeneratorActions, DesignerFaultWritesNothingAndStartsNothing)
{
    const QStringList names = {QStringLiteral("f.job"), QStringLiteral("f.xml"), QStringLiteral("f.csv"),
                               QStringLiteral("f.dat"), QStringLiteral("f.dot"), QStringLiteral("f.dgml")};
    for (const QString &name : names) {
        const bool graph = name.endsWith(QStringLiteral(".dot")) || name.endsWith(QStringLiteral(".dgml"));
        const auto run = [&] {
            QString last;
            if (graph)
                actToolsCreateGraphExecute(nullptr, opened.view, labelPath, answering(name));
            else
                actToolsCreateJobFileExecute(nullptr, opened.view, last, answering(name));
        };
        sim::resetCallCount();
        run();
        const auto calls = sim::callCount();
        ASSERT_GT(calls, 10u) << name.toStdString();

        const QString path = dir.write(name, "previous");
        launcher->editor.clear();
        launcher->opened.clear();
        for (std::uint64_t n = 1; n <= calls; ++n) {
            sim::Knobs knobs;
            knobs.failCall = n;
            sim::setKnobs(knobs);
            EXPECT_THROW(run(), AutomationError) << name.toStdString() << " call " << n;
            sim::setKnobs({});
            ASSERT_EQ(readAll(path), QByteArray("previous")) << name.toStdString() << " call " << n;
        }
        EXPECT_TRUE(launcher->editor.isEmpty()) << name.toStdString();
        EXPECT_TRUE(launcher->opened.isEmpty()) << name.toStdString();
        QFile::remove(path);
        sim::resetCallCount();
        run();
        EXPECT_NE(readAll(path), QByteArray("previous")) << name.toStdString();
    }
}

TEST_F(GeneratorActions, FileThatCannotBeCreatedIsReportedAndNothingStarts)
{
    QString last;
    const QString missing = QStringLiteral("no such folder/out.job");
    try {
        actToolsCreateJobFileExecute(nullptr, opened.view, last, answering(missing));
        FAIL() << "no error";
    } catch (const FileError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(dir.file(missing))))
            << e.what();
    }
    EXPECT_THROW(actToolsCreateGraphExecute(nullptr, opened.view, labelPath, answering(QStringLiteral("none/g.dot"))),
                 FileError);
    EXPECT_TRUE(launcher->editor.isEmpty());
    EXPECT_TRUE(launcher->opened.isEmpty());
}

// A name typed in the dialog that is the label being read: refused by the
// writer, the label keeps its bytes and nothing is started.
TEST_F(GeneratorActions, TheLabelBeingReadIsNeverTheOutput)
{
    const QByteArray original = readAll(labelPath);
    const QString message = QStringLiteral("Cannot create file \"%1\". It is the label being read.").arg(labelPath);
    QString last;
    const std::function<void()> actions[] = {
        [&] { actToolsCreateJobFileExecute(nullptr, opened.view, last, answering(QStringLiteral("Shipping Box.lbl"))); },
        [&] { actToolsCreateGraphExecute(nullptr, opened.view, labelPath, answering(QStringLiteral("Shipping Box.lbl"))); },
    };
    for (const auto &action : actions) {
        try {
            action();
            ADD_FAILURE() << "written";
        } catch (const FileError &e) {
            EXPECT_EQ(e.message(), message);
        }
    }
    EXPECT_EQ(readAll(labelPath), original);
    EXPECT_TRUE(launcher->editor.isEmpty());
    EXPECT_TRUE(launcher->opened.isEmpty());
}

// The real dialog: the filters and default suffix arrive, the proposed name is
// preselected, and an existing file is taken without an overwrite question.
TEST(SaveDialog, OffersTheRequestAndReplacesWithoutAsking)
{
    TempDir dir;
    const QString existing = dir.write(QStringLiteral("Shipping Box.dot"), "old");
    const SaveDialogRequest request = graphDialogRequest(existing);
    ASSERT_EQ(request.proposedName, QStringLiteral("Shipping Box.dot"));

    SaveDialogRequest asked = request;
    asked.proposedName = existing; // start in the temporary folder
    QStringList seenFilters;
    QString seenSuffix;
    QStringList seenSelection;
    bool accepted = false;
    bool askedToOverwrite = false;
    // Polls the modal windows: accepts the file dialog once; any other modal
    // window after that is an overwrite question, which is noted and closed
    // (and the file dialog then cancelled) so the test fails instead of hanging.
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (dialog && !accepted) {
            accepted = true;
            seenFilters = dialog->nameFilters();
            seenSuffix = dialog->defaultSuffix();
            seenSelection = dialog->selectedFiles();
            // QFileDialog::accept, as the Save button does; queued, so this
            // poller keeps running while accept() waits on a question.
            QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog *>(dialog)->accept(); });
        } else if (dialog) {
            dialog->reject();
        } else {
            askedToOverwrite = true;
            modal->close();
        }
    });
    driver.start();
    const QString chosen = runSaveDialog(nullptr, asked);
    EXPECT_EQ(seenFilters, request.filters);
    EXPECT_EQ(seenSuffix, QStringLiteral("dot")) << "that of the first type, selected";
    EXPECT_EQ(seenSelection, QStringList({existing}));
    driver.stop();
    EXPECT_FALSE(askedToOverwrite);
    EXPECT_EQ(chosen, existing);
}

// A name typed without a suffix takes that of the type selected in the dialog,
// and the writer then follows that suffix.
TEST(SaveDialog, ANameWithoutSuffixTakesThatOfTheSelectedType)
{
    TempDir dir;
    struct Case {
        SaveDialogRequest request;
        const char *type;
        const char *typed;
        const char *chosen;
    };
    const Case cases[] = {
        {commandFileDialogRequest({}), "Quillmark XML Command File (*.xml)", "cmd3", "cmd3.xml"},
        {commandFileDialogRequest({}), "Quillmark CSV Command File (*.csv)", "cmd3", "cmd3.csv"},
        {commandFileDialogRequest({}), "Quillmark Job File (*.job)", "cmd3", "cmd3.job"},
        {commandFileDialogRequest({}), "Quillmark XML Command File (*.xml)", "notes.txt", "notes.txt"},
        {graphDialogRequest(QStringLiteral("box.lbl")), "Dot File (*.dot)", "g2", "g2.dot"},
        {graphDialogRequest(QStringLiteral("box.lbl")), "Directed Graph Markup Language File (*.dgml)", "g2", "g2.dgml"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.typed);
        SaveDialogRequest request = c.request;
        request.proposedName = dir.file(QStringLiteral("start")); // opens in the temporary folder
        QTimer driver;
        driver.setInterval(20);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            driver.stop();
            EXPECT_TRUE(chooseTypeAndName(*dialog, QString::fromLatin1(c.type), QString::fromLatin1(c.typed)));
            QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog *>(dialog)->accept(); });
        });
        driver.start();
        EXPECT_EQ(runSaveDialog(nullptr, request), dir.file(QString::fromLatin1(c.chosen)));
    }
}
