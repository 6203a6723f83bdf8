#include "lists/ListText.h"

#include <QTest>

class TestListText final : public QObject
{
    Q_OBJECT

private slots:
    void decodesByMark_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");

        const QString sample = QString::fromUtf8("Caf\u00e9 \u65e5\u672c \U0001F600\t1\t");
        QTest::newRow("UTF-8 mark is skipped") << QByteArray("\xEF\xBB\xBF") + sample.toUtf8() << sample;
        QByteArray le("\xFF\xFE"), be("\xFE\xFF");
        for (QChar c : sample) {
            le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
            be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
        }
        QTest::newRow("UTF-16 LE") << le << sample;
        QTest::newRow("UTF-16 BE") << be << sample;
        QTest::newRow("no mark, valid UTF-8") << sample.toUtf8() << sample;
        QTest::newRow("no mark, Windows-1252")
            << QByteArray("Caf\xE9 \x80 \x93x\x94 \x81\xFF")
            << QString::fromUtf8("Caf\u00e9 \u20ac \u201cx\u201d \u0081\u00ff");
        QTest::newRow("1252 ends of the high range")
            << QByteArray("\x8A\x9F\xA0") << QString::fromUtf8("\u0160\u0178\u00a0");
        QTest::newRow("a truncated UTF-8 sequence is 1252")
            << QByteArray("ab\xC3") << QString::fromUtf8("ab\u00c3");
        QTest::newRow("only a UTF-8 mark") << QByteArray("\xEF\xBB\xBF") << QString();
        QTest::newRow("only a UTF-16 mark") << QByteArray("\xFF\xFE") << QString();
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void decodesByMark()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(ListText::decode(bytes), text);
    }

    void splitsLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("CR LF") << "a\r\nb\r\n" << QStringList{"a", "b"};
        QTest::newRow("LF") << "a\nb\n" << QStringList{"a", "b"};
        QTest::newRow("CR") << "a\rb\r" << QStringList{"a", "b"};
        QTest::newRow("mixed") << "a\r\nb\nc\rd" << QStringList{"a", "b", "c", "d"};
        QTest::newRow("no break after the last line") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("empty lines between are kept") << "a\r\n\r\n\nb\r\n" << QStringList{"a", "", "", "b"};
        QTest::newRow("CR CR LF is two breaks") << "a\r\r\nb" << QStringList{"a", "", "b"};
        QTest::newRow("LF CR is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
        QTest::newRow("a lone break is one empty line") << "\r\n" << QStringList{""};
        QTest::newRow("empty text has no line") << "" << QStringList{};
    }
    void splitsLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(ListText::splitLines(text), lines);
    }
};

QTEST_GUILESS_MAIN(TestListText)
#include "TestListText.moc"
