#include "tools/batch_dialog.h"

#include "browse/browse_folder.h"
#include "inspect/display_text.h"
#include "journal/run_journal.h"
#include "journal/undo.h"
#include "tools/find_files.h"
#include "ui/error_boundary.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace strovex {
namespace {

// The report goes straight into the list box that shows the files.
class ListBoxReport : public ReportSink {
public:
    explicit ListBoxReport(QListWidget *box) : box_(box) {}
    void reset(const QStringList &lines) override
    {
        box_->clear();
        last_ = -1;
        for (const QString &line : lines)
            box_->addItem(oneRow(line));
    }
    // One entry is one row: a designer's text may hold line breaks.
    void setLine(int index, const QString &text) override
    {
        box_->item(index)->setText(oneRow(text));
        last_ = index;
    }
    void append(const QString &text) override
    {
        box_->addItem(oneRow(text));
        last_ = box_->count() - 1;
        box_->scrollToBottom(); // the newest line in sight, also once the run is over
    }
    // The designer's reason as the line's tooltip, where its line breaks may stay.
    void reason(const QString &, const QString &text) override
    {
        if (QListWidgetItem *item = box_->item(last_))
            item->setToolTip(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

private:
    static QString oneRow(const QString &text) { return replaceLineBreaks(text, QStringLiteral(" ")); }
    QListWidget *box_;
    int last_ = -1;
};

// The "++" search's window: shown once a search lasts more than a moment,
// with the folders read and the files found so far, and Stop. Modal, so the
// dialog behind it takes no input while the search gets the event loop's turns.
class SearchProgress {
public:
    explicit SearchProgress(QWidget *parent) : parent_(parent) { clock_.start(); }

    bool update(int folders, int found)
    {
        if (clock_.elapsed() < kShowAfterMs)
            return true;
        if (!window_) {
            window_ = std::make_unique<QProgressDialog>(parent_);
            window_->setObjectName(QStringLiteral("dlgSearchProgress"));
            window_->setWindowTitle(QStringLiteral("Searching for labels"));
            window_->setCancelButtonText(QStringLiteral("Stop"));
            window_->setRange(0, 0);
            window_->setMinimumDuration(0);
            window_->setWindowModality(Qt::WindowModal);
            window_->setAutoClose(false);
            window_->setAutoReset(false);
            window_->show();
            sinceTurn_.start();
        } else if (sinceTurn_.elapsed() < kTurnEveryMs) {
            return !window_->wasCanceled();
        }
        window_->setLabelText(QStringLiteral("Folders searched: %1\nLabels found: %2").arg(folders).arg(found));
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        sinceTurn_.restart();
        return !window_->wasCanceled();
    }

private:
    static constexpr qint64 kShowAfterMs = 400;
    static constexpr qint64 kTurnEveryMs = 30;
    QWidget *parent_;
    QElapsedTimer clock_;
    QElapsedTimer sinceTurn_;
    std::unique_ptr<QProgressDialog> window_;
};

} // namespace

TBatchDialog::TBatchDialog(QWidget *parent, const QuillApp &connection, const BatchDialogSetup &setup)
    : QDialog(parent), connection_(connection)
{
    setWindowTitle(setup.caption);
    setMinimumSize(setup.minimumSize);
    resize(setup.minimumSize);

    auto *layout = new QVBoxLayout(this);
    parameters_ = new QVBoxLayout;
    layout->addLayout(parameters_);

    lsbFiles = new QListWidget(this);
    lsbFiles->setObjectName(QStringLiteral("lsbFiles"));
    lsbFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    auto *labelsCaption = new QLabel(QStringLiteral("&Labels:"), this);
    labelsCaption->setBuddy(lsbFiles);
    layout->addWidget(labelsCaption);

    auto *listRow = new QHBoxLayout;
    listRow->addWidget(lsbFiles, 1);
    auto *addButtons = new QVBoxLayout;
    sbAddFiles = new QToolButton(this);
    sbAddFiles->setObjectName(QStringLiteral("sbAddFiles"));
    sbAddFiles->setText(QStringLiteral("+"));
    sbAddFiles->setToolTip(setup.addFilesHint);
    sbAddFilesFromFolders = new QToolButton(this);
    sbAddFilesFromFolders->setObjectName(QStringLiteral("sbAddFilesFromFolders"));
    sbAddFilesFromFolders->setText(QStringLiteral("++"));
    sbAddFilesFromFolders->setToolTip(setup.addFilesFromFoldersHint);
    addButtons->addWidget(sbAddFiles);
    addButtons->addWidget(sbAddFilesFromFolders);
    addButtons->addStretch(1);
    listRow->addLayout(addButtons);
    layout->addLayout(listRow, 1);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    auto *buttons = new QHBoxLayout;
    // While a run works: which label of how many, and Stop.
    pnlRun = new QWidget(this);
    pnlRun->setObjectName(QStringLiteral("pnlRun"));
    auto *runRow = new QHBoxLayout(pnlRun);
    runRow->setContentsMargins(0, 0, 0, 0);
    lblProgress = new QLabel(pnlRun);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    btnStop = new QPushButton(QStringLiteral("Stop"), pnlRun);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setAutoDefault(false);
    runRow->addWidget(lblProgress, 1);
    runRow->addWidget(btnStop);
    pnlRun->hide();
    buttons->addWidget(pnlRun, 1);
    buttons->addStretch(1);
    // Under the report, for the tools that change labels: whether the last
    // run can be undone, and its Undo.
    pnlJournal = new QWidget(this);
    pnlJournal->setObjectName(QStringLiteral("pnlJournal"));
    auto *journalRow = new QHBoxLayout(pnlJournal);
    journalRow->setContentsMargins(0, 0, 0, 0);
    lblJournal = new QLabel(pnlJournal);
    lblJournal->setObjectName(QStringLiteral("lblJournal"));
    btnUndoRun = new QPushButton(QStringLiteral("Undo this run"), pnlJournal);
    btnUndoRun->setObjectName(QStringLiteral("btnUndoRun"));
    btnUndoRun->setAutoDefault(false);
    btnUndoRun->setEnabled(false);
    journalRow->addWidget(lblJournal, 1);
    journalRow->addWidget(btnUndoRun);
    pnlJournal->hide();
    buttons->addWidget(pnlJournal, 1);
    runButton_ = new QPushButton(setup.runButtonText, this);
    runButton_->setObjectName(setup.runButtonName);
    runButton_->setDefault(true);
    runButton_->setEnabled(false);
    btnCancel = new QPushButton(QStringLiteral("Close"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    buttons->addWidget(runButton_);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    chooser_ = [this](QWidget *) -> std::optional<QStringList> {
        if (!odFiles) {
            odFiles = new QFileDialog(this);
            odFiles->setObjectName(QStringLiteral("odFiles"));
            odFiles->setNameFilter(QStringLiteral("Label files (*.lbl)"));
            odFiles->setDefaultSuffix(QStringLiteral("lbl"));
            odFiles->setFileMode(QFileDialog::ExistingFiles);
            odFiles->setAcceptMode(QFileDialog::AcceptOpen);
            odFiles->setSizeGripEnabled(true);
        }
        if (odFiles->exec() != QDialog::Accepted)
            return std::nullopt;
        QStringList selected;
        for (const QString &file : odFiles->selectedFiles())
            selected << QDir::toNativeSeparators(file);
        return selected;
    };

    BrowseFolder = new TBrowseFolder(this);
    BrowseFolder->setFlags(TBrowseInfoFlag::bfFileSysDirsOnly | TBrowseInfoFlag::bfStatusText);
    BrowseFolder->setShowPathInStatusArea(true);

    report_ = std::make_unique<ListBoxReport>(lsbFiles);

    connect(sbAddFiles, &QToolButton::clicked, this, &TBatchDialog::sbAddFilesClick);
    connect(sbAddFilesFromFolders, &QToolButton::clicked, this, &TBatchDialog::sbAddFilesFromFoldersClick);
    connect(runButton_, &QPushButton::clicked, this, &TBatchDialog::runWithProgress);
    connect(btnStop, &QPushButton::clicked, this, &TBatchDialog::requestStop);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnUndoRun, &QPushButton::clicked, this, &TBatchDialog::undoLastRun);
    layoutForJournal_ = layout;
}

TBatchDialog::~TBatchDialog() = default;

void TBatchDialog::runWithProgress()
{
    if (running_)
        return;
    setRunning(true);
    lastRunId_.clear();
    btnUndoRun->setEnabled(false);
    lblJournal->clear();
    runGuarded(this, [this] { runClicked(); });
    runGuarded(this, [this] { endJournal(); });
    setRunning(false);
    btnUndoRun->setEnabled(!lastRunId_.isEmpty());
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        QDialog::reject();
    }
}

void TBatchDialog::setRunning(bool on)
{
    running_ = on;
    stopRequested_ = false;
    if (on) {
        // Everything but Stop is shut while the event loop gets its turns
        // between labels: a second run, a new file list or a changed
        // parameter must not reach the run in hand.
        disabledForRun_.clear();
        for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (child != pnlRun && child->isEnabled()) {
                child->setEnabled(false);
                disabledForRun_.push_back(child);
            }
        }
        // A growing log is laid out again in every turn; measuring each line's
        // text made that quadratic in the run's length. The lines are one
        // text row each, so one size serves them all until the run ends.
        lsbFiles->setUniformItemSizes(true);
        lblProgress->clear();
        btnStop->setEnabled(true);
        pnlRun->show();
        btnStop->setFocus();
    } else {
        for (QWidget *child : disabledForRun_)
            child->setEnabled(true);
        disabledForRun_.clear();
        pnlRun->hide();
        lsbFiles->setUniformItemSizes(false);
        if (runButtonOffAfterRun_)
            runButton_->setEnabled(false);
        runButtonOffAfterRun_ = false;
    }
}

void TBatchDialog::keepRunButtonOffAfterRun()
{
    runButtonOffAfterRun_ = true;
}

void TBatchDialog::offerJournal()
{
    chkJournal = new QCheckBox(QStringLiteral("&Keep a journal (undo)"), this);
    chkJournal->setObjectName(QStringLiteral("chkJournal"));
    chkJournal->setChecked(true);
    chkJournal->setToolTip(QStringLiteral("Copy each label before it is saved, so that the run can be undone"));
    // Below the file list, above the line over the buttons.
    layoutForJournal_->insertWidget(layoutForJournal_->count() - 2, chkJournal);
    pnlJournal->show();
}

RunHooks TBatchDialog::changingRunHooks(const QString &command, const QStringList &arguments)
{
    changingRun_ = true;
    if (!chkJournal || !chkJournal->isChecked())
        return runHooks();
    journal_ = std::make_unique<RunJournal>(journalFolder(), command, arguments);
    return journalled(runHooks(), *journal_);
}

void TBatchDialog::endJournal()
{
    const bool changing = std::exchange(changingRun_, false);
    const std::unique_ptr<RunJournal> journal = std::move(journal_);
    if (!changing)
        return;
    if (!journal) {
        lblJournal->setText(QStringLiteral("No journal was kept: this run cannot be undone."));
        return;
    }
    journal->finish();
    if (journal->manifest().labels.empty()) {
        lblJournal->setText(QStringLiteral("No label was saved: nothing to undo."));
        return;
    }
    lastRunId_ = journal->id();
    lblJournal->setText(QStringLiteral("Journal: run %1").arg(lastRunId_));
}

void TBatchDialog::undoLastRun()
{
    runGuarded(this, [this] {
        BusyCursor busy;
        const QString id = std::exchange(lastRunId_, QString());
        btnUndoRun->setEnabled(false);
        const UndoResult result = undoRun(journalFolder(), id, {});
        for (const QString &line : result.lines)
            report().append(line);
        const QString summary = restoredLine(result);
        report().append(summary);
        lblJournal->setText(summary);
    });
}

void TBatchDialog::requestStop()
{
    if (!running_)
        return;
    stopRequested_ = true;
    btnStop->setEnabled(false);
    lblProgress->setText(lblProgress->text() + QStringLiteral(" - stopping after this label"));
}

RunHooks TBatchDialog::runHooks()
{
    RunHooks hooks;
    hooks.fileStarted = [this](int index, int total, const QString &) {
        if (!stopRequested_)
            lblProgress->setText(QStringLiteral("Label %1 of %2").arg(index + 1).arg(total));
        // The designer calls stay on this thread (the connection's); the
        // window gets its turn between labels, never inside one.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    };
    hooks.stopRequested = [this] { return stopRequested_; };
    return hooks;
}

void TBatchDialog::reject()
{
    if (!running_) {
        QDialog::reject();
        return;
    }
    // Closing mid-run would leave a label half done: stop first, then close.
    const auto answer = QMessageBox::question(this, windowTitle(),
                                              QStringLiteral("A run is working. Stop it after the current label and close?"),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes && running_) {
        requestStop();
        closeAfterRun_ = true;
    }
}

void TBatchDialog::addParameterRow(const QString &caption, QWidget *box)
{
    auto *label = new QLabel(caption, this);
    label->setBuddy(box);
    parameters_->addWidget(label);
    parameters_->addWidget(box);
}

QLineEdit *TBatchDialog::addPathRow(const QString &caption, const QString &editName, const QString &browseName)
{
    auto *row = new QWidget(this);
    auto *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    auto *box = new QLineEdit(row);
    box->setObjectName(editName);
    auto *browse = new QToolButton(row);
    browse->setObjectName(browseName);
    browse->setText(QStringLiteral("..."));
    browse->setToolTip(QStringLiteral("Browse for path"));
    rowLayout->addWidget(box, 1);
    rowLayout->addWidget(browse);
    auto *label = new QLabel(caption, this);
    label->setBuddy(box);
    parameters_->addWidget(label);
    parameters_->addWidget(row);
    connect(browse, &QToolButton::clicked, this, [this, box] { runGuarded(this, [this, box] { browseForPath(box); }); });
    return box;
}

void TBatchDialog::showFileList()
{
    lsbFiles->clear();
    lsbFiles->addItems(files_);
}

void TBatchDialog::applyRunButtonRule()
{
    runButton_->setEnabled(lsbFiles->count() > 0);
}

void TBatchDialog::sbAddFilesClick()
{
    runGuarded(this, [this] {
        if (const std::optional<QStringList> selected = chooser_(this)) {
            files_ = *selected;
            showFileList();
        }
    });
    applyRunButtonRule();
}

void TBatchDialog::sbAddFilesFromFoldersClick()
{
    runGuarded(this, [this] {
        if (!BrowseFolder->Execute())
            return;
        BusyCursor busy;
        SearchProgress progress(this);
        FindFilesOptions options;
        options.progress = [&progress](int folders, int found) { return progress.update(folders, found); };
        QStringList skipped;
        options.skipped = [&skipped](const QString &path) { skipped << SkippedNameLine(path); };
        if (FindFiles(QStringLiteral("*.lbl"), BrowseFolder->Directory(), options, files_) < 0)
            return; // stopped: the list stays as it was
        showFileList();
        if (!skipped.isEmpty())
            showMessage(this, MessageKind::Error, skipped.join(u'\n'));
    });
    applyRunButtonRule();
}

void TBatchDialog::browseForPath(QLineEdit *box)
{
    if (!box->text().isEmpty())
        BrowseFolder->setDirectory(box->text());
    if (BrowseFolder->Execute())
        box->setText(BrowseFolder->Directory());
}

} // namespace strovex
