#include "tools/get_scripts_dialog.h"
#include "tools/runs_dialog.h"
#include "tools/set_paths_dialog.h"
#include "tools/set_printer_dialog.h"
#include "tools/set_variable_dialog.h"

#include "browse/browse_folder.h"
#include "journal/run_journal.h"
#include "journal/runs_list.h"
#include "platform/printers.h"
#include "sim/sim_designer.h"
#include "support/temp_dir.h"
#include "tools/find_files.h"
#include "ui/error_boundary.h"
#include "widget_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QTreeView>
#include <QTreeWidget>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace strovex;
using strovex::test::readAll;
using strovex::test::TempDir;
using strovex::test::whenModal;

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

template<class T>
T *child(QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QStringList lines(QWidget *dialog)
{
    auto *box = child<QListWidget>(dialog, "lsbFiles");
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->item(i)->text();
    return texts;
}

QStringList labelTexts(QWidget *dialog)
{
    QStringList texts;
    for (const QLabel *label : dialog->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
        texts << label->text();
    texts.sort();
    return texts;
}

class StubPrinters : public Printers {
public:
    StubPrinters(QStringList names, QString current) : names_(std::move(names)), current_(std::move(current)) {}
    QStringList installed() override { return names_; }
    QString defaultPrinter() override { return current_; }
    QString driverName(const QString &) noexcept override { return {}; }

private:
    QStringList names_;
    QString current_;
};

class BatchDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        setMessageHandler([this](MessageKind, const QString &text) { messages << text; });
    }
    void TearDown() override
    {
        setMessageHandler({});
        setPrinters(nullptr);
        app.release();
        EXPECT_EQ(sim::liveLabels(), 0);
    }
    QString label(const QString &name, const QByteArray &body)
    {
        return dir.write(name, R"({"SimulatedLabel": 1)" + body + "}");
    }
    // "+" with the files a user would pick, or a cancel.
    static void pick(TBatchDialog &dialog, std::optional<QStringList> files)
    {
        dialog.setFileChooser([files](QWidget *) { return files; });
        child<QToolButton>(&dialog, "sbAddFiles")->click();
    }
    // "++" confirmed on `folder`.
    static void addFromFolder(TBatchDialog &dialog, const QString &folder)
    {
        dialog.browseFolder()->setDirectory(folder);
        whenModal([](QDialog *picker) { picker->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click(); });
        child<QToolButton>(&dialog, "sbAddFilesFromFolders")->click();
    }

    TempDir dir;
    QuillApp app{sim::createApplication()};
    QStringList messages;
};

} // namespace

TEST_F(BatchDialogs, CaptionsButtonsHintsAndSizes)
{
    const QString none;
    const struct {
        std::function<TBatchDialog *()> make;
        QString caption, run, runText;
        QSize minimum;
        QString addHint, folderHint;
        QStringList captions, browseButtons;
    } cases[] = {
        {[this] { return new TfrmSetPrinter(nullptr, app); }, QStringLiteral("Set Printer"), QStringLiteral("btnSet"),
         QStringLiteral("Set"), QSize(495, 473), QStringLiteral("Add label files for which you would like to set printer"),
         QStringLiteral("Add label files for which you would like to set printer from a folder and all its subfolders"),
         {QStringLiteral("&Printer:")}, {}},
        {[this] { return new TfrmSetPaths(nullptr, app); }, QStringLiteral("Set Paths"), QStringLiteral("btnSet"),
         QStringLiteral("Set"), QSize(456, 466), QStringLiteral("Add label files for which you would like to set paths"),
         QStringLiteral("Add label files for which you would like to set paths from a folder and all its subfolders"),
         {QStringLiteral("&Old path:"), QStringLiteral("&New path:")},
         {QStringLiteral("sbBrowseOldPath"), QStringLiteral("sbBrowseNewPath")}},
        {[this] { return new TfrmSetVariable(nullptr, app); }, QStringLiteral("Set Variable"), QStringLiteral("btnSet"),
         QStringLiteral("Set"), QSize(490, 520), none, none,
         {QStringLiteral("&Variable name:"), QStringLiteral("&New length:")}, {}},
        {[this] { return new TfrmGetScripts(nullptr, app); }, QStringLiteral("Extract Scripts"),
         QStringLiteral("btnGetScripts"), QStringLiteral("Get scripts"), QSize(467, 434), none,
         QStringLiteral("Add label files for which you would like to get VB scripts from a folder and all its subfolders"),
         {QStringLiteral("&Destination path:")}, {QStringLiteral("SpeedButton1")}},
    };
    for (const auto &c : cases) {
        std::unique_ptr<TBatchDialog> dialog(c.make());
        SCOPED_TRACE(c.caption.toStdString());
        EXPECT_EQ(dialog->windowTitle(), c.caption);
        EXPECT_EQ(dialog->minimumSize(), c.minimum);
        QPushButton *run = dialog->runButton();
        EXPECT_EQ(run->objectName(), c.run);
        EXPECT_EQ(run->text(), c.runText);
        EXPECT_FALSE(run->isEnabled());
        EXPECT_TRUE(run->isDefault());
        EXPECT_EQ(child<QPushButton>(dialog.get(), "btnCancel")->text(), QStringLiteral("Close"));
        EXPECT_EQ(child<QToolButton>(dialog.get(), "sbAddFiles")->text(), QStringLiteral("+"));
        EXPECT_EQ(child<QToolButton>(dialog.get(), "sbAddFiles")->toolTip(), c.addHint);
        EXPECT_EQ(child<QToolButton>(dialog.get(), "sbAddFilesFromFolders")->text(), QStringLiteral("++"));
        EXPECT_EQ(child<QToolButton>(dialog.get(), "sbAddFilesFromFolders")->toolTip(), c.folderHint);
        EXPECT_EQ(child<QListWidget>(dialog.get(), "lsbFiles")->count(), 0);
        QStringList expectedCaptions = c.captions;
        expectedCaptions << QStringLiteral("&Labels:");
        expectedCaptions.sort();
        EXPECT_EQ(labelTexts(dialog.get()), expectedCaptions);
        for (const QString &name : c.browseButtons) {
            auto *browse = dialog->findChild<QToolButton *>(name);
            ASSERT_NE(browse, nullptr) << name.toStdString();
            EXPECT_EQ(browse->text(), QStringLiteral("..."));
            EXPECT_EQ(browse->toolTip(), QStringLiteral("Browse for path"));
        }
    }
}

TEST_F(BatchDialogs, RunButtonFollowsTheListAfterEveryAdd)
{
    // Found under the folder the picker gives, in its native spelling.
    const QString a = QDir::toNativeSeparators(label(QStringLiteral("tree/a.lbl"), ""));
    const QString b = QDir::toNativeSeparators(label(QStringLiteral("tree/sub/B.LBL"), ""));
    QDir().mkpath(dir.file(QStringLiteral("empty")));
    TfrmSetPaths dialog(nullptr, app);
    QPushButton *run = dialog.runButton();

    pick(dialog, std::nullopt);
    EXPECT_FALSE(run->isEnabled());
    addFromFolder(dialog, dir.file(QStringLiteral("empty")));
    EXPECT_FALSE(run->isEnabled());
    EXPECT_TRUE(lines(&dialog).isEmpty());

    addFromFolder(dialog, dir.file(QStringLiteral("tree/")));
    EXPECT_TRUE(run->isEnabled());
    EXPECT_EQ(lines(&dialog), (QStringList{a, b}));
    addFromFolder(dialog, dir.file(QStringLiteral("tree/sub")));
    EXPECT_EQ(lines(&dialog), (QStringList{a, b, b}));
    EXPECT_EQ(dialog.files(), lines(&dialog));

    pick(dialog, QStringList{b});
    EXPECT_EQ(lines(&dialog), QStringList{b});
    EXPECT_EQ(dialog.files(), QStringList{b});
    pick(dialog, QStringList{});
    EXPECT_FALSE(run->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(BatchDialogs, SetVariableRunsOnlyOnAWholeNumberAndDisablesItsButton)
{
    const QString l = label(QStringLiteral("l.lbl"), R"(, "Variables": [{"Name": "Batch", "Length": 10}])");
    TfrmSetVariable dialog(nullptr, app);
    pick(dialog, QStringList{l});
    child<QLineEdit>(&dialog, "edtVariable")->setText(QStringLiteral("Batch"));
    auto *length = child<QLineEdit>(&dialog, "edtNewLength");

    length->setText(QStringLiteral("twelve"));
    dialog.runButton()->click();
    EXPECT_EQ(lines(&dialog), QStringList{l});
    EXPECT_TRUE(dialog.runButton()->isEnabled());

    length->setText(QStringLiteral(" 12"));
    dialog.runButton()->click();
    const QStringList log{QStringLiteral("Opening \"%1\"").arg(l),
                          QStringLiteral("Changing variable length for variable \"Batch\" in \"%1\"").arg(l),
                          QStringLiteral("Old length: 10; New length: 12"), QStringLiteral("Saving \"%1\"").arg(l),
                          QStringLiteral("Done"), QStringLiteral(" ")};
    EXPECT_EQ(lines(&dialog), log);
    EXPECT_FALSE(dialog.runButton()->isEnabled());

    // A bad number after a run leaves the log and the button alone.
    length->clear();
    dialog.runButton()->setEnabled(true);
    dialog.runButton()->click();
    EXPECT_EQ(lines(&dialog), log);
    EXPECT_TRUE(dialog.runButton()->isEnabled());

    // "+" cancelled enables the button (the list shows the log); the run goes over the same file.
    dialog.runButton()->setEnabled(false);
    pick(dialog, std::nullopt);
    EXPECT_TRUE(dialog.runButton()->isEnabled());
    length->setText(QStringLiteral("0"));
    dialog.runButton()->click();
    EXPECT_FALSE(dialog.runButton()->isEnabled()) << "disabled also after a run that failed";
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("at least 1"))) << messages[0].toStdString();
    EXPECT_EQ(lines(&dialog), (QStringList{QStringLiteral("Opening \"%1\"").arg(l),
                                           QStringLiteral("Changing variable length for variable \"Batch\" in \"%1\"").arg(l),
                                           QStringLiteral("Old length: 12; New length: 0")}));
}

TEST_F(BatchDialogs, ALogEntryIsOneRowAndTheLogEndsInSight)
{
    QStringList files;
    for (int i = 0; i < 12; ++i)
        files << label(QStringLiteral("l%1.lbl").arg(i),
                       R"(, "Variables": [{"Name": "Batch", "Length": 10}],
                          "Faults": {"Save": {"Return": false, "ErrorText": "Cannot save label file",
                                              "ErrorDetail": "The disk is full."}})");
    TfrmSetVariable dialog(nullptr, app);
    dialog.resize(490, 520);
    dialog.show();
    pick(dialog, files);
    child<QLineEdit>(&dialog, "edtVariable")->setText(QStringLiteral("Batch"));
    child<QLineEdit>(&dialog, "edtNewLength")->setText(QStringLiteral("12"));
    dialog.runButton()->click();

    const QStringList log = lines(&dialog);
    ASSERT_GT(log.size(), 12);
    for (const QString &line : log)
        EXPECT_FALSE(line.contains(u'\r') || line.contains(u'\n')) << line.toStdString();
    const auto failed = std::find_if(log.begin(), log.end(), [](const QString &line) {
        return line.contains(QStringLiteral("cannot be saved!")) && line.contains(QStringLiteral("The disk is full."));
    });
    EXPECT_NE(failed, log.end()) << "the error and its detail in one entry";

    auto *box = child<QListWidget>(&dialog, "lsbFiles");
    const QRect last = box->visualItemRect(box->item(box->count() - 1));
    EXPECT_TRUE(box->viewport()->rect().contains(last.center())) << "the log is scrolled to its last line";
}

// The line keeps its text; the designer's reason is its tooltip, in both report styles.
TEST_F(BatchDialogs, CannotOpenLabelLineShowsTheReasonAsItsTooltip)
{
    const QString missing = dir.file(QStringLiteral("missing.lbl"));
    const QString reason = QStringLiteral("Cannot open label file\nThe file \"%1\" does not exist.").arg(missing);
    const QString ok = label(QStringLiteral("ok.lbl"), R"(, "Variables": [{"Name": "Batch", "Length": 10}])");
    const auto tooltips = [](QWidget *dialog) {
        auto *box = child<QListWidget>(dialog, "lsbFiles");
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->item(i)->toolTip();
        return texts;
    };

    TfrmSetPrinter printer(nullptr, app);
    pick(printer, QStringList{ok, missing});
    printer.runButton()->click();
    EXPECT_EQ(lines(&printer), (QStringList{ok + QStringLiteral(" - Done."), missing + QStringLiteral(" - Error: Cannot open label.")}));
    EXPECT_EQ(tooltips(&printer), (QStringList{QString(), reason}));

    TfrmSetVariable variable(nullptr, app);
    pick(variable, QStringList{missing, ok});
    child<QLineEdit>(&variable, "edtVariable")->setText(QStringLiteral("Batch"));
    child<QLineEdit>(&variable, "edtNewLength")->setText(QStringLiteral("10"));
    variable.runButton()->click();
    ASSERT_GE(lines(&variable).size(), 2);
    EXPECT_EQ(lines(&variable)[1], QStringLiteral("Error: Cannot open label."));
    EXPECT_EQ(tooltips(&variable).mid(0, 3), (QStringList{QString(), reason, QString()}));
}

TEST_F(BatchDialogs, SetPrinterListsPrintersSortedWithTheDefaultSelected)
{
    setPrinters(std::make_shared<StubPrinters>(
        QStringList{QStringLiteral("zeta"), QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("ALPHA")},
        QStringLiteral("zeta")));
    const QString l = label(QStringLiteral("l.lbl"), R"(, "PrinterName": "Old")");
    {
        TfrmSetPrinter dialog(nullptr, app);
        dialog.show();
        auto *printers = child<QComboBox>(&dialog, "cmbPrinters");
        EXPECT_TRUE(printers->isEditable());
        QWidget *focused = dialog.focusWidget();
        EXPECT_TRUE(focused == printers || printers->isAncestorOf(focused)) << "it opens with the focus in the printer box";
        QStringList items;
        for (int i = 0; i < printers->count(); ++i)
            items << printers->itemText(i);
        // Names that differ only in letter case are listed once, the first one given.
        EXPECT_EQ(items, (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("zeta")}));
        EXPECT_EQ(printers->currentText(), QStringLiteral("zeta"));

        // What is typed is what is set: a prefix of a listed name, a listed name in
        // other letter case, a name of its own; typed key by key as a user types.
        pick(dialog, QStringList{l});
        for (const char *typed : {"Alp", "alpha", "ZETA", "b", "Typed by hand"}) {
            const QString text = QString::fromLatin1(typed);
            printers->lineEdit()->clear();
            QTest::keyClicks(printers->lineEdit(), text);
            dialog.runButton()->click();
            EXPECT_EQ(lines(&dialog), QStringList{l + QStringLiteral(" - Done.")}) << typed;
            EXPECT_EQ(QJsonDocument::fromJson(readAll(l)).object().value(QLatin1String("PrinterName")).toString(), text);
            EXPECT_EQ(printers->currentText(), text);
        }
        EXPECT_TRUE(dialog.runButton()->isEnabled());
        EXPECT_EQ(printers->count(), 3) << "a typed name is not added to the list";
    }

    setPrinters(std::make_shared<StubPrinters>(QStringList{QStringLiteral("b"), QStringLiteral("a")}, QString()));
    TfrmSetPrinter first(nullptr, app);
    first.show();
    EXPECT_EQ(child<QComboBox>(&first, "cmbPrinters")->currentText(), QStringLiteral("a"));

    setPrinters(std::make_shared<StubPrinters>(QStringList{}, QString()));
    TfrmSetPrinter none(nullptr, app);
    none.show();
    EXPECT_EQ(child<QComboBox>(&none, "cmbPrinters")->currentText(), QString());
}

TEST_F(BatchDialogs, ExtractScriptsWriteErrorIsShownAndTheCursorRestored)
{
    const QString l = label(QStringLiteral("l.lbl"),
                            R"(, "Functions": [{"Name": "F", "Kind": 9, "KindName": "QUILLScript", "Script": "#x"}])");
    TfrmGetScripts dialog(nullptr, app);
    pick(dialog, QStringList{l, l});
    child<QLineEdit>(&dialog, "edtPath")->setText(dir.file(QStringLiteral("no/such/folder")));
    dialog.runButton()->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Cannot create file \"%1\". ")
                                           .arg(dir.file(QStringLiteral("no/such/folder/l.F.vbs")))))
        << messages[0].toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(lines(&dialog), (QStringList{l, l}));
    EXPECT_TRUE(dialog.runButton()->isEnabled());

    // The browse button starts the shared picker at the box's folder and fills the box.
    const QString start = dir.file(QStringLiteral("start"));
    const QString out = dir.file(QStringLiteral("out"));
    QDir().mkpath(start);
    QDir().mkpath(out);
    child<QLineEdit>(&dialog, "edtPath")->setText(start);
    QString startedAt;
    whenModal([&](QDialog *picker) {
        auto *tree = picker->findChild<QTreeView *>(QStringLiteral("tvFolders"));
        auto *model = qobject_cast<QFileSystemModel *>(tree->model());
        startedAt = model->filePath(tree->currentIndex());
        tree->setCurrentIndex(model->index(out));
        picker->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    child<QToolButton>(&dialog, "SpeedButton1")->click();
    EXPECT_EQ(startedAt, start);
    EXPECT_EQ(child<QLineEdit>(&dialog, "edtPath")->text(), QDir::toNativeSeparators(out));
    EXPECT_EQ(dialog.browseFolder()->Directory(), QDir::toNativeSeparators(out));

    dialog.runButton()->click();
    // The picker gives the folder in native spelling; the script is named in that spelling.
    const QString script = QDir::toNativeSeparators(out + QStringLiteral("/l.F.vbs"));
    // The label picked twice: its script is written once, the second time is told, not counted.
    EXPECT_EQ(lines(&dialog),
              (QStringList{l + QStringLiteral(" - 1 script saved."),
                           l + QStringLiteral(" - Error: Function \"F\" skipped: the file \"%1\" was already written in "
                                              "this run. No script saved.")
                                   .arg(script)}));
    EXPECT_EQ(readAll(script), QByteArray("x\r\n"));
}

namespace {

// Passes every call on; `onSave` hears each label's Save before it is made.
class SaveWatch : public Dispatch {
public:
    SaveWatch(DispatchRef inner, std::function<void()> onSave, int depth = 0)
        : inner_(std::move(inner)), onSave_(std::move(onSave)), depth_(depth)
    {
    }
    Value invoke(int dispId, CallKind kind, std::span<const Value> args) override
    {
        if (depth_ == 1 && dispId == dispid::Label::Save && kind == CallKind::Method && onSave_)
            onSave_();
        Value result = inner_->invoke(dispId, kind, args);
        if (const auto *object = std::get_if<DispatchRef>(&result); object && *object)
            return Value(DispatchRef(std::make_shared<SaveWatch>(*object, onSave_, depth_ + 1)));
        return result;
    }

private:
    DispatchRef inner_;
    std::function<void()> onSave_;
    int depth_;
};

// Lists an endless chain of folders, slowly: a search that lasts until stopped.
class SlowEndlessLister : public DirectoryLister {
public:
    bool list(const std::u16string &, std::vector<DirEntry> &out) override
    {
        QThread::msleep(2);
        out.push_back({u"found.lbl"});
        DirEntry sub{u"deeper"};
        sub.isDirectory = true;
        out.push_back(sub);
        return true;
    }
    bool identity(const std::u16string &, std::uint64_t &volume, std::uint64_t &index) override
    {
        volume = 1;
        index = ++next_;
        return true;
    }

private:
    std::uint64_t next_ = 0;
};

} // namespace

// Stop while label 3 of 10 is saved: the run ends after it, every other input
// was shut while it worked, and the dialog is ready again afterwards.
TEST_F(BatchDialogs, StopEndsTheRunAfterTheLabelInHand)
{
    QStringList files;
    for (int i = 1; i <= 10; ++i)
        files << label(QStringLiteral("l%1.lbl").arg(i), R"(, "PrinterName": "Old")");
    int saves = 0;
    QStringList seen;
    std::unique_ptr<TfrmSetPrinter> dialog;
    const QuillApp watched(std::make_shared<SaveWatch>(app.ref(), [&] {
        if (++saves != 3)
            return;
        seen << child<QLabel>(dialog.get(), "lblProgress")->text();
        seen << QString::number(dialog->running()) + QString::number(dialog->runButton()->isEnabled())
                    + QString::number(child<QToolButton>(dialog.get(), "sbAddFiles")->isEnabled())
                    + QString::number(child<QListWidget>(dialog.get(), "lsbFiles")->isEnabled())
                    + QString::number(dialog->stopButton()->isVisibleTo(dialog.get()));
        QMetaObject::invokeMethod(dialog->stopButton(), &QPushButton::click, Qt::QueuedConnection);
    }));
    setPrinters(std::make_shared<StubPrinters>(QStringList{QStringLiteral("New")}, QStringLiteral("New")));
    dialog = std::make_unique<TfrmSetPrinter>(nullptr, watched);
    dialog->show();
    pick(*dialog, files);
    dialog->runButton()->click();

    EXPECT_EQ(seen, (QStringList{QStringLiteral("Label 3 of 10"), QStringLiteral("10001")}));
    QStringList expected;
    for (int i = 0; i < 10; ++i)
        expected << (i < 3 ? files[i] + QStringLiteral(" - Done.") : files[i]);
    expected << QStringLiteral("Stopped by the user after 3 of 10 labels.");
    EXPECT_EQ(lines(dialog.get()), expected);
    EXPECT_FALSE(dialog->running());
    EXPECT_FALSE(dialog->stopButton()->isVisibleTo(dialog.get()));
    EXPECT_TRUE(dialog->runButton()->isEnabled());
    EXPECT_TRUE(child<QToolButton>(dialog.get(), "sbAddFiles")->isEnabled());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
}

// Closing while a run works asks first; yes stops after the label in hand, then closes.
TEST_F(BatchDialogs, ClosingDuringARunAsksToStopFirst)
{
    QStringList files;
    for (int i = 1; i <= 5; ++i)
        files << label(QStringLiteral("c%1.lbl").arg(i), R"(, "PrinterName": "Old")");
    int saves = 0;
    std::unique_ptr<TfrmSetPrinter> dialog;
    QString question;
    const QuillApp watched(std::make_shared<SaveWatch>(app.ref(), [&] {
        if (++saves != 2)
            return;
        whenModal([&question](QDialog *box) {
            question = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->text();
            box->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Yes)->click();
        });
        QMetaObject::invokeMethod(dialog.get(), &QDialog::reject, Qt::QueuedConnection);
    }));
    setPrinters(std::make_shared<StubPrinters>(QStringList{QStringLiteral("New")}, QStringLiteral("New")));
    dialog = std::make_unique<TfrmSetPrinter>(nullptr, watched);
    dialog->show();
    pick(*dialog, files);
    dialog->runButton()->click();

    EXPECT_EQ(question, QStringLiteral("A run is working. Stop it after the current label and close?"));
    EXPECT_EQ(lines(dialog.get()).last(), QStringLiteral("Stopped by the user after 2 of 5 labels."));
    EXPECT_FALSE(dialog->isVisible());
}

// Stop in the "++" search's progress window adds nothing to the list.
TEST_F(BatchDialogs, StoppedFolderSearchAddsNothing)
{
    const QString kept = label(QStringLiteral("kept.lbl"), "");
    TfrmSetPaths dialog(nullptr, app);
    pick(dialog, QStringList{kept});
    setDirectoryLister(std::make_shared<SlowEndlessLister>());
    QString shown;
    dialog.browseFolder()->setDirectory(dir.file(QStringLiteral("")));
    whenModal([&shown](QDialog *picker) {
        picker->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        whenModal([&shown](QDialog *progress) {
            shown = progress->objectName();
            QTimer::singleShot(50, progress, [progress] {
                progress->findChild<QPushButton *>()->click();
            });
        });
    });
    child<QToolButton>(&dialog, "sbAddFilesFromFolders")->click();
    setDirectoryLister(nullptr);

    EXPECT_EQ(shown, QStringLiteral("dlgSearchProgress"));
    EXPECT_EQ(lines(&dialog), QStringList{kept});
    EXPECT_EQ(dialog.files(), QStringList{kept});
    EXPECT_TRUE(dialog.runButton()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

namespace {

// One folder holding a label and a name that is not valid text.
class InexactNameLister : public DirectoryLister {
public:
    bool list(const std::u16string &, std::vector<DirEntry> &out) override
    {
        out.push_back({u"a.lbl"});
        DirEntry inexact{u"box\\xFF.lbl"};
        inexact.inexactName = true;
        out.push_back(inexact);
        return true;
    }
    bool identity(const std::u16string &, std::uint64_t &, std::uint64_t &) override { return false; }
};

} // namespace

// "++" lists only what it can name and says what it passed over.
TEST_F(BatchDialogs, FolderSearchSaysWhatItPassedOver)
{
    TfrmSetPrinter dialog(nullptr, app);
    setDirectoryLister(std::make_shared<InexactNameLister>());
    addFromFolder(dialog, dir.path());
    setDirectoryLister(nullptr);

    // The picker names what it finds as the platform spells paths.
    EXPECT_EQ(dialog.files(), QStringList{QDir::toNativeSeparators(dir.file(QStringLiteral("a.lbl")))});
    EXPECT_EQ(messages,
              QStringList{SkippedNameLine(QDir::toNativeSeparators(dir.file(QStringLiteral("box\\xFF.lbl"))))});
}

TEST_F(BatchDialogs, AChangingRunKeepsAJournalThatUndoThisRunTakesBack)
{
    setPrinters(std::make_shared<StubPrinters>(QStringList{QStringLiteral("P")}, QStringLiteral("P")));
    const QString l = label(QStringLiteral("l.lbl"), R"(, "PrinterName": "Old")");
    const QByteArray before = readAll(l);
    const std::size_t runsBefore = listRuns(journalFolder()).size();
    TfrmSetPrinter dialog(nullptr, app);
    dialog.show();
    ASSERT_NE(dialog.journalBox(), nullptr);
    EXPECT_TRUE(dialog.journalBox()->isChecked());
    EXPECT_FALSE(dialog.undoButton()->isEnabled());

    pick(dialog, QStringList{l});
    dialog.runButton()->click();
    const QByteArray after = readAll(l);
    EXPECT_NE(after, before);
    EXPECT_EQ(lines(&dialog), QStringList{l + QStringLiteral(" - Done.")});
    EXPECT_TRUE(dialog.journalLine()->text().startsWith(QStringLiteral("Journal: run ")));
    ASSERT_TRUE(dialog.undoButton()->isEnabled());

    dialog.undoButton()->click();
    EXPECT_EQ(readAll(l), before);
    EXPECT_EQ(lines(&dialog), (QStringList{l + QStringLiteral(" - Done."), l + QStringLiteral(" - restored"),
                                           QStringLiteral("Restored 1 label.")}));
    EXPECT_FALSE(dialog.undoButton()->isEnabled());
    // The run and the undo's own journal.
    EXPECT_EQ(listRuns(journalFolder()).size(), runsBefore + 2);

    dialog.journalBox()->setChecked(false);
    dialog.runButton()->click();
    EXPECT_EQ(readAll(l), after);
    EXPECT_EQ(dialog.journalLine()->text(), QStringLiteral("No journal was kept: this run cannot be undone."));
    EXPECT_FALSE(dialog.undoButton()->isEnabled());
    EXPECT_EQ(listRuns(journalFolder()).size(), runsBefore + 2);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

TEST_F(BatchDialogs, OnlyTheToolsThatChangeLabelsOfferTheJournal)
{
    const std::pair<std::function<TBatchDialog *()>, bool> tools[] = {
        {[this] { return new TfrmSetPrinter(nullptr, app); }, true},
        {[this] { return new TfrmSetPaths(nullptr, app); }, true},
        {[this] { return new TfrmSetVariable(nullptr, app); }, true},
        {[this] { return new TfrmGetScripts(nullptr, app); }, false},
    };
    for (const auto &[make, offered] : tools) {
        const std::unique_ptr<TBatchDialog> dialog(make());
        dialog->show();
        EXPECT_EQ(dialog->journalBox() != nullptr, offered) << dialog->windowTitle().toStdString();
        EXPECT_EQ(dialog->undoButton()->isVisible(), offered) << dialog->windowTitle().toStdString();
    }
}

TEST_F(BatchDialogs, TheRunsWindowListsTheJournalWithUndoPerRun)
{
    TempDir data;
    const QString root = data.file(QStringLiteral("runs"));
    const QString l = label(QStringLiteral("l.lbl"), R"(, "PrinterName": "Old")");
    const QByteArray before = readAll(l);
    {
        RunJournal journal(root, QStringLiteral("set-printer"), {QStringLiteral("New"), l});
        LinesReport report;
        runSetPrinter({l}, app, QStringLiteral("New"), report, journalled({}, journal));
    }
    TfrmRuns dialog(nullptr, root);
    dialog.show();
    auto *runs = child<QTreeWidget>(&dialog, "tvRuns");
    ASSERT_EQ(runs->topLevelItemCount(), 1);
    QTreeWidgetItem *run = runs->topLevelItem(0);
    EXPECT_EQ(run->text(2), QStringLiteral("set-printer"));
    EXPECT_EQ(run->text(3), QStringLiteral("1"));
    EXPECT_TRUE(child<QLabel>(&dialog, "lblSpace")->text().endsWith(QStringLiteral(" in 1 run.")));

    auto *undo = qobject_cast<QPushButton *>(runs->itemWidget(run, 5));
    ASSERT_NE(undo, nullptr);
    undo->click();
    EXPECT_EQ(readAll(l), before);
    EXPECT_TRUE(child<QPlainTextEdit>(&dialog, "memUndoReport")->toPlainText().startsWith(l + QStringLiteral(" - restored\n")));
    // The undo kept what it replaced: a run of its own, listed at once.
    ASSERT_EQ(runs->topLevelItemCount(), 2);
    EXPECT_EQ(runs->topLevelItem(1)->text(2), QStringLiteral("undo"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}
