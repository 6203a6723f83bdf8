#pragma once

#include <map>
#include <string>
#include <string_view>

namespace updater {

/// A Windows INI file, read once: section and key names compare without regard to case; a value
/// is the text after the first "=", blanks around it and one pair of enclosing quotes removed.
class IniFile
{
public:
    /// A file that cannot be read is an empty INI file.
    static IniFile Load(const std::string& path);
    /// The INI file with this content.
    static IniFile Parse(std::string_view content);

    /// The value, at most maxLength characters; fallback when the section or key is missing.
    std::string value(const std::string& section, const std::string& key, const std::string& fallback = {},
                      std::size_t maxLength = std::string::npos) const;
    /// An integer as parseIntText reads it; fallback when missing, not a number or beyond int.
    int intValue(const std::string& section, const std::string& key, int fallback) const;

private:
    std::map<std::string, std::string> m_values; // "SECTION\nKEY" upper-cased -> value
};

} // namespace updater
