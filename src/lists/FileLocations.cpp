#include "lists/FileLocations.h"

#include "platform/Folders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
const QString kLastFolderKey = QStringLiteral("ListDialogs/lastFolder");
}

FileLocations::FileLocations(const Folders& folders) : m_folders(folders) {}

bool FileLocations::installed() const
{
    return !m_folders.isWritable(m_folders.program());
}

QString FileLocations::stateFolder() const
{
    return installed() ? m_folders.configuration() : m_folders.current();
}

QString FileLocations::settingsFile() const
{
    return QDir(m_folders.configuration()).filePath(QStringLiteral("settings.ini"));
}

QString FileLocations::dialogFolder() const
{
    if (!installed())
        return m_folders.current();
    const QString last = QSettings(settingsFile(), QSettings::IniFormat).value(kLastFolderKey).toString();
    // A folder removed or unmounted since is no place to start.
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : m_folders.documents();
}

void FileLocations::rememberDialogFolder(const QString& chosenFile)
{
    if (!installed())
        return;
    QDir().mkpath(m_folders.configuration());
    QSettings settings(settingsFile(), QSettings::IniFormat);
    settings.setValue(kLastFolderKey, QFileInfo(chosenFile).absolutePath());
}
