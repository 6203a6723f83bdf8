#include "updater/ComponentInstaller.h"

#include "updater/CabinetExtractor.h"
#include "updater/FilePlacer.h"
#include "updater/IntegerText.h"
#include "updater/SzddExpander.h"
#include "updater/UpdaterOs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace updater {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kIniValueLength = 128;
const std::string kNewSuffix = "_NEW";

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The extension from the last "." of the file name part, with the dot; empty when none.
std::string ExtensionOf(const std::string& name)
{
    const auto dot = name.rfind('.');
    const auto slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return name.substr(dot);
}

// True when name ends in "_NEW" in any letter case and that is its first "_NEW".
bool IsNewFileName(const std::string& name)
{
    const std::string upper = Upper(name);
    const auto first = upper.find(kNewSuffix);
    return first != std::string::npos && first + kNewSuffix.size() == upper.size();
}

bool IsFile(const std::string& path)
{
    std::error_code code;
    return !path.empty() && fs::is_regular_file(path, code);
}

std::string WithSeparator(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

ComponentInstaller::ComponentInstaller(const UpdaterLog& log, FolderMacros folders, Runner runner,
                                       Sleeper sleeper)
    : m_log(log), m_folders(std::move(folders)), m_runner(std::move(runner)), m_sleeper(std::move(sleeper))
{}

void ComponentInstaller::Process(const std::string& name, const std::string& source,
                                 const std::string& destination)
{
    const std::string extension = ExtensionOf(name);
    if (IsNewFileName(name))
        processNewFile(name.substr(0, name.size() - kNewSuffix.size()), source, destination);
    else if (Upper(extension) == ".INF")
        processInformationFile(name, source);
    else if (extension == ".PAT")
        m_log.write("Upd patch " + name + " skipped : patch components are not supported");
    else if (extension == ".CAB")
        processCabinet(name, source, destination);
    else if (extension == ".EXE")
        processProgram(name, source, destination);
    else
        processFile(name, source, destination);
}

void ComponentInstaller::processNewFile(const std::string& base, const std::string& source,
                                        const std::string& destination)
{
    const std::string from = source + base + kNewSuffix;
    if (!IsFile(from))
        return;
    const std::string to = destination + base;
    m_log.write("Upd copying file : " + from + " to " + to);
    std::string error;
    if (!FilePlacer::Copy(from, to, error))
        logFailure("Upd copy error " + from + " to " + to, error);
}

std::optional<int> ComponentInstaller::ListedFileCount(const IniFile& ini, std::string& error)
{
    const std::string text = ini.value("FILES", "COUNT", {}, kIniValueLength);
    if (text.empty())
        return 0;
    const auto count = parseIntegerText(text);
    if (!count) {
        error = "COUNT " + text + " is not a number";
        return std::nullopt;
    }
    // A huge count would loop for hours and, with the log on, fill the disk with log lines.
    if (*count < 0 || *count > kMaxListedFiles) {
        error = "COUNT " + text + " is not between 0 and " + std::to_string(kMaxListedFiles);
        return std::nullopt;
    }
    return static_cast<int>(*count);
}

void ComponentInstaller::processInformationFile(const std::string& name, const std::string& source)
{
    const std::string path = source + name;
    m_log.write("Upd inf file: " + path);
    if (!IsFile(path))
        return;
    // A list that names itself, directly or through another, would never end.
    if (std::find(m_openInformationFiles.begin(), m_openInformationFiles.end(), path) !=
        m_openInformationFiles.end()) {
        m_log.write("Upd inf file already being processed, skipped: " + path);
        return;
    }
    const IniFile ini = IniFile::Load(path);
    std::string error;
    const auto count = ListedFileCount(ini, error);
    if (!count) {
        logFailure("Upd inf file failed", error);
        return;
    }
    m_openInformationFiles.push_back(path);
    for (int i = 1; i <= *count; ++i) {
        const std::string index = std::to_string(i);
        const std::string file = ini.value("FILES", "FILE" + index, {}, kIniValueLength);
        const std::string target = ini.value("FILES", "TARGET" + index, {}, kIniValueLength);
        m_log.write("upd inf " + index + " : " + file + " " + target);
        Process(file, source, WithSeparator(m_folders.ExpandFolderMacros(target)));
    }
    m_openInformationFiles.pop_back();
}

void ComponentInstaller::processCabinet(const std::string& name, const std::string& source,
                                        const std::string& destination)
{
    m_log.write("Upd cab extract " + name + " " + destination);
    const std::string path = source + name;
    if (!IsFile(path))
        return;
    std::string error;
    if (!CabinetExtractor::Extract(path, destination, error)) {
        logFailure("Upd cabextract failed", error);
        return;
    }
    std::error_code code;
    fs::remove(path, code);
}

void ComponentInstaller::processProgram(const std::string& name, const std::string& source,
                                        const std::string& destination)
{
    m_log.write("Upd execute " + name + " " + destination);
    const std::string path = source + name;
    if (!IsFile(path))
        return;
    // A download arrives without the executable bit.
    UpdaterOs::SetFileMode(path, FilePlacer::ModeOf(path) | 0111);
    std::string error;
    if (!m_runner(path, error)) {
        logFailure("Upd execute failed", error);
        return;
    }
    m_sleeper(500);
    std::error_code code;
    fs::remove(path, code);
}

void ComponentInstaller::processFile(const std::string& name, const std::string& source,
                                     const std::string& destination)
{
    m_log.write("Upd lzexpand " + name + " " + destination);
    const std::string path = source + name;
    if (!IsFile(path))
        return;
    const auto header = SzddExpander::ReadHeader(path);
    const std::string expandedName = header ? SzddExpander::ExpandedName(name, header->missingChar) : name;
    if (expandedName.empty()) {
        logFailure("Upd lzexpand failed", "the SZDD header of " + name + " restores no usable file name");
        return;
    }
    m_log.write("Upd lzexpand dest. filename " + expandedName);
    // Written straight beside its final place rather than first into the current folder and then
    // moved: a file meant for another folder must not replace the application folder's file of
    // the same name on its way.
    const std::string target = destination + expandedName;
    std::string error;
    const bool placed = header ? FilePlacer::Place(
                                     target,
                                     [&path](const std::string& temporary, std::string& reason) {
                                         return SzddExpander::Expand(path, temporary, reason);
                                     },
                                     FilePlacer::ModeOf(path), error)
                               : FilePlacer::Copy(path, target, error);
    if (!placed)
        logFailure("Upd lzexpand failed", error);
}

void ComponentInstaller::logFailure(const std::string& line, const std::string& reason) const
{
    m_log.write(line);
    m_log.write("Upd reason : " + reason);
}

} // namespace updater
