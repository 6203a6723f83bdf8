#pragma once

#include <QString>

/// Object names, captions and hints of the Quick Finder window's controls.
namespace QuickFinder {
inline const QString Keyword = QStringLiteral("TextBoxKeyword");
inline const QString KeywordLabel = QStringLiteral("spSkinTextLabelKeyword");
inline const QString FindButton = QStringLiteral("btnFind");
inline const QString Results = QStringLiteral("StringGrid1");
inline const QString AddButton = QStringLiteral("spSkinButton1");
inline const QString DeleteRowButton = QStringLiteral("spSkinButton4");
inline const QString ClearAllButton = QStringLiteral("btnClearAll");
inline const QString CloseButton = QStringLiteral("spSkinButton3");
inline const QString TotalLabel = QStringLiteral("spSkinTextLabel1");
inline const QString FoundResults = QStringLiteral("TextLabelFoundResults1");
inline const QString ResultCount = QStringLiteral("TextLabelResults");
inline const QString GroupBox = QStringLiteral("spSkinGroupBox1");

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
