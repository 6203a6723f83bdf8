#include "update/UpdateEngine.h"

#include "platform/Desktop.h"
#include "platform/Folders.h"
#include "platform/Network.h"
#include "platform/Process.h"
#include "update/CurlSession.h"
#include "update/FolderMacros.h"
#include "update/UpdateRules.h"
#include "update/UpdateSignature.h"
#include "update/UpdaterExtractor.h"
#include "update/UpdaterHandoff.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>

namespace {
constexpr qsizetype kBlockSize = 4096;
// A control file cannot make us build an endless list of default entries.
constexpr int kMaxFiles = 10000;
// A signature is 88 characters of base64; anything much longer is not one.
constexpr qint64 kMaxSignatureBytes = 1024;

const QString kUpdate = QStringLiteral("update");
const QString kApplication = QStringLiteral("application");

QString withSeparator(const QString& folder)
{
    return folder.isEmpty() || folder.endsWith(u'/') || folder.endsWith(QDir::separator())
               ? folder
               : folder + QDir::separator();
}

/// Receives one file into the temporary file in blocks, handling events and the user's cancel
/// after each.
class BlockReceiver final : public CurlSession::Receiver
{
public:
    BlockReceiver(UpdateEngine& engine, QFile& file, const QString& destination)
        : cancel(engine.Cancelled), m_engine(engine), m_file(file), m_destination(destination)
    {}

    bool onResponse(long status, qint64 length) override
    {
        this->length = length;
        return status < 300;
    }

    bool onBody(const char* data, qsizetype size) override
    {
        for (qsizetype at = 0; at < size; at += kBlockSize) {
            const qsizetype block = std::min(kBlockSize, size - at);
            m_engine.desktop().processEvents();
            if (m_file.write(data + at, block) != block) {
                writeFailed = true;
                return false;
            }
            received += block;
            if (m_engine.OnFileProgress)
                m_engine.OnFileProgress(m_destination, received, length);
            if (cancelled())
                return false;
        }
        return true;
    }

    bool onIdle() override
    {
        m_engine.desktop().processEvents();
        return !cancelled();
    }

    bool cancel;
    qint64 length = 0;
    qint64 received = 0;
    bool writeFailed = false;

private:
    bool cancelled()
    {
        cancel = m_engine.Cancelled;
        if (m_engine.OnProgressCancel)
            m_engine.OnProgressCancel(cancel);
        return cancel;
    }

    UpdateEngine& m_engine;
    QFile& m_file;
    const QString& m_destination;
};

bool isUsableFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..");
}

QByteArray encodedAddress(const QString& address)
{
    const QUrl url(address, QUrl::TolerantMode);
    return url.isValid() ? url.toEncoded() : address.toUtf8();
}
} // namespace

UpdateEngine::UpdateEngine(Desktop& desktop, Network& network, const Folders& folders)
    : m_desktop(desktop), m_network(network), m_folders(folders), m_session(std::make_unique<CurlSession>())
{
    Handoff.processId = CurrentProcessId;
    Handoff.start = [](const QString& updater, const QString& parameters, const QString& folder) {
        // One argument: the updater splits the text by its own rules.
        return StartProgramDetached(updater, {parameters}, folder);
    };
    Handoff.terminate = TerminateApplication;
}

UpdateEngine::~UpdateEngine() = default;

// --- Control file and version check ---

bool UpdateEngine::IsUpdatePending()
{
    if (URL.isEmpty())
        return false;
    if (OpenInternetConnection() != ConnectionOpen::Connected)
        return false;
    const bool pending = FetchControlFile() && EvaluateUpdate() != UpdateVerdict::NoUpdate;
    CloseInternetConnection();
    return pending;
}

bool UpdateEngine::FetchControlFile()
{
    const QString address = ExpandFolderMacros(URL);
    ControlFileUnverified = false;
    if (!DownloadToFolder(address, TempFolder()))
        return false;
    ControlFilePath = TempFolder() + FileNameFromURL(address);
    // Nothing of a control file that its publisher did not sign is read or kept.
    if (ChecksSignatures() && !controlFileIsSigned(address)) {
        QFile::remove(ControlFilePath);
        ControlFilePath.clear();
        ControlFileUnverified = true;
        return false;
    }
    const IniFile ini = ControlFile();
    AppUpdate = ini.ReadFlag(kApplication, QStringLiteral("appupdate"));
    AppName = ExpandFolderMacros(ini.ReadString(kApplication, QStringLiteral("appname")));
    AppParams = ini.ReadString(kApplication, QStringLiteral("appparam"));
    if (AppName.isEmpty())
        AppUpdate = false;
    if (AppParams.isEmpty())
        AppParams = QStringLiteral(" ");
    AppComponents = ExpandFolderMacros(ini.ReadString(kApplication, QStringLiteral("appcomps")));
    SilentRestart = ini.ReadFlag(kApplication, QStringLiteral("silentrestart"));
    return true;
}

UpdateVerdict UpdateEngine::EvaluateUpdate()
{
    const IniFile ini = ControlFile();
    UpdateVerdict verdict = UpdateVerdict::NoUpdate;
    UpdateDescription = ini.ReadString(kUpdate, QStringLiteral("descr"));
    const QString localPath = ExpandFolderMacros(ini.ReadString(kUpdate, QStringLiteral("localversion")));

    const QString date = ini.ReadString(kUpdate, QStringLiteral("date"));
    if (!date.isEmpty()) {
        ReleaseDate = ParseControlDate(date, ini.ReadString(kUpdate, QStringLiteral("time")));
        InstalledDate = LocalFileDate(localPath);
        verdict = InstalledDate >= ReleaseDate ? UpdateVerdict::NoUpdate : UpdateVerdict::NewerByDate;
    }
    if (verdict == UpdateVerdict::NoUpdate &&
        !ini.ReadString(kUpdate, QStringLiteral("unconditional")).isEmpty())
        verdict = UpdateVerdict::Unconditional;
    if (verdict != UpdateVerdict::NoUpdate)
        return verdict;

    QString newVersion = ini.ReadString(kUpdate, QStringLiteral("newversion"));
    const qint32 newSize = ini.ReadInteger(kUpdate, QStringLiteral("newsize"), 0);
    const qint32 newCheckSum = ini.ReadInteger(kUpdate, QStringLiteral("newchecksum"), -1);
    QString local = localPath;
    if ((!newVersion.isEmpty() || newSize > 0 || newCheckSum != -1) && !local.isEmpty()) {
        const UpdateVerdict rule = newCheckSum != -1 ? UpdateVerdict::NewerByChecksum
                                   : newSize < 1     ? UpdateVerdict::NewerByVersion
                                                     : UpdateVerdict::NewerBySize;
        if (NeedsUpdate(newVersion, local, newSize, newCheckSum))
            verdict = rule;
    }
    NewVersionText = newVersion;
    LocalVersionText = local;
    return verdict;
}

int UpdateEngine::LoadFileList()
{
    FileList.clear();
    const IniFile ini = ControlFile();
    const int count =
        std::min(ini.ReadInteger(QStringLiteral("files"), QStringLiteral("count"), 0), kMaxFiles);
    for (int n = 1; n <= count; ++n) {
        const QString section = QStringLiteral("file%1").arg(n);
        const auto text = [&](const char* key) { return ini.ReadString(section, QLatin1String(key)); };
        UpdateFileEntry file;
        file.URL = ExpandFolderMacros(text("url"));
        file.LocalVersion = ExpandFolderMacros(text("localversion"));
        file.NewVersion = text("newversion");
        file.NewSize = ini.ReadInteger(section, QStringLiteral("newsize"), 0);
        file.NewCheckSum = ini.ReadInteger(section, QStringLiteral("newchecksum"), -1);
        file.NewDate = text("date");
        file.NewTime = text("time");
        file.Description = text("descr");
        file.TargetDir = withSeparator(ExpandFolderMacros(text("targetdir")));
        file.FileSize = ini.ReadInteger(section, QStringLiteral("filesize"), 0);
        file.Mandatory = ini.ReadFlag(section, QStringLiteral("mandatory"));
        file.Preselect = ini.ReadFlag(section, QStringLiteral("preselect"), true);
        file.Hidden = ini.ReadFlag(section, QStringLiteral("hidden"));
        file.Sha256 = text("sha256");
        FileList.items.append(file);
    }
    return std::max(count, 0);
}

void UpdateEngine::FilterFileList()
{
    auto& files = FileList.items;
    for (qsizetype i = 0; i < files.size();) {
        const UpdateFileEntry& file = files[i];
        bool keep = false;
        if (!file.LocalVersion.isEmpty() && !file.NewDate.isEmpty()) {
            const QFileInfo local(file.LocalVersion);
            keep = !(local.exists() && local.lastModified() >= ParseControlDate(file.NewDate, file.NewTime));
        } else {
            QString version = file.NewVersion;
            QString path = file.LocalVersion;
            keep = NeedsUpdate(version, path, file.NewSize, file.NewCheckSum);
        }
        if (keep)
            ++i;
        else
            files.removeAt(i);
    }
}

QString UpdateEngine::ExpandFolderMacros(const QString& text) const
{
    return ::ExpandFolderMacros(text, m_folders);
}

QString UpdateEngine::FolderForMacro(const QString& name) const
{
    return ::FolderForMacro(name, m_folders);
}

QString UpdateEngine::TempFolder() const
{
    return withSeparator(m_folders.temp());
}

IniFile UpdateEngine::ControlFile() const
{
    return ControlFilePath.isEmpty() ? IniFile() : IniFile(ControlFilePath);
}

// --- Transfer ---

ConnectionOpen UpdateEngine::OpenInternetConnection()
{
    m_session->close();
    const QString address = ExpandFolderMacros(URL);
    if (!address.contains(QLatin1String("127.0.0.1")) && !m_network.isOnline(address))
        return ConnectionOpen::NoConnection;
    return m_session->open(Agent.toUtf8(), CaCertificates) ? ConnectionOpen::Connected
                                                           : ConnectionOpen::CannotOpen;
}

void UpdateEngine::CloseInternetConnection()
{
    m_session->close();
    if (!ControlFilePath.isEmpty())
        QFile::remove(ControlFilePath);
}

bool UpdateEngine::Connected() const
{
    return m_session->isOpen();
}

bool UpdateEngine::DownloadToFolder(const QString& address, const QString& folder)
{
    m_lastError.clear();
    // An address without a file name would write over the folder itself.
    const QString name = FileNameFromURL(address);
    if (!isUsableFileName(name) || !Connected())
        return false;
    // A cancelled update stops every later fetch before its first read.
    if (Cancelled)
        return false;
    const QString destination = withSeparator(folder) + name;

    QTemporaryFile temporary(TempFolder() + QStringLiteral("WUPDXXXXXX.tmp"));
    temporary.setAutoRemove(false);
    if (!temporary.open())
        return false;
    const QString temporaryPath = temporary.fileName();
    BlockReceiver receiver(*this, temporary, destination);
    const CurlSession::Result result = m_session->get(encodedAddress(address), receiver, StallTimeout);
    temporary.close();
    Cancelled = receiver.cancel;

    // A body shorter than announced is as broken as one that failed to arrive.
    const bool whole = result.outcome == CurlSession::Outcome::Received && !receiver.writeFailed &&
                       (receiver.length == 0 || receiver.received == receiver.length);
    if (!whole) {
        discardTemporary(temporaryPath);
        if (result.outcome == CurlSession::Outcome::NoResponse) {
            m_lastError = result.errorText;
            ReportInternetError();
        }
        return false;
    }
    // An empty body is a failure, though the empty file is put in place.
    return putInPlace(temporaryPath, destination) && receiver.received > 0;
}

bool UpdateEngine::discardTemporary(const QString& path)
{
    if (QFile::remove(path) || !QFileInfo::exists(path))
        return true;
    AppendLogLine(QStringLiteral("Unable to delete file ") + path);
    return false;
}

bool UpdateEngine::putInPlace(const QString& temporary, const QString& destination)
{
    bool success = true;
    const QFileInfo existing(destination);
    if (existing.exists() || existing.isSymLink()) {
        if (!QFile::remove(destination)) {
            QFile::setPermissions(destination, existing.permissions() | QFile::WriteOwner | QFile::WriteUser);
            if (!QFile::remove(destination)) {
                success = false;
                AppendLogLine(QStringLiteral("Unable to delete file ") + destination);
            }
        }
    }
    if (!QFile::rename(temporary, destination)) {
        success = false;
        AppendLogLine(QStringLiteral("Unable to rename file ") + temporary + QStringLiteral(" to ") +
                      destination);
    }
    return success;
}

void UpdateEngine::ReportInternetError()
{
    if (m_lastError.isEmpty())
        return;
    if (connectionErrors != ConnectionErrors::Silent)
        m_desktop.showMessage(m_lastError);
}

QString UpdateEngine::LogFilePath() const
{
    static const QString pathCharacters = QStringLiteral("\\/:");
    for (QChar c : pathCharacters)
        if (LogFileName.contains(c))
            return LogFileName;
    const QString documents = m_folders.documents();
    return documents.isEmpty() ? LogFileName : withSeparator(documents) + LogFileName;
}

void UpdateEngine::AppendLogLine(const QString& text)
{
    QFile log(LogFilePath());
    if (log.open(QIODevice::WriteOnly | QIODevice::Append))
        log.write((text + u'\n').toLocal8Bit());
}

// --- Handoff to the updater ---

bool UpdateEngine::RestartNeeded() const
{
    return AppUpdate && !Cancelled && ComponentDownloaded;
}

void UpdateEngine::RestartThroughUpdater()
{
    bool cancel = false;
    if (OnProgressCancel)
        OnProgressCancel(cancel);
    if (cancel)
        return;
    if (!SilentRestart &&
        !m_desktop.askYesNo(QStringLiteral("Confirm"),
                            QStringLiteral("Shutdown application to update executable files ?"),
                            Desktop::Icon::Question))
        return;
    const QString updater = UpdaterExtractor::ExtractUpdater(TempFolder());
    // The updater falls back to the same log name when this file is missing.
    UpdaterHandoff::WriteConfig(m_folders.documents(), LogFileName);
    const QString parameters = UpdaterHandoff::Parameters(
        {Handoff.processId(), Logging, m_folders.current(), AppName, AppParams, TempFolder(), AppComponents});
    // The updater replaces files in its current folder, which is the application's.
    Handoff.start(updater, parameters, m_folders.current());
    Handoff.terminate();
}

// --- Signatures ---

bool UpdateEngine::controlFileIsSigned(const QString& address)
{
    const QString signatureAddress = address + QStringLiteral(".sig");
    const QString signaturePath = TempFolder() + FileNameFromURL(signatureAddress);
    const bool fetched = DownloadToFolder(signatureAddress, TempFolder());
    QFile signatureFile(signaturePath);
    const QByteArray signature = fetched && signatureFile.open(QIODevice::ReadOnly)
                                     ? signatureFile.read(kMaxSignatureBytes + 1)
                                     : QByteArray();
    signatureFile.close();
    QFile::remove(signaturePath);
    QFile control(ControlFilePath);
    if (signature.isEmpty() || signature.size() > kMaxSignatureBytes || !control.open(QIODevice::ReadOnly))
        return false;
    return UpdateSignature::VerifySignature(UpdateSignature::ParsePublicKey(UpdateKey), control.readAll(),
                                            signature);
}

bool UpdateEngine::FileMatchesSignedDigest(const QString& path, const QString& digest) const
{
    return !ChecksSignatures() || UpdateSignature::FileMatchesDigest(path, digest);
}
