// Program entry: the main window, the About box and the Quick Finder window, in that order.
#include "app/BuildConfig.h"
#include "app/CommandLine.h"
#include "app/MainController.h"
#include "directory/CarnivalDirectory.h"
#include "directory/DemoRelease.h"
#include "gui/HeadlessSubmit.h"
#include "gui/ProgramWindows.h"
#include "lists/CarnivalList.h"
#include "lists/ListFile.h"
#include "lists/StateFile.h"
#include "platform/VersionInfo.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

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

const QString kDemoList = QStringLiteral("Demo Carnivals.bcl");
constexpr int kDemoEntries = 6;
constexpr int kExpiredDemoEntry = 2;

// One carnival of the demo list has expired, so that Check Inactives has something to find.
void expireDemoCarnival(CarnivalDirectory& directory)
{
    const QList<Carnival> carnivals = directory.catalog().carnivals();
    if (carnivals.size() > kExpiredDemoEntry)
        directory.expire({carnivals.at(kExpiredDemoEntry).ref});
}

// A first list to open, made from the directory's carnivals; a list the user changed is kept.
void writeDemoList(const CarnivalCatalog& catalog)
{
    if (QFile::exists(kDemoList))
        return;
    CarnivalList list(QStringLiteral("DemoList"));
    list.setRows(kDemoEntries + 1);
    int row = 0;
    for (const Carnival& carnival : catalog.carnivals()) {
        if (row == kDemoEntries)
            break;
        const bool hasCategory = !carnival.categories.isEmpty();
        list.setEntry(row++, {carnival.name,
                              hasCategory ? carnival.categories.first().name : QStringLiteral("No Category"),
                              QString::number(carnival.ref),
                              QString::number(hasCategory ? carnival.categories.first().ref : 0)});
    }
    try {
        SaveTabDelimited(kDemoList, list);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "The demo list was not written: %s\n", error.what());
    }
}

// The demo offers an update of its own, signed with the build's demo key and checked with it.
void useDemoRelease(CarnivalDirectory& directory, QString& updateUrl, QString& updateKey)
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const DemoRelease::Published release =
        DemoRelease::publish(directory, programFolder.filePath(QStringLiteral("demo-updates")),
                             programFolder.filePath(QStringLiteral("demo-key")));
    if (!release.error.isEmpty()) {
        std::fprintf(stderr, "The demo offers no update: %s\n", qPrintable(release.error));
        return;
    }
    updateUrl = release.controlFileUrl;
    updateKey = release.publicKey;
}

// The demo's first start opens the sample list; later starts reopen the list last used.
void openDemoListAtStart()
{
    if (QFile::exists(StateFile::path()) || !QFile::exists(kDemoList))
        return;
    try {
        StateFile::write(QFileInfo(kDemoList).absoluteFilePath());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "The demo list is not opened at start: %s\n", error.what());
    }
}

// A program started from a desktop launcher has no terminal: say why it ends in a box as well.
void refuseToStart(const QString& reason)
{
    std::fprintf(stderr, "%s\n", qPrintable(reason));
    QMessageBox::critical(nullptr, QStringLiteral("Vorlix Pro"), reason);
}

// --help and --version print and end before the desktop is touched, so they work without a
// display; so do the mistakes of a script run. Any other line that does not parse here may still
// hold the toolkit's own options (-platform, -style...), which only QApplication takes out; it is
// judged again after that.
std::optional<int> answerWithoutWindow(int argc, char** argv)
{
    const QCoreApplication core(argc, argv);
    QString error;
    const CommandLine line = CommandLine::parse(QCoreApplication::arguments(), &error);
    if (!error.isEmpty() && CommandLine::asksForScriptRun(QCoreApplication::arguments())) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    if (!error.isEmpty() || !(line.help || line.version))
        return std::nullopt;
    const QString text =
        line.help ? CommandLine::helpText()
                  : CommandLine::versionLine(GetAppVersion(QCoreApplication::applicationFilePath())) +
                        QLatin1Char('\n');
    std::fputs(qPrintable(text), stdout);
    return 0;
}
} // namespace

// A script run needs no display: the view works offscreen.
void runOffscreenForScripts(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if ((argument == "--submit" || argument.startsWith("--submit=")) &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

int submitWithoutWindow(const CommandLine& line)
{
    HeadlessSubmitOptions options;
    options.listFile = *line.submitList;
    options.permalink = line.permalink.value_or(QString());
    for (const CommandLine::Field& field : line.fields)
        options.fields.append({field.name, field.value});
    options.site = line.site.value_or(QString::fromLatin1(BuildConfig::kSiteUrl));
    options.resubmit = line.resubmit;
    return runHeadlessSubmit(options, stdout, stderr);
}

int main(int argc, char** argv)
{
    if (const std::optional<int> exitCode = answerWithoutWindow(argc, argv))
        return *exitCode;
    runOffscreenForScripts(argc, argv);

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorlix Pro"));
    // Lets Wayland compositors and docks match the window to the launcher and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(BuildConfig::kAppId));

    QString error;
    const CommandLine line = CommandLine::parse(QApplication::arguments(), &error);
    if (!error.isEmpty()) {
        refuseToStart(error +
                      QStringLiteral("\n\nusage: vorlix-pro [--demo] [--site URL] [--update-url URL] "
                                     "[--update-key BASE64] [LIST.bcl]\n(vorlix-pro --help lists every "
                                     "option)"));
        return 2;
    }
    if (line.submitList)
        return submitWithoutWindow(line);
    // Named from the folder the program was started in, which the demo leaves.
    const QString listFile = line.listFile ? QFileInfo(*line.listFile).absoluteFilePath() : QString();

    std::optional<CarnivalDirectory> directory;
    QString site = line.site.value_or(QString::fromLatin1(BuildConfig::kSiteUrl));
    QString updateUrl = line.updateUrl.value_or(QString::fromLatin1(BuildConfig::kUpdateUrl));
    QString updateKey = line.updateKey.value_or(QString::fromLatin1(BuildConfig::kUpdateKey));
    if (line.demo) {
        directory.emplace();
        const QString base = directory->start();
        if (base.isEmpty()) {
            refuseToStart(QStringLiteral("The local carnival directory did not start: ") +
                          directory->errorString());
            return 1;
        }
        std::printf("Local carnival directory: %s (submissions: %s/bc/submissions.json)\n", qPrintable(base),
                    qPrintable(base));
        std::fflush(stdout);
        site = line.site.value_or(base);
        expireDemoCarnival(*directory);
        enterDemoFolder();
        writeDemoList(directory->catalog());
        if (!line.updateUrl)
            useDemoRelease(*directory, updateUrl, updateKey);
        openDemoListAtStart();
    }

    ProgramWindows windows(
        AppSettings{site, updateUrl, QCoreApplication::applicationFilePath(), updateKey, listFile});
    windows.form().postDetails.keepIn(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                                      QStringLiteral("/post-details.json"));
    windows.start();
    return app.exec();
}
