#include "update/UpdateFileList.h"

void UpdateFileList::clear()
{
    items.clear();
    DownloadIndex = 0;
}

qint64 UpdateFileList::TotalFileSize() const
{
    qint64 total = 0;
    for (const UpdateFileEntry& file : items)
        total += file.FileSize;
    return total;
}

qint64 UpdateFileList::CompletedFileSize() const
{
    qint64 total = 0;
    for (int i = 0; i < DownloadIndex && i < count(); ++i)
        total += items[i].FileSize;
    return total;
}
