#pragma once

#include "platform/Folders.h"

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

    QString tempFolder;
    QString documentsFolder;
    QString currentFolder;
    QString windowsFolder;
    QString systemFolder;
    QString programFilesFolder;
};
