#include "TestPaths.h"
#include "UpdaterTestFiles.h"
#include "updater/SzddCompressor.h"
#include "updater/SzddExpander.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace updater;
using namespace UpdaterTestFiles;

class TestSzddCompressor final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString compressToFile(const QByteArray& data, const QString& name)
    {
        const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                     static_cast<std::size_t>(data.size()));
        const std::vector<std::uint8_t> compressed = SzddCompressor::Compress(bytes, 'e');
        const QString path = m_dir.filePath(name);
        Write(path, QByteArray(reinterpret_cast<const char*>(compressed.data()),
                               static_cast<int>(compressed.size())));
        return path;
    }

private slots:
    void header()
    {
        const QString path = compressToFile(QByteArray(70000, 'x'), QStringLiteral("h.ex_"));
        const QByteArray file = Read(path);
        QCOMPARE(file.left(10), QByteArray("SZDD\x88\xF0\x27\x33"
                                           "Ae"));
        QCOMPARE(file.mid(10, 4), QByteArray("\x70\x11\x01\x00", 4)); // 70000 little endian
        QVERIFY(file.size() < 70000 / 8);
        const auto header = SzddExpander::ReadHeader(Std(path));
        QVERIFY(header);
        QCOMPARE(header->length, 70000u);
        QCOMPARE(header->missingChar, 'e');
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("a small real executable") << Read(QStringLiteral("/bin/true"));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one byte") << QByteArray("Z");
        QTest::newRow("one blank") << QByteArray(" ");
        QTest::newRow("all blanks, longer than the window") << QByteArray(10000, ' ');
        QTest::newRow("blanks then text")
            << QByteArray(30, ' ') + QByteArray("abcabcabcabc") + QByteArray(5000, ' ');
        QTest::newRow("one repeated byte") << QByteArray(9000, '\0');
        QTest::newRow("period of the window")
            << QByteArray(4096, 'a') + QByteArray(4096, 'b') + QByteArray(4096, 'a');
        QTest::newRow("mixed") << MixedContent(200000, 7);
        QByteArray random(100000, '\0');
        unsigned state = 99;
        for (char& byte : random) {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<char>(state >> 24);
        }
        QTest::newRow("random") << random;
        QTest::newRow("the updater") << Read(QString::fromUtf8(TestPaths::kUpdater));
    }

    // Every shape must come back byte for byte through libmspack and through msexpand.
    void roundTrip()
    {
        QFETCH(QByteArray, data);
        QVERIFY(data != "<missing>");
        const QString compressed = compressToFile(data, QStringLiteral("r.ex_"));

        const QString expanded = m_dir.filePath(QStringLiteral("r.exe"));
        std::string error;
        QVERIFY2(SzddExpander::Expand(Std(compressed), Std(expanded), error), error.c_str());
        QCOMPARE(Read(expanded), data);

        // msexpand writes byte by byte: seconds per megabyte.
        if (data.size() > 1000000)
            return;
        QProcess msexpand;
        msexpand.setStandardInputFile(compressed);
        msexpand.start(QStringLiteral("msexpand"), {});
        QVERIFY(msexpand.waitForFinished(30000));
        QCOMPARE(msexpand.exitCode(), 0);
        QCOMPARE(msexpand.readAllStandardOutput(), data);
    }

    void compressFileErrors()
    {
        std::string error;
        QVERIFY(!SzddCompressor::CompressFile(Std(m_dir.filePath(QStringLiteral("missing"))),
                                              Std(m_dir.filePath(QStringLiteral("out"))), 'e', error));
        QVERIFY(!error.empty());
        Write(m_dir.filePath(QStringLiteral("in")), "data");
        QVERIFY(!SzddCompressor::CompressFile(Std(m_dir.filePath(QStringLiteral("in"))),
                                              Std(m_dir.filePath(QStringLiteral("no/such/folder/out"))), 'e',
                                              error));
    }

    // The build tool restores the name's last character: wusetup.ex_ expands to wusetup.exe.
    void toolMakesTheEmbeddedForm()
    {
        const QString input = m_dir.filePath(QStringLiteral("tool-in"));
        Write(input, MixedContent(5000, 3));
        const QString output = m_dir.filePath(QStringLiteral("wusetup.ex_"));
        QVERIFY(RunTool(QString::fromUtf8(TestPaths::kBuildDir) + QStringLiteral("/vorlix-szdd"),
                        {input, output, QStringLiteral("wusetup.exe")}, m_dir.path()));
        const auto header = SzddExpander::ReadHeader(Std(output));
        QVERIFY(header);
        QCOMPARE(SzddExpander::ExpandedName("wusetup.ex_", header->missingChar), std::string("wusetup.exe"));
        QVERIFY(!RunTool(QString::fromUtf8(TestPaths::kBuildDir) + QStringLiteral("/vorlix-szdd"), {input},
                         m_dir.path()));
    }
};

QTEST_GUILESS_MAIN(TestSzddCompressor)
#include "TestSzddCompressor.moc"
