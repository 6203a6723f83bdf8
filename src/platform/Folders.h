#pragma once

#include <QString>

/// The folders the self-update writes to and expands in its control file, and the ones that tell
/// an installed program from one run where the user keeps it. Each is given without a trailing
/// separator; an empty text means the platform has no such folder.
class Folders
{
public:
    virtual ~Folders() = default;
    /// The user's temporary folder.
    virtual QString temp() const = 0;
    /// The user's documents folder.
    virtual QString documents() const = 0;
    /// The process's current folder (not the executable's folder).
    virtual QString current() const = 0;
    /// The Windows folder.
    virtual QString windows() const = 0;
    /// The Windows system folder.
    virtual QString system() const = 0;
    /// The programs folder named by the registry value "ProgramFilesDir".
    virtual QString programFiles() const = 0;
    /// The folder that holds the program's executable.
    virtual QString program() const = 0;
    /// The user's configuration folder for this program (it may not exist yet).
    virtual QString configuration() const = 0;
    /// Whether the user may create files in the folder.
    virtual bool isWritable(const QString& folder) const = 0;
};

/// The operating system's folders.
class SystemFolders final : public Folders
{
public:
    QString temp() const override;
    QString documents() const override;
    QString current() const override;
    QString windows() const override;
    QString system() const override;
    QString programFiles() const override;
    QString program() const override;
    QString configuration() const override;
    bool isWritable(const QString& folder) const override;
};
