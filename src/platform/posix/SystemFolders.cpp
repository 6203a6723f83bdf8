#include "platform/Folders.h"

#include <QDir>
#include <QStandardPaths>

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
