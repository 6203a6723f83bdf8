#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace updater {

/// The updater's parameters, in the order the application's handoff writes them:
/// process id, "L" or not, application path or "null", application parameters (a single blank
/// for none), the folder of the downloaded components, then one component name each.
struct UpdaterCommandLine
{
    std::string processId;
    std::string logFlag;
    std::string applicationPath;
    std::string applicationParameters;
    std::string sourceFolder;
    std::vector<std::string> components;

    /// Splits a command line: blanks separate, double quotes group and are removed. A backslash
    /// is always an ordinary character, so "C:\Temp\" ends with the backslash and its quote closes
    /// the group. A quoted blank is a parameter holding one blank.
    static std::vector<std::string> Split(std::string_view commandLine);
    /// Missing parameters read as empty, as a missing position of a command line does.
    static UpdaterCommandLine FromParameters(const std::vector<std::string>& parameters);
};

} // namespace updater
