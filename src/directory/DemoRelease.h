#pragma once

#include <QString>

class CarnivalDirectory;

/// The demo's update: release notes and one small file for the demo folder, served by the local
/// directory, the control file signed with the build's demo key and every file carrying its
/// SHA-256 digest, so that the demo goes through the checks of a signed update. The control file
/// names the directory's own address, so it is written and signed when the directory has started.
class DemoRelease final
{
public:
    /// Where the program finds the release and the key to check it with; error says why there is
    /// none.
    struct Published
    {
        QString controlFileUrl;
        QString publicKey;
        QString error;
    };

    /// The file the release puts into the demo folder; offered until it is there.
    static inline const QString kInstalledFile = QStringLiteral("signed-update.txt");

    /// Writes the release into folder, signed with keyFolder/demo.key, and has the running
    /// directory serve it; the public key is read from keyFolder/demo.pub.
    static Published publish(CarnivalDirectory& directory, const QString& folder, const QString& keyFolder);
};
