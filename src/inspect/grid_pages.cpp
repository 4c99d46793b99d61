#include "inspect/grid_pages.h"

#include "inspect/database_properties.h"
#include "inspect/script_viewer.h"
#include "inspect/value_tables.h"
#include "inspect/variables_export.h"
#include "ui/error_boundary.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>
#include <vector>

namespace strovex {

// The tooltip holds the cell's whole value; shown only where the cell cuts it.
// Every grid draws its rows with this delegate and the style's own colours,
// so a selected row reads as the palette (light, dark or high contrast) says;
// a style sheet on one view used to repaint its selection unreadably.
class CutTextToolTips : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool columnLines = false; // a thin line right of every cell

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (!columnLines)
            return;
        painter->save();
        painter->setPen(option.palette.color(QPalette::Midlight));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString value = index.data(Qt::ToolTipRole).toString();
        const QRect cell = view->visualRect(index);
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        item.rect = cell;
        const QRect textArea = view->style()->subElementRect(QStyle::SE_ItemViewItemText, &item, view);
        if (value.isEmpty() || item.fontMetrics.horizontalAdvance(item.text) <= textArea.width()) {
            QToolTip::hideText();
            return true;
        }
        // As plain text whatever it holds, its own line breaks kept, long lines wrapped.
        QString lines = value;
        lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        QToolTip::showText(event->globalPos(), Qt::convertFromPlainText(lines, Qt::WhiteSpaceNormal), view, cell);
        return true;
    }
};

GridPage::GridPage(const char *pageName, const char *captionName, const char *captionText, const char *viewName,
                   GridModel *model, QWidget *parent)
    : QWidget(parent), caption_(new QLabel(QString::fromUtf8(captionText), this)), view_(new QTreeView(this)),
      model_(model)
{
    model_->setParent(this);
    setObjectName(QLatin1String(pageName));
    caption_->setObjectName(QLatin1String(captionName));
    caption_->setBuddy(view_);
    view_->setObjectName(QLatin1String(viewName));
    view_->setModel(model_);
    view_->setRootIsDecorated(false);
    view_->setItemsExpandable(false);
    view_->setUniformRowHeights(true);
    view_->setAllColumnsShowFocus(true);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    // The model owns the sort rule; the header only reports clicks and shows the glyph.
    QHeaderView *header = view_->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(model_->sortColumn(), model_->sortOrder());
    header->setStretchLastSection(false);
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
        model_->headerClick(column);
        view_->header()->setSortIndicator(model_->sortColumn(), model_->sortOrder());
    });
    const auto &columns = model_->columns();
    for (int i = 0; i < int(columns.size()); ++i) {
        if (columns[std::size_t(i)].initialWidth > 0)
            header->resizeSection(i, columns[std::size_t(i)].initialWidth);
    }
    connect(header, &QHeaderView::sectionResized, this, &GridPage::keepMinimumWidth);

    delegate_ = new CutTextToolTips(view_);
    view_->setItemDelegate(delegate_);
    view_->viewport()->installEventFilter(this);
    view_->installEventFilter(this);

    // Ctrl+A selects every row (the view's own); Ctrl+C and the menu copy rows
    // with the column titles, as spreadsheets take them.
    auto *copy = new QAction(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("actGridCopy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this] { copyRows(false); });
    auto *copyAll = new QAction(QStringLiteral("Copy all"), this);
    copyAll->setObjectName(QStringLiteral("actGridCopyAll"));
    connect(copyAll, &QAction::triggered, this, [this] { copyRows(true); });
    view_->addAction(copy);
    menu_ = new QMenu(this);
    menu_->addAction(copy);
    menu_->addAction(copyAll);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { menu_->popup(view_->viewport()->mapToGlobal(pos)); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption_);
    layout->addWidget(view_, 1);
}

void GridPage::copyRows(bool all)
{
    std::vector<int> rows;
    if (all) {
        rows.resize(std::size_t(model_->rowCount()));
        std::iota(rows.begin(), rows.end(), 0);
    } else {
        for (const QModelIndex &index : view_->selectionModel()->selectedRows())
            rows.push_back(index.row());
    }
    QGuiApplication::clipboard()->setText(model_->tabSeparatedText(std::move(rows)));
}

void GridPage::showColumnLines()
{
    delegate_->columnLines = true;
}

void GridPage::keepMinimumWidth(int column, int, int newSize)
{
    const int minimum = model_->columns().at(std::size_t(column)).minimumWidth;
    if (newSize < minimum)
        view_->header()->resizeSection(column, minimum);
}

void GridPage::applyCaption(const QString &text)
{
    if (text.isNull())
        return; // no rows: caption and widths stay as they were
    caption_->setText(text);
    fitWhenShown_ = !isVisible();
    if (!fitWhenShown_)
        fitColumns();
}

void GridPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (fitWhenShown_) {
        fitWhenShown_ = false;
        fitColumns();
    }
}

void GridPage::fitColumns()
{
    // Measured with font metrics over all rows: the view's own sizing looks at
    // a sample of rows only and asks the delegate for every cell.
    const QFontMetrics metrics = view_->fontMetrics();
    const int padding = 2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1) + 4;
    QHeaderView *header = view_->header();
    const int rows = model_->rowCount();
    fitted_.assign(std::size_t(model_->columnCount()), 0);
    applied_.assign(fitted_.size(), 0);
    // A Latin-1 text is drawn in the view's own font, so it is no wider than its
    // length times that font's widest character: such texts are measured once
    // each, longest first, until no shorter one can win. Other texts may come
    // from fallback fonts and are always measured.
    const int widestCharacter = qMax(1, metrics.maxWidth());
    std::vector<QString> latin1;
    latin1.reserve(std::size_t(rows));
    for (int c = 0; c < model_->columnCount(); ++c) {
        if (header->isSectionHidden(c) || header->sectionResizeMode(c) != QHeaderView::Interactive)
            continue;
        int width = header->sectionSizeHint(c);
        fitted_[std::size_t(c)] = 0;
        latin1.clear();
        for (int r = 0; r < rows; ++r) {
            QString text = model_->displayText(r, c);
            const bool isLatin1 = std::all_of(text.cbegin(), text.cend(), [](QChar ch) { return ch.unicode() < 0x100; });
            if (isLatin1)
                latin1.push_back(std::move(text));
            else
                width = qMax(width, metrics.horizontalAdvance(text) + padding);
        }
        // Longest first; equal texts side by side, so each is measured once.
        std::sort(latin1.begin(), latin1.end(), [](const QString &a, const QString &b) {
            return a.size() != b.size() ? a.size() > b.size() : a < b;
        });
        for (std::size_t i = 0; i < latin1.size(); ++i) {
            if (latin1[i].size() * widestCharacter + padding <= width)
                break;
            if (i == 0 || latin1[i] != latin1[i - 1])
                width = qMax(width, metrics.horizontalAdvance(latin1[i]) + padding);
        }
        fitted_[std::size_t(c)] = qMax(width, model_->columns().at(std::size_t(c)).minimumWidth);
    }
    applyFittedWidths();
}

// One long value must not push the other columns out of sight: a fitted column
// takes at most half the view, and its tooltip shows the rest. The cap follows
// the view's width as long as the user leaves the column's width alone.
void GridPage::applyFittedWidths()
{
    QHeaderView *header = view_->header();
    const int columns = qMin(int(fitted_.size()), header->count());
    const int viewWidth = view_->viewport()->width();
    const int cap = qMax(kMinimumColumnCap, viewWidth / 2);
    std::vector<int> widths(std::size_t(columns), 0);
    int total = 0;
    for (int c = 0; c < columns; ++c) {
        const int fitted = fitted_[std::size_t(c)];
        const int minimum = model_->columns().at(std::size_t(c)).minimumWidth;
        widths[std::size_t(c)] = fitted > 0 ? qMax(qMin(fitted, cap), minimum) : header->sectionSize(c);
        if (!header->isSectionHidden(c))
            total += widths[std::size_t(c)];
    }
    // Still wider than the view: the widest fitted columns give way first,
    // down to kMinimumColumnCap, so the narrow ones stay in sight.
    for (int excess = total - viewWidth; excess > 0;) {
        int widest = -1;
        for (int c = 0; c < columns; ++c) {
            if (fitted_[std::size_t(c)] > 0 && !header->isSectionHidden(c) && widths[std::size_t(c)] > kMinimumColumnCap
                && (widest < 0 || widths[std::size_t(c)] > widths[std::size_t(widest)]))
                widest = c;
        }
        if (widest < 0)
            break;
        const int minimum = qMax(kMinimumColumnCap, model_->columns().at(std::size_t(widest)).minimumWidth);
        const int cut = qMin(excess, widths[std::size_t(widest)] - minimum);
        if (cut <= 0)
            break;
        widths[std::size_t(widest)] -= cut;
        excess -= cut;
    }
    for (int c = 0; c < columns; ++c) {
        if (fitted_[std::size_t(c)] <= 0)
            continue;
        applied_[std::size_t(c)] = widths[std::size_t(c)];
        header->resizeSection(c, widths[std::size_t(c)]);
    }
}

bool GridPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // Before the view's own copy, which takes the current cell only.
        if (key->matches(QKeySequence::Copy)) {
            copyRows(false);
            return true;
        }
        // Enter opens what a double-click opens, where a page opens anything.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier
            && openFocusedRow()) {
            return true;
        }
    }
    if (watched == view_->viewport() && event->type() == QEvent::Resize) {
        QHeaderView *header = view_->header();
        for (int c = 0; c < int(applied_.size()) && c < header->count(); ++c) {
            if (applied_[std::size_t(c)] != header->sectionSize(c))
                fitted_[std::size_t(c)] = 0; // the user chose this width
        }
        applyFittedWidths();
    }
    return QWidget::eventFilter(watched, event);
}

ObjectsPage::ObjectsPage(QWidget *parent)
    : GridPage("ttbsObjectInfo", "lblObjectInfo", "&Object information:", "vstObjectInfo",
               createObjectGridModel().release(), parent)
{
}

void ObjectsPage::showRows(std::vector<TObjectRow> rows, bool complete)
{
    showRowsOf(model(), ObjectsCaption, std::move(rows), complete);
}

VariablesPage::VariablesPage(QWidget *parent)
    : GridPage("ttbsVariableInfo", "lblVarInfo", "&Variable information:", "vstVariables",
               createVariableGridModel().release(), parent)
{
    contextMenu()->setObjectName(QStringLiteral("pmVariables"));
    contextMenu()->addSeparator();
    QAction *exportAction = contextMenu()->addAction(QStringLiteral("Export information to file"));
    exportAction->setObjectName(QStringLiteral("mmiExportToFile"));
    connect(exportAction, &QAction::triggered, this, &VariablesPage::mmiExportToFileClick);
    showColumnLines();
}

void VariablesPage::showRows(std::vector<TVariableRow> rows, bool complete)
{
    showRowsOf(model(), VariablesCaption, std::move(rows), complete);
}

void VariablesPage::exportToFile(const QString &path) const
{
    ExportVariables(path, model().rowsInDisplayOrder());
}

void VariablesPage::mmiExportToFileClick()
{
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("dlgExport"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setNameFilter(QStringLiteral("*.csv file (*.csv)"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    runGuarded(this, [&] { exportToFile(path); });
}

DatabasesPage::DatabasesPage(QWidget *parent)
    : GridPage("ttbsDatabaseInfo", "lblDBInfo", "&Database information:", "vstDatabases",
               createDatabaseGridModel().release(), parent)
{
    connect(view(), &QAbstractItemView::doubleClicked, this, &DatabasesPage::vstDatabasesDblClick);
}

void DatabasesPage::showRows(std::vector<TDatabaseRow> rows, bool complete)
{
    showRowsOf(model(), DatabasesCaption, std::move(rows), complete);
}

bool DatabasesPage::openFocusedRow()
{
    runGuarded(this, [this] { vstDatabasesDblClick(); });
    return true;
}

void DatabasesPage::vstDatabasesDblClick()
{
    const QModelIndex focused = view()->currentIndex();
    if (!focused.isValid())
        return;
    TfrmDatabaseProperties dialog(window());
    dialog.fill(model().rowAt(focused.row()));
    dialog.exec();
}

FunctionsPage::FunctionsPage(QWidget *parent)
    : GridPage("ttbsFunctionInfo", "lblFunctionInfo", "&Function information:", "vstFunctions",
               createFunctionGridModel().release(), parent)
{
    connect(view(), &QAbstractItemView::doubleClicked, this, &FunctionsPage::vstFunctionsDblClick);
}

void FunctionsPage::showRows(std::vector<TFunctionRow> rows, bool complete)
{
    showRowsOf(model(), FunctionsCaption, std::move(rows), complete);
}

bool FunctionsPage::openFocusedRow()
{
    runGuarded(this, [this] { vstFunctionsDblClick(); });
    return true;
}

void FunctionsPage::vstFunctionsDblClick()
{
    const QModelIndex focused = view()->currentIndex();
    if (!focused.isValid())
        return;
    const TFunctionRow &row = model().rowAt(focused.row());
    if (row.Type == visualBasicScriptText())
        ShowScript(window(), row.Script);
}

} // namespace strovex
