#pragma once

#include <QString>

/// The directory's submission form: its one address, the names of the elements we rely on and the
/// standard messages of the checks that guard operations on it.
namespace SubmitPage {
inline constexpr const char* kPath = "/bc/submit.php";
inline constexpr const char* kCarnivalSelect = "id";
inline constexpr const char* kCategorySelect = "category";
inline constexpr const char* kPermalinkField = "post_url";
inline constexpr const char* kSubmitButton = "btn";
inline constexpr const char* kTitleField = "title";

/// The form's address on a site given as scheme, host and optional port ("http://host:8080").
QString address(const QString& site);

inline const QString kOfflineMessage =
    QStringLiteral("The website appears to be offline\n\nCheck your internet connection");
inline const QString kNotDefaultPageMessage =
    QStringLiteral("You are not on the default web page\n\nClick the \"Reset Page\" button and try again");
inline const QString kPageErrorMessage =
    QStringLiteral("The website appears to be offline, or is not on the default page\n\n"
                   "Check your internet connection, or click the Reset Page Button");
} // namespace SubmitPage
