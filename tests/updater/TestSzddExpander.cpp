#include "UpdaterTestFiles.h"
#include "updater/SzddExpander.h"

#include <QTemporaryDir>
#include <QTest>

using namespace updater;
using namespace UpdaterTestFiles;

class TestSzddExpander final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void expandedName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<char>("missing");
        QTest::addColumn<QString>("expected");
        QTest::newRow("restored") << "wusetup.ex_" << 'e' << "wusetup.exe";
        QTest::newRow("mscompress stores none") << "app.exe_" << '\0' << "app.exe";
        QTest::newRow("no underscore stays") << "app.exe" << 'x' << "app.exe";
        QTest::newRow("underscore inside stays") << "my_app" << 'x' << "my_app";
        QTest::newRow("code page character") << "caf_" << '\xE9' << "caf\u00E9";
        // An empty result: the header would make no file name of it.
        QTest::newRow("slash") << "app.ex_" << '/' << "";
        QTest::newRow("backslash") << "app.ex_" << '\\' << "";
        QTest::newRow("colon") << "app.ex_" << ':' << "";
        QTest::newRow("control character") << "app.ex_" << '\x01' << "";
        QTest::newRow("becomes dot") << "_" << '.' << "";
        QTest::newRow("becomes dot dot") << "._" << '.' << "";
        QTest::newRow("becomes dot dot in a folder") << "sub/._" << '.' << "";
        QTest::newRow("becomes nothing") << "_" << '\0' << "";
    }

    void expandedName()
    {
        QFETCH(QString, name);
        QFETCH(char, missing);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(SzddExpander::ExpandedName(name.toStdString(), missing)), expected);
    }

    // Files made by Debian's mscompress (the COMPRESS tool's format) expand correctly.
    void expandsMscompressFiles_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("16 bytes") << QByteArray("0123456789abcdef");
        QTest::newRow("text") << QByteArray("hello hello hello world\n").repeated(300);
        QTest::newRow("mixed") << MixedContent(150000, 11);
    }

    void expandsMscompressFiles()
    {
        QFETCH(QByteArray, data);
        const QString plain =
            m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".bin"));
        QVERIFY(Write(plain, data));
        QVERIFY(RunTool(QStringLiteral("mscompress"), {plain}, m_dir.path()));
        const QString compressed = plain + QLatin1Char('_');
        const auto header = SzddExpander::ReadHeader(Std(compressed));
        QVERIFY(header);
        QCOMPARE(header->length, static_cast<std::uint32_t>(data.size()));
        const QString expanded = m_dir.filePath(QStringLiteral("expanded.bin"));
        std::string error;
        QVERIFY2(SzddExpander::Expand(Std(compressed), Std(expanded), error), error.c_str());
        QCOMPARE(Read(expanded), data);
    }

    void plainFileHasNoHeader()
    {
        const QString path = m_dir.filePath(QStringLiteral("plain"));
        Write(path, "SZDD but not really a header");
        QVERIFY(!SzddExpander::ReadHeader(Std(path)));
        QVERIFY(!SzddExpander::ReadHeader(Std(m_dir.filePath(QStringLiteral("absent")))));
    }

    // libmspack reports success on a truncated file; the length in the header catches it.
    void truncatedFileFails()
    {
        const QString plain = m_dir.filePath(QStringLiteral("long.bin"));
        QVERIFY(Write(plain, MixedContent(60000, 5)));
        QVERIFY(RunTool(QStringLiteral("mscompress"), {plain}, m_dir.path()));
        const QByteArray compressed = Read(plain + QLatin1Char('_'));
        const QString truncated = m_dir.filePath(QStringLiteral("truncated.bi_"));
        Write(truncated, compressed.left(compressed.size() / 2));
        std::string error;
        QVERIFY(!SzddExpander::Expand(Std(truncated), Std(m_dir.filePath(QStringLiteral("out"))), error));
        QVERIFY(error.find("damaged") != std::string::npos);
    }
};

QTEST_GUILESS_MAIN(TestSzddExpander)
#include "TestSzddExpander.moc"
