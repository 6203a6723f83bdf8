#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace updater {

/// What the header of an SZDD file says.
struct SzddHeader
{
    std::uint32_t length = 0; ///< length of the expanded file
    char missingChar = 0;     ///< the last character of the original name, 0 when not stored
};

/// Expansion of files in Microsoft's SZDD form, through libmspack.
class SzddExpander
{
public:
    /// The header when path is an SZDD file (mode 'A'); none for any other file.
    static std::optional<SzddHeader> ReadHeader(const std::string& path);
    /// The name the header restores: a name ending in "_" gets the missing character in its place
    /// (or loses the "_" when none is stored, as "app.exe_" from mscompress); others stay. Empty
    /// when the header would make it no file name: a separator or a character no file system
    /// allows, or a name that ends in "." or ".." as a whole.
    static std::string ExpandedName(const std::string& compressedName, char missingChar);
    /// Expands source into target. Fails with a reason when libmspack reports an error or when the
    /// result's length differs from the header's: libmspack reports success on a truncated file.
    static bool Expand(const std::string& source, const std::string& target, std::string& error);
};

} // namespace updater
