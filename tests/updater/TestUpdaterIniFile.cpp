#include "UpdaterTestFiles.h"
#include "updater/IniFile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace updater;
using namespace UpdaterTestFiles;

// The updater's own IniFile (the engine's is tested in tests/update).
class TestUpdaterIniFile final : public QObject
{
    Q_OBJECT

private slots:
    // The information file's COUNT is read by the integer rule the engine shares: what the rule
    // refuses, or what does not fit an int, gives the fallback instead of a wrapped value.
    void intValue_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << QByteArray("12") << 12;
        QTest::newRow("hex") << QByteArray("$7fffffff") << 2147483647;
        QTest::newRow("smallest int") << QByteArray("-2147483648") << (-2147483647 - 1);
        QTest::newRow("quoted") << QByteArray("\"0x20\"") << 32;
        QTest::newRow("sign after dollar") << QByteArray("$-10") << -1;
        QTest::newRow("sign after 0x") << QByteArray("0x-10") << -1;
        QTest::newRow("plus") << QByteArray("+3") << -1;
        QTest::newRow("32 bits of hex") << QByteArray("$FFFFFFFF") << -1;
        QTest::newRow("beyond int") << QByteArray("99999999999") << -1;
        QTest::newRow("empty") << QByteArray("") << -1;
    }

    void intValue()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("more.inf"));
        QVERIFY(Write(path, "[FILES]\r\nCOUNT=" + text + "\r\n"));
        QCOMPARE(IniFile::Load(Std(path)).intValue("files", "count", -1), expected);
    }
};

QTEST_GUILESS_MAIN(TestUpdaterIniFile)
#include "TestUpdaterIniFile.moc"
