#include "FuzzChecks.h"
#include "updater/SzddCompressor.h"
#include "updater/SzddExpander.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <span>
#include <vector>

namespace {

namespace fs = std::filesystem;
using FuzzChecks::Check;

void WriteFile(const fs::path& path, const void* data, std::size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    Check(file.good(), "input written");
}

std::vector<std::uint8_t> ReadFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A name the header restores is one file name in its folder, never a path elsewhere.
void CheckRestoredName(const std::string& compressedName, char missingChar)
{
    const std::string name = updater::SzddExpander::ExpandedName(compressedName, missingChar);
    if (name.empty())
        return;
    const std::string added = name.substr(std::min(compressedName.size() - 1, name.size()));
    for (const char c : added)
        Check(static_cast<unsigned char>(c) >= 0x20 &&
                  std::string_view("/\\:*?\"<>|").find(c) == std::string_view::npos,
              "no separator or control character restored");
    const std::string last = name.substr(std::min(name.find_last_of("/\\") + 1, name.size()));
    Check(!last.empty() && last != "." && last != "..", "no dot name restored");
}

} // namespace

// The SZDD expander on any file, its restored names, and the compressor's round trip: whatever
// is compressed expands to itself.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path& folder = FuzzChecks::ScratchFolder();
    const fs::path input = folder / "input.ex_";
    const fs::path output = folder / "output";

    WriteFile(input, data, size);
    if (const auto header = updater::SzddExpander::ReadHeader(input.string())) {
        for (const char* name : {"app.ex_", "_", "._", "sub/._"})
            CheckRestoredName(name, header->missingChar);
        std::string error;
        if (updater::SzddExpander::Expand(input.string(), output.string(), error))
            Check(fs::file_size(output) == header->length, "expanded to the header's length");
        else
            Check(!error.empty(), "a failed expansion has a reason");
    }

    const std::span<const std::uint8_t> bytes(data, size);
    const char missing = size > 0 ? static_cast<char>(data[0]) : 'e';
    const auto compressed = updater::SzddCompressor::Compress(bytes, missing);
    WriteFile(input, compressed.data(), compressed.size());
    const auto header = updater::SzddExpander::ReadHeader(input.string());
    Check(header && header->length == size && header->missingChar == missing, "header of our own file");
    std::string error;
    Check(updater::SzddExpander::Expand(input.string(), output.string(), error), "our own file expands");
    Check(ReadFile(output) == std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
          "round trip gives the input");
    return 0;
}
