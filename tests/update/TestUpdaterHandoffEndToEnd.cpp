#include "mock/FakeDesktop.h"
#include "mock/FakeFolders.h"
#include "mock/FakeNetwork.h"
#include "mock/LocalHttpServer.h"
#include "update/ReleaseInstaller.h"
#include "update/UpdateEngine.h"
#include "update/UpdateRules.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
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

bool WriteExecutable(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size() &&
           file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The released application: it writes a marker and its arguments, one a line, after their count.
QByteArray NewApplication(const QString& record)
{
    return QStringLiteral("#!/bin/sh\nprintf '%s\\n' new \"$#\" \"$@\" > '%1.tmp' && mv '%1.tmp' '%1'\n")
        .arg(record)
        .toUtf8();
}

// The running application: it waits until its input closes, which is how the test ends it.
const QByteArray kOldApplication = "#!/bin/sh\nread -r line\n";

// Sets environment variables for the rest of a scope; the detached updater inherits them.
class EnvironmentScope final
{
public:
    void set(const char* name, const QString& value)
    {
        m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv(name, value.toLocal8Bit());
    }
    ~EnvironmentScope()
    {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
            if (it->wasSet)
                qputenv(it->name, it->value);
            else
                qunsetenv(it->name);
        }
    }

private:
    struct Saved
    {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    QList<Saved> m_saved;
};

} // namespace

// A release that replaces the running application goes through: the engine downloads it, the
// handoff starts the embedded updater and quits, the updater waits for the application's process
// to end, puts the new file in place and starts it again with its parameters.
class TestUpdaterHandoffEndToEnd final : public QObject
{
    Q_OBJECT

private slots:
    void releaseReplacesTheRunningApplication_data()
    {
        QTest::addColumn<QByteArray>("application");
        QTest::addColumn<bool>("logging");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("silent, with parameters") << QByteArray("silentrestart=1\nappparam=-auto now\n")
                                                 << false << QByteArray("new\n1\n-auto now\n");
        QTest::newRow("asked, no parameters, logged") << QByteArray() << true << QByteArray("new\n0\n");
    }

    void releaseReplacesTheRunningApplication()
    {
        QFETCH(QByteArray, application);
        QFETCH(bool, logging);
        QFETCH(QByteArray, record);

        // Blanks in the folders' names make the quoting of the updater's command line count.
        QTemporaryDir root;
        const QString app = root.filePath("app folder");
        const QString temp = root.filePath("tmp folder");
        const QString home = root.filePath("home");
        const QString documents = home + "/Documents";
        for (const QString& folder : {app, temp, documents, root.filePath("config")})
            QVERIFY(QDir().mkpath(folder));
        EnvironmentScope environment; // where the updater looks for "WUPDATE.INI"
        environment.set("HOME", home);
        environment.set("XDG_CONFIG_HOME", root.filePath("config"));

        const QString appPath = app + "/vorlix-app";
        const QString recordPath = root.filePath("restarted");
        QVERIFY(WriteExecutable(appPath, kOldApplication));
        QProcess running;
        running.start(appPath, {});
        QVERIFY(running.waitForStarted());
        const auto stop = qScopeGuard([&running] {
            running.closeWriteChannel();
            running.waitForFinished(5000);
        });

        LocalHttpServer server;
        QVERIFY(server.isListening());
        server.setReply("/updates/vorlix.inf",
                        {.body = "[update]\nunconditional=1\n"
                                 "[application]\nappupdate=1\nappname=vorlix-app\nappcomps=vorlix-app\n" +
                                 application + "[files]\ncount=1\n[file1]\nurl=" +
                                 server.url("/release/vorlix-app").toUtf8() + "\n"});
        server.setReply("/release/vorlix-app", {.body = NewApplication(recordPath)});

        FakeDesktop desktop;
        desktop.answers.enqueue(true);
        FakeNetwork network;
        FakeFolders folders;
        folders.tempFolder = temp;
        folders.documentsFolder = documents;
        folders.currentFolder = app;
        UpdateEngine engine(desktop, network, folders);
        engine.URL = server.url("/updates/vorlix.inf");
        engine.Logging = logging;
        engine.LogFileName = "handoff.log";
        engine.Handoff.processId = [&running] { return running.processId(); };
        int quits = 0;
        engine.Handoff.terminate = [&quits] { ++quits; };

        QCOMPARE(engine.OpenInternetConnection(), ConnectionOpen::Connected);
        QVERIFY(engine.FetchControlFile());
        QVERIFY(engine.EvaluateUpdate() != UpdateVerdict::NoUpdate);
        QCOMPARE(engine.LoadFileList(), 1);
        engine.FilterFileList();
        QCOMPARE(engine.FileList.count(), 1);
        // An application component stays in the temporary folder for the updater.
        QVERIFY(ReleaseInstaller(engine).DownloadFileList());
        QVERIFY(engine.ComponentDownloaded);
        QVERIFY(QFileInfo::exists(engine.TempFolder() + "vorlix-app"));
        engine.CloseInternetConnection();
        QVERIFY(engine.RestartNeeded());

        engine.RestartThroughUpdater();
        QCOMPARE(desktop.questions.size(), application.contains("silentrestart=1") ? 0 : 1);
        QCOMPARE(quits, 1);

        // The updater waits while the application is still ending.
        QTest::qWait(700);
        QCOMPARE(ReadAll(appPath), kOldApplication);
        QVERIFY(!QFileInfo::exists(recordPath));

        running.closeWriteChannel();
        QVERIFY(running.waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(recordPath), 10000);
        QCOMPARE(ReadAll(recordPath), record);
        QCOMPARE(ReadAll(appPath), NewApplication(recordPath));
        QVERIFY(QFileInfo(appPath).isExecutable());
        QVERIFY(!QFileInfo::exists(documents + "/WUPDATE.INI"));

        const QString log = documents + "/handoff.log";
        QCOMPARE(QFileInfo::exists(log), logging);
        if (logging) {
            const QByteArray text = ReadAll(log);
            QVERIFY2(text.contains(" : [000] upd v2.0.3.4\n"), text.constData());
            QVERIFY2(text.contains(" : [000] Upd restart " + appPath.toUtf8() + "  \n"), text.constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestUpdaterHandoffEndToEnd)
#include "TestUpdaterHandoffEndToEnd.moc"
