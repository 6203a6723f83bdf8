#include "mock/VersionedFile.h"
#include "update/UpdateRules.h"

#include <QTemporaryDir>
#include <QTest>

class TestUpdateRules final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString fileWith(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
        return path;
    }

private slots:
    void versionText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("shown");
        QTest::newRow("four parts") << "3.2.0.28" << true << "3.2.0.28";
        QTest::newRow("commas") << "1,2,3,4" << true << "1.2.3.4";
        QTest::newRow("commas with blanks") << "1, 2, 3, 4" << true << "1.2.3.4";
        QTest::newRow("comma wins over dot") << "1.2,3.4" << false << "";
        QTest::newRow("two parts") << "3.2" << true << "3.2.0.0";
        QTest::newRow("three parts") << "1.2.3" << true << "1.2.3.0";
        QTest::newRow("one part") << "7" << true << "7.0.0.0";
        QTest::newRow("five parts") << "1.2.3.4.5" << false << "";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("word") << "beta" << false << "";
        QTest::newRow("word inside") << "1.x.3" << false << "";
        QTest::newRow("empty part") << "1..3" << false << "";
        QTest::newRow("negative part") << "1.-2" << false << "";
        QTest::newRow("cut to 16 bits") << "65537.1" << true << "1.1.0.0";
        QTest::newRow("every bit set is no version") << "65535.65535" << false << "";
    }

    void versionText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, shown);
        const TVersion version = ParseVersionText(text);
        QCOMPARE(version.isValid(), valid);
        if (valid)
            QCOMPARE(version.text(), shown);
    }

    void versionOrder_data()
    {
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("installed");
        QTest::addColumn<bool>("newer");
        QTest::newRow("higher build") << "3.2.0.29"
                                      << "3.2.0.28" << true;
        QTest::newRow("equal") << "3.2.0.28"
                               << "3.2.0.28" << false;
        QTest::newRow("short form is .0.0") << "3.2"
                                            << "3.2.0.28" << false;
        QTest::newRow("higher minor beats build") << "3.3"
                                                  << "3.2.9.9" << true;
        // The high words compare as signed integers: a major version of 32768 or more is "older".
        QTest::newRow("signed words") << "32768.0"
                                      << "1.0" << false;
    }

    void versionOrder()
    {
        QFETCH(QString, offered);
        QFETCH(QString, installed);
        QFETCH(bool, newer);
        QCOMPARE(ParseVersionText(offered).isNewerThan(ParseVersionText(installed)), newer);
    }

    void localFileVersion()
    {
        const QString path = m_dir.filePath("app");
        QVERIFY(WriteVersionedFile(path, {3, 2, 0, 28}));
        QCOMPARE(LocalFileVersion(path).text(), QStringLiteral("3.2.0.28"));
        QVERIFY(!LocalFileVersion(fileWith("plain", "no record here")).isValid());
        QVERIFY(!LocalFileVersion(m_dir.filePath("missing")).isValid());
    }

    void fileNameFromUrl_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "http://h/21214/updates/notes.txt"
                               << "notes.txt";
        QTest::newRow("query") << "http://h/get.php?f=a.zip"
                               << "f=a.zip";
        QTest::newRow("backslash") << "http://h/a\\b.exe"
                                   << "b.exe";
        QTest::newRow("slash in query") << "http://h/get?f=x/y.zip"
                                        << "y.zip";
        QTest::newRow("folder") << "http://h/updates/"
                                << "";
        QTest::newRow("host only") << "http://h"
                                   << "h";
    }

    void fileNameFromUrl()
    {
        QFETCH(QString, address);
        QFETCH(QString, name);
        QCOMPARE(FileNameFromURL(address), name);
    }

    void byteSum_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint32>("sum");
        QTest::newRow("abc") << QByteArray("abc") << 293;
        QTest::newRow("empty") << QByteArray() << -1;
        QTest::newRow("bytes are unsigned") << QByteArray("\xff\xff") << 509;
        QTest::newRow("beyond one block") << QByteArray(70000, '\x01') << 69999;
    }

    void byteSum()
    {
        QFETCH(QByteArray, content);
        QFETCH(qint32, sum);
        QCOMPARE(FileByteSum(fileWith("sum", content)), sum);
    }

    void byteSumOfMissingFile() { QCOMPARE(FileByteSum(m_dir.filePath("missing")), -1); }

    void needsUpdate_data()
    {
        QTest::addColumn<QString>("newVersion");
        QTest::addColumn<QString>(
            "local"); // "" none, "missing", "abc", "999", "1000", "empty", "v28", "plain"
        QTest::addColumn<qint32>("newSize");
        QTest::addColumn<qint32>("newCheckSum");
        QTest::addColumn<bool>("needed");
        QTest::addColumn<QString>("versionAfter");
        QTest::addColumn<QString>("localAfter"); // "=" unchanged
        QTest::newRow("nothing to compare") << ""
                                            << "abc" << 0 << -1 << true << ""
                                            << "=";
        QTest::newRow("no local path") << "9.9"
                                       << "" << 0 << -1 << true << "9.9"
                                       << "=";
        QTest::newRow("checksum matches") << ""
                                          << "abc" << 0 << 293 << false << ""
                                          << "=";
        QTest::newRow("checksum differs") << ""
                                          << "abc" << 0 << 294 << true << ""
                                          << "=";
        QTest::newRow("checksum, file missing") << ""
                                                << "missing" << 0 << 293 << true << ""
                                                << "=";
        QTest::newRow("checksum before size") << ""
                                              << "abc" << 3 << 294 << true << ""
                                              << "=";
        QTest::newRow("size, file missing") << ""
                                            << "missing" << 1000 << -1 << false << ""
                                            << "=";
        QTest::newRow("size differs") << ""
                                      << "999" << 1000 << -1 << true << ""
                                      << "=";
        QTest::newRow("size equal") << ""
                                    << "1000" << 1000 << -1 << false << ""
                                    << "=";
        QTest::newRow("size, empty file") << ""
                                          << "empty" << 1000 << -1 << false << ""
                                          << "=";
        QTest::newRow("size before version") << "9.9"
                                             << "1000" << 1000 << -1 << false << "9.9"
                                             << "=";
        QTest::newRow("newer version") << "3.2.0.29"
                                       << "v28" << 0 << -1 << true << "3.2.0.29"
                                       << "3.2.0.28";
        QTest::newRow("equal version") << "3,2,0,28"
                                       << "v28" << 0 << -1 << false << "3.2.0.28"
                                       << "3.2.0.28";
        QTest::newRow("3.2 against 3.2.0.28") << "3.2"
                                              << "v28" << 0 << -1 << false << "3.2.0.0"
                                              << "3.2.0.28";
        QTest::newRow("invalid offered") << "1.2.3.4.5"
                                         << "v28" << 0 << -1 << false << "1.2.3.4.5"
                                         << "=";
        QTest::newRow("no version record") << "9.9"
                                           << "plain" << 0 << -1 << false << "9.9"
                                           << "=";
        QTest::newRow("version, file missing") << "9.9"
                                               << "missing" << 0 << -1 << false << "9.9"
                                               << "=";
    }

    void needsUpdate()
    {
        QFETCH(QString, newVersion);
        QFETCH(QString, local);
        QFETCH(qint32, newSize);
        QFETCH(qint32, newCheckSum);
        QFETCH(bool, needed);
        QFETCH(QString, versionAfter);
        QFETCH(QString, localAfter);
        QString path;
        if (local == "v28") {
            path = m_dir.filePath("v28.exe");
            QVERIFY(WriteVersionedFile(path, {3, 2, 0, 28}));
        } else if (local == "abc" || local == "plain") {
            path = fileWith(local, local.toLatin1());
        } else if (local == "999" || local == "1000") {
            path = fileWith(local, QByteArray(local.toInt(), 'x'));
        } else if (local == "empty") {
            path = fileWith(local, {});
        } else if (local == "missing") {
            path = m_dir.filePath("missing");
        }
        const QString pathBefore = path;
        QCOMPARE(NeedsUpdate(newVersion, path, newSize, newCheckSum), needed);
        QCOMPARE(newVersion, versionAfter);
        QCOMPARE(path, localAfter == "=" ? pathBefore : localAfter);
    }

    void controlDate_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime unknown(QDate(1980, 1, 1), QTime(0, 0));
        QTest::newRow("date only") << "31/12/2009"
                                   << "" << QDateTime(QDate(2009, 12, 31), QTime(0, 0));
        QTest::newRow("day first") << "1/2/2010"
                                   << "13:45" << QDateTime(QDate(2010, 2, 1), QTime(13, 45));
        QTest::newRow("seconds") << "01/02/2010"
                                 << "13:45:10" << QDateTime(QDate(2010, 2, 1), QTime(13, 45, 10));
        QTest::newRow("two-digit year") << "1/2/09"
                                        << "" << QDateTime(QDate(2009, 2, 1), QTime(0, 0));
        QTest::newRow("iso date unreadable") << "2009-12-31"
                                             << "" << unknown;
        QTest::newRow("no such day") << "31/02/2009"
                                     << "" << unknown;
        QTest::newRow("no year") << "31/12"
                                 << "" << unknown;
        QTest::newRow("unreadable time adds nothing")
            << "31/12/2009"
            << "25:00" << QDateTime(QDate(2009, 12, 31), QTime(0, 0));
        QTest::newRow("am/pm unread") << "31/12/2009"
                                      << "1 pm" << QDateTime(QDate(2009, 12, 31), QTime(0, 0));
        QTest::newRow("time on unknown date") << "soon"
                                              << "06:30" << QDateTime(QDate(1980, 1, 1), QTime(6, 30));
    }

    void controlDate()
    {
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(QDateTime, expected);
        QCOMPARE(ParseControlDate(date, time), expected);
    }

    void localFileDate()
    {
        const QString path = fileWith("dated", "x");
        const QDateTime written(QDate(2010, 1, 1), QTime(8, 0));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(LocalFileDate(path), written);
        QCOMPARE(LocalFileDate(m_dir.filePath("missing")), UnknownDate());
        QCOMPARE(LocalFileDate(QString()), UnknownDate());
    }
};

QTEST_GUILESS_MAIN(TestUpdateRules)
#include "TestUpdateRules.moc"
