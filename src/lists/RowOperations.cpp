#include "lists/RowOperations.h"

#include "lists/CarnivalList.h"
#include "platform/Desktop.h"

void deleteGridRow(CarnivalList& grid, int r, Desktop& desktop)
{
    const int count = grid.rows();
    if (r >= 0 && r < count) {
        for (int row = r; row < count - 1; ++row)
            grid.setEntry(row, grid.entry(row + 1));
        grid.setEntry(count - 1, {});
    }
    desktop.setFocus(grid.objectName());
    if (count > 1)
        grid.setRows(count - 1);
}

// The end state of deleting the current row until the list is empty, in one step: a row-by-row
// delete shifts every row below each time, which would stall on a long list.
void clearAllRows(CarnivalList& grid, Desktop& desktop)
{
    if (!grid.isEmptyList()) {
        desktop.setFocus(grid.objectName());
        grid.setRows(1);
        grid.setEntry(0, {});
    }
    grid.setCurrentRow(0);
}

void appendBlankRow(CarnivalList& grid)
{
    grid.setRows(grid.rows() + 1);
}

// Only the carnival ref column: a carnival whose ref equals another row's category ref (both are
// small numbers) must still be addable.
bool containsCarnival(const CarnivalList& grid, const QString& text)
{
    for (int row = 0; row < grid.rows(); ++row) {
        if (grid.cell(Column::CarnivalRef, row).compare(text, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool selectRowByRef(CarnivalList& grid, const QString& ref)
{
    for (int row = 0; row < grid.rows(); ++row) {
        if (grid.cell(Column::CarnivalRef, row).compare(ref, Qt::CaseInsensitive) == 0) {
            grid.setCurrentRow(row);
            return true;
        }
    }
    return false;
}
