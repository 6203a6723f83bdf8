#include "update/TFileList.h"

void TFileList::clear()
{
    items.clear();
    DownloadIndex = 0;
}

qint64 TFileList::TotalFileSize() const
{
    qint64 total = 0;
    for (const TFileDescription& file : items)
        total += file.FileSize;
    return total;
}

qint64 TFileList::CompletedFileSize() const
{
    qint64 total = 0;
    for (int i = 0; i < DownloadIndex && i < count(); ++i)
        total += items[i].FileSize;
    return total;
}
