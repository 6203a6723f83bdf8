#include "lists/RowOperations.h"

#include "app/Ui.h"
#include "lists/CarnivalList.h"

void DeleteStringGridRow1(CarnivalList& grid, int r, Ui& ui)
{
    const int count = grid.rows();
    if (r >= 0 && r < count) {
        for (int row = r; row < count - 1; ++row)
            grid.setEntry(row, grid.entry(row + 1));
        grid.setEntry(count - 1, {});
    }
    ui.setFocus(grid.objectName());
    if (count > 1)
        grid.setRows(count - 1);
}

// The end state of deleting the current row until the list is empty, in one step: a row-by-row
// delete shifts every row below each time, which would stall on a long list.
void ClearAllRows(CarnivalList& grid, Ui& ui)
{
    if (!grid.isEmptyList()) {
        ui.setFocus(grid.objectName());
        grid.setRows(1);
        grid.setEntry(0, {});
    }
    grid.setCurrentRow(0);
}

void AppendBlankRow(CarnivalList& grid)
{
    grid.setRows(grid.rows() + 1);
}

// Only the carnival ref column: a carnival whose ref equals another row's category ref (both are
// small numbers) must still be addable.
bool FindDupes(const CarnivalList& grid, const QString& text)
{
    for (int row = 0; row < grid.rows(); ++row) {
        if (grid.cell(Column::CarnivalRef, row).compare(text, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool SelectRowByRef(CarnivalList& grid, const QString& ref)
{
    for (int row = 0; row < grid.rows(); ++row) {
        if (grid.cell(Column::CarnivalRef, row).compare(ref, Qt::CaseInsensitive) == 0) {
            grid.setCurrentRow(row);
            return true;
        }
    }
    return false;
}
