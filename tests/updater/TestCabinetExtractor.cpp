#include "UpdaterTestFiles.h"
#include "updater/CabinetExtractor.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace updater;
using namespace UpdaterTestFiles;

class TestCabinetExtractor final : public QObject
{
    Q_OBJECT

private:
    // A cabinet made by gcab from a.txt and sub/b.txt (stored as "sub\b.txt").
    static QString MakeCabinet(const QTemporaryDir& dir, const QByteArray& big = MixedContent(100000, 1))
    {
        const QString input = dir.filePath(QStringLiteral("input"));
        QDir().mkpath(input + QStringLiteral("/zz"));
        Write(input + QStringLiteral("/a.txt"), "first");
        Write(input + QStringLiteral("/zz/b.bin"), big);
        const QString cabinet = dir.filePath(QStringLiteral("extra.cab"));
        if (!RunTool(QStringLiteral("gcab"),
                     {QStringLiteral("-c"), QStringLiteral("-z"), cabinet, QStringLiteral("a.txt"),
                      QStringLiteral("zz/b.bin")},
                     input))
            return {};
        return cabinet;
    }

    static void Patch(const QString& path, const QByteArray& from, const QByteArray& to)
    {
        QByteArray content = Read(path);
        content.replace(from, to);
        Write(path, content);
    }

private slots:
    void safeName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "a.txt"
                               << "a.txt";
        QTest::newRow("backslash makes a folder") << "sub\\b.txt"
                                                  << "sub/b.txt";
        QTest::newRow("dot parts dropped") << ".\\sub\\\\b"
                                           << "sub/b";
        QTest::newRow("parent") << "..\\evil"
                                << "";
        QTest::newRow("parent inside") << "sub/../../evil"
                                       << "";
        QTest::newRow("absolute") << "/etc/passwd"
                                  << "";
        QTest::newRow("absolute with backslash") << "\\etc"
                                                 << "";
        QTest::newRow("drive") << "C:\\x"
                               << "";
        QTest::newRow("empty") << ""
                               << "";
    }

    void safeName()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(CabinetExtractor::SafeRelativeName(name.toStdString())), expected);
    }

    void extractsEveryFile()
    {
        QTemporaryDir dir;
        const QByteArray big = MixedContent(100000, 1);
        const QString cabinet = MakeCabinet(dir, big);
        QVERIFY(!cabinet.isEmpty());
        const QString destination = dir.filePath(QStringLiteral("app"));
        QDir().mkpath(destination);
        Write(destination + QStringLiteral("/a.txt"), "old");
        std::string error;
        QVERIFY2(CabinetExtractor::Extract(Std(cabinet), Std(destination + QLatin1Char('/')), error),
                 error.c_str());
        QCOMPARE(Read(destination + QStringLiteral("/a.txt")), QByteArray("first"));
        QCOMPARE(Read(destination + QStringLiteral("/zz/b.bin")), big);
        // No staging folder is left behind.
        QCOMPARE(QDir(destination).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 2);
    }

    void damagedCabinetChangesNothing_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("truncated") << "truncate";
        QTest::newRow("data bytes changed") << "flip";
        QTest::newRow("name leaving the folder") << "parent";
        QTest::newRow("absolute name") << "absolute";
        QTest::newRow("not a cabinet") << "garbage";
    }

    // Whatever is wrong with a cabinet, no file of the destination changes, not even one that
    // would have come out before the damaged one.
    void damagedCabinetChangesNothing()
    {
        QFETCH(QString, damage);
        QTemporaryDir dir;
        const QString cabinet = MakeCabinet(dir);
        QVERIFY(!cabinet.isEmpty());
        QByteArray content = Read(cabinet);
        if (damage == "truncate")
            content.chop(3000);
        else if (damage == "flip")
            for (int i = content.size() - 2000; i < content.size() - 1000; ++i)
                content[i] = static_cast<char>(content[i] ^ 0x5A);
        else if (damage == "parent")
            content.replace("zz\\b.bin", "..\\b.bin");
        else if (damage == "absolute")
            content.replace("a.txt", "/a.tx");
        else
            content = "MSCF but nothing else";
        Write(cabinet, content);

        const QString destination = dir.filePath(QStringLiteral("app"));
        QDir().mkpath(destination);
        Write(destination + QStringLiteral("/a.txt"), "old");
        std::string error;
        QVERIFY(!CabinetExtractor::Extract(Std(cabinet), Std(destination + QLatin1Char('/')), error));
        QVERIFY(!error.empty());
        QCOMPARE(Read(destination + QStringLiteral("/a.txt")), QByteArray("old"));
        QVERIFY(!QFileInfo::exists(destination + QStringLiteral("/zz")));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("b.bin"))));
        QCOMPARE(QDir(destination).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 1);
    }
};

QTEST_GUILESS_MAIN(TestCabinetExtractor)
#include "TestCabinetExtractor.moc"
