#pragma once

#include <QString>

class CarnivalList;
class Desktop;

/// Removes row r: the rows below move up and the last row goes. With r equal to the row count
/// nothing moves and the last row is dropped as it is. The grid takes the keyboard focus.
void deleteGridRow(CarnivalList& grid, int r, Desktop& desktop);
/// Removes the current row until the grid is an empty list; row 0 ends current.
void clearAllRows(CarnivalList& grid, Desktop& desktop);
/// Adds one blank row after the last.
void appendBlankRow(CarnivalList& grid);
/// True when the carnival ref column of some row equals text, ignoring letter case.
bool containsCarnival(const CarnivalList& grid, const QString& text);
/// Makes current the first row whose carnival ref equals ref, ignoring letter case; false when none.
bool selectRowByRef(CarnivalList& grid, const QString& ref);
