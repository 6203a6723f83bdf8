#pragma once

#include "update/IniFile.h"
#include "update/UpdateFileList.h"

#include <QDateTime>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class CurlSession;
class Folders;
class Network;
class Desktop;

/// The outcome of comparing the offered release with the installed one.
enum class UpdateVerdict
{
    NewerByDate,
    NoUpdate,
    Unconditional,
    NewerBySize,
    NewerByChecksum,
    NewerByVersion
};

/// Whether connection errors are shown in a message box.
enum class ConnectionErrors
{
    PromptOnce,
    Silent
};

/// The result of opening the Internet connection.
enum class ConnectionOpen
{
    Connected,
    NoConnection,
    CannotOpen
};

/// The self-update engine: fetches the control file, decides whether a release is offered,
/// reads its file list and fetches files over HTTP with progress and cancel.
class UpdateEngine final
{
public:
    UpdateEngine(Desktop& desktop, Network& network, const Folders& folders);
    ~UpdateEngine();
    UpdateEngine(const UpdateEngine&) = delete;
    UpdateEngine& operator=(const UpdateEngine&) = delete;

    // Settings.
    QString URL; // the control file's address; folder macros are expanded before use
    QString Agent = QStringLiteral("TWebUpdate");
    QString LogFileName = QStringLiteral("WUPDATE.LOG");
    bool Logging = false; // no status trace; the updater is told so
    ConnectionErrors connectionErrors = ConnectionErrors::PromptOnce;
    /// A transfer that receives nothing for this long fails.
    std::chrono::milliseconds StallTimeout{60000};
    /// A certificate bundle to trust instead of the system's; empty for the system's.
    QString CaCertificates;
    /// The publisher's Ed25519 public key (base64) that control files must be signed with; empty
    /// checks no signatures. A key that cannot be read verifies nothing, so it refuses every update.
    QString UpdateKey;

    // State.
    QString ControlFilePath;
    bool AppUpdate = false;
    QString AppName;
    QString AppParams;
    QString AppComponents;
    bool SilentRestart = false;
    QString UpdateDescription;
    QDateTime ReleaseDate;
    QDateTime InstalledDate;
    QString LocalVersionText;
    QString NewVersionText;
    bool Cancelled = false;
    bool ComponentDownloaded = false;
    UpdateFileList FileList;
    /// The last control file fetched was refused for want of a valid signature.
    bool ControlFileUnverified = false;

    /// After every block: destination path, bytes received so far, announced length (0 when none).
    std::function<void(const QString& fileName, qint64 pos, qint64 size)> OnFileProgress;
    /// After every block and while a transfer waits for data: receives Cancelled, may set it.
    std::function<void(bool& cancel)> OnProgressCancel;

    /// What the updater handoff asks of the system. The defaults are the real ones; tests
    /// replace them so that nothing quits.
    struct HandoffHooks
    {
        std::function<qint64()> processId;
        /// Starts the unpacked updater with its parameters as one text, in the given folder.
        std::function<bool(const QString& updater, const QString& parameters, const QString& folder)> start;
        /// Ends the application: its event loops end and the program exits.
        std::function<void()> terminate;
    };
    HandoffHooks Handoff;

    /// The start-up check: true when the control file offers a release. Shows nothing but a
    /// connection error box. An empty URL offers nothing.
    bool IsUpdatePending();
    /// Fetches the control file into the temporary folder and reads section "application".
    bool FetchControlFile();
    /// Reads section "update" and decides.
    UpdateVerdict EvaluateUpdate();
    /// Reads section "files" into FileList; returns the count read.
    int LoadFileList();
    /// Drops the files that need no update.
    void FilterFileList();

    QString ExpandFolderMacros(const QString& text) const;
    QString FolderForMacro(const QString& name) const;
    /// The user's temporary folder, ending in a separator.
    QString TempFolder() const;
    /// The local copy of the control file as it reads now.
    IniFile ControlFile() const;

    ConnectionOpen OpenInternetConnection();
    /// Closes the connection and deletes the local control file.
    void CloseInternetConnection();
    bool Connected() const;
    /// Fetches address into folder + FileNameFromURL(address); true when the whole file arrived
    /// and was put in place.
    bool DownloadToFolder(const QString& address, const QString& folder);
    /// Shows the last connection error, unless connectionErrors is ConnectionErrors::Silent.
    void ReportInternetError();
    /// Appends one line to the update log.
    void AppendLogLine(const QString& text);

    /// True when the release brought files of the running application, which only the updater
    /// can put in place once the application has ended.
    bool RestartNeeded() const;
    /// Asks (unless SilentRestart), unpacks the updater into the temporary folder, writes
    /// "WUPDATE.INI", starts the updater and ends the application; does nothing when the cancel
    /// callback or the user says no. Throws UpdaterExtractError when the updater cannot be written.
    void RestartThroughUpdater();
    /// The update log's path.
    QString LogFilePath() const;

    /// Whether updates must be signed: the control file by its signature, each file by its digest.
    bool ChecksSignatures() const { return !UpdateKey.isEmpty(); }
    /// Whether a downloaded file may be used: without a key always; with one only when its bytes
    /// match the digest ("sha256") that the signed control file gives for it.
    bool FileMatchesSignedDigest(const QString& path, const QString& digest) const;

    Desktop& desktop() const { return m_desktop; }
    const Folders& folders() const { return m_folders; }

private:
    bool controlFileIsSigned(const QString& address);
    bool discardTemporary(const QString& path);
    bool putInPlace(const QString& temporary, const QString& destination);

    Desktop& m_desktop;
    Network& m_network;
    const Folders& m_folders;
    std::unique_ptr<CurlSession> m_session;
    QString m_lastError;
};
