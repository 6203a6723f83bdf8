#include "updater/IntegerText.h"

#include <QTest>

#include <limits>

using namespace updater;

class TestIntegerText final : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<qlonglong>("value");
        QTest::addColumn<bool>("fitsInt");

        const qlonglong smallest = std::numeric_limits<qlonglong>::min();
        const qlonglong largest = std::numeric_limits<qlonglong>::max();
        QTest::newRow("decimal") << "42" << true << 42LL << true;
        QTest::newRow("zero") << "0" << true << 0LL << true;
        QTest::newRow("minus zero") << "-0" << true << 0LL << true;
        QTest::newRow("leading zeros") << "007" << true << 7LL << true;
        QTest::newRow("negative") << "-17" << true << -17LL << true;
        QTest::newRow("dollar hex") << "$1f" << true << 31LL << true;
        QTest::newRow("0x hex") << "0xFF" << true << 255LL << true;
        QTest::newRow("0X hex") << "0X10" << true << 16LL << true;
        QTest::newRow("largest int") << "2147483647" << true << 2147483647LL << true;
        QTest::newRow("smallest int") << "-2147483648" << true << -2147483648LL << true;
        QTest::newRow("largest int in hex") << "$7FFFFFFF" << true << 2147483647LL << true;
        QTest::newRow("above int") << "2147483648" << true << 2147483648LL << false;
        QTest::newRow("below int") << "-2147483649" << true << -2147483649LL << false;
        QTest::newRow("32 bits of hex are not -1") << "$FFFFFFFF" << true << 4294967295LL << false;
        QTest::newRow("largest 64-bit") << "9223372036854775807" << true << largest << false;
        QTest::newRow("smallest 64-bit") << "-9223372036854775808" << true << smallest << false;
        QTest::newRow("largest 64-bit in hex") << "0x7FFFFFFFFFFFFFFF" << true << largest << false;

        QTest::newRow("above 64-bit") << "9223372036854775808" << false << 0LL << false;
        QTest::newRow("below 64-bit") << "-9223372036854775809" << false << 0LL << false;
        QTest::newRow("64-bit hex with the sign bit") << "$8000000000000000" << false << 0LL << false;
        QTest::newRow("far too long") << "123456789012345678901234567890" << false << 0LL << false;
        QTest::newRow("empty") << "" << false << 0LL << false;
        QTest::newRow("minus alone") << "-" << false << 0LL << false;
        QTest::newRow("dollar alone") << "$" << false << 0LL << false;
        QTest::newRow("0x alone") << "0x" << false << 0LL << false;
        QTest::newRow("plus") << "+3" << false << 0LL << false;
        QTest::newRow("minus before dollar") << "-$10" << false << 0LL << false;
        QTest::newRow("minus after dollar") << "$-10" << false << 0LL << false;
        QTest::newRow("minus before 0x") << "-0x10" << false << 0LL << false;
        QTest::newRow("minus after 0x") << "0x-10" << false << 0LL << false;
        QTest::newRow("plus after 0x") << "0x+10" << false << 0LL << false;
        QTest::newRow("double minus") << "--1" << false << 0LL << false;
        QTest::newRow("hex digit in decimal") << "1a" << false << 0LL << false;
        QTest::newRow("leading blank") << " 1" << false << 0LL << false;
        QTest::newRow("trailing blank") << "1 " << false << 0LL << false;
        QTest::newRow("decimal point") << "1.0" << false << 0LL << false;
        QTest::newRow("dollar in the middle") << "1$0" << false << 0LL << false;
        QTest::newRow("digit beyond hex") << "$1G" << false << 0LL << false;
        QTest::newRow("non-ASCII digit") << "\xd9\xa3" << false << 0LL << false;
    }

    // Both readers follow the same rule; the int variant refuses what does not fit instead of
    // wrapping it.
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(qlonglong, value);
        QFETCH(bool, fitsInt);
        const std::string bytes = text.toStdString();

        const auto number = parseIntegerText(bytes);
        QCOMPARE(number.has_value(), accepted);
        if (accepted)
            QCOMPARE(*number, value);

        const auto small = parseIntText(bytes);
        QCOMPARE(small.has_value(), fitsInt);
        if (fitsInt)
            QCOMPARE(qlonglong(*small), value);
    }
};

QTEST_GUILESS_MAIN(TestIntegerText)
#include "TestIntegerText.moc"
