#pragma once

#include <QList>
#include <QString>

/// One file of a release, from one numbered "file" section of the control file.
struct UpdateFileEntry
{
    QString URL;
    QString LocalVersion;
    QString NewVersion;
    qint32 NewSize = 0;
    qint32 NewCheckSum = -1;
    QString NewDate;
    QString NewTime;
    QString Description;
    QString TargetDir; // empty, or ending in a separator
    qint32 FileSize = 0;
    bool Mandatory = false;
    bool Preselect = true;
    bool Hidden = false;
    bool Selected = false;
    QString Sha256; // lower-case hex of the file's bytes; required when updates are signed
};

/// The release's files in order, and the position of the file being downloaded.
class UpdateFileList final
{
public:
    QList<UpdateFileEntry> items;
    int DownloadIndex = 0;

    int count() const { return int(items.size()); }
    bool isEmpty() const { return items.isEmpty(); }
    void clear();
    /// The sum of FileSize over every file.
    qint64 TotalFileSize() const;
    /// The sum of FileSize over the files before DownloadIndex.
    qint64 CompletedFileSize() const;
};
