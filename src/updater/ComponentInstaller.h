#pragma once

#include "updater/FolderMacros.h"
#include "updater/IniFile.h"
#include "updater/UpdaterLog.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace updater {

/// Puts one downloaded application component in place according to its name: "_NEW" copies,
/// ".INF" lists further files, ".PAT" is skipped, ".CAB" is extracted, ".EXE" is run, anything
/// else is expanded from SZDD form or copied. A component whose file is missing is passed over.
class ComponentInstaller
{
public:
    /// Runs a program and waits for it; false with a reason when it could not be run.
    using Runner = std::function<bool(const std::string& program, std::string& error)>;
    using Sleeper = std::function<void(int milliseconds)>;

    /// folders expand the macros in the targets of component information files.
    ComponentInstaller(const UpdaterLog& log, FolderMacros folders, Runner runner, Sleeper sleeper);

    /// The most files one information file may list: the engine's limit for its control file.
    static constexpr int kMaxListedFiles = 10000;

    /// Processes component name with source folder and destination folder (both ending in "/").
    void Process(const std::string& name, const std::string& source, const std::string& destination);

    /// The number of files an information file lists: its COUNT, 0 when missing or empty. None with
    /// a reason when COUNT is no number or lies outside 0 to kMaxListedFiles.
    static std::optional<int> ListedFileCount(const IniFile& ini, std::string& error);

private:
    void processNewFile(const std::string& base, const std::string& source, const std::string& destination);
    void processInformationFile(const std::string& name, const std::string& source);
    void processCabinet(const std::string& name, const std::string& source, const std::string& destination);
    void processProgram(const std::string& name, const std::string& source, const std::string& destination);
    void processFile(const std::string& name, const std::string& source, const std::string& destination);
    void logFailure(const std::string& line, const std::string& reason) const;

    const UpdaterLog& m_log;
    FolderMacros m_folders;
    Runner m_runner;
    Sleeper m_sleeper;
    std::vector<std::string> m_openInformationFiles;
};

} // namespace updater
