#pragma once

#include <QString>

/// One list row: a carnival with the category to submit it under.
struct CarnivalEntry
{
    QString carnival;    // the option text of the carnival drop-down
    QString category;    // the option text of the category drop-down, or "No Category"
    QString carnivalRef; // the carnival's option value
    QString categoryRef; // the category's option value, "0" with "No Category"
};

namespace Column {
inline constexpr int Carnival = 0;
inline constexpr int Category = 1;
inline constexpr int CarnivalRef = 2;
inline constexpr int CategoryRef = 3;
} // namespace Column
