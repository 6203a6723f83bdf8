#pragma once

#include <QString>

class Folders;

/// Where "VorlixPro_Help.pdf" is found: in the working directory (where earlier versions kept it),
/// next to the program (a build folder, an unpacked archive), or in the documentation folder of an
/// installed program (<prefix>/share/doc/vorlix-pro beside <prefix>/bin).
class HelpDocument final
{
public:
    /// The first of those places that holds the document; empty when none does.
    static QString find(const Folders& folders);
};
