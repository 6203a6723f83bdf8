#include "lists/OldListFormat.h"

#include <QTest>

class TestOldListFormat final : public QObject
{
    Q_OBJECT

private slots:
    void recognisesOldLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("old");
        QTest::newRow("old line") << "12@34@@Cars@@@Pickups" << true;
        QTest::newRow("current line") << "Cars\tPickups\t12\t34\t" << false;
        QTest::newRow("current line with an @ in a name") << "Blogging @ Home\tNo Category\t12\t0\t" << false;
        QTest::newRow("no @") << "plain" << false;
    }
    void recognisesOldLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, old);
        QCOMPARE(OldListFormat::isOldFormatLine(line), old);
    }

    void convertsLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("converted");
        QTest::newRow("whole line") << "12@34@@Cars & Trucks@@@Pickups"
                                    << "Cars & Trucks\tPickups\t12\t34\t";
        QTest::newRow("@ inside the carnival name") << "78@9@@Name @ Home@@@Garden"
                                                    << "Name @ Home\tGarden\t78\t9\t";
        QTest::newRow("@@ inside the category name") << "1@2@@A@@@B @@ C"
                                                     << "A\tB @@ C\t1\t2\t";
        QTest::newRow("empty category ref") << "12@@@Cars@@@Pickups"
                                            << "Cars\tPickups\t12\t\t";
        QTest::newRow("no @@@") << "12@34@@Cars"
                                << "Cars\t\t12\t34\t";
        QTest::newRow("no @@") << "12@34"
                               << "\t\t12\t34\t";
        QTest::newRow("no separator") << "12"
                                      << "\t\t12\t\t";
        QTest::newRow("empty line") << ""
                                    << "\t\t\t\t";
    }
    void convertsLines()
    {
        QFETCH(QString, line);
        QFETCH(QString, converted);
        QCOMPARE(OldListFormat::convertLine(line), converted);
    }
};

QTEST_GUILESS_MAIN(TestOldListFormat)
#include "TestOldListFormat.moc"
