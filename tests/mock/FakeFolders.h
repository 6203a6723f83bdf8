#pragma once

#include "platform/Folders.h"

#include <QStringList>

/// Folders as a test sets them.
class FakeFolders final : public Folders
{
public:
    QString temp() const override { return tempFolder; }
    QString documents() const override { return documentsFolder; }
    QString current() const override { return currentFolder; }
    QString windows() const override { return windowsFolder; }
    QString system() const override { return systemFolder; }
    QString programFiles() const override { return programFilesFolder; }
    QString program() const override { return programFolder; }
    QString configuration() const override { return configurationFolder; }
    bool isWritable(const QString& folder) const override { return !readOnlyFolders.contains(folder); }

    QString tempFolder;
    QString documentsFolder;
    QString currentFolder;
    QString windowsFolder;
    QString systemFolder;
    QString programFilesFolder;
    QString programFolder;
    QString configurationFolder;
    QStringList readOnlyFolders; // every other folder is writable
};
