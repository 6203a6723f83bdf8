#include "FuzzChecks.h"
#include "updater/ComponentInstaller.h"
#include "updater/FolderMacros.h"
#include "updater/IniFile.h"
#include "updater/IntegerText.h"

#include <climits>
#include <cstddef>
#include <cstdint>

// The updater's INI reader on information files and "WUPDATE.INI": the listed files and their
// targets, as the installer walks them, and COUNT read against the integer rule.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using FuzzChecks::Check;
    const updater::IniFile ini =
        updater::IniFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size));

    const std::string countText = ini.value("FILES", "COUNT");
    FuzzChecks::CheckInteger(countText, updater::parseIntegerText(countText), LLONG_MIN, LLONG_MAX);
    const int lowSentinel = ini.intValue("FILES", "COUNT", INT_MIN);
    const int highSentinel = ini.intValue("FILES", "COUNT", INT_MAX);
    const std::optional<long long> asInt =
        lowSentinel == highSentinel ? std::optional<long long>(lowSentinel) : std::nullopt;
    FuzzChecks::CheckInteger(countText, asInt, INT_MIN, INT_MAX);

    std::string error;
    const auto count = updater::ComponentInstaller::ListedFileCount(ini, error);
    Check(count.has_value() == error.empty(), "a refused COUNT has a reason");
    Check(!count || (*count >= 0 && *count <= updater::ComponentInstaller::kMaxListedFiles), "COUNT bounded");
    updater::FolderMacros folders{"/app", "/tmp", "", "", ""};
    for (int i = 1; count && i <= *count; ++i) {
        const std::string index = std::to_string(i);
        const std::string file = ini.value("FILES", "FILE" + index, {}, 128);
        const std::string target = ini.value("FILES", "TARGET" + index, {}, 128);
        Check(file.size() <= 128 && target.size() <= 128, "values cut to 128 characters");
        folders.ExpandFolderMacros(target);
    }
    ini.value("CONFIG", "LOGFILENAME", "WUPDATE.LOG");
    return 0;
}
