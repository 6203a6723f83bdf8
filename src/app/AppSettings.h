#pragma once

#include <QString>

/// What the command line and the build decide for one run.
struct AppSettings
{
    QString site;       // scheme, host and port of the carnival directory
    QString updateUrl;  // the update control file's address; empty offers no update
    QString executable; // the program's own file, for its version record
    // The publisher's public key (base64) that updates must be signed with; empty checks none.
    QString updateKey{};
    QString listFile{}; // the list to open at start instead of the state file's; empty: none
};
