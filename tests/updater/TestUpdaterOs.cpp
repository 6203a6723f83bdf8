#include "UpdaterTestFiles.h"
#include "updater/UpdaterOs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace UpdaterTestFiles;

class TestUpdaterOs final : public QObject
{
    Q_OBJECT

private slots:
    void waitReturnsForEndedProcesses()
    {
        QElapsedTimer timer;
        timer.start();
        // An ended child that nobody has reaped yet, as the application may be for its parent.
        const pid_t zombie = ::fork();
        if (zombie == 0)
            ::_exit(0);
        QTest::qWait(100);
        UpdaterOs::WaitForProcessEnd(zombie);
        ::waitpid(zombie, nullptr, 0);
        // An id that names no process (any more).
        UpdaterOs::WaitForProcessEnd(zombie);
        UpdaterOs::WaitForProcessEnd(0);
        UpdaterOs::WaitForProcessEnd(-5);
        QVERIFY(timer.elapsed() < 2000);
    }

    void waitLastsUntilTheProcessEnds()
    {
        const pid_t child = ::fork();
        if (child == 0) {
            ::usleep(400000);
            ::_exit(0);
        }
        QElapsedTimer timer;
        timer.start();
        UpdaterOs::WaitForProcessEnd(child);
        QVERIFY(timer.elapsed() >= 300);
        ::waitpid(child, nullptr, 0);
    }

    // The updater and the program must agree on where "WUPDATE.INI" lies.
    void documentsFolderAgreesWithTheProgram_data()
    {
        QTest::addColumn<QByteArray>("userDirs");
        QTest::newRow("no user-dirs.dirs") << QByteArray();
        QTest::newRow("set relative to home") << QByteArray("XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
        QTest::newRow("absolute") << QByteArray("# comment\nXDG_DOCUMENTS_DIR=\"@/elsewhere\"\n");
    }

    void documentsFolderAgreesWithTheProgram()
    {
        QFETCH(QByteArray, userDirs);
        QTemporaryDir dir;
        const QString home = dir.filePath(QStringLiteral("home"));
        const QString config = dir.filePath(QStringLiteral("config"));
        QDir().mkpath(config);
        QDir().mkpath(home + QStringLiteral("/Papers"));
        QDir().mkpath(dir.filePath(QStringLiteral("elsewhere")));
        if (!userDirs.isEmpty())
            Write(config + QStringLiteral("/user-dirs.dirs"), userDirs.replace('@', dir.path().toUtf8()));
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.toUtf8());
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        const QString ours = QString::fromStdString(UpdaterOs::DocumentsFolder());
        const QString program = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        qputenv("HOME", oldHome);
        qputenv("XDG_CONFIG_HOME", oldConfig);
        QCOMPARE(ours, program);
    }
};

QTEST_GUILESS_MAIN(TestUpdaterOs)
#include "TestUpdaterOs.moc"
