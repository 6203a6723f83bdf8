#pragma once

#include <string>

namespace updater {

/// The folders that the updater's folder macros name. On Linux "WIN", "SYS" and "PF" name none;
/// the updater has no "DOC".
struct FolderMacros
{
    std::string current;      ///< "APP": the process's current folder
    std::string temp;         ///< "TMP"
    std::string windows;      ///< "WIN"; empty: no such folder
    std::string system;       ///< "SYS"
    std::string programFiles; ///< "PF"

    /// The folder for a macro name (upper case), normalized; empty when the name names none.
    std::string FolderForMacro(const std::string& name) const;
    /// Replaces every {NAME} that names a folder; others stay as written.
    std::string ExpandFolderMacros(const std::string& text) const;
    /// Appends a separator; then drops it again after a drive ("C:\dir"), else appends "."
    /// ("C:\" -> "C:\.", "/tmp" -> "/tmp/.").
    static std::string NormalizeFolder(std::string folder);
};

} // namespace updater
