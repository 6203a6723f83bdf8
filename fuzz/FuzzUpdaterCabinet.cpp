#include "FuzzChecks.h"
#include "updater/CabinetExtractor.h"
#include "updater/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <fstream>

// The cabinet extractor on any file: whatever the cabinet holds, nothing is written outside the
// destination, every name written is UTF-8, and a failed cabinet leaves the destination empty.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    namespace fs = std::filesystem;
    using FuzzChecks::Check;
    // The destination lies two levels down, so that a name with ".." would land inside the
    // scratch folder, where it shows.
    const fs::path& root = FuzzChecks::ScratchFolder();
    const fs::path cabinet = root / "input.cab";
    const fs::path destination = root / "a" / "b" / "destination";
    std::error_code code;
    fs::remove_all(root / "a", code);
    fs::create_directories(destination);
    {
        std::ofstream file(cabinet, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    std::string error;
    const bool extracted =
        updater::CabinetExtractor::Extract(cabinet.string(), destination.string() + "/", error);
    Check(extracted || !error.empty(), "a failed extraction has a reason");

    std::size_t written = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const fs::path& path = entry.path();
        if (path == cabinet || path == root / "a" || path == root / "a" / "b" || path == destination)
            continue;
        const fs::path relative = path.lexically_relative(destination);
        Check(!relative.empty() && *relative.begin() != "..", "nothing written outside the destination");
        Check(updater::isValidUtf8(relative.string()), "names written in UTF-8");
        ++written;
    }
    Check(extracted || written == 0, "a failed cabinet leaves the destination empty");
    return 0;
}
