#include "mock/FakeDesktop.h"
#include "mock/FakeFolders.h"
#include "mock/FakeNetwork.h"
#include "update/UpdateEngine.h"
#include "update/UpdaterExtractor.h"
#include "update/UpdaterHandoff.h"
#include "updater/UpdaterCommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// An engine whose handoff records what it would start and that it would quit.
struct Rig
{
    QTemporaryDir root;
    FakeDesktop desktop;
    FakeNetwork network;
    FakeFolders folders;
    std::unique_ptr<UpdateEngine> engine;

    struct Start
    {
        QString updater;
        QString parameters;
        QString folder;
    };
    QList<Start> starts;
    int terminations = 0;

    Rig()
    {
        for (const char* folder : {"tmp", "docs", "app"})
            QDir(root.path()).mkdir(folder);
        folders.tempFolder = root.filePath("tmp");
        folders.documentsFolder = root.filePath("docs");
        folders.currentFolder = root.filePath("app");
        engine = std::make_unique<UpdateEngine>(desktop, network, folders);
        engine->AppName = "app";
        engine->AppParams = " ";
        engine->AppComponents = "app";
        engine->Handoff.processId = [] { return qint64(4321); };
        engine->Handoff.start = [this](const QString& updater, const QString& parameters,
                                       const QString& folder) {
            starts.append({updater, parameters, folder});
            return true;
        };
        engine->Handoff.terminate = [this] { ++terminations; };
    }
};

} // namespace

class TestUpdaterHandoff final : public QObject
{
    Q_OBJECT

private slots:
    void restartNeeded_data()
    {
        QTest::addColumn<bool>("appUpdate");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<bool>("componentDownloaded");
        QTest::addColumn<bool>("needed");
        QTest::newRow("component downloaded") << true << false << true << true;
        QTest::newRow("no component in the release") << true << false << false << false;
        QTest::newRow("cancelled") << true << true << true << false;
        QTest::newRow("application updates off") << false << false << true << false;
    }

    void restartNeeded()
    {
        QFETCH(bool, appUpdate);
        QFETCH(bool, cancelled);
        QFETCH(bool, componentDownloaded);
        QFETCH(bool, needed);
        Rig rig;
        rig.engine->AppUpdate = appUpdate;
        rig.engine->Cancelled = cancelled;
        rig.engine->ComponentDownloaded = componentDownloaded;
        QCOMPARE(rig.engine->RestartNeeded(), needed);
    }

    // The exact text, and that the updater's own splitting gets every part back.
    void parameters_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("appParams");
        QTest::addColumn<bool>("logging");
        QTest::addColumn<QString>("components");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain example") << "/App"
                                       << " " << false << "app.exe"
                                       << "1234 X /App/app.exe \" \" \"/Temp/\" app.exe";
        QTest::newRow("folder with a blank")
            << "/Program Files/App"
            << " " << false << "app.exe"
            << "1234 X \"/Program Files/App/app.exe\" \" \" \"/Temp/\" app.exe";
        QTest::newRow("one parameter") << "/App"
                                       << "-auto" << false << "app.exe"
                                       << "1234 X /App/app.exe -auto \"/Temp/\" app.exe";
        QTest::newRow("parameters with a blank") << "/App"
                                                 << "-auto now" << false << "app.exe"
                                                 << "1234 X /App/app.exe \"-auto now\" \"/Temp/\" app.exe";
        QTest::newRow("logging, folder ending in a separator, components unchanged")
            << "/App/"
            << " " << true << "app.exe  data.dll"
            << "1234 L /App/app.exe \" \" \"/Temp/\" app.exe  data.dll";
    }

    void parameters()
    {
        QFETCH(QString, current);
        QFETCH(QString, appParams);
        QFETCH(bool, logging);
        QFETCH(QString, components);
        QFETCH(QString, expected);
        const QString text =
            UpdaterHandoff::Parameters({1234, logging, current, "app.exe", appParams, "/Temp", components});
        QCOMPARE(text, expected);

        const auto line = updater::UpdaterCommandLine::FromParameters(
            updater::UpdaterCommandLine::Split(text.toStdString()));
        QCOMPARE(QString::fromStdString(line.applicationPath), QDir::cleanPath(current + "/app.exe"));
        QCOMPARE(QString::fromStdString(line.applicationParameters), appParams);
        QCOMPARE(QString::fromStdString(line.sourceFolder), QString("/Temp/"));
        QCOMPARE(line.components.size(), std::size_t(components.split(' ', Qt::SkipEmptyParts).size()));
    }

    // Asked unless silent; only Yes (or silence) unpacks, writes the log name, starts and quits.
    void restart_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("handedOff");
        QTest::newRow("answered Yes") << false << true << false << true << true;
        QTest::newRow("answered No") << false << false << false << true << false;
        QTest::newRow("silent") << true << false << false << false << true;
        QTest::newRow("cancel callback says stop") << true << true << true << false << false;
    }

    void restart()
    {
        QFETCH(bool, silent);
        QFETCH(bool, answer);
        QFETCH(bool, cancel);
        QFETCH(bool, asked);
        QFETCH(bool, handedOff);
        Rig rig;
        rig.engine->SilentRestart = silent;
        rig.engine->LogFileName = "handoff.log";
        rig.desktop.answers.enqueue(answer);
        rig.engine->OnProgressCancel = [cancel](bool& flag) {
            QVERIFY(!flag);
            flag = cancel;
        };

        rig.engine->RestartThroughUpdater();

        QCOMPARE(rig.desktop.questions.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(rig.desktop.questions[0].text,
                     QString("Shutdown application to update executable files ?"));
            QCOMPARE(rig.desktop.questions[0].icon, Desktop::Icon::Question);
        }
        const QString updater = rig.root.filePath("tmp/wusetup.exe");
        const QString config = rig.root.filePath("docs/WUPDATE.INI");
        QCOMPARE(rig.terminations, handedOff ? 1 : 0);
        QCOMPARE(QFileInfo::exists(updater), handedOff);
        QCOMPARE(QFileInfo::exists(config), handedOff);
        if (!handedOff) {
            QVERIFY(rig.starts.isEmpty());
            return;
        }
        QCOMPARE(rig.starts.size(), 1);
        QCOMPARE(rig.starts[0].updater, updater);
        QCOMPARE(rig.starts[0].folder, rig.folders.currentFolder);
        QCOMPARE(rig.starts[0].parameters, QString("4321 X %1/app \" \" \"%2/\" app")
                                               .arg(rig.folders.currentFolder, rig.folders.tempFolder));
        QVERIFY(QFileInfo(updater).isExecutable());
        QVERIFY(!QFileInfo::exists(rig.root.filePath("tmp/wusetup.ex_")));
        QCOMPARE(ReadAll(config), QByteArray("[CONFIG]\r\nLOGFILENAME=handoff.log\r\n"));
    }

    // A temporary folder that cannot be written: the error reaches the caller and nothing starts.
    void unwritableTemporaryFolderStopsTheHandoff()
    {
        Rig rig;
        rig.engine->SilentRestart = true;
        rig.folders.tempFolder = rig.root.filePath("no/such/folder");
        QVERIFY_THROWS_EXCEPTION(UpdaterExtractError, rig.engine->RestartThroughUpdater());
        QVERIFY(rig.starts.isEmpty());
        QCOMPARE(rig.terminations, 0);
        QVERIFY(!QFileInfo::exists(rig.root.filePath("docs/WUPDATE.INI")));
    }

    // Without a documents folder the file goes into the current folder.
    void configWithoutDocumentsFolder()
    {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const auto back = qScopeGuard([&previous] { QDir::setCurrent(previous); });
        QCOMPARE(UpdaterHandoff::WriteConfig(QString(), "WUPDATE.LOG"), QString("WUPDATE.INI"));
        QCOMPARE(ReadAll(dir.filePath("WUPDATE.INI")), QByteArray("[CONFIG]\r\nLOGFILENAME=WUPDATE.LOG\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestUpdaterHandoff)
#include "TestUpdaterHandoff.moc"
