#pragma once

#include <QString>

#include <optional>

class BrowserView;
class CarnivalList;
class ControlStates;

/// One keyword search over the carnival drop-down that view shows. Appends one row per matching
/// carnival (decoded name in column 0, ref in column 1; an option with value "0" or none is no
/// carnival) to results, keeping its trailing blank row, sets
/// the found-results text in controls and makes the first new row current. Returns the number of
/// results; nothing when the page has no carnival drop-down, and then nothing changes. Page errors
/// pass to the caller.
std::optional<int> QuickFind(BrowserView& view, const QString& keyword, CarnivalList& results,
                             ControlStates& controls);

/// "3 Results found for "money"".
QString foundResultsText(int count, const QString& keyword);
