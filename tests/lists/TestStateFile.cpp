#include "lists/ListTestSupport.h"
#include "lists/StateFile.h"

#include <QTest>

using namespace ListTest;

class TestStateFile final : public QObject
{
    Q_OBJECT

private slots:
    void readsTheFirstLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("listPath"); // relative to the working folder; empty: none
        QTest::newRow("bare name of earlier versions") << QByteArray("mylist.bcl\r\n") << "mylist.bcl";
        QTest::newRow("only the first line counts") << QByteArray("a.bcl\r\nb.bcl\r\n") << "a.bcl";
        QTest::newRow("no line break") << QByteArray("a.bcl") << "a.bcl";
        QTest::newRow("any extension case") << QByteArray("LIST.BCL\r\n") << "LIST.BCL";
        QTest::newRow("Windows-1252 name") << QByteArray("Caf\xE9.bcl\r\n") << "Café.bcl";
        QTest::newRow("UTF-8 name") << QByteArray("Caf\xC3\xA9 \xE6\x97\xA5.bcl\r\n") << "Café 日.bcl";
        QTest::newRow("full path") << QByteArray("/elsewhere/x.bcl\r\n") << "/elsewhere/x.bcl";
        QTest::newRow("empty first line") << QByteArray("\r\nb.bcl\r\n") << "";
        QTest::newRow("empty file") << QByteArray() << "";
    }
    void readsTheFirstLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, listPath);
        WorkingFolder folder;
        writeBytes(folder.file("sel.dat"), bytes);
        const std::optional<QString> read = StateFile::readListPath();
        if (listPath.isEmpty())
            QVERIFY(!read);
        else
            QCOMPARE(read, std::optional<QString>(QDir(folder.path()).absoluteFilePath(listPath)));
    }

    void noStateFileNamesNoList()
    {
        WorkingFolder folder;
        QVERIFY(!StateFile::readListPath());
    }

    // The working folder is the one of the moment, not the one at start.
    void namesAListInTheWorkingFolderByItsBareName()
    {
        WorkingFolder folder;
        QDir(folder.path()).mkdir("sub");
        const QString inFolder = folder.file("Café.BCL");
        const QString elsewhere = folder.file("sub/other.bcl");

        StateFile::write(inFolder);
        QCOMPARE(readBytes(folder.file("sel.dat")), QByteArray("Caf\xC3\xA9.BCL\r\n"));
        QCOMPARE(StateFile::readListPath(), std::optional<QString>(inFolder));

        StateFile::write(elsewhere);
        QCOMPARE(readBytes(folder.file("sel.dat")), (elsewhere + "\r\n").toUtf8());
        QCOMPARE(StateFile::readListPath(), std::optional<QString>(elsewhere));

        QDir::setCurrent(folder.file("sub"));
        QCOMPARE(StateFile::entryFor(elsewhere), QString("other.bcl"));
        QCOMPARE(StateFile::entryFor(inFolder), inFolder);
    }
};

QTEST_GUILESS_MAIN(TestStateFile)
#include "TestStateFile.moc"
