#include "lists/StateFile.h"

#include "lists/ListFile.h"
#include "lists/ListText.h"

#include <QFileInfo>

namespace {
const QString kStateFileName = QStringLiteral("sel.dat");
}

QString StateFile::path(const QString& folder)
{
    return QDir(folder).filePath(kStateFileName);
}

std::optional<QString> StateFile::readListPath(const QString& folder)
{
    const QString file = path(folder);
    if (!QFileInfo::exists(file))
        return std::nullopt;
    const QStringList lines = ListText::splitLines(ListText::decode(ListFile::readAll(file)));
    if (lines.isEmpty() || lines.first().isEmpty())
        return std::nullopt;
    // A bare name (what earlier versions wrote) is looked for in the state file's folder.
    return QDir(folder).absoluteFilePath(lines.first());
}

QString StateFile::entryFor(const QString& listPath, const QString& folder)
{
    const QFileInfo list(listPath);
    if (QDir(list.absolutePath()) == QDir(folder))
        return list.fileName();
    return list.absoluteFilePath();
}

void StateFile::write(const QString& listPath, const QString& folder)
{
    // An installed program's configuration folder may not exist yet.
    QDir().mkpath(folder);
    ListFile::writeAtomically(path(folder), (entryFor(listPath, folder) + QStringLiteral("\r\n")).toUtf8());
}
