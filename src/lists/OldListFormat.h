#pragma once

#include <QString>

/// Lists of earlier versions: one entry per line, "carnival ref@category ref@@carnival name@@@category
/// name", no TAB anywhere.
namespace OldListFormat {

/// A first line with "@" but no TAB. A current-format line always holds TABs, so a carnival
/// named with an "@" is never taken for an old list (converting it would destroy it).
bool isOldFormatLine(const QString& line);
/// The current-format line of an old line; a field whose separator is missing is empty.
QString convertLine(const QString& line);

} // namespace OldListFormat
