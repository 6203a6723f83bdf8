#pragma once

#include <QString>

class Folders;

/// Where the program keeps "sel.dat" and where its list dialogs start. A program whose own folder
/// the user can write (a build folder, an unpacked archive) works in the current folder. An
/// installed one writes neither into its own folder nor wherever it was started from: "sel.dat"
/// lives in the user's configuration folder, and the dialogs start in the folder last used, at
/// first the documents folder.
class FileLocations final
{
public:
    explicit FileLocations(const Folders& folders);

    /// Whether the program's own folder is out of the user's reach.
    bool installed() const;
    /// The folder of "sel.dat", where its bare list names are looked for too.
    QString stateFolder() const;
    /// Where the open and save dialogs for lists start.
    QString dialogFolder() const;
    /// Remembers the folder of a file chosen in a list dialog, for the next dialog and run.
    void rememberDialogFolder(const QString& chosenFile);

private:
    QString settingsFile() const;

    const Folders& m_folders;
};
