#include "updater/SzddCompressor.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>

namespace updater {

namespace {

constexpr std::size_t kWindowSize = 4096;
constexpr std::size_t kWindowMask = kWindowSize - 1;
constexpr std::size_t kStartPosition = kWindowSize - 16;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr std::size_t kHashSize = 1 << 14;
constexpr int kMaxChain = 48;
constexpr int kNone = -1;

// Greedy LZSS over the very window the expander keeps, so every match is checked against the
// bytes the expander will really copy, its own freshly written ones included.
class LzssEncoder
{
public:
    explicit LzssEncoder(std::span<const std::uint8_t> data) : m_data(data)
    {
        m_window.fill(' ');
        m_head.fill(kNone);
        m_previous.fill(kNone);
    }

    std::vector<std::uint8_t> encode()
    {
        std::size_t index = 0;
        while (index < m_data.size()) {
            std::size_t position = 0;
            const std::size_t length = longestMatch(index, position);
            if (length >= kMinMatch) {
                emitMatch(position, length);
                advance(index, length);
            } else {
                emitLiteral(m_data[index]);
                advance(index, 1);
            }
        }
        return std::move(m_output);
    }

private:
    static std::size_t Hash(const std::uint8_t* bytes)
    {
        return ((bytes[0] << 8) ^ (bytes[1] << 4) ^ bytes[2]) & (kHashSize - 1);
    }

    std::size_t matchLength(std::size_t source, std::size_t index) const
    {
        const std::size_t limit = std::min(kMaxMatch, m_data.size() - index);
        std::size_t length = 0;
        for (; length < limit; ++length) {
            const std::size_t offset = (source + length - m_write) & kWindowMask;
            const std::uint8_t byte =
                offset < length ? m_data[index + offset] : m_window[(source + length) & kWindowMask];
            if (byte != m_data[index + length])
                break;
        }
        return length;
    }

    std::size_t longestMatch(std::size_t index, std::size_t& bestPosition) const
    {
        if (m_data.size() - index < kMinMatch)
            return 0;
        std::size_t best = 0;
        const auto consider = [&](std::size_t source) {
            const std::size_t length = matchLength(source, index);
            if (length > best) {
                best = length;
                bestPosition = source;
            }
        };
        // While part of the initial blanks is still untouched, a run of blanks can copy from it.
        if (m_written + 2 * kMaxMatch <= kWindowSize)
            consider((m_write + kMaxMatch) & kWindowMask);
        int candidate = m_head[Hash(&m_data[index])];
        for (int steps = 0; candidate != kNone && steps < kMaxChain && best < kMaxMatch; ++steps) {
            consider(static_cast<std::size_t>(candidate));
            candidate = m_previous[static_cast<std::size_t>(candidate)];
        }
        return best;
    }

    void advance(std::size_t& index, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i, ++index) {
            m_window[m_write] = m_data[index];
            if (index + kMinMatch <= m_data.size()) {
                const std::size_t hash = Hash(&m_data[index]);
                m_previous[m_write] = m_head[hash] == static_cast<int>(m_write) ? kNone : m_head[hash];
                m_head[hash] = static_cast<int>(m_write);
            }
            m_write = (m_write + 1) & kWindowMask;
            ++m_written;
        }
    }

    void beginItem()
    {
        if (m_itemCount % 8 == 0) {
            m_controlIndex = m_output.size();
            m_output.push_back(0);
        }
    }

    void emitLiteral(std::uint8_t byte)
    {
        beginItem();
        m_output[m_controlIndex] |= static_cast<std::uint8_t>(1u << (m_itemCount % 8));
        m_output.push_back(byte);
        ++m_itemCount;
    }

    void emitMatch(std::size_t position, std::size_t length)
    {
        beginItem();
        m_output.push_back(static_cast<std::uint8_t>(position & 0xFF));
        m_output.push_back(static_cast<std::uint8_t>(((position >> 4) & 0xF0) | (length - kMinMatch)));
        ++m_itemCount;
    }

    std::span<const std::uint8_t> m_data;
    std::array<std::uint8_t, kWindowSize> m_window{};
    std::array<int, kHashSize> m_head{};
    std::array<int, kWindowSize> m_previous{};
    std::size_t m_write = kStartPosition;
    std::size_t m_written = 0;
    std::vector<std::uint8_t> m_output;
    std::size_t m_controlIndex = 0;
    std::size_t m_itemCount = 0;
};

} // namespace

std::vector<std::uint8_t> SzddCompressor::Compress(std::span<const std::uint8_t> data, char missingChar)
{
    if (data.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("file too large for the SZDD format");
    const auto length = static_cast<std::uint32_t>(data.size());
    std::vector<std::uint8_t> result = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A'};
    result.push_back(static_cast<std::uint8_t>(missingChar));
    for (int shift = 0; shift < 32; shift += 8)
        result.push_back(static_cast<std::uint8_t>((length >> shift) & 0xFF));
    const std::vector<std::uint8_t> body = LzssEncoder(data).encode();
    result.insert(result.end(), body.begin(), body.end());
    return result;
}

bool SzddCompressor::CompressFile(const std::string& source, const std::string& target, char missingChar,
                                  std::string& error)
{
    std::ifstream input(source, std::ios::binary);
    if (!input) {
        error = "cannot read " + source + ": " + std::strerror(errno);
        return false;
    }
    const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(input),
                                         std::istreambuf_iterator<char>()};
    if (input.bad()) {
        error = "cannot read " + source;
        return false;
    }
    std::vector<std::uint8_t> compressed;
    try {
        compressed = Compress(data, missingChar);
    } catch (const std::length_error& tooLarge) {
        error = source + ": " + tooLarge.what();
        return false;
    }
    std::ofstream output(target, std::ios::binary | std::ios::trunc);
    output.write(reinterpret_cast<const char*>(compressed.data()),
                 static_cast<std::streamsize>(compressed.size()));
    output.close();
    if (!output) {
        error = "cannot write " + target;
        return false;
    }
    return true;
}

} // namespace updater
