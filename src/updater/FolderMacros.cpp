#include "updater/FolderMacros.h"

#include <algorithm>
#include <cctype>

namespace updater {

namespace {

constexpr char kSeparator = '/';

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

} // namespace

std::string FolderMacros::FolderForMacro(const std::string& name) const
{
    const std::string* folder = nullptr;
    if (name == "APP")
        folder = &current;
    else if (name == "TMP")
        folder = &temp;
    else if (name == "WIN")
        folder = &windows;
    else if (name == "SYS")
        folder = &system;
    else if (name == "PF")
        folder = &programFiles;
    if (folder == nullptr || folder->empty())
        return {};
    return NormalizeFolder(*folder);
}

std::string FolderMacros::ExpandFolderMacros(const std::string& text) const
{
    std::string result = text;
    std::size_t position = 0;
    while (position < result.size()) {
        if (result[position] != '{') {
            ++position;
            continue;
        }
        const auto close = result.find('}', position + 1);
        if (close == std::string::npos)
            break;
        const std::string folder = FolderForMacro(Upper(result.substr(position + 1, close - position - 1)));
        if (folder.empty()) {
            position = close + 1;
            continue;
        }
        // Scanning goes on after the folder: a folder whose own name holds "{APP}" would otherwise
        // be expanded again and again.
        result.replace(position, close - position + 1, folder);
        position += folder.size();
    }
    return result;
}

std::string FolderMacros::NormalizeFolder(std::string folder)
{
    if (folder.empty() || folder.back() != kSeparator)
        folder += kSeparator;
    if (folder.size() > 3 && folder[1] == ':')
        folder.pop_back();
    else
        folder += '.';
    return folder;
}

} // namespace updater
