#include "updater/IniFile.h"

#include "updater/IntegerText.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace updater {

namespace {

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string Unquoted(const std::string& text)
{
    if (text.size() >= 2 &&
        ((text.front() == '"' && text.back() == '"') || (text.front() == '\'' && text.back() == '\'')))
        return text.substr(1, text.size() - 2);
    return text;
}

std::string KeyOf(const std::string& section, const std::string& key)
{
    return Upper(section) + '\n' + Upper(key);
}

} // namespace

IniFile IniFile::Load(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return Parse(content.str());
}

IniFile IniFile::Parse(std::string_view content)
{
    IniFile ini;
    std::string section;
    if (content.starts_with("\xEF\xBB\xBF"))
        content.remove_prefix(3);
    while (!content.empty()) {
        const auto end = std::min(content.find('\n'), content.size());
        const std::string text = Trimmed(std::string(content.substr(0, end)));
        content.remove_prefix(std::min(end + 1, content.size()));
        if (text.empty() || text.front() == ';')
            continue;
        if (text.front() == '[') {
            const auto close = text.find(']');
            section = Trimmed(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            continue;
        }
        const auto equals = text.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = KeyOf(section, Trimmed(text.substr(0, equals)));
        // The first occurrence of a key counts, as with the system's profile functions.
        ini.m_values.emplace(key, Unquoted(Trimmed(text.substr(equals + 1))));
    }
    return ini;
}

std::string IniFile::value(const std::string& section, const std::string& key, const std::string& fallback,
                           std::size_t maxLength) const
{
    const auto found = m_values.find(KeyOf(section, key));
    const std::string& text = found == m_values.end() ? fallback : found->second;
    return text.substr(0, maxLength);
}

int IniFile::intValue(const std::string& section, const std::string& key, int fallback) const
{
    return parseIntText(value(section, key)).value_or(fallback);
}

} // namespace updater
