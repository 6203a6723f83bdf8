#pragma once

#include <string>

namespace updater {

/// The updater's log: one line per step, "dd/mm/yyyy hh:nn:ss : [000] " and the message, appended
/// to the file (created when missing). A disabled log writes nothing.
class UpdaterLog
{
public:
    UpdaterLog(std::string path, bool enabled);

    void write(const std::string& message) const;
    bool enabled() const { return m_enabled; }
    const std::string& path() const { return m_path; }

    /// Where the log goes: the name from "WUPDATE.INI" (default "WUPDATE.LOG"); a name without
    /// any folder part lies in the documents folder, or the current one when that is unknown.
    static std::string PathFor(const std::string& logFileName, const std::string& documentsFolder);

private:
    std::string m_path;
    bool m_enabled;
};

} // namespace updater
