#include "update/IniFile.h"

#include <QTemporaryDir>
#include <QTest>

class TestIniFile final : public QObject
{
    Q_OBJECT

private slots:
    void readString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString fallback = "<default>";
        QTest::newRow("plain") << "[update]\ndescr=New\n"
                               << "update"
                               << "descr"
                               << "New";
        QTest::newRow("names ignore case") << "[UpDate]\nDESCR=New"
                                           << "update"
                                           << "Descr"
                                           << "New";
        QTest::newRow("after the first =") << "[f]\nurl=http://h/g?a=1&b=2"
                                           << "f"
                                           << "url"
                                           << "http://h/g?a=1&b=2";
        QTest::newRow("trimmed") << "[f]\n  key  =  some value  \n"
                                 << "f"
                                 << "key"
                                 << "some value";
        QTest::newRow("quotes removed once") << "[f]\nk=\"\"a b\"\""
                                             << "f"
                                             << "k"
                                             << "\"a b\"";
        QTest::newRow("single quotes") << "[f]\nk='a b'"
                                       << "f"
                                       << "k"
                                       << "a b";
        QTest::newRow("unmatched quotes stay") << "[f]\nk=\"a b'"
                                               << "f"
                                               << "k"
                                               << "\"a b'";
        QTest::newRow("empty value") << "[f]\nk="
                                     << "f"
                                     << "k"
                                     << "";
        QTest::newRow("CRLF lines") << "[f]\r\nk=v\r\nj=w\r\n"
                                    << "f"
                                    << "k"
                                    << "v";
        QTest::newRow("missing key") << "[f]\nk=v"
                                     << "f"
                                     << "j" << fallback;
        QTest::newRow("missing section") << "[f]\nk=v"
                                         << "g"
                                         << "k" << fallback;
        QTest::newRow("key of another section") << "[f]\nk=v\n[g]\nj=w"
                                                << "g"
                                                << "k" << fallback;
        QTest::newRow("before any section") << "k=v\n[f]"
                                            << "f"
                                            << "k" << fallback;
        QTest::newRow("comment") << "[f]\n;k=v"
                                 << "f"
                                 << "k" << fallback;
        QTest::newRow("first key wins") << "[f]\nk=1\nk=2"
                                        << "f"
                                        << "k"
                                        << "1";
        QTest::newRow("repeated section") << "[f]\na=1\n[g]\n[f]\nk=2"
                                          << "f"
                                          << "k"
                                          << "2";
        QTest::newRow("blank section name") << "[ files ]\ncount=2"
                                            << "files"
                                            << "count"
                                            << "2";
    }

    void readString()
    {
        QFETCH(QString, text);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(IniFile::fromText(text).ReadString(section, key, "<default>"), value);
    }

    void readInteger_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<qint32>("number");
        QTest::newRow("decimal") << "42" << 42;
        QTest::newRow("negative") << "-7" << -7;
        QTest::newRow("dollar hex") << "$FF" << 255;
        QTest::newRow("0x hex") << "0x10" << 16;
        QTest::newRow("hex beyond int") << "0XFFFFFFFF" << 99;
        QTest::newRow("largest hex") << "$7FFFFFFF" << 2147483647;
        QTest::newRow("hex too wide") << "$1FFFFFFFF" << 99;
        QTest::newRow("lowest") << "-2147483648" << qint32(-2147483647 - 1);
        QTest::newRow("too large") << "2147483648" << 99;
        QTest::newRow("trailing text") << "12abc" << 99;
        QTest::newRow("decimal point") << "1.5" << 99;
        QTest::newRow("empty") << "" << 99;
        QTest::newRow("blanks around") << "  5 " << 5;
        QTest::newRow("quoted") << "\"7\"" << 7;
        QTest::newRow("bare prefix") << "$" << 99;
        // The updater's rule: no "+", no sign with a prefix.
        QTest::newRow("plus") << "+3" << 99;
        QTest::newRow("minus before dollar") << "-$10" << 99;
        QTest::newRow("minus after dollar") << "$-10" << 99;
        QTest::newRow("minus after 0x") << "0x-10" << 99;
        QTest::newRow("smallest 64-bit") << "-9223372036854775808" << 99;
        QTest::newRow("below 64-bit") << "-9223372036854775809" << 99;
    }

    void readInteger()
    {
        QFETCH(QString, value);
        QFETCH(qint32, number);
        QCOMPARE(IniFile::fromText("[s]\nk=" + value).ReadInteger("s", "k", 99), number);
    }

    void readFlag_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("defaultValue");
        QTest::addColumn<bool>("on");
        QTest::newRow("1") << "k=1" << false << true;
        QTest::newRow("2") << "k=2" << true << false;
        QTest::newRow("hex 1") << "k=$1" << false << true;
        QTest::newRow("word") << "k=yes" << false << false;
        QTest::newRow("word, default on") << "k=yes" << true << true;
        QTest::newRow("missing, default on") << "" << true << true;
        QTest::newRow("missing, default off") << "" << false << false;
    }

    void readFlag()
    {
        QFETCH(QString, text);
        QFETCH(bool, defaultValue);
        QFETCH(bool, on);
        QCOMPARE(IniFile::fromText("[s]\n" + text).ReadFlag("s", "k", defaultValue), on);
    }

    void readsFileEncodings()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("x.inf");
        const auto write = [&](const QByteArray& bytes) {
            QFile file(path);
            file.open(QIODevice::WriteOnly | QIODevice::Truncate);
            file.write(bytes);
        };
        write("\xEF\xBB\xBF[update]\ndescr=Gr\xC3\xBC\xC3\x9F"
              "e");
        QCOMPARE(IniFile(path).ReadString("update", "descr"), QString::fromUtf8("Grüße"));
        write("[update]\ndescr=Gr\xFC\xDF"
              "e"); // not UTF-8: read byte for byte
        QCOMPARE(IniFile(path).ReadString("update", "descr"), QString::fromUtf8("Grüße"));
        QVERIFY(IniFile(path).SectionExists("UPDATE"));
        QVERIFY(!IniFile(dir.filePath("missing")).SectionExists("update"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "TestIniFile.moc"
