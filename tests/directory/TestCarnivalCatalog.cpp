#include "directory/CarnivalCatalog.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class TestCarnivalCatalog : public QObject
{
    Q_OBJECT

private slots:
    void readsCarnivalsInFileOrderWithTheirCategories()
    {
        const CarnivalCatalog catalog = CarnivalCatalog::fromTsv("# a comment\r\n"
                                                                 "\n"
                                                                 "12\tCars & Trucks\t120\tSedans\r\n"
                                                                 "7\tCafé Société\n"
                                                                 "12\tCars & Trucks\t121\tPickups\n"
                                                                 "9\tNo Categories\t0\t\n"
                                                                 "305\t日本語ブログ\t3050\t初心者");
        QCOMPARE(catalog.size(), 4);
        const QList<Carnival>& carnivals = catalog.carnivals();
        QCOMPARE(carnivals[0].ref, 12);
        QCOMPARE(carnivals[0].name, QStringLiteral("Cars & Trucks"));
        QCOMPARE(carnivals[0].categories.size(), 2);
        QCOMPARE(carnivals[0].categories[1].ref, 121);
        QCOMPARE(carnivals[0].categories[1].name, QStringLiteral("Pickups"));
        QCOMPARE(carnivals[1].name, QStringLiteral("Café Société"));
        QVERIFY(carnivals[1].categories.isEmpty());
        QVERIFY(carnivals[2].categories.isEmpty());
        QCOMPARE(carnivals[3].categories[0].name, QStringLiteral("初心者"));
        QCOMPARE(catalog.find(305)->name, QStringLiteral("日本語ブログ"));
        QVERIFY(!catalog.find(1));
    }

    void badDataNamesTheLine_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("message");

        QTest::newRow("word ref") << QByteArray("1\tA\nx\tB\n")
                                  << "line 2: the carnival ref \"x\" is not a whole number";
        QTest::newRow("negative ref") << QByteArray("-3\tA\n") << "line 1: the carnival ref \"-3\"";
        QTest::newRow("zero ref") << QByteArray("0\tA\n")
                                  << "line 1: the carnival ref must be greater than 0";
        QTest::newRow("one column") << QByteArray("# c\n5\n")
                                    << "line 2: expected 2 to 4 tab-separated columns";
        QTest::newRow("five columns") << QByteArray("5\tA\t1\tB\tC\n") << "line 1: expected 2 to 4";
        QTest::newRow("no name") << QByteArray("5\t \n") << "line 1: carnival 5 has no name";
        QTest::newRow("two names") << QByteArray("5\tA\t1\tX\n5\tB\t2\tY\n")
                                   << "line 2: carnival 5 is named \"B\" here";
        QTest::newRow("word category") << QByteArray("5\tA\tten\tX\n") << "line 1: the category ref \"ten\"";
        QTest::newRow("category without name")
            << QByteArray("5\tA\t10\t\n") << "line 1: category 10 has no name";
        QTest::newRow("category without ref")
            << QByteArray("5\tA\t\tX\n") << "line 1: the category \"X\" has no ref";
        QTest::newRow("category twice")
            << QByteArray("5\tA\t10\tX\n5\tA\t10\tX\n") << "line 2: category 10 appears twice";
    }

    void badDataNamesTheLine()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, message);
        try {
            CarnivalCatalog::fromTsv(data);
            QFAIL("no error raised");
        } catch (const CatalogError& error) {
            QVERIFY2(error.text().contains(message), qPrintable(error.text()));
        }
    }

    void fileErrorsNameTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mine.tsv"));
        try {
            CarnivalCatalog::fromFile(path);
            QFAIL("no error raised");
        } catch (const CatalogError& error) {
            QVERIFY2(error.text().contains(path), qPrintable(error.text()));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("5\tA\nfive\tB\n");
        file.close();
        try {
            CarnivalCatalog::fromFile(path);
            QFAIL("no error raised");
        } catch (const CatalogError& error) {
            QVERIFY2(error.text().startsWith(QLatin1String("mine.tsv, line 2:")), qPrintable(error.text()));
        }
    }

    void expireMarksKnownCarnivalsAndReportsUnknownOnes()
    {
        CarnivalCatalog catalog = CarnivalCatalog::fromTsv("5\tA\n6\tB\n");
        QCOMPARE(catalog.expire({6, 77, 5}), QList<qint64>{77});
        QVERIFY(catalog.find(6)->expired);
        QVERIFY(!catalog.findOffered(6));
        QVERIFY(!catalog.findOffered(77));
        QCOMPARE(catalog.size(), 2);
    }

    void parseRef_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("ref");

        QTest::newRow("digits") << "12" << true << qint64(12);
        QTest::newRow("zero") << "0" << true << qint64(0);
        QTest::newRow("leading zeros") << "007" << true << qint64(7);
        QTest::newRow("eighteen digits") << "999999999999999999" << true << qint64(999999999999999999);
        QTest::newRow("nineteen digits") << "9999999999999999999" << false << qint64(0);
        QTest::newRow("empty") << "" << false << qint64(0);
        QTest::newRow("plus") << "+1" << false << qint64(0);
        QTest::newRow("blank") << " 1" << false << qint64(0);
        QTest::newRow("arabic-indic digit") << QStringLiteral("\u0661") << false << qint64(0);
    }

    void parseRef()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(qint64, ref);
        qint64 parsed = 0;
        QCOMPARE(CarnivalCatalog::parseRef(text, &parsed), ok);
        QCOMPARE(parsed, ref);
    }

    void sampleIsBuiltInAndVaried()
    {
        const CarnivalCatalog sample = CarnivalCatalog::sample();
        QVERIFY(sample.size() >= 200);
        QSet<qint64> categoryRefs;
        int withoutCategories = 0;
        int withMany = 0;
        bool ampersand = false;
        bool accented = false;
        bool cjk = false;
        qint64 previous = 0;
        bool contiguous = true;
        for (const Carnival& carnival : sample.carnivals()) {
            withoutCategories += carnival.categories.isEmpty();
            withMany += carnival.categories.size() >= 10;
            ampersand |= carnival.name.contains(QLatin1Char('&'));
            accented |= carnival.name.contains(QChar(0xE9)) || carnival.name.contains(QChar(0xFC));
            cjk |= carnival.name.contains(QChar(0x65E5));
            contiguous &= previous == 0 || carnival.ref == previous + 1;
            previous = carnival.ref;
            for (const CarnivalCategory& category : carnival.categories)
                categoryRefs.insert(category.ref);
        }
        QVERIFY(withoutCategories > 10);
        QVERIFY(withMany > 3);
        QVERIFY(ampersand && accented && cjk);
        QVERIFY(!contiguous);
        QVERIFY(!categoryRefs.contains(0));
    }
};

QTEST_GUILESS_MAIN(TestCarnivalCatalog)
#include "TestCarnivalCatalog.moc"
