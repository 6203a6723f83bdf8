#include "FuzzChecks.h"
#include "updater/IntegerText.h"
#include "updater/Updater.h"
#include "updater/UpdaterCommandLine.h"

#include <climits>
#include <cstddef>
#include <cstdint>

// The updater's command line: splitting, the parameters' positions and the process id.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using FuzzChecks::Check;
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> parameters = updater::UpdaterCommandLine::Split(line);

    // Quotes only group: none is left, and quoting every parameter again splits the same way.
    std::string quoted;
    for (const std::string& parameter : parameters) {
        Check(parameter.find('"') == std::string::npos, "no quote left in a parameter");
        quoted += '"' + parameter + "\" ";
    }
    Check(updater::UpdaterCommandLine::Split(quoted) == parameters, "quoted parameters split back");

    const auto commandLine = updater::UpdaterCommandLine::FromParameters(parameters);
    Check(commandLine.components.size() == (parameters.size() > 5 ? parameters.size() - 5 : 0),
          "components from the sixth parameter on");
    const auto processId = updater::Updater::ParseProcessId(commandLine.processId);
    FuzzChecks::CheckInteger(commandLine.processId,
                             processId ? std::optional<long long>(*processId) : std::nullopt, INT_MIN,
                             INT_MAX);
    const auto arguments = updater::Updater::RestartArguments(commandLine.applicationParameters);
    Check(arguments.size() == (commandLine.applicationParameters == " " ? 0u : 1u), "restart arguments");
    return 0;
}
