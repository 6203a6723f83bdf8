#include "updater/FilePlacer.h"

#include "updater/UpdaterOs.h"

#include <filesystem>
#include <system_error>

namespace updater {

namespace fs = std::filesystem;

namespace {

constexpr unsigned kDefaultMode = 0644;

std::string FolderOf(const std::string& path)
{
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

} // namespace

unsigned FilePlacer::ModeOf(const std::string& source)
{
    return UpdaterOs::FileMode(source).value_or(kDefaultMode);
}

bool FilePlacer::Place(const std::string& destination, const Writer& writer, unsigned newMode,
                       std::string& error)
{
    const std::string folder = FolderOf(destination);
    std::error_code code;
    fs::create_directories(folder, code);
    if (code) {
        error = "cannot create " + folder + ": " + code.message();
        return false;
    }
    const std::string temporary =
        UpdaterOs::CreateUniqueFile(folder, "." + fs::path(destination).filename().string() + ".", error);
    if (temporary.empty()) {
        error = "cannot write in " + folder + ": " + error;
        return false;
    }
    const unsigned mode = UpdaterOs::FileMode(destination).value_or(newMode);
    bool placed = writer(temporary, error);
    if (placed && !(UpdaterOs::SetFileMode(temporary, mode) && UpdaterOs::FlushToDisk(temporary))) {
        error = "cannot write " + temporary;
        placed = false;
    }
    if (placed) {
        fs::rename(temporary, destination, code);
        if (code) {
            error = "cannot replace " + destination + ": " + code.message();
            placed = false;
        }
    }
    if (!placed)
        fs::remove(temporary, code);
    return placed;
}

bool FilePlacer::Copy(const std::string& source, const std::string& destination, std::string& error)
{
    const auto copy = [&source](const std::string& temporary, std::string& reason) {
        std::error_code code;
        fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, code);
        if (code)
            reason = "cannot copy " + source + ": " + code.message();
        return !code;
    };
    return Place(destination, copy, ModeOf(source), error);
}

bool FilePlacer::Move(const std::string& source, const std::string& destination, std::string& error)
{
    std::error_code code;
    fs::create_directories(FolderOf(destination), code);
    const auto replacedMode = UpdaterOs::FileMode(destination);
    fs::rename(source, destination, code);
    if (!code) {
        if (replacedMode)
            UpdaterOs::SetFileMode(destination, *replacedMode);
        return true;
    }
    if (code != std::errc::cross_device_link) {
        error = "cannot move " + source + " to " + destination + ": " + code.message();
        return false;
    }
    if (!Copy(source, destination, error))
        return false;
    fs::remove(source, code);
    return true;
}

} // namespace updater
