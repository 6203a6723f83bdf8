#pragma once

#include <string>

namespace updater {

/// Extraction of Microsoft cabinet files, through libmspack.
class CabinetExtractor
{
public:
    /// Puts every file of the cabinet into destination (names with "\" make subfolders). The whole
    /// cabinet is first extracted into a staging folder inside destination and moved into place
    /// only when every file came out whole, so a damaged cabinet changes nothing. Names are written
    /// in UTF-8: one without the cabinet's UTF-8 mark is converted from code page 1252. A name that
    /// would leave destination (absolute, or with a ".." part), or one marked as UTF-8 that is not,
    /// fails the cabinet. False with a reason.
    static bool Extract(const std::string& cabinet, const std::string& destination, std::string& error);

    /// The file name as a relative path with "/", or empty when it would leave its folder.
    static std::string SafeRelativeName(const std::string& nameInCabinet);
};

} // namespace updater
