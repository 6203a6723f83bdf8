#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

class CarnivalList;

/// List files (.bcl): one entry per line, every field followed by a TAB, lines ending in CR LF,
/// written as UTF-8 with a byte-order mark. Every failure is thrown as std::runtime_error whose
/// text names the file and gives the system's reason.
namespace ListFile {

inline constexpr QChar kDelimiter = u'\t';

QByteArray readAll(const QString& path);
/// Replaces the file through a temporary file in its folder: a failed write leaves the old file whole.
void writeAtomically(const QString& path, const QByteArray& bytes);
/// The file's lines, decoded by its byte-order mark (none: UTF-8 when valid, else Windows-1252).
QStringList readLines(const QString& path);
/// Fills the grid from row 0 on; it gains rows and columns as needed and never loses any. Cells
/// that a line does not reach keep what they held. No lines leave the grid untouched.
void fillGrid(const QStringList& lines, QChar delimiter, CarnivalList& grid);
/// The file's bytes for the grid: every row but a trailing blank one, columns 0 to 3.
QByteArray encode(const CarnivalList& grid);

} // namespace ListFile

/// The list reader: reads the whole file before touching the grid, so a file that cannot be read
/// changes nothing. Returns the number of lines read; a file with no line gives none.
int LoadFile(const QString& fileName, QChar delimiter, CarnivalList& grid);
/// The list writer. On success the grid's current row ends on its last row.
void SaveTabDelimited(const QString& fileName, CarnivalList& grid);
/// Writes converted lines over an old-format list: UTF-8 without a mark, each line ending in CR LF.
void FixFile(const QStringList& lines, const QString& fileName);
