#pragma once

#include <QString>
#include <QStringList>

/// Object names of the main window's controls whose state the logic sets.
namespace Controls {
inline const QString ListTotal = QStringLiteral("listTotalLabel");
inline const QString NewListTotal = QStringLiteral("newListTotalLabel");
inline const QString ListName = QStringLiteral("listNameLabel");
inline const QString StatusBar = QStringLiteral("statusBar");
inline const QString Submitting = QStringLiteral("submittingLabel");
inline const QString Submitting2 = QStringLiteral("submittingHintLabel");
/// The run's progress bar; its text is "done/total".
inline const QString SubmitProgress = QStringLiteral("submitProgressBar");

inline const QString AddItem = QStringLiteral("addItemButton");
inline const QString AddNew = QStringLiteral("addNewButton");
inline const QString Back = QStringLiteral("backButton");
inline const QString Forward = QStringLiteral("forwardButton");
inline const QString Refresh = QStringLiteral("refreshButton");
inline const QString NewListBack = QStringLiteral("newListBackButton");
inline const QString NewListForward = QStringLiteral("newListForwardButton");
inline const QString NewListRefresh = QStringLiteral("newListRefreshButton");

/// Every name above: the main window's control states accept these and no others.
inline QStringList all()
{
    return {ListTotal, NewListTotal, ListName, StatusBar, Submitting,  Submitting2,    AddItem,
            AddNew,    Back,         Forward,  Refresh,   NewListBack, NewListForward, NewListRefresh,
            SubmitProgress};
}
} // namespace Controls
