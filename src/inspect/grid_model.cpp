#include "inspect/grid_model.h"

#include "inspect/display_text.h"

#include <algorithm>
#include <numeric>

namespace strovex {

QString foldLettersAToZ(const QString &text)
{
    const auto isLower = [](QChar c) { return c.unicode() >= u'a' && c.unicode() <= u'z'; };
    const auto first = std::find_if(text.cbegin(), text.cend(), isLower);
    if (first == text.cend())
        return text; // shares the data: most keys have nothing to fold
    QString folded = text;
    for (qsizetype i = first - text.cbegin(); i < folded.size(); ++i) {
        if (isLower(folded.at(i)))
            folded[i] = QChar(folded.at(i).unicode() - (u'a' - u'A'));
    }
    return folded;
}

int compareGridTexts(const QString &a, const QString &b)
{
    return QString::compare(foldLettersAToZ(a), foldLettersAToZ(b), Qt::CaseSensitive);
}

GridModel::GridModel(std::vector<ColumnInfo> columns, QObject *parent)
    : QAbstractTableModel(parent), columns_(std::move(columns))
{
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(order_.size());
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QString GridModel::cellText(int displayRow, int column) const
{
    if (displayRow < 0 || displayRow >= int(order_.size()) || column < 0 || column >= int(columns_.size()))
        return {};
    return textAt(order_[std::size_t(displayRow)], column);
}

QString GridModel::displayText(int displayRow, int column) const
{
    return replaceLineBreaks(cellText(displayRow, column), kLineBreakMark);
}

static QString tabSeparatedCell(const QString &value)
{
    const bool quoted = value.startsWith(u'"') || value.contains(u'\t') || value.contains(u'\n') || value.contains(u'\r');
    if (!quoted)
        return value;
    QString escaped = value;
    return u'"' + escaped.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString GridModel::tabSeparatedText(std::vector<int> displayRows) const
{
    std::sort(displayRows.begin(), displayRows.end());
    displayRows.erase(std::unique(displayRows.begin(), displayRows.end()), displayRows.end());
    QStringList cells;
    QString text;
    for (const ColumnInfo &column : columns_)
        cells << tabSeparatedCell(column.title);
    text += cells.join(u'\t') + u'\n';
    for (const int row : displayRows) {
        if (row < 0 || row >= int(order_.size()))
            continue;
        cells.clear();
        for (int c = 0; c < int(columns_.size()); ++c)
            cells << tabSeparatedCell(cellText(row, c));
        text += cells.join(u'\t') + u'\n';
    }
    return text;
}

// The tooltip holds the whole value, line breaks included; the view shows it
// only where the cell cuts the text.
QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return displayText(index.row(), index.column());
    if (role == Qt::ToolTipRole) {
        const QString text = cellText(index.row(), index.column());
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size()))
        return {};
    if (role == Qt::DisplayRole)
        return columns_[std::size_t(section)].title;
    if (role == Qt::InitialSortOrderRole)
        return int(Qt::AscendingOrder);
    return {};
}

void GridModel::rebuildOrder()
{
    keys_.assign(columns_.size(), {});
    order_.resize(std::size_t(storedRowCount()));
    std::iota(order_.begin(), order_.end(), 0);
    applySort();
}

void GridModel::applySort()
{
    if (sortColumn_ < 0 || sortColumn_ >= int(columns_.size()) || order_.size() < 2)
        return;
    std::vector<QString> &keys = keys_[std::size_t(sortColumn_)];
    if (keys.size() != order_.size()) {
        keys.clear();
        keys.reserve(order_.size());
        for (int i = 0; i < int(order_.size()); ++i)
            keys.push_back(foldLettersAToZ(sortKeyAt(i, sortColumn_)));
    }
    // Equal keys keep the order the rows were added in, in both directions.
    const int direction = sortOrder_ == Qt::AscendingOrder ? 1 : -1;
    std::sort(order_.begin(), order_.end(), [&keys, direction](int a, int b) {
        const int c = keys[std::size_t(a)].compare(keys[std::size_t(b)], Qt::CaseSensitive) * direction;
        return c < 0 || (c == 0 && a < b);
    });
}

void GridModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= int(columns_.size()))
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> stored;
    stored.reserve(std::size_t(before.size()));
    for (const QModelIndex &index : before)
        stored.push_back(order_[std::size_t(index.row())]);

    sortColumn_ = column;
    sortOrder_ = order;
    applySort();

    if (!before.isEmpty()) {
        std::vector<int> position(order_.size());
        for (std::size_t i = 0; i < order_.size(); ++i)
            position[std::size_t(order_[i])] = int(i);
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i)
            after << index(position[std::size_t(stored[std::size_t(i)])], before[i].column());
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void GridModel::headerClick(int column)
{
    if (column < 0 || column >= int(columns_.size()))
        return;
    if (column == sortColumn_)
        sort(column, sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
    else
        sort(column, Qt::AscendingOrder);
}

} // namespace strovex
