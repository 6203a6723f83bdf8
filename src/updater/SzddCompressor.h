#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace updater {

/// Compresses in Microsoft's SZDD form (the COMPRESS tool's, which the LZ expansion functions and
/// libmspack read): the signature "SZDD" 0x88 0xF0 0x27 0x33, mode 'A', the missing last character
/// of the file name, the expanded length (32 bits, little endian), then LZSS data over a window of
/// 4096 bytes that starts filled with blanks and is written from position 4080.
class SzddCompressor
{
public:
    static constexpr std::size_t kHeaderSize = 14;

    /// Throws std::length_error for data of 4 GB or more, which the header cannot describe.
    static std::vector<std::uint8_t> Compress(std::span<const std::uint8_t> data, char missingChar);
    /// Compresses the file source into target; missingChar is the last character of the name that
    /// the expanded file is to get back. False with a reason when a file cannot be read or written.
    static bool CompressFile(const std::string& source, const std::string& target, char missingChar,
                             std::string& error);
};

} // namespace updater
