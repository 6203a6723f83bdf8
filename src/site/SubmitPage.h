#pragma once

#include <QString>

/// The directory's submission form: its one address and the names of the elements we rely on.
namespace SubmitPage {
inline constexpr const char* kPath = "/bc/submit.php";
inline constexpr const char* kCarnivalSelect = "id";
inline constexpr const char* kCategorySelect = "category";
inline constexpr const char* kPermalinkField = "post_url";
inline constexpr const char* kSubmitButton = "btn";

/// The form's address on a site given as scheme, host and optional port ("http://host:8080").
QString address(const QString& site);
} // namespace SubmitPage
