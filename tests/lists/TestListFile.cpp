#include "TestPaths.h"
#include "lists/ListFile.h"
#include "lists/ListTestSupport.h"

#include <QTest>

using namespace ListTest;

namespace {
QString fixture(const char* name)
{
    return QDir(TestPaths::kData).filePath(QString::fromLatin1(name));
}

const QList<CarnivalEntry> kUnicodeEntries = {
    {"Café Carnival", "Crème & Brûlée", "101", "7"},
    {"Ωmega Reviews 日本", "No Category", "202", "0"},
};
} // namespace

class TestListFile final : public QObject
{
    Q_OBJECT

private slots:
    // A row already holding P0..P3 shows which cells a line reaches.
    void splitsLinesIntoCells_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<int>("columns");

        QTest::newRow("four fields") << QByteArray("a\tb\tc\td\t") << QStringList{"a", "b", "c", "d"} << 4;
        QTest::newRow("no final TAB loses the last field")
            << QByteArray("a\tb\tc\td") << QStringList{"a", "b", "c", "P3"} << 4;
        QTest::newRow("no TAB empties the first cell only")
            << QByteArray("abc") << QStringList{"", "P1", "P2", "P3"} << 4;
        QTest::newRow("empty line") << QByteArray("") << QStringList{"", "P1", "P2", "P3"} << 4;
        QTest::newRow("empty fields") << QByteArray("\t\t\t\t") << QStringList{"", "", "", ""} << 4;
        QTest::newRow("five fields add a column")
            << QByteArray("a\tb\tc\td\te\t") << QStringList{"a", "b", "c", "d", "e"} << 5;
    }
    void splitsLinesIntoCells()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, cells);
        QFETCH(int, columns);
        QTemporaryDir dir;
        const QString path = dir.filePath("one.bcl");
        writeBytes(path, line + "\r\n");
        CarnivalList grid("currentListGrid");
        grid.setEntry(0, {"P0", "P1", "P2", "P3"});

        QCOMPARE(LoadFile(path, u'\t', grid), 1);
        QCOMPARE(grid.rows(), 1);
        QCOMPARE(grid.columns(), columns);
        for (int column = 0; column < cells.size(); ++column)
            QCOMPARE(grid.cell(column, 0), cells[column]);
    }

    void readsEveryEncoding_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<CarnivalEntry>>("entries");

        QTest::newRow("UTF-8 with mark") << fixture("list-utf8-bom.bcl") << kUnicodeEntries;
        QTest::newRow("UTF-16 LE") << fixture("list-utf16le.bcl") << kUnicodeEntries;
        QTest::newRow("UTF-16 BE") << fixture("list-utf16be.bcl") << kUnicodeEntries;
        QTest::newRow("Windows-1252, LF") << fixture("list-cp1252.bcl")
                                          << QList<CarnivalEntry>{{"Café “Quoted” €", "Déjà vu", "303", "9"},
                                                                  {"Plain", "No Category", "404", "0"}};
    }
    void readsEveryEncoding()
    {
        QFETCH(QString, file);
        QFETCH(QList<CarnivalEntry>, entries);
        CarnivalList grid("currentListGrid");
        QCOMPARE(LoadFile(file, u'\t', grid), int(entries.size()));
        QCOMPARE(entriesOf(grid), entries);
    }

    void growsTheGridButNeverShrinksIt()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("two.bcl");
        writeBytes(path, "a\t\t1\t0\t\r\nb\t\t2\t0\t\r\n");
        CarnivalList grid("currentListGrid");
        fill(grid, {{"x", "", "", ""}, {"y", "", "", ""}, {"z", "kept", "9", "9"}}, false);

        QCOMPARE(LoadFile(path, u'\t', grid), 2);
        QCOMPARE(grid.rows(), 3);
        QCOMPARE(grid.cell(0, 1), QString("b"));
        QCOMPARE(grid.entry(2), (CarnivalEntry{"z", "kept", "9", "9"}));
    }

    // A wide first line sets the column count; the other rows keep only the cells they hold.
    void wideFirstLineDoesNotWidenEveryRow()
    {
        constexpr int kTabs = 2000;
        constexpr int kShortLines = 2000;
        QTemporaryDir dir;
        const QString path = dir.filePath("wide.bcl");
        writeBytes(path, "w\tv\t" + QByteArray(kTabs, '\t') + "\r\n" +
                             QByteArray("a\t\t1\t0\t\r\n").repeated(kShortLines));
        CarnivalList grid("currentListGrid");

        QCOMPARE(LoadFile(path, u'\t', grid), kShortLines + 1);
        QCOMPARE(grid.columns(), kTabs + 2); // the first line's last TAB is not counted
        QCOMPARE(grid.entry(0), (CarnivalEntry{"w", "v", "", ""}));
        QCOMPARE(grid.entry(kShortLines), (CarnivalEntry{"a", "", "1", "0"}));
        QCOMPARE(grid.cell(kTabs, kShortLines), QString());
        qsizetype cells = 0;
        for (const QStringList& row : grid.rawRows())
            cells += row.size();
        QVERIFY2(cells <= 2 * QFileInfo(path).size(), qPrintable(QString::number(cells)));
    }

    void fileWithNoLineLeavesTheGridAlone_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("only the UTF-8 mark") << QByteArray("\xEF\xBB\xBF");
    }
    void fileWithNoLineLeavesTheGridAlone()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("empty.bcl");
        writeBytes(path, bytes);
        CarnivalList grid("currentListGrid");
        QCOMPARE(LoadFile(path, u'\t', grid), 0);
        QVERIFY(grid.isEmptyList());
    }

    void unreadableFileThrowsTheSystemReasonAndChangesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("missing.bcl");
        CarnivalList grid("currentListGrid");
        grid.setEntry(0, {"keep", "", "1", "0"});
        try {
            LoadFile(path, u'\t', grid);
            QFAIL("no error");
        } catch (const std::runtime_error& error) {
            QCOMPARE(QString::fromStdString(error.what()),
                     QString("Cannot open file \"%1\". No such file or directory").arg(path));
        }
        QCOMPARE(grid.cell(0, 0), QString("keep"));
    }

    void writesTheFormatExactly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.bcl");
        CarnivalList grid("currentListGrid");
        fill(grid, {{"A", "No Category", "1", "0"}, {"", "", "", ""}, {"Ü", "Cat", "2", "5"}}, true);
        grid.setCell(4, 0, "fifth"); // columns past the fourth are never written
        grid.setCurrentRow(1);

        SaveTabDelimited(path, grid);
        QCOMPARE(readBytes(path), QByteArray("\xEF\xBB\xBF"
                                             "A\tNo Category\t1\t0\t\r\n"
                                             "\t\t\t\t\r\n"
                                             "\xC3\x9C\tCat\t2\t5\t\r\n"));
        QCOMPARE(grid.currentRow(), 3);
    }

    void writesEveryRowWithoutTrailingBlankAndOnlyTheMarkForAnEmptyList()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.bcl");
        CarnivalList grid("currentListGrid");
        SaveTabDelimited(path, grid);
        QCOMPARE(readBytes(path), QByteArray("\xEF\xBB\xBF"));

        fill(grid, {{"A", "", "1", "0"}, {"B", "", "2", "0"}}, false);
        SaveTabDelimited(path, grid);
        QCOMPARE(readBytes(path), QByteArray("\xEF\xBB\xBF"
                                             "A\t\t1\t0\t\r\nB\t\t2\t0\t\r\n"));
    }

    void roundTripKeepsLettersOutsideWindows1252()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("round.bcl");
        const QList<CarnivalEntry> entries = {
            {"Ωmega 日本 😀", "Łódź", "1", "0"}, {"Plain", "No Category", "2", "0"}, {"Ŝ€", "Ж", "3", "4"}};
        CarnivalList saved("currentListGrid");
        fill(saved, entries, true);
        SaveTabDelimited(path, saved);

        CarnivalList loaded("currentListGrid");
        QCOMPARE(LoadFile(path, u'\t', loaded), 3);
        QCOMPARE(entriesOf(loaded), entries);
    }

    void fixFileWritesUtf8WithoutMark()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("old.bcl");
        writeBytes(path, "old content that is longer than the new\r\n");
        FixFile({"Café\t\t1\t0\t", "B\t\t2\t0\t"}, path);
        QCOMPARE(readBytes(path), QByteArray("Caf\xC3\xA9\t\t1\t0\t\r\nB\t\t2\t0\t\r\n"));
    }

    // The old file stays whole whatever stops the write, and the reason is the system's.
    void failedWriteLeavesTheOldFileWhole_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("target is a folder") << "folder";
        QTest::newRow("folder does not exist") << "missing";
    }
    void failedWriteLeavesTheOldFileWhole()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString folder = dir.filePath("lists");
        QDir().mkpath(folder);
        QString path = QDir(folder).filePath("list.bcl");
        const QByteArray old = "\xEF\xBB\xBFOld\t\t1\t0\t\r\n";
        writeBytes(path, old);
        if (how == "folder") {
            path = folder;
        } else if (how == "missing") {
            path = dir.filePath("nowhere/list.bcl");
        }
        CarnivalList grid("currentListGrid");
        fill(grid, {{"New entry long enough to pass any small limit", "", "2", "0"}}, true);

        QString message;
        bool bySizeLimit = false;
        {
            std::optional<FailingWrites> failing;
            if (how == "read-only")
                bySizeLimit = failing.emplace(folder).bySizeLimit();
            try {
                SaveTabDelimited(path, grid);
            } catch (const std::runtime_error& error) {
                message = QString::fromStdString(error.what());
            }
        }
        if (bySizeLimit)
            qInfo("root ignores the read-only folder: a file-size limit failed the write instead");
        QVERIFY2(message.startsWith(QString("Cannot create file \"%1\". ").arg(path)) ||
                     message.startsWith(QString("Cannot write file \"%1\". ").arg(path)),
                 qPrintable(message));
        QVERIFY2(!message.section("\". ", 1).isEmpty(), qPrintable(message));
        QCOMPARE(readBytes(QDir(folder).filePath("list.bcl")), old);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"list.bcl"}); // no temp left
        QVERIFY(!QFileInfo::exists(dir.filePath("nowhere")));
        QCOMPARE(grid.currentRow(), 0);
    }
};

QTEST_GUILESS_MAIN(TestListFile)
#include "TestListFile.moc"
