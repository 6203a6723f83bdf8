#include "lists/StateFile.h"

#include "lists/ListFile.h"
#include "lists/ListText.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kStateFileName = QStringLiteral("sel.dat");
}

QString StateFile::path()
{
    return QDir::current().filePath(kStateFileName);
}

std::optional<QString> StateFile::readListPath()
{
    const QString file = path();
    if (!QFileInfo::exists(file))
        return std::nullopt;
    const QStringList lines = ListText::splitLines(ListText::decode(ListFile::readAll(file)));
    if (lines.isEmpty() || lines.first().isEmpty())
        return std::nullopt;
    // A bare name (what earlier versions wrote) is looked for in the working directory.
    return QDir::current().absoluteFilePath(lines.first());
}

QString StateFile::entryFor(const QString& listPath)
{
    const QFileInfo list(listPath);
    if (QDir(list.absolutePath()) == QDir::current())
        return list.fileName();
    return list.absoluteFilePath();
}

void StateFile::write(const QString& listPath)
{
    ListFile::writeAtomically(path(), (entryFor(listPath) + QStringLiteral("\r\n")).toUtf8());
}
