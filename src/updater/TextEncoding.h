#pragma once

#include <string>
#include <string_view>

namespace updater {

/// True when text is well-formed UTF-8: shortest forms only, no surrogates, nothing beyond
/// U+10FFFF. An overlong form could otherwise smuggle a "/" or "." past a name check.
bool isValidUtf8(std::string_view text);
/// Text in Windows code page 1252 (what Windows writes where no UTF-8 is promised) as UTF-8. The
/// five bytes the code page leaves undefined become the control characters of the same number, as
/// Windows converts them.
std::string cp1252ToUtf8(std::string_view text);

} // namespace updater
