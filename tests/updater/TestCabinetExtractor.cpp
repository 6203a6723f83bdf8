#include "UpdaterTestFiles.h"
#include "updater/CabinetExtractor.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <mspack.h>

using namespace updater;
using namespace UpdaterTestFiles;

class TestCabinetExtractor final : public QObject
{
    Q_OBJECT

private:
    // A cabinet made by gcab from a.txt and sub/b.txt (stored as "sub\b.txt").
    static QString MakeCabinet(const QTemporaryDir& dir, const QByteArray& big = MixedContent(100000, 1))
    {
        const QString input = dir.filePath(QStringLiteral("input"));
        QDir().mkpath(input + QStringLiteral("/zz"));
        Write(input + QStringLiteral("/a.txt"), "first");
        Write(input + QStringLiteral("/zz/b.bin"), big);
        const QString cabinet = dir.filePath(QStringLiteral("extra.cab"));
        if (!RunTool(QStringLiteral("gcab"),
                     {QStringLiteral("-c"), QStringLiteral("-z"), cabinet, QStringLiteral("a.txt"),
                      QStringLiteral("zz/b.bin")},
                     input))
            return {};
        return cabinet;
    }

    static void Patch(const QString& path, const QByteArray& from, const QByteArray& to)
    {
        QByteArray content = Read(path);
        content.replace(from, to);
        Write(path, content);
    }

    // A cabinet of one file "x" whose stored name is these bytes, with or without the cabinet's
    // UTF-8 mark. gcab is given a stand-in of the same length, patched afterwards: the file entry
    // is not covered by a checksum, and its attributes are the two bytes before the name.
    static QString MakeCabinetNamed(const QTemporaryDir& dir, const QByteArray& name, bool utf8)
    {
        const QString input = dir.filePath(QStringLiteral("input"));
        QDir().mkpath(input);
        const QByteArray standIn(name.size(), 'q');
        Write(input + QLatin1Char('/') + QString::fromLatin1(standIn), "x");
        const QString cabinet = dir.filePath(QStringLiteral("named.cab"));
        if (!RunTool(QStringLiteral("gcab"), {QStringLiteral("-c"), cabinet, QString::fromLatin1(standIn)},
                     input))
            return {};
        QByteArray content = Read(cabinet);
        const auto at = content.indexOf(standIn + '\0');
        if (at < 2)
            return {};
        content.replace(at, name.size(), name);
        const char mark = static_cast<char>(MSCAB_ATTRIB_UTF_NAME);
        content[at - 2] = static_cast<char>(utf8 ? (content[at - 2] | mark) : (content[at - 2] & ~mark));
        Write(cabinet, content);
        return cabinet;
    }

    // The files below folder, with their relative paths in UTF-8.
    static QStringList FilesBelow(const QString& folder)
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(folder).relativeFilePath(it.next());
        return files;
    }

private slots:
    void safeName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "a.txt"
                               << "a.txt";
        QTest::newRow("backslash makes a folder") << "sub\\b.txt"
                                                  << "sub/b.txt";
        QTest::newRow("dot parts dropped") << ".\\sub\\\\b"
                                           << "sub/b";
        QTest::newRow("parent") << "..\\evil"
                                << "";
        QTest::newRow("parent inside") << "sub/../../evil"
                                       << "";
        QTest::newRow("absolute") << "/etc/passwd"
                                  << "";
        QTest::newRow("absolute with backslash") << "\\etc"
                                                 << "";
        QTest::newRow("drive") << "C:\\x"
                               << "";
        QTest::newRow("empty") << ""
                               << "";
    }

    void safeName()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(CabinetExtractor::SafeRelativeName(name.toStdString())), expected);
    }

    // Names are written in UTF-8: unmarked ones come from code page 1252, marked ones must be
    // UTF-8 already, or the cabinet fails and nothing is written.
    void namesAreWrittenInUtf8_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("expected"); // empty: refused
        QTest::newRow("code page") << QByteArray("caf\xE9.txt") << false << QStringLiteral("caf\u00E9.txt");
        QTest::newRow("code page euro")
            << QByteArray("\x80 price") << false << QStringLiteral("\u20AC price");
        QTest::newRow("code page folder")
            << QByteArray("d\xFCr\\x.txt") << false << QStringLiteral("d\u00FCr/x.txt");
        QTest::newRow("marked UTF-8")
            << QByteArray("caf\xC3\xA9.txt") << true << QStringLiteral("caf\u00E9.txt");
        QTest::newRow("unmarked UTF-8 is code page")
            << QByteArray("caf\xC3\xA9.txt") << false << QStringLiteral("caf\u00C3\u00A9.txt");
        QTest::newRow("marked, not UTF-8") << QByteArray("caf\xE9.txt") << true << QString();
        QTest::newRow("marked, truncated sequence") << QByteArray("caf\xC3") << true << QString();
        QTest::newRow("marked, overlong slash") << QByteArray("..\xC0\xAF"
                                                              "evil")
                                                << true << QString();
        QTest::newRow("marked, surrogate") << QByteArray("\xED\xA0\x80x") << true << QString();
    }

    void namesAreWrittenInUtf8()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, utf8);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString cabinet = MakeCabinetNamed(dir, name, utf8);
        QVERIFY(!cabinet.isEmpty());
        const QString destination = dir.filePath(QStringLiteral("app"));
        QDir().mkpath(destination);
        std::string error;
        const bool extracted =
            CabinetExtractor::Extract(Std(cabinet), Std(destination + QLatin1Char('/')), error);
        QCOMPARE(extracted, !expected.isEmpty());
        QCOMPARE(FilesBelow(destination), expected.isEmpty() ? QStringList() : QStringList{expected});
        if (extracted)
            QCOMPARE(Read(destination + QLatin1Char('/') + expected), QByteArray("x"));
        else
            QVERIFY(error.find("not:") != std::string::npos);
    }

    void extractsEveryFile()
    {
        QTemporaryDir dir;
        const QByteArray big = MixedContent(100000, 1);
        const QString cabinet = MakeCabinet(dir, big);
        QVERIFY(!cabinet.isEmpty());
        const QString destination = dir.filePath(QStringLiteral("app"));
        QDir().mkpath(destination);
        Write(destination + QStringLiteral("/a.txt"), "old");
        std::string error;
        QVERIFY2(CabinetExtractor::Extract(Std(cabinet), Std(destination + QLatin1Char('/')), error),
                 error.c_str());
        QCOMPARE(Read(destination + QStringLiteral("/a.txt")), QByteArray("first"));
        QCOMPARE(Read(destination + QStringLiteral("/zz/b.bin")), big);
        // No staging folder is left behind.
        QCOMPARE(QDir(destination).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 2);
    }

    void damagedCabinetChangesNothing_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("truncated") << "truncate";
        QTest::newRow("data bytes changed") << "flip";
        QTest::newRow("name leaving the folder") << "parent";
        QTest::newRow("absolute name") << "absolute";
        QTest::newRow("not a cabinet") << "garbage";
    }

    // Whatever is wrong with a cabinet, no file of the destination changes, not even one that
    // would have come out before the damaged one.
    void damagedCabinetChangesNothing()
    {
        QFETCH(QString, damage);
        QTemporaryDir dir;
        const QString cabinet = MakeCabinet(dir);
        QVERIFY(!cabinet.isEmpty());
        QByteArray content = Read(cabinet);
        if (damage == "truncate")
            content.chop(3000);
        else if (damage == "flip")
            for (int i = content.size() - 2000; i < content.size() - 1000; ++i)
                content[i] = static_cast<char>(content[i] ^ 0x5A);
        else if (damage == "parent")
            content.replace("zz\\b.bin", "..\\b.bin");
        else if (damage == "absolute")
            content.replace("a.txt", "/a.tx");
        else
            content = "MSCF but nothing else";
        Write(cabinet, content);

        const QString destination = dir.filePath(QStringLiteral("app"));
        QDir().mkpath(destination);
        Write(destination + QStringLiteral("/a.txt"), "old");
        std::string error;
        QVERIFY(!CabinetExtractor::Extract(Std(cabinet), Std(destination + QLatin1Char('/')), error));
        QVERIFY(!error.empty());
        QCOMPARE(Read(destination + QStringLiteral("/a.txt")), QByteArray("old"));
        QVERIFY(!QFileInfo::exists(destination + QStringLiteral("/zz")));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("b.bin"))));
        QCOMPARE(QDir(destination).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 1);
    }
};

QTEST_GUILESS_MAIN(TestCabinetExtractor)
#include "TestCabinetExtractor.moc"
