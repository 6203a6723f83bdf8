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
        parameters = updater::UpdaterCommandLine::Split(parameters.front());
    updater::Updater updater(updater::UpdaterEnvironment::System());
    return updater.Run(updater::UpdaterCommandLine::FromParameters(parameters), std::cerr);
}
