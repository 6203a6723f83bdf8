#include "app/HelpDocument.h"

#include "app/BuildConfig.h"
#include "platform/Folders.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kHelpDocument = QStringLiteral("VorlixPro_Help.pdf");
}

QString HelpDocument::find(const Folders& folders)
{
    QStringList places{folders.current(), folders.program()};
    if (!folders.program().isEmpty())
        places << QDir(folders.program()).filePath(QString::fromLatin1(BuildConfig::kDocFolderFromProgram));
    for (const QString& folder : places) {
        const QString path = QDir::cleanPath(QDir(folder).filePath(kHelpDocument));
        if (!folder.isEmpty() && QFileInfo(path).isFile())
            return path;
    }
    return {};
}
