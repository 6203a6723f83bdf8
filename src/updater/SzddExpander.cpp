#include "updater/SzddExpander.h"

#include "updater/MspackFileSystem.h"
#include "updater/TextEncoding.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <mspack.h>
#include <string_view>

namespace updater {

namespace {

constexpr std::array<unsigned char, 9> kSignature = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A'};

std::string MspackErrorText(int code)
{
    switch (code) {
    case MSPACK_ERR_OPEN:
        return "cannot open file";
    case MSPACK_ERR_READ:
        return "read error";
    case MSPACK_ERR_WRITE:
        return "write error";
    case MSPACK_ERR_SEEK:
        return "seek error";
    case MSPACK_ERR_NOMEMORY:
        return "out of memory";
    case MSPACK_ERR_SIGNATURE:
        return "not an SZDD file";
    case MSPACK_ERR_DATAFORMAT:
        return "bad data format";
    default:
        return "libmspack error " + std::to_string(code);
    }
}

// Separators, control characters and what Windows refuses in a name; the updater runs there too.
bool IsNameCharacter(char character)
{
    return static_cast<unsigned char>(character) >= 0x20 &&
           std::string_view("/\\:*?\"<>|").find(character) == std::string_view::npos;
}

} // namespace

std::optional<SzddHeader> SzddExpander::ReadHeader(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::array<unsigned char, 14> header{};
    if (!file.read(reinterpret_cast<char*>(header.data()), header.size()))
        return std::nullopt;
    for (std::size_t i = 0; i < kSignature.size(); ++i)
        if (header[i] != kSignature[i])
            return std::nullopt;
    SzddHeader result;
    result.missingChar = static_cast<char>(header[9]);
    for (int i = 3; i >= 0; --i)
        result.length = (result.length << 8) | header[10 + static_cast<std::size_t>(i)];
    return result;
}

std::string SzddExpander::ExpandedName(const std::string& compressedName, char missingChar)
{
    if (compressedName.empty() || compressedName.back() != '_')
        return compressedName;
    if (missingChar != 0 && !IsNameCharacter(missingChar))
        return {};
    std::string name = compressedName;
    name.pop_back();
    // The header's byte is in the ANSI code page of the system that compressed the file.
    if (missingChar != 0)
        name += cp1252ToUtf8(std::string_view(&missingChar, 1));
    const auto separator = name.find_last_of("/\\");
    const std::string last = separator == std::string::npos ? name : name.substr(separator + 1);
    if (last.empty() || last == "." || last == "..")
        return {};
    return name;
}

bool SzddExpander::Expand(const std::string& source, const std::string& target, std::string& error)
{
    MspackFileSystem files;
    msszdd_decompressor* decompressor = mspack_create_szdd_decompressor(files.system());
    if (decompressor == nullptr) {
        error = "libmspack cannot be used";
        return false;
    }
    int code = MSPACK_ERR_OK;
    off_t expected = 0;
    msszddd_header* header = decompressor->open(decompressor, const_cast<char*>(source.c_str()));
    if (header == nullptr) {
        code = decompressor->last_error(decompressor);
    } else {
        expected = header->length;
        code = decompressor->extract(decompressor, header, const_cast<char*>(target.c_str()));
        decompressor->close(decompressor, header);
    }
    mspack_destroy_szdd_decompressor(decompressor);
    if (!files.failure().empty()) {
        error = source + ": " + files.failure();
        return false;
    }
    if (code != MSPACK_ERR_OK) {
        error = source + ": " + MspackErrorText(code);
        return false;
    }
    std::error_code sizeError;
    const auto actual = std::filesystem::file_size(target, sizeError);
    if (sizeError || actual != static_cast<std::uintmax_t>(expected)) {
        error = source + ": expanded to " + std::to_string(sizeError ? 0 : actual) + " bytes instead of " +
                std::to_string(expected) + ", the file is damaged";
        return false;
    }
    return true;
}

} // namespace updater
