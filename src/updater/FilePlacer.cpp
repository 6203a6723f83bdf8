#include "updater/FilePlacer.h"

#include "updater/UpdaterOs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace updater {

namespace fs = std::filesystem;

namespace {

constexpr unsigned kDefaultMode = 0644;

std::string FolderOf(const std::string& path)
{
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

std::string Reason(const std::string& action, const std::string& path, int errorNumber)
{
    std::string text = "cannot ";
    text += action;
    text += ' ';
    text += path;
    text += ": ";
    text += std::strerror(errorNumber);
    return text;
}

// Plain reads and writes, so that a failure keeps the system's reason: the standard library's
// copy reports a full disk as an input/output error.
bool CopyContent(const std::string& source, const std::string& target, std::string& error)
{
    const auto close = [](std::FILE* file) { std::fclose(file); };
    const std::unique_ptr<std::FILE, decltype(close)> in(std::fopen(source.c_str(), "rb"), close);
    if (!in) {
        error = Reason("read", source, errno);
        return false;
    }
    std::FILE* out = std::fopen(target.c_str(), "wb");
    if (out == nullptr) {
        error = Reason("write", target, errno);
        return false;
    }
    std::vector<char> buffer(64 * 1024);
    bool copied = true;
    while (copied) {
        const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), in.get());
        if (count < buffer.size() && std::ferror(in.get())) {
            error = Reason("read", source, errno);
            copied = false;
        } else if (std::fwrite(buffer.data(), 1, count, out) != count) {
            error = Reason("write", target, errno);
            copied = false;
        } else if (count < buffer.size()) {
            break;
        }
    }
    // Buffered data reaches the disk at the close: a full disk may first show there.
    if (std::fclose(out) != 0 && copied) {
        error = Reason("write", target, errno);
        copied = false;
    }
    return copied;
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
    // Built by appending: GCC 12 at -O3 sees a false overlap in "." + name (-Wrestrict).
    std::string prefix = fs::path(destination).filename().string();
    prefix.insert(prefix.begin(), '.');
    prefix += '.';
    const std::string temporary = UpdaterOs::CreateUniqueFile(folder, prefix, error);
    if (temporary.empty()) {
        error = "cannot write in " + folder + ": " + error;
        return false;
    }
    const unsigned mode = UpdaterOs::FileMode(destination).value_or(newMode);
    bool placed = writer(temporary, error);
    if (placed && !(UpdaterOs::SetFileMode(temporary, mode) && UpdaterOs::FlushToDisk(temporary))) {
        error = Reason("write", temporary, errno);
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
        return CopyContent(source, temporary, reason);
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
