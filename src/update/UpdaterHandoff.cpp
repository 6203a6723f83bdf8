#include "update/UpdaterHandoff.h"

#include <QDir>
#include <QSaveFile>

const QString UpdaterHandoff::kConfigFileName = QStringLiteral("WUPDATE.INI");

namespace {

QString WithSeparator(const QString& folder)
{
    return folder.endsWith(u'/') || folder.endsWith(QDir::separator()) ? folder : folder + QDir::separator();
}

// The updater splits its command line at blanks and tabs outside double quotes.
QString QuotedWhenSplit(const QString& text)
{
    return text.contains(u' ') || text.contains(u'\t') ? u'"' + text + u'"' : text;
}

} // namespace

QString UpdaterHandoff::Parameters(const Request& request)
{
    const QString appPath = WithSeparator(request.currentFolder) + request.appName;
    return QString::number(request.processId) +
           (request.logging ? QStringLiteral(" L ") : QStringLiteral(" X ")) + QuotedWhenSplit(appPath) +
           u' ' + QuotedWhenSplit(request.appParams) + QStringLiteral(" \"") +
           WithSeparator(request.tempFolder) + QStringLiteral("\" ") + request.appComponents;
}

QString UpdaterHandoff::WriteConfig(const QString& documentsFolder, const QString& logFileName)
{
    const QString path =
        documentsFolder.isEmpty() ? kConfigFileName : WithSeparator(documentsFolder) + kConfigFileName;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QStringLiteral("[CONFIG]\r\nLOGFILENAME=%1\r\n").arg(logFileName).toLocal8Bit());
    return file.commit() ? path : QString();
}
