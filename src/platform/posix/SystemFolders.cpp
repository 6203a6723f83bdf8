#include "platform/Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <unistd.h>

QString SystemFolders::temp() const
{
    return QDir::tempPath();
}

QString SystemFolders::documents() const
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString SystemFolders::current() const
{
    return QDir::currentPath();
}

// The Windows folders name nothing here: their macros stay as written.
QString SystemFolders::windows() const
{
    return {};
}

QString SystemFolders::system() const
{
    return {};
}

QString SystemFolders::programFiles() const
{
    return {};
}

QString SystemFolders::program() const
{
    return QCoreApplication::applicationDirPath();
}

QString SystemFolders::configuration() const
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

// The user's own right to write, as the kernel decides it (owner, group, ACLs, read-only mounts).
bool SystemFolders::isWritable(const QString& folder) const
{
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}
