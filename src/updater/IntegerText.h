#pragma once

#include <optional>
#include <string_view>

namespace updater {

/// The one rule for integers written as text, shared by the updater and the update engine: an
/// optional "-" and decimal digits, or "$", "0x" or "0X" and hexadecimal digits (no sign). No
/// blanks, no "+". None when the text is not such a number or its value does not fit.
std::optional<long long> parseIntegerText(std::string_view text);
/// The same, limited to the range of int.
std::optional<int> parseIntText(std::string_view text);

} // namespace updater
