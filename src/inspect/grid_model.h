#pragma once
// The sortable grid shared by the objects, variables, databases and functions
// pages: a table model over row records whose columns are described once
// (title, cell text, sort key). Rows are kept in the order they were added;
// the model shows them through a display order that sorting rearranges.

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <vector>

namespace strovex {

// The grids' text order: letters a to z fold onto A to Z, every other
// character compares by its UTF-16 code.
QString foldLettersAToZ(const QString &text);
int compareGridTexts(const QString &a, const QString &b);

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct ColumnInfo {
        QString title;
        int minimumWidth = 0; // pixels; 0: the view's default
        int initialWidth = 0; // pixels; 0: the view's default
    };

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Sorts by `column` (ignored when out of range); equal keys keep the order
    // the rows were added in. Selections and the current row follow their rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // A click on a column header: the sort column reverses its direction, any
    // other column becomes the sort column, ascending.
    void headerClick(int column);
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    const std::vector<ColumnInfo> &columns() const { return columns_; }
    // The value at a display position, as sorting, search and export see it;
    // empty outside the grid.
    QString cellText(int displayRow, int column) const;
    // What the cell draws: the value on one line, its line breaks marked.
    QString displayText(int displayRow, int column) const;
    // The column titles, then the rows at the display positions given (in
    // display order, positions outside the grid left out), as tab-separated
    // lines: what spreadsheets take from the clipboard. A value holding a tab,
    // a line break or a leading double quote is quoted, its quotes doubled.
    QString tabSeparatedText(std::vector<int> displayRows) const;
    // Position of the displayed row among the rows as they were added.
    int storageIndex(int displayRow) const { return order_.at(std::size_t(displayRow)); }

protected:
    GridModel(std::vector<ColumnInfo> columns, QObject *parent);

    virtual int storedRowCount() const = 0;
    virtual QString textAt(int storageRow, int column) const = 0;
    virtual QString sortKeyAt(int storageRow, int column) const = 0;

    // Call between beginResetModel and endResetModel after the rows changed.
    void rebuildOrder();

private:
    void applySort();

    std::vector<ColumnInfo> columns_;
    std::vector<int> order_;
    // Folded sort keys per column, by storage index; made at a column's first
    // sort and kept until the rows change, so a re-sort only sorts.
    std::vector<std::vector<QString>> keys_;
    int sortColumn_ = 0;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

template<class Row>
class RowGridModel : public GridModel {
public:
    struct Column {
        ColumnInfo info;
        std::function<QString(const Row &)> text;
        std::function<QString(const Row &)> sortKey; // empty: the cell text
    };

    explicit RowGridModel(std::vector<Column> columns, QObject *parent = nullptr)
        : GridModel(infos(columns), parent), columns_(std::move(columns))
    {
    }

    // Replaces every row and sorts them by the current sort column and direction.
    void setRows(std::vector<Row> rows)
    {
        beginResetModel();
        rows_ = std::move(rows);
        rebuildOrder();
        endResetModel();
    }

    const std::vector<Row> &rows() const { return rows_; } // in the order added
    const Row &rowAt(int displayRow) const { return rows_.at(std::size_t(storageIndex(displayRow))); }
    std::vector<const Row *> rowsInDisplayOrder() const
    {
        std::vector<const Row *> result;
        result.reserve(rows_.size());
        for (int i = 0; i < int(rows_.size()); ++i)
            result.push_back(&rowAt(i));
        return result;
    }

protected:
    int storedRowCount() const override { return int(rows_.size()); }
    QString textAt(int storageRow, int column) const override
    {
        return columns_[std::size_t(column)].text(rows_[std::size_t(storageRow)]);
    }
    QString sortKeyAt(int storageRow, int column) const override
    {
        const Column &c = columns_[std::size_t(column)];
        const Row &row = rows_[std::size_t(storageRow)];
        return c.sortKey ? c.sortKey(row) : c.text(row);
    }

private:
    static std::vector<ColumnInfo> infos(const std::vector<Column> &columns)
    {
        std::vector<ColumnInfo> result;
        for (const Column &c : columns)
            result.push_back(c.info);
        return result;
    }

    std::vector<Column> columns_;
    std::vector<Row> rows_;
};

} // namespace strovex
