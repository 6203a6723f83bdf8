#include "TestPaths.h"
#include "UpdaterTestFiles.h"
#include "updater/Updater.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sstream>

using namespace updater;
using namespace UpdaterTestFiles;

namespace {

// The recorder that stands in for the application: it writes its arguments, one a line, after
// their count.
QByteArray RecorderScript(const QString& record)
{
    return QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '%1.tmp' && mv '%1.tmp' '%1'\n")
        .arg(record)
        .toUtf8();
}

QStringList LogMessages(const QString& path)
{
    static const QRegularExpression stamp(
        QStringLiteral("^(\\d\\d)/(\\d\\d)/(\\d{4}) (\\d\\d):(\\d\\d):(\\d\\d) : \\[000\\] "));
    QStringList messages;
    for (const QString& line : QString::fromUtf8(Read(path)).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const auto match = stamp.match(line);
        messages << (match.hasMatch() ? line.mid(match.capturedLength()) : QStringLiteral("BAD: ") + line);
    }
    return messages;
}

} // namespace

class TestUpdater final : public QObject
{
    Q_OBJECT

private:
    // src/ holds the downloads, app/ is the application's folder, docs/ the documents folder.
    struct Fixture
    {
        QTemporaryDir dir;
        QString source = dir.filePath(QStringLiteral("src")) + QLatin1Char('/');
        QString app = dir.filePath(QStringLiteral("app"));
        QString documents = dir.filePath(QStringLiteral("docs"));
        QList<int> waited;
        QList<int> sleeps;
        QList<QStringList> started;
        std::ostringstream errors;

        Fixture()
        {
            QDir().mkpath(source);
            QDir().mkpath(app);
            QDir().mkpath(documents);
        }

        int run(const QString& commandLine)
        {
            UpdaterEnvironment environment;
            environment.folders.current = Std(app);
            environment.folders.temp = Std(dir.path());
            environment.documents = Std(documents);
            environment.waitForProcess = [this](int id) { waited << id; };
            environment.sleep = [this](int ms) { sleeps << ms; };
            environment.run = [](const std::string&, std::string&) { return true; };
            environment.start = [this](const std::string& program,
                                       const std::vector<std::string>& arguments) {
                QStringList call{QString::fromStdString(program)};
                for (const std::string& argument : arguments)
                    call << QString::fromStdString(argument);
                started << call;
                return true;
            };
            Updater updater(environment);
            return updater.Run(
                UpdaterCommandLine::FromParameters(UpdaterCommandLine::Split(commandLine.toStdString())),
                errors);
        }
    };

private slots:
    void processIdThatIsNoNumberTouchesNothing_data()
    {
        QTest::addColumn<QString>("processId");
        QTest::newRow("word") << "abc";
        QTest::newRow("trailing letters") << "12a";
        QTest::newRow("empty") << "\"\"";
        QTest::newRow("too large") << "99999999999";
        QTest::newRow("plus") << "+12";
        QTest::newRow("sign after dollar") << "$-10";
    }

    void processIdThatIsNoNumberTouchesNothing()
    {
        QFETCH(QString, processId);
        Fixture f;
        Write(f.documents + QStringLiteral("/WUPDATE.INI"), "[CONFIG]\nLOGFILENAME=WUPDATE.LOG\n");
        Write(f.source + QStringLiteral("app"), "new");
        Write(f.app + QStringLiteral("/app"), "old");
        const int result = f.run(processId + QStringLiteral(" L ") + f.app + QStringLiteral("/app \" \" \"") +
                                 f.source + QStringLiteral("\" app"));
        QCOMPARE(result, 1);
        QVERIFY(f.errors.str().find("is not a valid integer value") != std::string::npos);
        QVERIFY(f.waited.isEmpty() && f.started.isEmpty());
        QVERIFY(QFileInfo::exists(f.documents + QStringLiteral("/WUPDATE.INI")));
        QVERIFY(!QFileInfo::exists(f.documents + QStringLiteral("/WUPDATE.LOG")));
        QCOMPARE(Read(f.app + QStringLiteral("/app")), QByteArray("old"));
    }

    // The handoff's example with "L": the component replaces the application, which restarts
    // without parameters, and the log holds these lines.
    void exampleWithLog()
    {
        Fixture f;
        Write(f.documents + QStringLiteral("/WUPDATE.INI"), "[CONFIG]\r\nLOGFILENAME=WUPDATE.LOG\r\n");
        Write(f.source + QStringLiteral("app"), "new");
        Write(f.app + QStringLiteral("/app"), "old");
        const QString application = f.app + QStringLiteral("/app");
        QCOMPARE(f.run(QStringLiteral("1234 L %1 \" \" \"%2\" app").arg(application, f.source)), 0);
        QCOMPARE(f.waited, QList<int>{1234});
        QCOMPARE(f.sleeps, QList<int>{500});
        QCOMPARE(Read(application), QByteArray("new"));
        QCOMPARE(f.started, QList<QStringList>{QStringList{application}});
        QVERIFY(!QFileInfo::exists(f.documents + QStringLiteral("/WUPDATE.INI")));
        QCOMPARE(LogMessages(f.documents + QStringLiteral("/WUPDATE.LOG")),
                 (QStringList{"upd v2.0.3.4", QStringLiteral("Upd cur dir : %1").arg(f.app),
                              QStringLiteral("Upd lzexpand app %1/").arg(f.app),
                              QStringLiteral("Upd lzexpand dest. filename app"),
                              QStringLiteral("Upd restart %1  ").arg(application)}));
        // Day first, local time.
        const QDateTime stamp = QDateTime::fromString(
            QString::fromUtf8(Read(f.documents + QStringLiteral("/WUPDATE.LOG")).left(19)),
            QStringLiteral("dd/MM/yyyy hh:mm:ss"));
        QVERIFY(stamp.isValid());
        QVERIFY(qAbs(stamp.secsTo(QDateTime::currentDateTime())) < 120);
    }

    void logLocation_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("expectedLog"); // relative to the test's folder; empty: none
        QTest::newRow("bare name in the documents folder")
            << QByteArray("[config]\nlogfilename=upd.log\n") << "L"
            << "docs/upd.log";
        QTest::newRow("path used as written") << QByteArray("[CONFIG]\nLOGFILENAME=@/logs/upd.log\n") << "L"
                                              << "logs/upd.log";
        QTest::newRow("no ini: the default name") << QByteArray() << "L"
                                                  << "docs/WUPDATE.LOG";
        QTest::newRow("X writes no log") << QByteArray("[CONFIG]\nLOGFILENAME=upd.log\n") << "X"
                                         << "";
    }

    void logLocation()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, flag);
        QFETCH(QString, expectedLog);
        Fixture f;
        QDir().mkpath(f.dir.filePath(QStringLiteral("logs")));
        if (!ini.isEmpty())
            Write(f.documents + QStringLiteral("/WUPDATE.INI"), ini.replace('@', f.dir.path().toUtf8()));
        QCOMPARE(f.run(QStringLiteral("1 %1 null \" \" \"%2\"").arg(flag, f.source)), 0);
        QVERIFY(!QFileInfo::exists(f.documents + QStringLiteral("/WUPDATE.INI")));
        QVERIFY(f.started.isEmpty());
        if (expectedLog.isEmpty()) {
            QCOMPARE(QDir(f.documents).entryList(QDir::Files), QStringList());
        } else {
            const QStringList lines = LogMessages(f.dir.filePath(expectedLog));
            QCOMPARE(lines.size(), 2);
            QCOMPARE(lines.first(), QStringLiteral("upd v2.0.3.4"));
        }
    }

    void restartParameters_data()
    {
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("quoted blank: none") << "\" \"" << QStringList{};
        QTest::newRow("one word") << "-auto" << QStringList{"-auto"};
        QTest::newRow("blanks stay one parameter") << "\"-auto -quiet\"" << QStringList{"-auto -quiet"};
    }

    void restartParameters()
    {
        QFETCH(QString, parameters);
        QFETCH(QStringList, arguments);
        Fixture f;
        QCOMPARE(f.run(QStringLiteral("1 X /opt/app/app %1 \"%2\"").arg(parameters, f.source)), 0);
        QCOMPARE(f.started, QList<QStringList>{QStringList{"/opt/app/app"} + arguments});
    }

    // End to end with the real program: it waits for the stand-in application's process, puts
    // the new one in place and starts it with its parameters.
    void realUpdaterWaitsReplacesAndRestarts_data()
    {
        QTest::addColumn<bool>("oneText");
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("one command-line text, no parameters") << true << "\" \"" << QByteArray("0\n");
        QTest::newRow("separate arguments, parameters")
            << false << "-auto now" << QByteArray("1\n-auto now\n");
    }

    void realUpdaterWaitsReplacesAndRestarts()
    {
        QFETCH(bool, oneText);
        QFETCH(QString, parameters);
        QFETCH(QByteArray, record);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("tmp")) + QLatin1Char('/');
        const QString app = dir.filePath(QStringLiteral("app"));
        const QString home = dir.filePath(QStringLiteral("home"));
        QDir().mkpath(source);
        QDir().mkpath(app);
        QDir().mkpath(home + QStringLiteral("/Documents"));
        const QString recordPath = dir.filePath(QStringLiteral("record"));
        Write(source + QStringLiteral("app.sh"), RecorderScript(recordPath));
        Write(app + QStringLiteral("/app.sh"), "#!/bin/sh\nexit 0\n");
        QFile::setPermissions(app + QStringLiteral("/app.sh"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QProcess application;
        application.start(QStringLiteral("sleep"), {QStringLiteral("1")});
        QVERIFY(application.waitForStarted());
        const QString id = QString::number(application.processId());
        const QString appPath = app + QStringLiteral("/app.sh");

        QProcess updater;
        updater.setWorkingDirectory(app);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        updater.setProcessEnvironment(environment);
        const QStringList arguments =
            oneText
                ? QStringList{QStringLiteral("%1 L %2 %3 \"%4\" app.sh").arg(id, appPath, parameters, source)}
                : QStringList{id, QStringLiteral("L"), appPath, parameters, source, QStringLiteral("app.sh")};
        QElapsedTimer timer;
        timer.start();
        updater.start(QString::fromUtf8(TestPaths::kUpdater), arguments);
        QVERIFY(updater.waitForStarted());
        QVERIFY(!updater.waitForFinished(300)); // still waiting for the application
        QCOMPARE(Read(appPath), QByteArray("#!/bin/sh\nexit 0\n"));
        QVERIFY(application.waitForFinished(5000));
        QVERIFY(updater.waitForFinished(10000));
        QCOMPARE(updater.exitCode(), 0);
        QVERIFY(timer.elapsed() >= 900);

        QCOMPARE(Read(appPath), RecorderScript(recordPath));
        QVERIFY(QFileInfo(appPath).isExecutable());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(recordPath), 5000);
        QCOMPARE(Read(recordPath), record);
        const QStringList log = LogMessages(home + QStringLiteral("/Documents/WUPDATE.LOG"));
        QCOMPARE(log.value(0), QStringLiteral("upd v2.0.3.4"));
        QCOMPARE(log.value(1), QStringLiteral("Upd cur dir : %1").arg(app));
    }

    void realUpdaterReportsBadProcessId()
    {
        QTemporaryDir dir;
        QProcess updater;
        updater.setWorkingDirectory(dir.path());
        updater.start(QString::fromUtf8(TestPaths::kUpdater),
                      {QStringLiteral("x12"), QStringLiteral("L"), QStringLiteral("null"),
                       QStringLiteral(" "), dir.path()});
        QVERIFY(updater.waitForFinished(5000));
        QCOMPARE(updater.exitCode(), 1);
        QCOMPARE(updater.readAllStandardError(), QByteArray("'x12' is not a valid integer value\n"));
    }
};

QTEST_GUILESS_MAIN(TestUpdater)
#include "TestUpdater.moc"
