#include "updater/UpdaterOs.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace UpdaterOs {
namespace {

std::string EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The documents folder as the desktop names it in user-dirs.dirs, the way the program's own
// toolkit finds it, so both sides agree on where "WUPDATE.INI" lies.
std::string XdgDocumentsFolder(const std::string& home)
{
    std::string config = EnvironmentValue("XDG_CONFIG_HOME");
    if (config.empty())
        config = home + "/.config";
    std::ifstream dirs(config + "/user-dirs.dirs");
    const std::string key = "XDG_DOCUMENTS_DIR=";
    std::string line;
    while (std::getline(dirs, line)) {
        if (line.rfind(key, 0) != 0)
            continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        if (!value.empty() && value.front() == '/')
            return WithoutTrailingSlash(value);
    }
    return {};
}

bool ProcessIsGoneOrZombie(int processId)
{
    if (::kill(processId, 0) != 0 && errno == ESRCH)
        return true;
    std::ifstream stat("/proc/" + std::to_string(processId) + "/stat");
    std::string content;
    if (!std::getline(stat, content))
        return true;
    const auto close = content.rfind(')');
    return close != std::string::npos && close + 2 < content.size() && content[close + 2] == 'Z';
}

// Without pidfd support: look every 100 ms. A zombie counts as ended, since its parent may never
// reap it while we wait.
void PollForProcessEnd(int processId)
{
    while (!ProcessIsGoneOrZombie(processId))
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

} // namespace

void WaitForProcessEnd(int processId)
{
    if (processId <= 0)
        return;
    const long fd = ::syscall(SYS_pidfd_open, processId, 0);
    if (fd < 0) {
        if (errno == ESRCH || errno == EINVAL)
            return;
        PollForProcessEnd(processId);
        return;
    }
    // The descriptor becomes readable once the process has ended, also when that happened between
    // the id being handed to us and the descriptor being opened: then poll answers at once.
    pollfd entry{static_cast<int>(fd), POLLIN, 0};
    while (::poll(&entry, 1, -1) < 0 && errno == EINTR) {
    }
    ::close(static_cast<int>(fd));
}

void SleepMilliseconds(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string CurrentFolder()
{
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return ".";
        buffer.resize(buffer.size() * 2);
    }
    return WithoutTrailingSlash(buffer.c_str());
}

std::string TempFolder()
{
    const std::string temp = EnvironmentValue("TMPDIR");
    return temp.empty() ? std::string("/tmp") : WithoutTrailingSlash(temp);
}

std::string DocumentsFolder()
{
    const std::string home = WithoutTrailingSlash(EnvironmentValue("HOME"));
    if (home.empty())
        return {};
    const std::string xdg = XdgDocumentsFolder(home);
    return xdg.empty() ? home + "/Documents" : xdg;
}

bool RunAndWait(const std::string& program, std::string& error)
{
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t child = 0;
    const int result = ::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ);
    if (result != 0) {
        error = std::strerror(result);
        return false;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
        error = "the program could not be executed";
        return false;
    }
    return true;
}

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    const int result = ::posix_spawnp(&child, program.c_str(), nullptr, &attributes, argv.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    return result == 0;
}

std::optional<unsigned> FileMode(const std::string& path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<unsigned>(info.st_mode & 07777);
}

bool SetFileMode(const std::string& path, unsigned mode)
{
    return ::chmod(path.c_str(), static_cast<mode_t>(mode)) == 0;
}

std::string CreateUniqueFile(const std::string& folder, const std::string& prefix, std::string& error)
{
    std::string pattern = folder + "/" + prefix + "XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return {};
    }
    ::close(fd);
    return pattern;
}

std::string CreateUniqueFolder(const std::string& folder, const std::string& prefix, std::string& error)
{
    std::string pattern = folder + "/" + prefix + "XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = std::strerror(errno);
        return {};
    }
    return pattern;
}

bool FlushToDisk(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

} // namespace UpdaterOs
