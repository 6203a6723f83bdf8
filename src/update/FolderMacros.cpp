#include "update/FolderMacros.h"

#include "platform/Folders.h"

#include <QDir>

QString NormalizeFolder(const QString& folder)
{
    const QChar separator = QDir::separator();
    QString result = folder;
    if (!result.endsWith(separator))
        result += separator;
    if (result.size() > 3 && result.at(1) == u':')
        result.chop(1);
    else
        result += u'.';
    return result;
}

QString FolderForMacro(const QString& name, const Folders& folders)
{
    const QString upper = name.toUpper();
    QString folder;
    if (upper == QLatin1String("WIN"))
        folder = folders.windows();
    else if (upper == QLatin1String("SYS"))
        folder = folders.system();
    else if (upper == QLatin1String("APP"))
        folder = folders.current();
    else if (upper == QLatin1String("TMP"))
        folder = folders.temp();
    else if (upper == QLatin1String("DOC"))
        folder = folders.documents();
    else if (upper == QLatin1String("PF"))
        folder = folders.programFiles();
    return folder.isEmpty() ? QString() : NormalizeFolder(folder);
}

QString ExpandFolderMacros(const QString& text, const Folders& folders)
{
    QString result = text;
    qsizetype open = -1;
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (result.at(i) == u'{' && open < 0) {
            open = i;
        } else if (result.at(i) == u'}' && open >= 0) {
            const QString folder = FolderForMacro(result.mid(open + 1, i - open - 1).toUpper(), folders);
            if (!folder.isEmpty()) {
                result.replace(open, i - open + 1, folder);
                // Go on after the folder: its own name is literal text, never a macro. Rescanning
                // it would expand braces in a folder's name, or loop forever on "{TMP}" in it.
                i = open + folder.size() - 1;
            }
            open = -1;
        }
    }
    return result;
}
