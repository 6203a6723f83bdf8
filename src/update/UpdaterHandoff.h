#pragma once

#include <QString>

/// What the application tells the updater when it hands its own files over.
class UpdaterHandoff final
{
public:
    struct Request
    {
        qint64 processId = 0;
        bool logging = false;
        QString currentFolder; ///< the application's folder; the updater's destination
        QString appName;
        QString appParams;  ///< a single blank for none
        QString tempFolder; ///< where the downloaded components wait
        QString appComponents;
    };

    /// The name of the file that passes the log file's name to the updater.
    static const QString kConfigFileName;

    /// The updater's parameters as one text, in the order and the quoting its command line
    /// expects: process id, "L" or "X", application path, application parameters, the temporary
    /// folder ending in a separator, then the component names as given.
    static QString Parameters(const Request& request);
    /// Writes "WUPDATE.INI" (section "CONFIG", key "LOGFILENAME") into documentsFolder, or into the
    /// current folder when that is empty. Returns its path; empty when it could not be written.
    static QString WriteConfig(const QString& documentsFolder, const QString& logFileName);
};
