#pragma once

#include <QString>
#include <QStringList>

/// Object names, captions and hints of the Quick Finder window's controls.
namespace QuickFinder {
inline const QString Keyword = QStringLiteral("keywordBox");
inline const QString KeywordLabel = QStringLiteral("keywordLabel");
inline const QString FindButton = QStringLiteral("findButton");
inline const QString Results = QStringLiteral("resultsGrid");
inline const QString AddButton = QStringLiteral("addResultsButton");
inline const QString DeleteRowButton = QStringLiteral("deleteResultButton");
inline const QString ClearAllButton = QStringLiteral("clearAllResultsButton");
inline const QString CloseButton = QStringLiteral("closeFinderButton");
inline const QString TotalLabel = QStringLiteral("resultsTotalLabel");
inline const QString FoundResults = QStringLiteral("foundResultsLabel");
inline const QString ResultCount = QStringLiteral("resultCountLabel");
inline const QString GroupBox = QStringLiteral("finderGroup");

/// Every control name above: the window's control states accept these and no others.
inline QStringList all()
{
    return {Keyword,        KeywordLabel, FindButton, Results,      AddButton,   DeleteRowButton,
            ClearAllButton, CloseButton,  TotalLabel, FoundResults, ResultCount, GroupBox};
}

inline const QString kWindowCaption = QStringLiteral("Vorlix Pro Quick Finder");
inline const QString kGroupCaption = QStringLiteral("Quickly Locate Blog Carnivals");
inline const QString kResultsHint = QStringLiteral("Always multi-select in downward direction ");
inline const QString kAddToCurrentList = QStringLiteral("Add to Current List");
inline const QString kAddToNewList = QStringLiteral("Add to New List");

/// The results grid: column 0 the carnival name, column 1 its ref; five columns in all.
inline constexpr int kResultColumns = 5;
inline constexpr int kNameColumn = 0;
inline constexpr int kRefColumn = 1;
} // namespace QuickFinder
