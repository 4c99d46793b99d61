#pragma once
// The frame shared by the four batch dialogs: parameter rows on top, the file
// list with its "+" and "++" buttons, the run button and "Close". A tool
// subclass adds its parameter rows and implements runClicked(); everything
// else (filling the list, the run-button rule, the report styles' list box,
// the shared folder picker, the error boundary) is here.

#include "automation/designer.h"
#include "tools/batch_runs.h"
#include "tools/report_sink.h"

#include <QDialog>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace strovex {

class TBrowseFolder;

struct BatchDialogSetup {
    QString caption;
    QString runButtonName;
    QString runButtonText;
    QSize minimumSize;
    QString addFilesHint;            // empty: no hint
    QString addFilesFromFoldersHint; // empty: no hint
};

class TBatchDialog : public QDialog {
    Q_OBJECT
public:
    ~TBatchDialog() override;

    const QStringList &files() const { return files_; }
    TBrowseFolder *browseFolder() const { return BrowseFolder; }
    QPushButton *runButton() const { return runButton_; }

    // What "+" asks: the selected files, or nothing when cancelled. The default
    // shows `odFiles`; tests put a chooser of their own.
    using FileChooser = std::function<std::optional<QStringList>(QWidget *parent)>;
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    // True while a run works; only Stop takes input then.
    bool running() const { return running_; }
    QPushButton *stopButton() const { return btnStop; }
    // Asks a working run to end after the label in hand.
    void requestStop();

    // The tools that change labels: the box that keeps a journal of the run,
    // and "Undo this run", enabled once a run kept in the journal has ended.
    QCheckBox *journalBox() const { return chkJournal; }
    QPushButton *undoButton() const { return btnUndoRun; }
    // What the last run left to undo: its journal's run id, or why there is none.
    QLabel *journalLine() const { return lblJournal; }

protected:
    // The connection is borrowed from the main window and held until the dialog goes.
    TBatchDialog(QWidget *parent, const QuillApp &connection, const BatchDialogSetup &setup);

    // A caption above a full-width box, added below the rows added before.
    void addParameterRow(const QString &caption, QWidget *box);
    // The same with a "..." button at the box's right that fills the box from the picker.
    QLineEdit *addPathRow(const QString &caption, const QString &editName, const QString &browseName);

    const QuillApp &connection() const { return connection_; }
    ReportSink &report() { return *report_; }
    // The hooks a run gets from the dialog: "Label i of n" and the event
    // loop's turn before each label, and Stop.
    RunHooks runHooks();
    // The run button stays disabled once this run is over, however it ends.
    void keepRunButtonOffAfterRun();
    // For a tool that changes labels: the journal box (ticked) and "Undo this run".
    void offerJournal();
    // runHooks() for a run that changes labels, kept in a new journal when the
    // box is ticked (the line beside "Undo this run" then names the run, else
    // says the run cannot be undone). Throws JournalError when no journal can
    // be made: nothing is changed then.
    RunHooks changingRunHooks(const QString &command, const QStringList &arguments);
    void reject() override;
    // Runs inside the error boundary: an exception ends the run, keeps the
    // report lines, and is shown to the user; the dialog stays open.
    virtual void runClicked() = 0;

private:
    void runWithProgress();
    void setRunning(bool on);
    void sbAddFilesClick();
    void sbAddFilesFromFoldersClick();
    void browseForPath(QLineEdit *box);
    void applyRunButtonRule();
    void showFileList();
    void endJournal();
    void undoLastRun();

    QuillApp connection_;
    QStringList files_;
    QListWidget *lsbFiles = nullptr;
    QToolButton *sbAddFiles = nullptr;
    QToolButton *sbAddFilesFromFolders = nullptr;
    QPushButton *runButton_ = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnStop = nullptr;
    QWidget *pnlRun = nullptr;
    QLabel *lblProgress = nullptr;
    bool running_ = false;
    bool stopRequested_ = false;
    bool closeAfterRun_ = false;
    bool runButtonOffAfterRun_ = false;
    std::vector<QWidget *> disabledForRun_;
    QFileDialog *odFiles = nullptr;
    TBrowseFolder *BrowseFolder = nullptr;
    QVBoxLayout *parameters_ = nullptr;
    std::unique_ptr<ReportSink> report_;
    FileChooser chooser_;
    QCheckBox *chkJournal = nullptr;
    QPushButton *btnUndoRun = nullptr;
    QWidget *pnlJournal = nullptr;
    QLabel *lblJournal = nullptr;
    std::unique_ptr<RunJournal> journal_;
    bool changingRun_ = false;
    QString lastRunId_;
    QVBoxLayout *layoutForJournal_ = nullptr;
};

} // namespace strovex
