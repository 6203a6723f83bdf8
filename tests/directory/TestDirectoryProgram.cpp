#include "TestPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <httplib.h>

// The vorlix-directory program: its command line, its first output line, its messages.
class TestDirectoryProgram : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_data;

    static QString program() { return QString::fromUtf8(TestPaths::kDirectory); }

private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(program()))
            QSKIP("vorlix-directory is not built");
        QVERIFY(m_dir.isValid());
        m_data = m_dir.filePath(QStringLiteral("carnivals.tsv"));
        QFile file(m_data);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("12\tCars & Trucks\t120\tSedans\n7\tGone Carnival\n30\tThird\n");
    }

    void servesTheDataOnTheBaseUrlItPrintsFirst()
    {
        QProcess process;
        process.start(program(), {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"),
                                  m_data, QStringLiteral("--expire"), QStringLiteral("7"), QStringLiteral("--fail"),
                                  QStringLiteral("12:500"), QStringLiteral("--fail"), QStringLiteral("30:503:20")});
        QVERIFY(process.waitForReadyRead(10000));
        QTRY_VERIFY_WITH_TIMEOUT(process.canReadLine(), 5000);
        const QString base = QString::fromUtf8(process.readLine()).trimmed();
        QVERIFY2(base.startsWith(QLatin1String("http://127.0.0.1:")), qPrintable(base));

        httplib::Client client(base.toStdString());
        const auto form = client.Get("/bc/submit.php");
        QVERIFY(form);
        QVERIFY(form->body.find("Cars &amp; Trucks") != std::string::npos);
        QVERIFY(form->body.find("Gone Carnival") == std::string::npos);
        const auto busy = client.Post("/bc/submit.php", httplib::Params{{"id", "30"}});
        QCOMPARE(busy->status, 503);
        QCOMPARE(busy->get_header_value("Retry-After"), std::string("20"));
        QCOMPARE(client.Post("/bc/submit.php", httplib::Params{{"id", "12"}})->status, 500);
        QVERIFY(client.Get("/bc/submissions.json")->body.find("\"carnival\":30") != std::string::npos);

        process.terminate();
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

    void badArgumentsAreRefusedWithAMessage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");

        QTest::newRow("port word") << QStringList{"--port", "http"} << "--port needs a number";
        QTest::newRow("port too big") << QStringList{"--port", "70000"} << "--port needs a number";
        QTest::newRow("expire word") << QStringList{"--expire", "12,twelve"}
                                     << "--expire needs carnival refs";
        QTest::newRow("fail without code") << QStringList{"--fail", "12"} << "--fail needs REF:CODE";
        QTest::newRow("fail below 400") << QStringList{"--fail", "12:302"} << "--fail needs REF:CODE";
        QTest::newRow("fail bad retry") << QStringList{"--fail", "12:503:soon"} << "--fail needs REF:CODE";
        QTest::newRow("data missing")
            << QStringList{"--data", "/nonexistent/carnivals.tsv"} << "Cannot read the carnival data";
        QTest::newRow("updates not a folder")
            << QStringList{"--updates", "/nonexistent/updates"} << "is not a folder";
    }

    void badArgumentsAreRefusedWithAMessage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);

        QProcess process;
        process.start(program(), arguments);
        QVERIFY(process.waitForFinished(10000));
        QVERIFY(process.exitCode() != 0);
        const QString errors = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(errors.contains(message), qPrintable(errors));
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }

    void badDataFileIsRefusedWithItsLine()
    {
        const QString bad = m_dir.filePath(QStringLiteral("bad.tsv"));
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("12\tOne\nabc\tTwo\n");
        file.close();

        QProcess process;
        process.start(program(), {QStringLiteral("--data"), bad});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(
            QString::fromUtf8(process.readAllStandardError()).contains(QLatin1String("bad.tsv, line 2:")));
    }
};

QTEST_GUILESS_MAIN(TestDirectoryProgram)
#include "TestDirectoryProgram.moc"
