// Fault sweeps over the four batch tools, each run by its dialog's run button
// over a collection of three labels. A label the run had not reached when the
// designer failed is byte-identical to what it was; one it finished is what a
// clean run makes of it; the one it was working on is one or the other, never
// anything in between.

#include "sweep.h"

#include "support/temp_dir.h"
#include "tools/get_scripts_dialog.h"
#include "tools/set_paths_dialog.h"
#include "tools/set_printer_dialog.h"
#include "tools/set_variable_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <memory>

using namespace strovex;
using namespace strovex::faults;
using strovex::test::TempDir;

namespace {

const char *const kLabels[] = {"shipping_sscc.lbl", "database_scripts.lbl", "product_paragraph.lbl"};

struct Tool {
    const char *name;
    // Makes the dialog with its parameters filled in.
    std::function<std::unique_ptr<TBatchDialog>(const QuillApp &, const QString &folder)> make;
};

template<class T>
T *child(QWidget *parent, const char *name)
{
    return parent->findChild<T *>(QString::fromLatin1(name));
}

QMap<QString, QByteArray> filesIn(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, bytesOf(folder + QLatin1Char('/') + name));
    return files;
}

class BatchSweeps : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::setKnobs({});
        const QDir samples(QStringLiteral(STROVEX_SAMPLES_DIR));
        for (const char *name : kLabels) {
            const QString path = dir.copy(samples.filePath(QString::fromLatin1(name)));
            files << path;
            originals << bytesOf(path);
        }
        // The pictures the labels name, and a second copy for the new path of Set paths.
        for (const char *folder : {"pictures", "art"}) {
            QDir().mkpath(dir.file(QString::fromLatin1(folder)));
            const QDir pictures(samples.filePath(QStringLiteral("pictures")));
            for (const QString &picture : pictures.entryList(QDir::Files))
                QFile::copy(pictures.filePath(picture), dir.file(QString::fromLatin1(folder) + u'/' + picture));
        }
        QDir().mkpath(dir.file(QStringLiteral("scripts")));
    }
    void TearDown() override
    {
        sim::setKnobs({});
        app.release();
        EXPECT_EQ(sim::liveObjects(), 0);
    }

    void restore()
    {
        for (int i = 0; i < files.size(); ++i)
            writeBytes(files[i], originals[i]);
        for (const QString &name : QDir(dir.file(QStringLiteral("scripts"))).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(dir.file(QStringLiteral("scripts/") + name));
    }

    // The user's click on the run button of a dialog over the three labels;
    // `lines` gets the report the dialog shows.
    void runTool(const Tool &tool, const sim::Knobs &knobs, Messages &shown, QStringList *lines = nullptr)
    {
        std::unique_ptr<TBatchDialog> dialog = tool.make(app, dir.path());
        dialog->setFileChooser([this](QWidget *) { return std::optional<QStringList>(files); });
        child<QToolButton>(dialog.get(), "sbAddFiles")->click();
        ASSERT_TRUE(dialog->runButton()->isEnabled());
        RecordedMessages recording(shown);
        Armed armed(knobs);
        dialog->runButton()->click();
        if (lines) {
            const QListWidget *box = child<QListWidget>(dialog.get(), "lsbFiles");
            for (int i = 0; i < box->count(); ++i)
                *lines << box->item(i)->text();
        }
    }

    // The number of the call that opened each label, from the call log of a clean run.
    std::vector<std::uint64_t> openingCalls(const QString &log) const
    {
        std::vector<std::uint64_t> calls(files.size(), 0);
        for (const QByteArray &line : bytesOf(log).split('\n')) {
            const QList<QByteArray> fields = line.split('\t');
            if (fields.size() < 5 || fields[2] != "OpenLabel")
                continue;
            for (int i = 0; i < files.size(); ++i) {
                if (QString::fromUtf8(fields[4]).contains(QFileInfo(files[i]).fileName()) && calls[i] == 0)
                    calls[i] = fields[0].toULongLong();
            }
        }
        return calls;
    }

    TempDir dir;
    QStringList files;
    QList<QByteArray> originals;
    QuillApp app{sim::createApplication()};
};

std::unique_ptr<TBatchDialog> setPrinter(const QuillApp &app, const QString &)
{
    auto dialog = std::make_unique<TfrmSetPrinter>(nullptr, app);
    child<QComboBox>(dialog.get(), "cmbPrinters")->setEditText(QStringLiteral("Sweep Printer 1"));
    return dialog;
}

std::unique_ptr<TBatchDialog> setPaths(const QuillApp &app, const QString &)
{
    auto dialog = std::make_unique<TfrmSetPaths>(nullptr, app);
    child<QLineEdit>(dialog.get(), "edtOldPath")->setText(QStringLiteral("pictures"));
    child<QLineEdit>(dialog.get(), "edtNewPath")->setText(QStringLiteral("art"));
    return dialog;
}

std::unique_ptr<TBatchDialog> setVariableLength(const QuillApp &app, const QString &)
{
    auto dialog = std::make_unique<TfrmSetVariable>(nullptr, app);
    child<QLineEdit>(dialog.get(), "edtVariable")->setText(QStringLiteral("Description"));
    child<QLineEdit>(dialog.get(), "edtNewLength")->setText(QStringLiteral("12"));
    return dialog;
}

std::unique_ptr<TBatchDialog> getScripts(const QuillApp &app, const QString &folder)
{
    auto dialog = std::make_unique<TfrmGetScripts>(nullptr, app);
    child<QLineEdit>(dialog.get(), "edtPath")->setText(folder + QStringLiteral("/scripts"));
    return dialog;
}

} // namespace

TEST_F(BatchSweeps, EveryToolOverThreeLabels)
{
    const QString scripts = dir.file(QStringLiteral("scripts"));
    for (const Tool &tool : {Tool{"set printer", setPrinter}, Tool{"set paths", setPaths},
                             Tool{"set variable length", setVariableLength}, Tool{"extract scripts", getScripts}}) {
        // The clean run: its call count, where each label starts, what it leaves behind.
        restore();
        const QString log = dir.file(QStringLiteral("calls.log"));
        QFile::remove(log);
        Messages clean;
        sim::Knobs logging;
        logging.logFile = log;
        runTool(tool, logging, clean);
        const std::uint64_t calls = sim::callCount();
        ASSERT_FALSE(clean.anyError()) << tool.name << ": " << qPrintable(clean.text());
        const std::vector<std::uint64_t> opened = openingCalls(log);
        QFile::remove(log);
        for (std::size_t i = 0; i < opened.size(); ++i)
            ASSERT_GT(opened[i], 0u) << tool.name << ": label " << i << " was never opened";
        QList<QByteArray> done;
        for (const QString &file : files)
            done << bytesOf(file);
        const QMap<QString, QByteArray> cleanScripts = filesIn(scripts);
        const bool extracts = std::string_view(tool.name) == "extract scripts";
        // Something to check against: changed labels, or for the extraction its script files.
        EXPECT_TRUE(extracts ? !cleanScripts.isEmpty() : done != originals) << tool.name << ": the clean run changed nothing";
        const QStringList labelsFolder = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);

        sweep(QString::fromLatin1(tool.name), calls, [&](const Point &point) {
            restore();
            Messages shown;
            QStringList lines;
            runTool(tool, point.knobs, shown, &lines);
            QStringList problems;
            checkCursor(problems);
            // A tool that goes on past a failure tells it in its report line.
            const bool reported = shown.anyError() || std::any_of(lines.cbegin(), lines.cend(), [](const QString &line) {
                                      return line.contains(QStringLiteral(" - Error: "));
                                  });
            if (!reported && !point.clean())
                problems << QStringLiteral("the failure was not reported");
            if (QDir(dir.path()).entryList(QDir::Files | QDir::Hidden) != labelsFolder)
                problems << QStringLiteral("the labels' folder holds other files: %1")
                                .arg(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(QStringLiteral(", ")));
            // The first call that failed.
            const std::uint64_t failed = point.stop ? point.n + 1 : point.n;
            for (int i = 0; i < files.size(); ++i) {
                const std::uint64_t first = opened[i];
                const std::uint64_t last = i + 1 < files.size() ? opened[i + 1] - 1 : calls;
                const QByteArray now = bytesOf(files[i]);
                const QString name = QFileInfo(files[i]).fileName();
                if (last < failed) {
                    if (now != done[i])
                        problems << QStringLiteral("%1, finished before the failure, differs from a clean run").arg(name);
                } else if (first > failed && (point.stop || reported)) {
                    if (now != originals[i])
                        problems << QStringLiteral("%1, not yet reached, changed").arg(name);
                } else if (now != originals[i] && now != done[i]) {
                    problems << QStringLiteral("%1 is neither as it was nor as a clean run leaves it").arg(name);
                }
            }
            const QMap<QString, QByteArray> written = filesIn(scripts);
            for (auto it = written.cbegin(); it != written.cend(); ++it) {
                if (cleanScripts.value(it.key()) != it.value())
                    problems << QStringLiteral("script file %1 is not one a clean run writes").arg(it.key());
            }
            if (sim::liveLabels() != 0)
                problems << QStringLiteral("%1 labels alive after the dialog closed").arg(sim::liveLabels());
            if (sim::liveObjects() != 1)
                problems << QStringLiteral("%1 designer objects alive besides the connection").arg(sim::liveObjects() - 1);
            return problems;
        });
    }
}
