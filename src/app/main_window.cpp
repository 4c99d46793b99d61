#include "app/main_window.h"

#include "app/about_dialog.h"
#include "app/search_label.h"
#include "app/window_bounds.h"
#include "automation/resolver.h"
#include "inspect/grid_pages.h"
#include "inspect/label_view.h"
#include "journal/run_journal.h"
#include "output/generator_actions.h"
#include "platform/paths.h"
#include "platform/platform_info.h"
#include "tools/get_scripts_dialog.h"
#include "tools/runs_dialog.h"
#include "tools/set_paths_dialog.h"
#include "tools/set_printer_dialog.h"
#include "tools/set_variable_dialog.h"
#include "ui/error_boundary.h"
#include "ui/save_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

namespace strovex {
namespace {

// A batch tool: modal, owned by the window, borrowing its connection, gone when closed.
template<class Dialog>
void runTool(TfrmMain *window, const QuillApp &connection)
{
    Dialog dialog(window, connection);
    dialog.exec();
}

// The generators read the active page; every open page's label is one they must not write over.
LabelHandles handlesOf(const TLabelInfo &view, const QTabWidget &pages)
{
    LabelHandles handles = view.handles();
    handles.labelFiles = {view.FFileName()};
    for (int i = 0; i < pages.count(); ++i)
        handles.labelFiles << pages.tabToolTip(i);
    return handles;
}

// The window's own save dialog, set up for one request.
QString runOwnSaveDialog(QFileDialog *dialog, const SaveDialogRequest &request)
{
    dialog->setNameFilters(request.filters);
    addSuffixOfSelectedType(*dialog, request.defaultSuffix);
    dialog->selectFile(request.proposedName);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().front();
}

std::optional<QString> askText(QWidget *parent, const QString &caption, const QString &prompt)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, QString(), &ok);
    return ok ? std::optional<QString>(text) : std::nullopt;
}

} // namespace

TfrmMain::TfrmMain(ProgIdResolver *resolver, QWidget *parent)
    : QMainWindow(parent), resolver_(resolver ? resolver : &designerResolver())
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Strovex"));
    setAcceptDrops(true);
    settings_ = TSimpleSettings::Create<TMainFormSettings>(TMainFormSettings::kRegistryKey, true);
    textInput_ = askText;

    Splitter1_ = new QSplitter(Qt::Vertical, this);
    Splitter1_->setObjectName(QStringLiteral("Splitter1"));
    Splitter1_->setChildrenCollapsible(false);
    PageControl1_ = new QTabWidget(Splitter1_);
    PageControl1_->setObjectName(QStringLiteral("PageControl1"));
    PageControl1_->setDocumentMode(true);
    vstSearchResults_ = new QTreeWidget(Splitter1_);
    vstSearchResults_->setObjectName(QStringLiteral("vstSearchResults"));
    vstSearchResults_->setHeaderHidden(true);
    vstSearchResults_->hide();
    Splitter1_->addWidget(PageControl1_);
    Splitter1_->addWidget(vstSearchResults_);
    Splitter1_->setStretchFactor(0, 1);
    Splitter1_->setSizes({570, 216});
    setCentralWidget(Splitter1_);


    createMenus();
    updateActions();
    connect(PageControl1_, &QTabWidget::currentChanged, this, [this] { updateActions(); });

    // Key preview: the window sees Ctrl+T before the focused control.
    qApp->installEventFilter(this);

    resize(948, 786);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TfrmMain::~TfrmMain()
{
    storeBounds();
    settings_.reset(); // writes them
    qApp->removeEventFilter(this);
    ReleaseAllLabels();
}

void TfrmMain::createMenus()
{
    auto makeAction = [this](const char *name, const QString &text, auto slot) {
        auto *action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, slot] { runGuarded(this, [this, slot] { (this->*slot)(); }); });
        return action;
    };

    FileOpen1_ = makeAction("FileOpen1", QStringLiteral("&Open..."), &TfrmMain::FileOpen1Execute);
    FileOpen1_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    FileOpen1_->setStatusTip(QStringLiteral("Opens an existing label file"));
    FileOpen1_->setToolTip(QStringLiteral("Open"));
    actFileClose_ = makeAction("actFileClose", QStringLiteral("&Close"), &TfrmMain::actFileCloseExecute);
    actFileCloseAll_ = makeAction("actFileCloseAll", QStringLiteral("Close &All"), &TfrmMain::actFileCloseAllExecute);
    FileExit1_ = new QAction(QStringLiteral("E&xit"), this);
    FileExit1_->setObjectName(QStringLiteral("FileExit1"));
    FileExit1_->setStatusTip(QStringLiteral("Quits the application"));
    FileExit1_->setToolTip(QStringLiteral("Exit"));
    connect(FileExit1_, &QAction::triggered, this, &QWidget::close);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->addAction(FileOpen1_);
    file->addAction(actFileClose_);
    file->addAction(actFileCloseAll_);
    file->addSeparator();
    file->addAction(FileExit1_);

    actSearchFind_ = makeAction("actSearchFind", QStringLiteral("&Find..."), &TfrmMain::actSearchFindExecute);
    actSearchFind_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    QMenu *search = menuBar()->addMenu(QStringLiteral("&Search"));
    search->setObjectName(QStringLiteral("mnuSearch"));
    search->addAction(actSearchFind_);
    search->menuAction()->setVisible(false);
    addAction(actSearchFind_); // the shortcut works while its menu is hidden

    actToolsSetPrinter_ = makeAction("actToolsSetPrinter", QStringLiteral("&Set printer..."), &TfrmMain::actToolsSetPrinterExecute);
    actToolsSetPaths_ = makeAction("actToolsSetPaths", QStringLiteral("Set &paths..."), &TfrmMain::actToolsSetPathsExecute);
    actToolsSetVariableLength_ = makeAction("actToolsSetVariableLength", QStringLiteral("Set &variable length"),
                                            &TfrmMain::actToolsSetVariableLengthExecute);
    actToolsCreateJobFile_ = makeAction("actToolsCreateJobFile", QStringLiteral("&Create command file"), &TfrmMain::actToolsCreateJobFile);
    actToolsCreateGraph_ = makeAction("actToolsCreateGraph", QStringLiteral("Create &graph"), &TfrmMain::actToolsCreateGraph);
    actToolsGetVBScripts_ = makeAction("actToolsGetVBScripts", QStringLiteral("Extract VB Scripts from &label file..."),
                                       &TfrmMain::actToolsGetVBScriptsExecute);
    actToolsRuns_ = makeAction("actToolsRuns", QStringLiteral("R&uns..."), &TfrmMain::actToolsRunsExecute);

    QMenu *tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    for (QAction *a : {actToolsSetPrinter_, actToolsSetPaths_, actToolsSetVariableLength_, actToolsCreateJobFile_,
                       actToolsCreateGraph_, actToolsGetVBScripts_})
        tools->addAction(a);
    tools->addSeparator();
    tools->addAction(actToolsRuns_);

    actHelpAbout_ = makeAction("actHelpAbout", QStringLiteral("&About"), &TfrmMain::actHelpAboutExecute);
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    help->addAction(actHelpAbout_);
}

void TfrmMain::updateActions()
{
    const bool any = PageControl1_->count() > 0;
    for (QAction *a : {actToolsCreateJobFile_, actToolsCreateGraph_, actFileClose_, actFileCloseAll_})
        a->setEnabled(any);
}

// The stored bounds go on before the native window exists: a position given
// then is the frame's, which the window manager honours when it frames the
// window. Given afterwards it is the contents', and under a window manager the
// frame would stand its title bar's height higher on every start.
void TfrmMain::setVisible(bool visible)
{
    if (visible && !shown_) {
        shown_ = true;
        applyStoredBounds();
    }
    QMainWindow::setVisible(visible);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (formShown_)
        return;
    formShown_ = true;
    // After the window is on screen, as a first showing would.
    QTimer::singleShot(0, this, [this] { runGuarded(this, [this] { FormShow(); }); });
}

void TfrmMain::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    fitFrame();
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    fitFrame();
}

static QList<QRect> availableScreenAreas()
{
    QList<QRect> areas;
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        areas << primary->availableGeometry();
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            areas << screen->availableGeometry();
    }
    return areas;
}

// The frame as the window system knows it now; QWidget's own frame geometry
// catches up only when the window next moves or is resized. A hidden window
// may have no frame there any more: then the last one the widget saw.
static QMargins frameMarginsOf(const QWidget &window)
{
    const QMargins now = window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
    if (!now.isNull())
        return now;
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(), frame.bottom() - inner.bottom()};
}

// Width and Height are the outer size, frame included, and Left and Top the
// frame's corner. The frame is not known before the window manager has framed
// the window: the contents get the whole outer size until then, and fitFrame()
// takes the frame off once it is known (never where there is no frame).
void TfrmMain::applyStoredBounds()
{
    const TMainFormSettings &s = *settings_;
    const QRect outer = fitWindowBounds(QRect(s.Left, s.Top, s.Width, s.Height), availableScreenAreas());
    outerSize_ = outer.size();
    resize(outerSize_);
    move(outer.topLeft());
    if (s.IsMaximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    fitFrame();
}

void TfrmMain::fitFrame()
{
    if (outerSize_.isEmpty() || isMaximized() || isFullScreen())
        return;
    const QMargins margins = frameMarginsOf(*this);
    if (margins.isNull())
        return;
    const QSize inner = outerSize_ - QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
    outerSize_ = QSize();
    resize(inner);
}

// A maximized window leaves its maximized size; a minimized one its size
// before minimizing.
void TfrmMain::storeBounds()
{
    if (!shown_)
        return; // it never got its stored bounds: keep them as they were
    TMainFormSettings &s = *settings_;
    const QMargins margins = frameMarginsOf(*this);
    QRect bounds = geometry().marginsAdded(margins);
    if (isMinimized() && !isMaximized())
        bounds = normalGeometry().marginsAdded(margins);
    s.Width = bounds.width();
    s.Height = bounds.height();
    s.Left = bounds.left();
    s.Top = bounds.top();
    s.IsMaximized = isMaximized();
}

void TfrmMain::FormShow()
{
    vstSearchResults_->hide();
    if (!session_.connect(*resolver_)) {
        showMessage(this, MessageKind::Error, DesignerSession::noDesignerText());
        QCoreApplication::exit(1);
        return;
    }
    FileOpen1Accept(startupFiles_);
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (!closed_) {
        closed_ = true;
        hide();
        ReleaseAllLabels();
        runGuarded(this, [this] { session_.close(); });
    }
    event->accept();
}

TLabelInfo *TfrmMain::viewAt(int index) const
{
    return qobject_cast<TLabelInfo *>(PageControl1_->widget(index));
}

TLabelInfo *TfrmMain::activeView() const
{
    return viewAt(PageControl1_->currentIndex());
}

int TfrmMain::FindLabelPage(const QString &path) const
{
    for (int i = 0; i < PageControl1_->count(); ++i) {
        if (PageControl1_->tabToolTip(i) == path)
            return i;
    }
    return -1;
}

void TfrmMain::OpenLabelFile(const QString &path)
{
    const int existing = FindLabelPage(path);
    if (existing != -1) {
        PageControl1_->setCurrentIndex(existing);
        return;
    }
    auto *view = new TLabelInfo;
    // Adding a tab would make the first one current; keep the active page until the load succeeds.
    const QSignalBlocker block(PageControl1_);
    const int before = PageControl1_->currentIndex();
    const int index = PageControl1_->addTab(view, fileNamePart(path));
    PageControl1_->setTabToolTip(index, path);
    if (before >= 0)
        PageControl1_->setCurrentIndex(before);

    // On an escaping error the page stays, inactive; the enabling rule still holds.
    // A page area with pages always shows one of them, so where no page was
    // active the half-loaded page would become the active one: it goes instead.
    struct Refresh {
        TfrmMain *window;
        TLabelInfo *view;
        int index;
        bool firstPage;
        bool done = false;
        ~Refresh()
        {
            if (!done && firstPage) {
                window->PageControl1_->removeTab(index);
                delete view;
            }
            window->updateActions();
        }
    } refresh{this, view, index, before < 0};
    bool loaded = false;
    {
        BusyCursor busy;
        view->PrepareGrids();
        // Shown only while a long load works.
        connect(view, &TLabelInfo::loadStatusChanged, this, &TfrmMain::showLoadStatus);
        const struct HideStatus {
            QLabel *const &status;
            ~HideStatus()
            {
                if (status)
                    status->hide();
            }
        } hideStatus{loadStatus_};
        loaded = view->LoadLabel(session_.app(), path);
    }
    refresh.done = true;
    if (loaded) {
        PageControl1_->setCurrentIndex(index);
    } else {
        PageControl1_->removeTab(index);
        delete view;
    }
}

// Floats over the bottom of the window instead of taking a status bar's room:
// a status bar showing and hiding would resize the pages, and the preview would
// be drawn again by the designer after every long load.
void TfrmMain::showLoadStatus(const QString &step)
{
    if (!loadStatus_) {
        loadStatus_ = new QLabel(this);
        loadStatus_->setObjectName(QStringLiteral("lblLoadStatus"));
        loadStatus_->setAutoFillBackground(true);
        loadStatus_->setFrameShape(QFrame::StyledPanel);
        loadStatus_->setMargin(4);
    }
    loadStatus_->setText(step);
    const QRect area = centralWidget() ? centralWidget()->geometry() : rect();
    const int height = loadStatus_->sizeHint().height();
    loadStatus_->setGeometry(area.left(), area.bottom() + 1 - height, area.width(), height);
    loadStatus_->raise();
    loadStatus_->show();
}

void TfrmMain::FileOpen1Accept(const QStringList &paths)
{
    for (const QString &path : paths)
        OpenLabelFile(path);
}

void TfrmMain::FileOpen1Execute()
{
    QFileDialog dialog(this, QStringLiteral("Open"));
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(QStringLiteral("Label files (*.lbl)"));
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    FileOpen1Accept(dialog.selectedFiles());
}

void TfrmMain::handleDroppedFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    const QString &first = paths.front();
    if (fileExtension(first).toUpper() == QStringLiteral(".LBL"))
        OpenLabelFile(first);
}

void TfrmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << QDir::toNativeSeparators(url.toLocalFile());
    }
    event->acceptProposedAction();
    runGuarded(this, [&] { handleDroppedFiles(paths); });
}

void TfrmMain::closePage(int index)
{
    if (TLabelInfo *view = viewAt(index)) {
        view->ReleaseLabel();
        PageControl1_->removeTab(index);
        delete view;
    }
    updateActions();
}

void TfrmMain::actFileCloseExecute()
{
    if (PageControl1_->count() > 0)
        closePage(PageControl1_->currentIndex());
}

void TfrmMain::actFileCloseAllExecute()
{
    for (int i = PageControl1_->count() - 1; i >= 0; --i)
        closePage(i);
}

void TfrmMain::ReleaseAllLabels()
{
    for (int i = 0; i < PageControl1_->count(); ++i) {
        if (TLabelInfo *view = viewAt(i))
            view->ReleaseLabel();
    }
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    // Every event of the application passes here: the type is checked first.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()
        && (watched == this || isAncestorOf(static_cast<QWidget *>(watched)))) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_T && (key->modifiers() & Qt::ControlModifier) && !key->isAutoRepeat()) {
            if (TLabelInfo *view = activeView())
                view->RevealOpenTime();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::actHelpAboutExecute()
{
    TfrmAbout about(this);
    about.exec();
}

void TfrmMain::setTextInput(TextInput input)
{
    textInput_ = input ? std::move(input) : TextInput(askText);
}

// A result row and the rows under it, as items of the results tree.
static QTreeWidgetItem *resultItem(const SearchTreeRow &row)
{
    auto *item = new QTreeWidgetItem(QStringList{row.text});
    for (const SearchTreeRow &child : row.children)
        item->addChild(resultItem(child));
    return item;
}

void TfrmMain::actSearchFindExecute()
{
    TLabelInfo *view = activeView();
    if (!view)
        return; // no label to search
    const std::optional<QString> text = textInput_(this, QStringLiteral("Find"), QStringLiteral("Search Text"));
    if (!text)
        return;
    if (vstSearchResults_->isHidden()) {
        vstSearchResults_->show();
        const int total = Splitter1_->height();
        Splitter1_->setSizes({std::max(total - 216, 0), 216});
    }
    const SearchTreeRow found = SearchLabel(view->FLabel().FileName(), view->objectsPage()->model().rowsInDisplayOrder(),
                                            view->variablesPage()->model().rowsInDisplayOrder(), *text);
    // Earlier results stay: each search adds its label row below them.
    QTreeWidgetItem *labelRow = resultItem(found);
    vstSearchResults_->addTopLevelItem(labelRow);
    labelRow->setExpanded(true);
    for (int i = 0; i < labelRow->childCount(); ++i)
        labelRow->child(i)->setExpanded(true);
    vstSearchResults_->scrollToItem(labelRow);
}

// The save dialogs are made on first use: each starts a thread that lists a
// folder, which start-up need not wait for. Neither asks before overwriting.
QFileDialog *TfrmMain::ownSaveDialog(QFileDialog *&dialog, const QString &name)
{
    if (!dialog) {
        dialog = new QFileDialog(this);
        dialog->setObjectName(name);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    }
    return dialog;
}

void TfrmMain::actToolsCreateJobFile()
{
    if (const TLabelInfo *view = activeView()) {
        QFileDialog *dialog = ownSaveDialog(SaveDialog_, QStringLiteral("SaveDialog"));
        actToolsCreateJobFileExecute(this, handlesOf(*view, *PageControl1_), lastCommandFileName_,
                                     [dialog](QWidget *, const SaveDialogRequest &r) { return runOwnSaveDialog(dialog, r); });
    }
}

void TfrmMain::actToolsCreateGraph()
{
    if (const TLabelInfo *view = activeView()) {
        QFileDialog *dialog = ownSaveDialog(SaveDialog2_, QStringLiteral("SaveDialog2"));
        actToolsCreateGraphExecute(this, handlesOf(*view, *PageControl1_), view->FFileName(),
                                   [dialog](QWidget *, const SaveDialogRequest &r) { return runOwnSaveDialog(dialog, r); });
    }
}

void TfrmMain::actToolsSetPrinterExecute()
{
    runTool<TfrmSetPrinter>(this, session_.app());
}

void TfrmMain::actToolsSetPathsExecute()
{
    runTool<TfrmSetPaths>(this, session_.app());
}

void TfrmMain::actToolsSetVariableLengthExecute()
{
    runTool<TfrmSetVariable>(this, session_.app());
}

void TfrmMain::actToolsRunsExecute()
{
    TfrmRuns dialog(this, journalFolder());
    dialog.exec();
}

void TfrmMain::actToolsGetVBScriptsExecute()
{
    runTool<TfrmGetScripts>(this, session_.app());
}

} // namespace strovex
