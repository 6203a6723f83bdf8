#pragma once

#include <QString>

/// The working strings that single operations fill and read within one call: a drop-down's
/// markup, the text extracted from it, the text-search position. The system clipboard is never
/// used for them: it holds the user's data.
struct ScratchValues
{
    QString markup;
    QString scratchText;
    QString chosenText;
    int searchPosition = 0;
};
