#include "inspect/grid_pages.h"

#include "app/error_boundary.h"
#include "inspect/database_properties.h"
#include "inspect/script_viewer.h"
#include "inspect/value_tables.h"
#include "inspect/variables_export.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace strovex {

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
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
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

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption_);
    layout->addWidget(view_, 1);
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
    fitColumns();
}

void GridPage::fitColumns()
{
    // Measured with font metrics over all rows: the view's own sizing looks at
    // a sample of rows only and asks the delegate for every cell.
    const QFontMetrics metrics = view_->fontMetrics();
    const int padding = 2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1) + 4;
    QHeaderView *header = view_->header();
    const int rows = model_->rowCount();
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
        latin1.clear();
        for (int r = 0; r < rows; ++r) {
            QString text = model_->cellText(r, c);
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
        header->resizeSection(c, qMax(width, model_->columns().at(std::size_t(c)).minimumWidth));
    }
}

ObjectsPage::ObjectsPage(QWidget *parent)
    : GridPage("ttbsObjectInfo", "lblObjectInfo", "&Object information:", "vstObjectInfo",
               createObjectGridModel().release(), parent)
{
}

void ObjectsPage::fill(const IQuillmark &label, const IObjectList &objects, QStringList *fontNames,
                       std::optional<int> unitCode)
{
    showFill(model(), ObjectsCaption,
             [&](auto &rows) { FillObjectRows(label, objects, rows, fontNames, unitCode); });
}

VariablesPage::VariablesPage(QWidget *parent)
    : GridPage("ttbsVariableInfo", "lblVarInfo", "&Variable information:", "vstVariables",
               createVariableGridModel().release(), parent),
      menu_(new QMenu(this))
{
    menu_->setObjectName(QStringLiteral("pmVariables"));
    QAction *exportAction = menu_->addAction(QStringLiteral("Export information to file"));
    exportAction->setObjectName(QStringLiteral("mmiExportToFile"));
    connect(exportAction, &QAction::triggered, this, &VariablesPage::mmiExportToFileClick);
    view()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { menu_->popup(view()->viewport()->mapToGlobal(pos)); });
    // Vertical lines between the columns.
    view()->setStyleSheet(QStringLiteral("QTreeView#vstVariables::item { border-right: 1px solid palette(midlight); }"));
}

void VariablesPage::fill(const IVariableList &variables, const IVariableList &otherVariables)
{
    showFill(model(), VariablesCaption, [&](auto &rows) { FillVariableRows(variables, otherVariables, rows); });
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

void DatabasesPage::fill(const IDatabaseList &databases)
{
    showFill(model(), DatabasesCaption, [&](auto &rows) { FillDatabaseRows(databases, rows); });
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

void FunctionsPage::fill(const IFunctionList &functions)
{
    showFill(model(), FunctionsCaption, [&](auto &rows) { FillFunctionRows(functions, rows); });
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
