#include "updater/CabinetExtractor.h"

#include "updater/FilePlacer.h"
#include "updater/MspackFileSystem.h"
#include "updater/TextEncoding.h"
#include "updater/UpdaterOs.h"

#include <cstdio>
#include <filesystem>
#include <mspack.h>
#include <vector>

namespace updater {

namespace fs = std::filesystem;

namespace {

struct CabinetEntry
{
    mscabd_file* file;
    std::string name;
};

// Owns the libmspack objects of one extraction.
class OpenCabinet
{
public:
    explicit OpenCabinet(const std::string& path)
        : m_decompressor(mspack_create_cab_decompressor(m_files.system()))
    {
        if (m_decompressor != nullptr)
            m_cabinet = m_decompressor->open(m_decompressor, const_cast<char*>(path.c_str()));
    }
    ~OpenCabinet()
    {
        if (m_cabinet != nullptr)
            m_decompressor->close(m_decompressor, m_cabinet);
        if (m_decompressor != nullptr)
            mspack_destroy_cab_decompressor(m_decompressor);
    }
    OpenCabinet(const OpenCabinet&) = delete;
    OpenCabinet& operator=(const OpenCabinet&) = delete;

    mscab_decompressor* decompressor() const { return m_decompressor; }
    /// The system's reason for the first failed file access, empty when none.
    const std::string& fileFailure() const { return m_files.failure(); }
    mscabd_cabinet* cabinet() const { return m_cabinet; }
    int lastError() const
    {
        return m_decompressor ? m_decompressor->last_error(m_decompressor) : MSPACK_ERR_NOMEMORY;
    }

private:
    MspackFileSystem m_files; // first: the decompressor uses it
    mscab_decompressor* m_decompressor;
    mscabd_cabinet* m_cabinet = nullptr;
};

// The name's bytes for a message: what is not printable ASCII as \xNN.
std::string Printable(const std::string& bytes)
{
    std::string text;
    for (const char character : bytes) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte >= 0x20 && byte < 0x7F) {
            text += character;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text;
}

bool ListEntries(mscabd_cabinet* cabinet, std::vector<CabinetEntry>& entries, std::string& error)
{
    for (mscabd_file* file = cabinet->files; file != nullptr; file = file->next) {
        const std::string bytes = file->filename ? file->filename : "";
        // A name is UTF-8 only when the cabinet says so; otherwise it is in the code page of the
        // system that made the cabinet.
        const bool utf8 = (file->attribs & MSCAB_ATTRIB_UTF_NAME) != 0;
        if (utf8 && !isValidUtf8(bytes)) {
            error = "the cabinet holds a file name marked as UTF-8 that is not: " + Printable(bytes);
            return false;
        }
        const std::string name = CabinetExtractor::SafeRelativeName(utf8 ? bytes : cp1252ToUtf8(bytes));
        if (name.empty()) {
            error = "the cabinet holds a file name outside its folder: " + Printable(bytes);
            return false;
        }
        entries.push_back({file, name});
    }
    return true;
}

bool ExtractToStaging(const OpenCabinet& cabinet, const std::vector<CabinetEntry>& entries,
                      const std::string& staging, std::string& error)
{
    for (const CabinetEntry& entry : entries) {
        const fs::path target = fs::path(staging) / entry.name;
        std::error_code code;
        fs::create_directories(target.parent_path(), code);
        const int result = cabinet.decompressor()->extract(cabinet.decompressor(), entry.file,
                                                           const_cast<char*>(target.c_str()));
        if (!cabinet.fileFailure().empty()) {
            error = entry.name + ": " + cabinet.fileFailure();
            return false;
        }
        if (result != MSPACK_ERR_OK) {
            error = entry.name + ": extraction failed (libmspack error " + std::to_string(result) + ")";
            return false;
        }
        if (fs::file_size(target, code) != entry.file->length || code) {
            error = entry.name + ": extracted length differs from the cabinet's";
            return false;
        }
        if (entry.file->attribs & MSCAB_ATTRIB_EXEC)
            UpdaterOs::SetFileMode(target.string(), 0755);
    }
    return true;
}

bool MoveIntoPlace(const std::vector<CabinetEntry>& entries, const std::string& staging,
                   const std::string& destination, std::string& error)
{
    for (const CabinetEntry& entry : entries) {
        const fs::path staged = fs::path(staging) / entry.name;
        if (!fs::exists(staged))
            continue; // a name the cabinet holds twice: its last copy is already in place
        if (!FilePlacer::Move(staged.string(), (fs::path(destination) / entry.name).string(), error))
            return false;
    }
    return true;
}

} // namespace

std::string CabinetExtractor::SafeRelativeName(const std::string& nameInCabinet)
{
    std::string name = nameInCabinet;
    for (char& character : name)
        if (character == '\\')
            character = '/';
    if (name.empty() || name.front() == '/' || (name.size() > 1 && name[1] == ':'))
        return {};
    std::string result;
    std::size_t start = 0;
    while (start <= name.size()) {
        const auto end = std::min(name.find('/', start), name.size());
        const std::string part = name.substr(start, end - start);
        if (part == "..")
            return {};
        if (!part.empty() && part != ".")
            result += (result.empty() ? "" : "/") + part;
        start = end + 1;
    }
    return result;
}

bool CabinetExtractor::Extract(const std::string& cabinetPath, const std::string& destination,
                               std::string& error)
{
    const OpenCabinet cabinet(cabinetPath);
    if (cabinet.cabinet() == nullptr) {
        error = cabinetPath + ": not a readable cabinet (libmspack error " +
                std::to_string(cabinet.lastError()) + ")";
        return false;
    }
    std::vector<CabinetEntry> entries;
    if (!ListEntries(cabinet.cabinet(), entries, error))
        return false;
    std::error_code code;
    fs::create_directories(destination, code);
    const std::string staging = UpdaterOs::CreateUniqueFolder(destination, ".cabinet.", error);
    if (staging.empty()) {
        error = "cannot write in " + destination + ": " + error;
        return false;
    }
    const bool extracted = ExtractToStaging(cabinet, entries, staging, error) &&
                           MoveIntoPlace(entries, staging, destination, error);
    fs::remove_all(staging, code);
    return extracted;
}

} // namespace updater
