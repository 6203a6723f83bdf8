#pragma once

#include <optional>
#include <string>
#include <vector>

/// The operating-system services the updater needs. The updater links no Qt, so it keeps its own
/// small set here; one implementation per OS (posix/, windows/).
namespace UpdaterOs {

/// Blocks, without a time limit, until the process with this id has ended. Returns at once when
/// no such process exists (any more).
void WaitForProcessEnd(int processId);

void SleepMilliseconds(int milliseconds);

/// The process's current folder, without a trailing separator.
std::string CurrentFolder();
/// The user's temporary folder, without a trailing separator.
std::string TempFolder();
/// The user's documents folder, without a trailing separator; empty when it cannot be determined.
std::string DocumentsFolder();

/// Runs a program without arguments and waits until it has ended. False with a reason when it
/// could not be started.
bool RunAndWait(const std::string& program, std::string& error);
/// Starts a program with these arguments in a session of its own and does not wait for it.
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments);

/// The permission bits of an existing file; none when it does not exist.
std::optional<unsigned> FileMode(const std::string& path);
bool SetFileMode(const std::string& path, unsigned mode);

/// Creates a new empty file with a unique name in folder, its name starting with prefix.
/// Returns its path, or empty with a reason.
std::string CreateUniqueFile(const std::string& folder, const std::string& prefix, std::string& error);
/// Creates a new folder with a unique name in folder. Returns its path, or empty with a reason.
std::string CreateUniqueFolder(const std::string& folder, const std::string& prefix, std::string& error);
/// Forces the file's content to disk, so that a rename over an old file never leaves an empty one.
bool FlushToDisk(const std::string& path);

} // namespace UpdaterOs
