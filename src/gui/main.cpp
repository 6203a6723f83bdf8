// Program entry: the main window, the About box and the Quick Finder window, in that order.
#include "app/BuildConfig.h"
#include "app/CommandLine.h"
#include "directory/CarnivalDirectory.h"
#include "gui/ProgramWindows.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <optional>

namespace {
// The demo runs in a working folder of its own that holds the help document, so that its lists
// and sel.dat stay apart from the user's.
void enterDemoFolder()
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString folder = programFolder.filePath(QStringLiteral("demo"));
    QDir().mkpath(folder);
    const QString help = QStringLiteral("VorlixPro_Help.pdf");
    QFile::remove(QDir(folder).filePath(help));
    QFile::copy(programFolder.filePath(help), QDir(folder).filePath(help));
    QDir::setCurrent(folder);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorlix Pro"));

    QString error;
    const CommandLine line = CommandLine::parse(QApplication::arguments(), &error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\nusage: vorlix-pro [--demo] [--site URL] [--update-url URL]\n",
                     qPrintable(error));
        return 2;
    }

    std::optional<CarnivalDirectory> directory;
    QString site = line.site.value_or(QString::fromLatin1(BuildConfig::kSiteUrl));
    if (line.demo) {
        directory.emplace();
        const QString base = directory->start();
        if (base.isEmpty()) {
            std::fprintf(stderr, "The local carnival directory did not start: %s\n",
                         qPrintable(directory->errorString()));
            return 1;
        }
        site = line.site.value_or(base);
        enterDemoFolder();
    }

    ProgramWindows windows(AppSettings{site,
                                       line.updateUrl.value_or(QString::fromLatin1(BuildConfig::kUpdateUrl)),
                                       QCoreApplication::applicationFilePath()});
    windows.start();
    return app.exec();
}
