#include "updater/SzddCompressor.h"

#include <iostream>
#include <string>

// Build tool: vorlix-szdd <input> <output> <expanded name>. The expanded name's last character
// goes into the header, so that expanding restores that name from the compressed one.
int main(int argc, char** argv)
{
    if (argc != 4 || std::string(argv[3]).empty()) {
        std::cerr << "usage: vorlix-szdd <input> <output> <expanded name>\n";
        return 2;
    }
    const std::string expandedName = argv[3];
    std::string error;
    if (!updater::SzddCompressor::CompressFile(argv[1], argv[2], expandedName.back(), error)) {
        std::cerr << "vorlix-szdd: " << error << '\n';
        return 1;
    }
    return 0;
}
