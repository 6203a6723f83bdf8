#include "lists/CarnivalList.h"

#include <algorithm>

CarnivalList::CarnivalList(const QString& name, QObject* parent) : QAbstractTableModel(parent)
{
    setObjectName(name);
    m_rows.append(blankRow());
}

QStringList CarnivalList::blankRow() const
{
    return {};
}

void CarnivalList::setRows(int count)
{
    count = std::max(count, 1);
    const int old = rows();
    if (count > old) {
        beginInsertRows({}, old, count - 1);
        m_rows.reserve(count);
        while (rows() < count)
            m_rows.append(blankRow());
        endInsertRows();
    } else if (count < old) {
        beginRemoveRows({}, count, old - 1);
        m_rows.resize(count);
        endRemoveRows();
    }
    if (m_currentRow >= count)
        setCurrentRow(count - 1);
}

void CarnivalList::setColumns(int count)
{
    count = std::max(count, 1);
    if (count == m_columns)
        return;
    beginResetModel();
    // Rows keep only the cells they hold: a cell past a row's end reads as empty.
    m_columns = count;
    for (QStringList& row : m_rows) {
        if (row.size() > count)
            row.resize(count);
    }
    endResetModel();
}

QString CarnivalList::cell(int column, int row) const
{
    if (row < 0 || row >= rows() || column < 0 || column >= m_columns)
        return {};
    return m_rows[row].value(column);
}

void CarnivalList::setCell(int column, int row, const QString& text)
{
    if (row < 0 || row >= rows() || column < 0)
        return;
    if (column >= m_columns)
        setColumns(column + 1);
    QStringList& cells = m_rows[row];
    if (column >= cells.size())
        cells.resize(column + 1);
    cells[column] = text;
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at, {Qt::DisplayRole});
}

CarnivalEntry CarnivalList::entry(int row) const
{
    return {cell(Column::Carnival, row), cell(Column::Category, row), cell(Column::CarnivalRef, row),
            cell(Column::CategoryRef, row)};
}

void CarnivalList::setEntry(int row, const CarnivalEntry& entry)
{
    setCell(Column::Carnival, row, entry.carnival);
    setCell(Column::Category, row, entry.category);
    setCell(Column::CarnivalRef, row, entry.carnivalRef);
    setCell(Column::CategoryRef, row, entry.categoryRef);
}

int CarnivalList::carnivalCount() const
{
    return static_cast<int>(std::ranges::count_if(
        m_rows, [](const QStringList& row) { return !row.value(Column::Carnival).isEmpty(); }));
}

void CarnivalList::setCurrentRow(int row)
{
    row = std::clamp(row, 0, rows() - 1);
    if (row == m_currentRow)
        return;
    m_currentRow = row;
    emit currentRowChanged(row);
}

void CarnivalList::replaceRows(QList<QStringList> newRows, int columns)
{
    beginResetModel();
    m_columns = std::max(columns, 1);
    m_rows = std::move(newRows);
    // A row is as long as its own fields, so memory follows the content, not rows x widest row.
    for (QStringList& row : m_rows) {
        if (row.size() > m_columns)
            row.resize(m_columns);
    }
    if (m_rows.isEmpty())
        m_rows.append(blankRow());
    endResetModel();
    if (m_currentRow >= rows())
        setCurrentRow(rows() - 1);
}

int CarnivalList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows();
}

int CarnivalList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant CarnivalList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return cell(index.column(), index.row());
}

QVariant CarnivalList::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const titles[] = {"Blog Carnivals", "Categories", "Carnival Ref.", "Category Ref."};
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal && section >= 0 && section < 4)
        return QString::fromLatin1(titles[section]);
    return section;
}
