#include "site/TextSearch.h"

#include <QTest>

class TestTextSearch final : public QObject
{
    Q_OBJECT

private slots:
    void instrPositions_data();
    void instrPositions();
    void decodesOptionText_data();
    void decodesOptionText();
};

void TestTextSearch::instrPositions_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("expected");

    QTest::newRow("start 0") << 0 << "abc"
                             << "a" << 0;
    QTest::newRow("negative start") << -1 << "abc"
                                    << "a" << 0;
    QTest::newRow("start past the end") << 4 << "abc"
                                        << "a" << 0;
    QTest::newRow("start at the last character") << 3 << "abc"
                                                 << "c" << 0;
    QTest::newRow("first character") << 1 << "abc"
                                     << "a" << 2;
    QTest::newRow("second occurrence from start 2") << 2 << "abcabc"
                                                    << "a" << 5;
    QTest::newRow("last character never searched") << 1 << "abc"
                                                   << "c" << 0;
    QTest::newRow("pattern ending one before the end") << 1 << "xx<b>y"
                                                       << "<b>" << 4;
    QTest::newRow("pattern touching the end") << 1 << "xx<b>"
                                              << "<b>" << 0;
    QTest::newRow("case-sensitive") << 1 << "ABCx"
                                    << "abc" << 0;
    QTest::newRow("empty pattern") << 1 << "abc"
                                   << "" << 0;
    QTest::newRow("empty text") << 1 << ""
                                << "a" << 0;
}

void TestTextSearch::instrPositions()
{
    QFETCH(int, start);
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(int, expected);
    QCOMPARE(instr(start, text, pattern), expected);
}

void TestTextSearch::decodesOptionText_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("text");

    QTest::newRow("plain") << "Cars"
                           << "Cars";
    QTest::newRow("ampersand") << "Boats &amp; Ships"
                               << "Boats & Ships";
    QTest::newRow("angle brackets") << "a &lt;b&gt;"
                                    << "a <b>";
    QTest::newRow("decoded once") << "&amp;lt;"
                                  << "&lt;";
    QTest::newRow("bare ampersand kept") << "AT&T"
                                         << "AT&T";
    QTest::newRow("other entity kept") << "a&nbsp;b"
                                       << "a&nbsp;b";
    QTest::newRow("cut-off entity kept") << "a &am"
                                         << "a &am";
}

void TestTextSearch::decodesOptionText()
{
    QFETCH(QString, markup);
    QFETCH(QString, text);
    QCOMPARE(decodeOptionText(markup), text);
}

QTEST_GUILESS_MAIN(TestTextSearch)
#include "TestTextSearch.moc"
