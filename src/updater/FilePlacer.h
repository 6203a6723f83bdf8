#pragma once

#include <functional>
#include <string>

namespace updater {

/// Puts files in place atomically: the new content is written beside the destination under a
/// temporary name and renamed over it, so that a failed or interrupted write leaves the old file
/// whole. A replaced file keeps its permission bits (an executable stays executable).
class FilePlacer
{
public:
    /// Fills the file at temporaryPath (which exists, empty); false with a reason on failure.
    using Writer = std::function<bool(const std::string& temporaryPath, std::string& error)>;

    /// The destination's folder is created when missing. A new file gets newMode.
    static bool Place(const std::string& destination, const Writer& writer, unsigned newMode,
                      std::string& error);
    /// Copies source byte for byte over destination; a new file gets the source's mode.
    static bool Copy(const std::string& source, const std::string& destination, std::string& error);
    /// Moves source over destination: a rename, or a copy and delete across file systems.
    static bool Move(const std::string& source, const std::string& destination, std::string& error);
    /// The mode of source when it exists, else rw-r--r--.
    static unsigned ModeOf(const std::string& source);
};

} // namespace updater
