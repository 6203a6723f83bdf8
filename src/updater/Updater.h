#pragma once

#include "updater/ComponentInstaller.h"
#include "updater/FolderMacros.h"
#include "updater/UpdaterCommandLine.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace updater {

/// What the updater's run needs of the system; tests put their own folders and doubles in.
struct UpdaterEnvironment
{
    FolderMacros folders;  ///< folders.current is the destination: the application's folder
    std::string documents; ///< empty when unknown
    std::function<void(int processId)> waitForProcess;
    std::function<void(int milliseconds)> sleep;
    ComponentInstaller::Runner run;
    std::function<bool(const std::string& program, const std::vector<std::string>& arguments)> start;

    static UpdaterEnvironment System();
};

/// The updater's run: wait for the application to end, take the log's name from "WUPDATE.INI",
/// put every component in place, start the application again.
class Updater
{
public:
    static constexpr const char* kVersionLine = "upd v2.0.3.4";

    explicit Updater(UpdaterEnvironment environment);

    /// 0 after a run; 1 when parameter 1 is not a number, reported on errors before any file is
    /// touched.
    int Run(const UpdaterCommandLine& commandLine, std::ostream& errors);

    static std::optional<int> ParseProcessId(const std::string& text);
    /// The application's arguments: none for a single blank, else the parameters as one argument
    /// (what quoting them on a command line amounts to).
    static std::vector<std::string> RestartArguments(const std::string& parameters);

private:
    std::string takeLogPath() const;

    UpdaterEnvironment m_environment;
};

} // namespace updater
