#include "updater/UpdaterCommandLine.h"

namespace updater {

namespace {

bool IsBlank(char character)
{
    return character == ' ' || character == '\t';
}

} // namespace

std::vector<std::string> UpdaterCommandLine::Split(std::string_view commandLine)
{
    std::vector<std::string> parameters;
    std::string current;
    bool inParameter = false;
    bool quoted = false;
    for (const char character : commandLine) {
        if (character == '"') {
            quoted = !quoted;
            inParameter = true;
        } else if (IsBlank(character) && !quoted) {
            if (inParameter)
                parameters.push_back(current);
            current.clear();
            inParameter = false;
        } else {
            current += character;
            inParameter = true;
        }
    }
    if (inParameter)
        parameters.push_back(current);
    return parameters;
}

UpdaterCommandLine UpdaterCommandLine::FromParameters(const std::vector<std::string>& parameters)
{
    const auto at = [&parameters](std::size_t index) {
        return index < parameters.size() ? parameters[index] : std::string();
    };
    UpdaterCommandLine line;
    line.processId = at(0);
    line.logFlag = at(1);
    line.applicationPath = at(2);
    line.applicationParameters = at(3);
    line.sourceFolder = at(4);
    if (parameters.size() > 5)
        line.components.assign(parameters.begin() + 5, parameters.end());
    return line;
}

} // namespace updater
