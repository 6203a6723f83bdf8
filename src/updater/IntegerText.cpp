#include "updater/IntegerText.h"

#include <limits>

namespace updater {

namespace {

std::optional<unsigned> DigitValue(char character, unsigned base)
{
    unsigned value = base;
    if (character >= '0' && character <= '9')
        value = static_cast<unsigned>(character - '0');
    else if (character >= 'a' && character <= 'f')
        value = static_cast<unsigned>(character - 'a') + 10;
    else if (character >= 'A' && character <= 'F')
        value = static_cast<unsigned>(character - 'A') + 10;
    if (value >= base)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<long long> parseIntegerText(std::string_view text)
{
    unsigned base = 10;
    bool negative = false;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with('-')) {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;

    // The magnitude is gathered unsigned and checked against the limit of its sign before it
    // becomes signed: the smallest value has no positive counterpart.
    constexpr unsigned long long kLargest = std::numeric_limits<long long>::max();
    const unsigned long long limit = negative ? kLargest + 1 : kLargest;
    unsigned long long magnitude = 0;
    for (const char character : text) {
        const auto digit = DigitValue(character, base);
        if (!digit || magnitude > (limit - *digit) / base)
            return std::nullopt;
        magnitude = magnitude * base + *digit;
    }
    if (!negative)
        return static_cast<long long>(magnitude);
    if (magnitude == kLargest + 1)
        return std::numeric_limits<long long>::min();
    return -static_cast<long long>(magnitude);
}

std::optional<int> parseIntText(std::string_view text)
{
    const auto number = parseIntegerText(text);
    if (!number || *number < std::numeric_limits<int>::min() || *number > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*number);
}

} // namespace updater
