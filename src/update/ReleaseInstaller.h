#pragma once

#include <QString>
#include <QStringList>

class UpdateEngine;

/// The release half of the update engine: the release notes and the end-user agreement, the
/// control file's actions before and after downloading, and the download of the file list with
/// every file put in place. Works on the engine's connection, control file and state.
class ReleaseInstaller final
{
public:
    explicit ReleaseInstaller(UpdateEngine& engine) : m_engine(engine) {}

    /// The lines of the release notes ("file" of section "whatsnew"); empty when none arrived or,
    /// when updates are signed, when the file does not match the section's "sha256".
    QStringList FetchWhatsNewText();
    /// The lines of the end-user agreement ("file" of section "eula"); empty as for the notes.
    QStringList FetchAgreementText();
    /// Section "action" before downloading: "msg", "htmldlg", "runbefore", "showURL", "query".
    /// False when the user declined the question; AppUpdate is then cleared.
    bool RunPreDownloadActions();
    /// Fetches every file of the engine's FileList and puts it in place. A file that fails, or
    /// that does not match the size, checksum or (when updates are signed) digest the control
    /// file gives for it, is deleted, not put in place, clears AppUpdate and makes the result
    /// false; the next file follows.
    bool DownloadFileList();
    /// Starts "runafter" unless the engine's Cancelled is set; false when it is set.
    bool RunPostDownloadActions();

    /// Opens a command of the control file: an executable file is started without parameters,
    /// anything else goes to the desktop's default handler.
    void StartCommand(const QString& command);

    /// The text of a downloaded notes file as lines: a byte-order mark selects UTF-8 or UTF-16,
    /// otherwise the bytes are read as list files are.
    static QStringList ReadTextLines(const QString& path);

private:
    QStringList fetchTextFile(const QString& section);
    bool placeFile(const QString& temporary, const QString& destination);
    bool failFile(const QString& temporary);

    UpdateEngine& m_engine;
};
