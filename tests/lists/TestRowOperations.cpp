#include "lists/CarnivalList.h"
#include "lists/RowOperations.h"
#include "mock/FakeDesktop.h"

#include <QSignalSpy>
#include <QTest>

namespace {
// A grid from refs: "" is a blank row, any other text an entry named "C<ref>".
void fill(CarnivalList& grid, const QStringList& refs)
{
    grid.setRows(int(refs.size()));
    for (int row = 0; row < refs.size(); ++row) {
        if (!refs[row].isEmpty())
            grid.setEntry(row, {"C" + refs[row], "No Category", refs[row], "0"});
    }
}

QStringList refsOf(const CarnivalList& grid)
{
    QStringList refs;
    for (int row = 0; row < grid.rows(); ++row)
        refs.append(grid.cell(Column::CarnivalRef, row));
    return refs;
}
} // namespace

class TestRowOperations final : public QObject
{
    Q_OBJECT

private slots:
    void deleteRow_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("r");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("currentAfter");
        QTest::newRow("middle row") << QStringList{"1", "2", "3"} << 1 << 1 << QStringList{"1", "3"} << 1;
        QTest::newRow("last row, current moves up")
            << QStringList{"1", "2", "3"} << 2 << 2 << QStringList{"1", "2"} << 1;
        QTest::newRow("only row holding an entry") << QStringList{"7"} << 0 << 0 << QStringList{""} << 0;
        QTest::newRow("trailing blank row")
            << QStringList{"1", "2", ""} << 2 << 2 << QStringList{"1", "2"} << 1;
        QTest::newRow("r equal to the row count drops the last row unchanged")
            << QStringList{"1", "2", "3"} << 0 << 3 << QStringList{"1", "2"} << 0;
        QTest::newRow("r equal to the row count on a one-row grid changes nothing")
            << QStringList{"7"} << 0 << 1 << QStringList{"7"} << 0;
    }

    void deleteRow()
    {
        QFETCH(QStringList, before);
        QFETCH(int, current);
        QFETCH(int, r);
        CarnivalList grid("currentListGrid");
        fill(grid, before);
        grid.setCurrentRow(current);
        FakeDesktop desktop;
        deleteGridRow(grid, r, desktop);
        QTEST(refsOf(grid), "after");
        QTEST(grid.currentRow(), "currentAfter");
        QCOMPARE(desktop.focus, QString("currentListGrid"));
    }

    void clearAllRowsLeavesOneBlankRowWhicheverRowIsCurrent_data()
    {
        QTest::addColumn<int>("current");
        QTest::newRow("first") << 0;
        QTest::newRow("middle") << 2;
        QTest::newRow("trailing blank") << 4;
    }

    void clearAllRowsLeavesOneBlankRowWhicheverRowIsCurrent()
    {
        QFETCH(int, current);
        CarnivalList grid("newListGrid");
        fill(grid, {"1", "2", "", "4", ""});
        grid.setCurrentRow(current);
        FakeDesktop desktop;
        clearAllRows(grid, desktop);
        QVERIFY(grid.isEmptyList());
        QCOMPARE(grid.currentRow(), 0);
    }

    void findDupesLooksAtTheCarnivalRefOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::newRow("a carnival ref") << "12" << true;
        QTest::newRow("another letter case") << "ab" << true;
        QTest::newRow("equal to another row's category ref") << "3" << false;
        QTest::newRow("a category name") << "Classic" << false;
        QTest::newRow("a carnival name") << "Cars" << false;
        QTest::newRow("part of a ref") << "1" << false;
    }

    void findDupesLooksAtTheCarnivalRefOnly()
    {
        CarnivalList grid("currentListGrid");
        grid.setRows(2);
        grid.setEntry(0, {"Cars", "Classic", "12", "3"});
        grid.setEntry(1, {"Odd", "No Category", "AB", "0"});
        QFETCH(QString, text);
        QTEST(containsCarnival(grid, text), "found");
    }

    void programMovesReportTheRowButNeverAsTheUsersSelection()
    {
        CarnivalList grid("currentListGrid");
        fill(grid, {"1", "2", "3"});
        QSignalSpy moves(&grid, &CarnivalList::currentRowChanged);
        QVERIFY(selectRowByRef(grid, "2"));
        QVERIFY(!selectRowByRef(grid, "9"));
        QCOMPARE(grid.currentRow(), 1);
        QCOMPARE(moves.count(), 1);
        grid.setRows(1);
        QCOMPARE(grid.currentRow(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRowOperations)
#include "TestRowOperations.moc"
