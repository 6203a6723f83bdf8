#include "updater/UpdaterLog.h"

#include <ctime>
#include <fstream>

namespace updater {

UpdaterLog::UpdaterLog(std::string path, bool enabled) : m_path(std::move(path)), m_enabled(enabled) {}

void UpdaterLog::write(const std::string& message) const
{
    if (!m_enabled)
        return;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%d/%m/%Y %H:%M:%S", &local);
    // Opened per line so that every step is on disk even if a later one brings the updater down.
    std::ofstream file(m_path, std::ios::app | std::ios::binary);
    file << stamp << " : [000] " << message << '\n';
}

std::string UpdaterLog::PathFor(const std::string& logFileName, const std::string& documentsFolder)
{
    if (logFileName.find_first_of("\\/:") != std::string::npos || documentsFolder.empty())
        return logFileName;
    return documentsFolder + "/" + logFileName;
}

} // namespace updater
