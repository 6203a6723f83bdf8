#include "updater/Updater.h"

#include <iostream>
#include <string>
#include <vector>

// The handoff may pass its command line as the one text it builds (then split here, by the
// updater's own rules) or already split into arguments.
int main(int argc, char** argv)
{
    std::vector<std::string> parameters(argv + 1, argv + argc);
    if (parameters.size() == 1)
        parameters = UpdaterCommandLine::Split(parameters.front());
    Updater updater(UpdaterEnvironment::System());
    return updater.Run(UpdaterCommandLine::FromParameters(parameters), std::cerr);
}
