#pragma once
// The four grid pages of the label view. One GridPage shows a GridModel in a
// tree view under its caption; the subclasses add their rows and what a
// double-click or the context menu does.

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

    // Shows `rows`. After a complete read of at least one row the caption
    // changes and the columns are fitted; rows of a read that failed half-way
    // are shown as they are, the caption left as it was.
    template<class Row>
    void showRowsOf(RowGridModel<Row> &model, QString (*caption)(int), std::vector<Row> rows, bool complete)
    {
        const int count = int(rows.size());
        model.setRows(std::move(rows));
        if (complete)
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
    // The rows of a LabelContents; `complete` false: a read that failed half-way.
    void showRows(std::vector<TObjectRow> rows, bool complete = true);
    ObjectGridModel &model() const { return static_cast<ObjectGridModel &>(*gridModel()); }

};

class VariablesPage : public GridPage {
    Q_OBJECT
public:
    explicit VariablesPage(QWidget *parent = nullptr);
    void showRows(std::vector<TVariableRow> rows, bool complete = true);
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
    void showRows(std::vector<TDatabaseRow> rows, bool complete = true);
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
    void showRows(std::vector<TFunctionRow> rows, bool complete = true);
    FunctionGridModel &model() const { return static_cast<FunctionGridModel &>(*gridModel()); }
    // Opens the script viewer for the focused row when it is a script function.
    void vstFunctionsDblClick();

protected:
    bool openFocusedRow() override;

};

} // namespace strovex
