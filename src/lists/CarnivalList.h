#pragma once

#include "lists/CarnivalEntry.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

/// The rows of one grid: never fewer than one row, no header row. A blank row has an empty
/// carnival cell; an empty list is a single blank row. The grid's contents are the list itself.
///
/// Moving the current row from code emits currentRowChanged, which the grid follows without
/// running the selection-changed handler; only the user's mouse and keyboard run that.
class CarnivalList final : public QAbstractTableModel
{
    Q_OBJECT

public:
    /// name is the grid's control name, such as "currentListGrid".
    explicit CarnivalList(const QString& name, QObject* parent = nullptr);

    int rows() const { return static_cast<int>(m_rows.size()); }
    /// Never below one: growing adds blank rows, shrinking drops rows from the end.
    void setRows(int count);
    int columns() const { return m_columns; }
    void setColumns(int count);

    /// A cell past the last row or column reads as empty text.
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);
    CarnivalEntry entry(int row) const;
    void setEntry(int row, const CarnivalEntry& entry);

    int currentRow() const { return m_currentRow; }
    void setCurrentRow(int row);

    bool isBlankRow(int row) const { return cell(Column::Carnival, row).isEmpty(); }
    bool isEmptyList() const { return rows() == 1 && isBlankRow(0); }
    /// The rows that hold a carnival: what "List Size:" and "Total Added:" show.
    int carnivalCount() const;

    /// Replaces every row at once (a list load); keeps at least one row.
    void replaceRows(QList<QStringList> rows, int columns);
    const QList<QStringList>& rawRows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void currentRowChanged(int row);

private:
    QStringList blankRow() const;

    QList<QStringList> m_rows;
    int m_columns = 4;
    int m_currentRow = 0;
};
