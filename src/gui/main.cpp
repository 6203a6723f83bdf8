// Program entry: the main window, the About box and the Quick Finder window, in that order.
#include "app/BuildConfig.h"
#include "app/CommandLine.h"
#include "app/TForm1.h"
#include "directory/CarnivalDirectory.h"
#include "gui/AboutBox.h"
#include "gui/MainWindow.h"
#include "gui/QtUi.h"
#include "gui/WebEngineBrowserView.h"
#include "platform/Network.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QWebEngineView>

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
    QApplication::setApplicationDisplayName(QStringLiteral("Vorlix Pro"));

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

    const AppSettings settings{site, line.updateUrl.value_or(QString::fromLatin1(BuildConfig::kUpdateUrl)),
                               QCoreApplication::applicationFilePath()};
    QtUi ui;
    SystemNetwork network;
    WebEngineBrowserView view1;
    WebEngineBrowserView view2;
    TForm1 form(ui, network, view1, view2, settings);
    MainWindow window(form, view1.widget(), view2.widget());
    ui.setWindow(&window);
    AboutBox about([&form] { return form.aboutVersionText(); }, &window);
    QObject::connect(&form, &TForm1::showAboutRequested, &about, [&about] {
        about.show();
        about.raise();
        about.activateWindow();
    });

    form.FormCreate();
    window.show();
    return app.exec();
}
