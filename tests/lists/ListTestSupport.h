#pragma once

#include "lists/CarnivalList.h"
#include "mock/FileSizeLimit.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMetaType>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>
#include <unistd.h>

inline bool operator==(const CarnivalEntry& a, const CarnivalEntry& b)
{
    return a.carnival == b.carnival && a.category == b.category && a.carnivalRef == b.carnivalRef &&
           a.categoryRef == b.categoryRef;
}

inline char* toString(const CarnivalEntry& entry)
{
    const QString text =
        QStringList{entry.carnival, entry.category, entry.carnivalRef, entry.categoryRef}.join('|');
    return qstrdup(text.toUtf8().constData());
}

Q_DECLARE_METATYPE(CarnivalEntry)

namespace ListTest {

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

inline void fill(CarnivalList& grid, const QList<CarnivalEntry>& entries, bool trailingBlank)
{
    grid.setRows(int(entries.size()) + (trailingBlank ? 1 : 0));
    for (int row = 0; row < entries.size(); ++row)
        grid.setEntry(row, entries[row]);
}

inline QList<CarnivalEntry> entriesOf(const CarnivalList& grid)
{
    QList<CarnivalEntry> entries;
    for (int row = 0; row < grid.rows(); ++row)
        entries.append(grid.entry(row));
    return entries;
}

/// Makes every write into a folder fail for as long as it lives. The folder is made read-only;
/// root ignores that (access() says so), and then files are limited to a few bytes instead, so a
/// write still fails for real half-way through.
class FailingWrites
{
public:
    explicit FailingWrites(const QString& folder) : m_folder(folder)
    {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        if (::access(QFile::encodeName(folder).constData(), W_OK) == 0)
            m_limit.emplace(4);
    }
    ~FailingWrites()
    {
        m_limit.reset();
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    FailingWrites(const FailingWrites&) = delete;
    FailingWrites& operator=(const FailingWrites&) = delete;
    /// True when root bypassed the read-only folder and the size limit does the failing.
    bool bySizeLimit() const { return m_limit.has_value(); }

private:
    QString m_folder;
    std::optional<FileSizeLimit> m_limit;
};

/// Runs a test in a working folder of its own: the program looks its files up there.
class WorkingFolder
{
public:
    WorkingFolder() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~WorkingFolder() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace ListTest
