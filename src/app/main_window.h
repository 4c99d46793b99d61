#pragma once
// The main window: the designer connection, one page per opened label, the
// menus, the batch tools and the (hidden until used) search pane.

#include "app/settings_main_form.h"
#include "automation/designer_session.h"

#include <QLabel>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <optional>

class QAction;
class QFileDialog;
class QSplitter;
class QTabWidget;
class QTreeWidget;

namespace strovex {

class TLabelInfo;
class ProgIdResolver;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // `resolver` finds the designer; the platform's own when null.
    explicit TfrmMain(ProgIdResolver *resolver = nullptr, QWidget *parent = nullptr);
    ~TfrmMain() override;

    int FindLabelPage(const QString &path) const;
    void OpenLabelFile(const QString &path);
    void ReleaseAllLabels();
    // Files to open once the connection is made (the command line).
    void setStartupFiles(const QStringList &paths) { startupFiles_ = paths; }

    const QuillApp &connection() const { return session_.app(); }
    QTabWidget *pages() const { return PageControl1_; }
    TLabelInfo *activeView() const;
    TLabelInfo *viewAt(int index) const;
    // Opens the paths in order; an error that escapes one file ends the loop.
    void FileOpen1Accept(const QStringList &paths);
    // The drop rule: only the first file counts, and only with a .lbl extension.
    void handleDroppedFiles(const QStringList &paths);
    void updateActions();

    // The one-line input box; nothing when cancelled. Tests put their own in;
    // an empty function brings back the real one.
    using TextInput = std::function<std::optional<QString>(QWidget *parent, const QString &caption, const QString &prompt)>;
    void setTextInput(TextInput input);

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenus();
    void FormShow();
    void applyStoredBounds();
    void storeBounds();
    void fitFrame();
    void closePage(int index);
    void showLoadStatus(const QString &step);
    void actFileCloseExecute();
    void actFileCloseAllExecute();
    void FileOpen1Execute();
    void actHelpAboutExecute();
    void actSearchFindExecute();
    QFileDialog *ownSaveDialog(QFileDialog *&dialog, const QString &name);
    void actToolsCreateJobFile();
    void actToolsCreateGraph();
    void actToolsSetPrinterExecute();
    void actToolsSetPathsExecute();
    void actToolsSetVariableLengthExecute();
    void actToolsGetVBScriptsExecute();
    void actToolsRunsExecute();

    ProgIdResolver *resolver_;
    DesignerSession session_;
    bool shown_ = false;     // the stored bounds are applied
    bool formShown_ = false; // the first showing's work is started
    bool closed_ = false;
    QSize outerSize_; // the stored outer size, until the frame is known
    QStringList startupFiles_;
    QString lastCommandFileName_; // SaveDialog proposes the name last chosen in it
    SettingsPtr<TMainFormSettings> settings_; // loaded at creation, saved at destruction
    TextInput textInput_;

    QTabWidget *PageControl1_ = nullptr;
    QSplitter *Splitter1_ = nullptr;
    QTreeWidget *vstSearchResults_ = nullptr;
    QFileDialog *SaveDialog_ = nullptr;
    QFileDialog *SaveDialog2_ = nullptr;
    QLabel *loadStatus_ = nullptr; // made on the first long load

    QAction *FileOpen1_ = nullptr;
    QAction *actFileClose_ = nullptr;
    QAction *actFileCloseAll_ = nullptr;
    QAction *FileExit1_ = nullptr;
    QAction *actSearchFind_ = nullptr;
    QAction *actToolsSetPrinter_ = nullptr;
    QAction *actToolsSetPaths_ = nullptr;
    QAction *actToolsSetVariableLength_ = nullptr;
    QAction *actToolsCreateJobFile_ = nullptr;
    QAction *actToolsCreateGraph_ = nullptr;
    QAction *actToolsGetVBScripts_ = nullptr;
    QAction *actToolsRuns_ = nullptr;
    QAction *actHelpAbout_ = nullptr;
};

} // namespace strovex
