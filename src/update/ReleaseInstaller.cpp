#include "update/ReleaseInstaller.h"

#include "lists/ListText.h"
#include "platform/Desktop.h"
#include "update/UpdateEngine.h"
#include "update/UpdateRules.h"

#include "platform/Process.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QString kAction = QStringLiteral("action");
const QString kTitle = QStringLiteral("Vorlix Pro");

/// The control file writes a line break as the two characters backslash and n.
QString withLineBreaks(QString text)
{
    return text.replace(QLatin1String("\\n"), QLatin1String("\n"));
}

bool isKeptForUpdater(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix().toUpper();
    return suffix == QLatin1String("CAB") || suffix == QLatin1String("PAT");
}

/// Whether the downloaded file is the one the control file describes, where it says.
bool matchesDescription(const UpdateFileEntry& file, const QString& path)
{
    if (file.NewSize > 0 && QFileInfo(path).size() != file.NewSize)
        return false;
    return file.NewCheckSum == -1 || FileByteSum(path) == file.NewCheckSum;
}
} // namespace

QStringList ReleaseInstaller::ReadTextLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ListText::splitLines(ListText::decode(file.readAll()));
}

QStringList ReleaseInstaller::fetchTextFile(const QString& section)
{
    const IniFile ini = m_engine.ControlFile();
    const QString address = ini.ReadString(section, QStringLiteral("file"));
    if (address.isEmpty() || !m_engine.DownloadToFolder(address, m_engine.TempFolder()))
        return {};
    const QString path = m_engine.TempFolder() + FileNameFromURL(address);
    const QStringList lines =
        m_engine.FileMatchesSignedDigest(path, ini.ReadString(section, QStringLiteral("sha256")))
            ? ReadTextLines(path)
            : QStringList();
    QFile::remove(path);
    return lines;
}

QStringList ReleaseInstaller::FetchWhatsNewText()
{
    return fetchTextFile(QStringLiteral("whatsnew"));
}

QStringList ReleaseInstaller::FetchAgreementText()
{
    return fetchTextFile(QStringLiteral("eula"));
}

bool ReleaseInstaller::RunPreDownloadActions()
{
    const IniFile ini = m_engine.ControlFile();
    Desktop& desktop = m_engine.desktop();
    const auto expanded = [&](const char* key) {
        return m_engine.ExpandFolderMacros(ini.ReadString(kAction, QLatin1String(key)));
    };

    const QString message = withLineBreaks(ini.ReadString(kAction, QStringLiteral("msg")));
    if (!message.isEmpty())
        desktop.showMessage(message);
    const QString page = expanded("htmldlg");
    if (!page.isEmpty())
        desktop.showHtmlDialog(page);
    const QString before = expanded("runbefore");
    if (!before.isEmpty())
        StartCommand(before);
    const QString address = expanded("showURL");
    if (!address.isEmpty())
        desktop.openDocument(address);
    const QString question = withLineBreaks(ini.ReadString(kAction, QStringLiteral("query")));
    if (!question.isEmpty() && !desktop.askYesNo(kTitle, question, Desktop::Icon::Information)) {
        m_engine.AppUpdate = false;
        return false;
    }
    return true;
}

bool ReleaseInstaller::DownloadFileList()
{
    bool result = true;
    UpdateFileList& list = m_engine.FileList;
    const QString temp = m_engine.TempFolder();
    for (int i = 0; i < list.count(); ++i) {
        list.DownloadIndex = i;
        const UpdateFileEntry file = list.items[i];
        if (!file.TargetDir.isEmpty() && !QFileInfo(file.TargetDir).isDir())
            QDir().mkpath(file.TargetDir);
        const QString name = FileNameFromURL(file.URL);
        const QString downloaded = temp + name;
        const bool arrived = m_engine.DownloadToFolder(file.URL, temp);
        // A file that is not the one described must not replace a working copy.
        if (!arrived || !matchesDescription(file, downloaded) ||
            !m_engine.FileMatchesSignedDigest(downloaded, file.Sha256)) {
            if (arrived)
                failFile(downloaded);
            result = false;
            m_engine.AppUpdate = false;
            continue;
        }
        if (m_engine.AppComponents.toUpper().contains(name.toUpper())) {
            m_engine.ComponentDownloaded = true;
            continue;
        }
        if (isKeptForUpdater(name) || file.TargetDir.isEmpty())
            continue;
        if (!placeFile(downloaded, file.TargetDir + name)) {
            result = false;
            m_engine.AppUpdate = false;
        }
    }
    return result;
}

bool ReleaseInstaller::failFile(const QString& temporary)
{
    if (QFile::remove(temporary) || !QFileInfo::exists(temporary))
        return true;
    m_engine.AppendLogLine(QStringLiteral("Unable to delete file ") + temporary);
    return false;
}

// A file that cannot be put in place counts as failed, so that the wizard does not report a
// completed update while the old copy is still there.
bool ReleaseInstaller::placeFile(const QString& temporary, const QString& destination)
{
    const QFileInfo existing(destination);
    if ((existing.exists() || existing.isSymLink()) && !QFile::remove(destination)) {
        m_engine.AppendLogLine(QStringLiteral("Unable to delete file ") + destination);
        return false;
    }
    if (!QFile::rename(temporary, destination)) {
        m_engine.AppendLogLine(QStringLiteral("Unable to rename file ") + temporary + QStringLiteral(" to ") +
                               destination);
        return false;
    }
    return true;
}

bool ReleaseInstaller::RunPostDownloadActions()
{
    if (m_engine.Cancelled)
        return false;
    const QString after =
        m_engine.ExpandFolderMacros(m_engine.ControlFile().ReadString(kAction, QStringLiteral("runafter")));
    if (!after.isEmpty())
        StartCommand(after);
    return true;
}

void ReleaseInstaller::StartCommand(const QString& command)
{
    const QFileInfo file(command);
    if (file.isFile() && file.isExecutable())
        StartProgramDetached(file.absoluteFilePath(), {}, file.absolutePath());
    else
        m_engine.desktop().openDocument(command);
}
