#pragma once
// The four grid pages of the label view. One GridPage shows a GridModel in a
// tree view under its caption; the subclasses add their fill and what a
// double-click or the context menu does.

#include "automation/designer.h"
#include "inspect/label_rows.h"

#include <QWidget>

#include <vector>

class QLabel;
class QMenu;
class QTreeView;

namespace strovex {

class CutTextToolTips;

class GridPage : public QWidget {
    Q_OBJECT
public:
    QLabel *caption() const { return caption_; }
    QTreeView *view() const { return view_; }
    GridModel *gridModel() const { return model_; }
    // "Copy" (Ctrl+C) and "Copy all"; a page adds its own actions below them.
    QMenu *contextMenu() const { return menu_; }
    // Puts the selected rows, or all of them, on the clipboard as
    // tab-separated text with the column titles.
    void copyRows(bool all);

    // Widens or narrows every column to its longest text as drawn (title
    // included), never below the column's minimum width, never beyond half
    // the view (but not below kMinimumColumnCap).
    void fitColumns();
    static constexpr int kMinimumColumnCap = 150;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

protected:
    // Takes ownership of `model`.
    GridPage(const char *pageName, const char *captionName, const char *captionText, const char *viewName,
             GridModel *model, QWidget *parent);

    // Runs a fill, then shows its rows, also those read before a failure
    // (which is passed on). After a fill of at least one row the caption
    // changes and the columns are fitted.
    template<class Row, class Fill>
    void showFill(RowGridModel<Row> &model, QString (*caption)(int), Fill fill)
    {
        std::vector<Row> rows;
        try {
            fill(rows);
        } catch (...) {
            model.setRows(std::move(rows));
            throw;
        }
        const int count = int(rows.size());
        model.setRows(std::move(rows));
        applyCaption(caption(count));
    }

    void showColumnLines();
    // What Enter on a row does; false where the page opens nothing.
    virtual bool openFocusedRow() { return false; }

private:
    void applyCaption(const QString &text);
    // A page filled while hidden is fitted when first shown: a load fills
    // every page, the user looks at one.
    bool fitWhenShown_ = false;
    void keepMinimumWidth(int column, int oldSize, int newSize);
    void applyFittedWidths();

    QLabel *caption_;
    QTreeView *view_;
    GridModel *model_;
    CutTextToolTips *delegate_ = nullptr;
    QMenu *menu_ = nullptr;
    std::vector<int> fitted_;  // per column, as measured; 0: not fitted (or since resized by the user)
    std::vector<int> applied_; // per column, the width last set from fitted_
};

class ObjectsPage : public GridPage {
    Q_OBJECT
public:
    explicit ObjectsPage(QWidget *parent = nullptr);
    // FillObjects: throws AutomationError when a designer call fails. With
    // `fontNames`, also gathers the Fonts page's names from the same reads.
    void fill(const IQuillmark &label, const IObjectList &objects, QStringList *fontNames = nullptr,
              std::optional<int> unitCode = {});
    ObjectGridModel &model() const { return static_cast<ObjectGridModel &>(*gridModel()); }

};

class VariablesPage : public GridPage {
    Q_OBJECT
public:
    explicit VariablesPage(QWidget *parent = nullptr);
    // FillVariables: throws AutomationError when a designer call fails.
    void fill(const IVariableList &variables, const IVariableList &otherVariables);
    VariableGridModel &model() const { return static_cast<VariableGridModel &>(*gridModel()); }

    // Asks for a file name and writes the export; errors are reported to the user.
    void mmiExportToFileClick();
    // Writes the rows in display order to `path`; throws FileError.
    void exportToFile(const QString &path) const;
};

class DatabasesPage : public GridPage {
    Q_OBJECT
public:
    explicit DatabasesPage(QWidget *parent = nullptr);
    // FillDatabases: throws AutomationError when a designer call fails.
    void fill(const IDatabaseList &databases);
    DatabaseGridModel &model() const { return static_cast<DatabaseGridModel &>(*gridModel()); }
    // Opens the properties of the focused row; nothing without one.
    void vstDatabasesDblClick();

protected:
    bool openFocusedRow() override;

};

class FunctionsPage : public GridPage {
    Q_OBJECT
public:
    explicit FunctionsPage(QWidget *parent = nullptr);
    // FillFunctions: throws AutomationError when a designer call fails.
    void fill(const IFunctionList &functions);
    FunctionGridModel &model() const { return static_cast<FunctionGridModel &>(*gridModel()); }
    // Opens the script viewer for the focused row when it is a script function.
    void vstFunctionsDblClick();

protected:
    bool openFocusedRow() override;

};

} // namespace strovex
