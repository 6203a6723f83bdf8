#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

// Helpers shared by the fuzz targets.
namespace FuzzChecks {

/// Aborts with a message, which libFuzzer reports as a crash and keeps the input of.
inline void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

/// The integer rule written out on its own, as the oracle for the readers: "-" and decimal
/// digits, or "$", "0x" or "0X" and hex digits. The value comes from the C library; none when the
/// text breaks the rule or the value does not fit a 64-bit integer.
inline std::optional<long long> RuleValue(std::string_view text)
{
    int base = 10;
    bool negative = false;
    if (text.starts_with("$")) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with("-")) {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    for (const char c : text) {
        const bool decimal = c >= '0' && c <= '9';
        const bool hexLetter = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!decimal && !(base == 16 && hexLetter))
            return std::nullopt;
    }
    const std::string digits(text);
    errno = 0;
    const unsigned long long magnitude = std::strtoull(digits.c_str(), nullptr, base);
    const unsigned long long limit = negative ? 0x8000000000000000ull : 0x7FFFFFFFFFFFFFFFull;
    if (errno == ERANGE || magnitude > limit)
        return std::nullopt;
    if (!negative)
        return static_cast<long long>(magnitude);
    return magnitude == limit ? std::numeric_limits<long long>::min() : -static_cast<long long>(magnitude);
}

/// Checks a reader's answer for text: what the rule gives when it lies within [lowest, highest],
/// else nothing.
inline void CheckInteger(std::string_view text, std::optional<long long> read, long long lowest,
                         long long highest)
{
    auto expected = RuleValue(text);
    if (expected && (*expected < lowest || *expected > highest))
        expected.reset();
    Check(read == expected, "integer read against the rule");
}

/// A folder of its own for one fuzz process, removed at exit.
inline const std::filesystem::path& ScratchFolder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorlix-fuzz-XXXXXX").string();
        Check(mkdtemp(pattern.data()) != nullptr, "scratch folder created");
        std::atexit([] {
            std::error_code code;
            std::filesystem::remove_all(ScratchFolder(), code);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

} // namespace FuzzChecks
