#include "UpdaterTestFiles.h"
#include "mock/FileSizeLimit.h"
#include "updater/ComponentInstaller.h"
#include "updater/SzddCompressor.h"
#include "updater/UpdaterOs.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace updater;
using namespace UpdaterTestFiles;

class TestComponentInstaller final : public QObject
{
    Q_OBJECT

private:
    // S = src/, D = app/ (also the current folder), TMP = tmp/, log in log.txt.
    struct Fixture
    {
        QTemporaryDir dir;
        QString source = dir.filePath(QStringLiteral("src")) + QLatin1Char('/');
        QString app = dir.filePath(QStringLiteral("app")) + QLatin1Char('/');
        QString temp = dir.filePath(QStringLiteral("tmp"));
        UpdaterLog log{Std(dir.filePath(QStringLiteral("log.txt"))), true};
        QList<int> sleeps;

        Fixture()
        {
            QDir().mkpath(source);
            QDir().mkpath(app);
            QDir().mkpath(temp);
        }

        void process(const QString& name)
        {
            FolderMacros folders;
            folders.current = Std(app.chopped(1));
            folders.temp = Std(temp);
            ComponentInstaller installer(log, folders, UpdaterOs::RunAndWait,
                                         [this](int ms) { sleeps << ms; });
            installer.Process(name.toStdString(), Std(source), Std(app));
        }

        // The log's messages without their time stamps.
        QStringList logLines() const
        {
            QStringList lines;
            const QString text = QString::fromUtf8(Read(dir.filePath(QStringLiteral("log.txt"))));
            static const QRegularExpression stamp(
                QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d : \\[000\\] "));
            for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                const auto match = stamp.match(line);
                lines << (match.hasMatch() ? line.mid(match.capturedLength())
                                           : QStringLiteral("BAD: ") + line);
            }
            return lines;
        }

        // Files in app/, hidden ones included, so that a left-over temporary file shows.
        QStringList appEntries() const
        {
            return QDir(app).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        }
    };

    static QByteArray Compressed(const QByteArray& data, char missing)
    {
        const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                     static_cast<std::size_t>(data.size()));
        const auto result = SzddCompressor::Compress(bytes, missing);
        return QByteArray(reinterpret_cast<const char*>(result.data()), static_cast<int>(result.size()));
    }

    static QString MakeCabinet(const Fixture& f, const QString& name)
    {
        const QString input = f.dir.filePath(QStringLiteral("cabinput"));
        QDir().mkpath(input + QStringLiteral("/docs"));
        Write(input + QStringLiteral("/a.txt"), "from cabinet");
        Write(input + QStringLiteral("/docs/b.txt"), MixedContent(50000, 2));
        RunTool(QStringLiteral("gcab"),
                {QStringLiteral("-c"), QStringLiteral("-z"), f.source + name, QStringLiteral("a.txt"),
                 QStringLiteral("docs/b.txt")},
                input);
        return f.source + name;
    }

private slots:
    void newFileInAnyLetterCase_data()
    {
        QTest::addColumn<QString>("component");
        QTest::newRow("upper") << "readme.txt_NEW";
        QTest::newRow("lower") << "readme.txt_new";
        QTest::newRow("mixed") << "readme.txt_New";
    }

    void newFileInAnyLetterCase()
    {
        QFETCH(QString, component);
        Fixture f;
        Write(f.source + QStringLiteral("readme.txt_NEW"), "new text");
        Write(f.app + QStringLiteral("readme.txt"), "old text");
        f.process(component);
        QCOMPARE(Read(f.app + QStringLiteral("readme.txt")), QByteArray("new text"));
        QCOMPARE(
            f.logLines(),
            QStringList{
                QStringLiteral("Upd copying file : %1readme.txt_NEW to %2readme.txt").arg(f.source, f.app)});
        QCOMPARE(f.appEntries(), QStringList{"readme.txt"});
    }

    // Only a final, first "_NEW" makes the copy rule; x_NEW_NEW is an ordinary file.
    void secondNewSuffixIsAnOrdinaryName()
    {
        Fixture f;
        Write(f.source + QStringLiteral("x_NEW_NEW"), "plain");
        Write(f.source + QStringLiteral("x_NEW"), "not this");
        f.process(QStringLiteral("x_NEW_NEW"));
        QCOMPARE(f.appEntries(), QStringList{"x_NEW_NEW"});
    }

    void missingComponentIsPassedOver_data()
    {
        QTest::addColumn<QString>("component");
        QTest::newRow("new") << "app_NEW";
        QTest::newRow("information file") << "more.inf";
        QTest::newRow("cabinet") << "EXTRA.CAB";
        QTest::newRow("program") << "SETUP.EXE";
        QTest::newRow("plain") << "app";
        QTest::newRow("empty name") << "";
    }

    void missingComponentIsPassedOver()
    {
        QFETCH(QString, component);
        Fixture f;
        Write(f.app + QStringLiteral("app"), "current program");
        f.process(component);
        QCOMPARE(f.appEntries(), QStringList{"app"});
        QCOMPARE(Read(f.app + QStringLiteral("app")), QByteArray("current program"));
        QVERIFY(f.sleeps.isEmpty());
    }

    // A plain component replaces the application's file; the program stays executable although
    // the download is not.
    void plainFileReplacesKeepingExecutableBit()
    {
        Fixture f;
        Write(f.source + QStringLiteral("app"), "#!/bin/sh\necho new\n");
        QFile::setPermissions(f.source + QStringLiteral("app"), QFile::ReadOwner | QFile::WriteOwner);
        Write(f.app + QStringLiteral("app"), "old");
        QVERIFY(UpdaterOs::SetFileMode(Std(f.app + QStringLiteral("app")), 0755));
        f.process(QStringLiteral("app"));
        QCOMPARE(Read(f.app + QStringLiteral("app")), QByteArray("#!/bin/sh\necho new\n"));
        QCOMPARE(UpdaterOs::FileMode(Std(f.app + QStringLiteral("app"))).value_or(0), 0755u);
        QVERIFY(QFileInfo::exists(f.source + QStringLiteral("app"))); // copies stay in the temp folder
        QCOMPARE(f.logLines(), (QStringList{QStringLiteral("Upd lzexpand app %1").arg(f.app),
                                            QStringLiteral("Upd lzexpand dest. filename app")}));
    }

    void compressedFileArrivesUnderItsRestoredName()
    {
        Fixture f;
        const QByteArray library = MixedContent(30000, 9);
        Write(f.source + QStringLiteral("data.dl_"), Compressed(library, 'l'));
        f.process(QStringLiteral("data.dl_"));
        QCOMPARE(Read(f.app + QStringLiteral("data.dll")), library);
        QCOMPARE(f.logLines().last(), QStringLiteral("Upd lzexpand dest. filename data.dll"));
        QCOMPARE(f.appEntries(), QStringList{"data.dll"});
    }

    // A header whose restored character is a separator, or makes "..", is refused before
    // anything is created: no folder named after the rest of the name is left behind.
    void unusableRestoredNameCreatesNothing_data()
    {
        QTest::addColumn<QString>("component");
        QTest::addColumn<char>("missing");
        QTest::newRow("slash") << "app.ex_" << '/';
        QTest::newRow("backslash") << "app.ex_" << '\\';
        QTest::newRow("nul without underscore to drop") << "_" << '\0';
        QTest::newRow("dot dot") << "._" << '.';
    }

    void unusableRestoredNameCreatesNothing()
    {
        QFETCH(QString, component);
        QFETCH(char, missing);
        Fixture f;
        Write(f.source + component, Compressed("payload", missing));
        f.process(component);
        QCOMPARE(f.appEntries(), QStringList());
        QVERIFY(QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size() == 4);
        const QStringList lines = f.logLines();
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(1), QStringLiteral("Upd lzexpand failed"));
        QCOMPARE(
            lines.at(2),
            QStringLiteral("Upd reason : the SZDD header of %1 restores no usable file name").arg(component));
    }

    // The mended fault: a truncated compressed component leaves the old file whole.
    void truncatedCompressedFileLeavesOldFile()
    {
        Fixture f;
        const QByteArray compressed = Compressed(MixedContent(30000, 4), 'l');
        Write(f.source + QStringLiteral("data.dl_"), compressed.left(compressed.size() / 3));
        Write(f.app + QStringLiteral("data.dll"), "old library");
        f.process(QStringLiteral("data.dl_"));
        QCOMPARE(Read(f.app + QStringLiteral("data.dll")), QByteArray("old library"));
        QCOMPARE(f.appEntries(), QStringList{"data.dll"});
        QVERIFY(f.logLines().contains(QStringLiteral("Upd lzexpand failed")));
    }

    // Each file goes straight into its target: the application folder's file of the same name
    // stays as it is, and the macro expands.
    void informationFileDistributesItsFiles()
    {
        Fixture f;
        Write(f.source + QStringLiteral("more.inf"), "[Files]\r\nCount=2\r\nFILE1=one.txt\r\nTARGET1={APP}/"
                                                     "sub\r\nfile2=two.da_\r\ntarget2={tmp}/fonts/\r\n");
        Write(f.source + QStringLiteral("one.txt"), "one");
        Write(f.source + QStringLiteral("two.da_"), Compressed("two", 't'));
        Write(f.app + QStringLiteral("two.dat"), "application's own two.dat");
        f.process(QStringLiteral("more.inf"));
        QCOMPARE(Read(f.app + QStringLiteral("sub/one.txt")), QByteArray("one"));
        QCOMPARE(Read(f.temp + QStringLiteral("/fonts/two.dat")), QByteArray("two"));
        QCOMPARE(Read(f.app + QStringLiteral("two.dat")), QByteArray("application's own two.dat"));
        const QString fonts = f.temp + QStringLiteral("/./fonts/");
        QCOMPARE(f.logLines(), (QStringList{
                                   QStringLiteral("Upd inf file: %1more.inf").arg(f.source),
                                   QStringLiteral("upd inf 1 : one.txt {APP}/sub"),
                                   QStringLiteral("Upd lzexpand one.txt %1./sub/").arg(f.app),
                                   QStringLiteral("Upd lzexpand dest. filename one.txt"),
                                   QStringLiteral("upd inf 2 : two.da_ {tmp}/fonts/"),
                                   QStringLiteral("Upd lzexpand two.da_ %1").arg(fonts),
                                   QStringLiteral("Upd lzexpand dest. filename two.dat"),
                               }));
    }

    void informationFileNamingItselfEnds()
    {
        Fixture f;
        Write(f.source + QStringLiteral("loop.inf"), "[FILES]\nCOUNT=1\nFILE1=loop.inf\nTARGET1={APP}\n");
        f.process(QStringLiteral("loop.inf"));
        QCOMPARE(f.logLines().size(), 4);
    }

    // COUNT is bounded as the engine bounds its own file list: a count beyond it fails the
    // information file at once instead of looping for hours (and logging every turn).
    void informationFileCount_data()
    {
        QTest::addColumn<QByteArray>("count");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("hex") << QByteArray("$1") << true;
        QTest::newRow("at the limit") << QByteArray("10000") << true;
        QTest::newRow("one beyond the limit") << QByteArray("10001") << false;
        QTest::newRow("largest int") << QByteArray("2147483647") << false;
        QTest::newRow("beyond 64 bits") << QByteArray("99999999999999999999") << false;
        QTest::newRow("negative") << QByteArray("-1") << false;
        QTest::newRow("no number") << QByteArray("many") << false;
    }

    void informationFileCount()
    {
        QFETCH(QByteArray, count);
        QFETCH(bool, accepted);
        Fixture f;
        Write(f.source + QStringLiteral("more.inf"),
              "[FILES]\nCOUNT=" + count + "\nFILE1=one.txt\nTARGET1={APP}\n");
        Write(f.source + QStringLiteral("one.txt"), "one");
        f.process(QStringLiteral("more.inf"));
        if (accepted) {
            QCOMPARE(Read(f.app + QStringLiteral("one.txt")), QByteArray("one"));
            return;
        }
        QVERIFY(f.appEntries().isEmpty());
        const QStringList lines = f.logLines();
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(1), QStringLiteral("Upd inf file failed"));
        QVERIFY2(lines.at(2).startsWith(QStringLiteral("Upd reason : COUNT ") + QString::fromLatin1(count) +
                                        QStringLiteral(" is not ")),
                 qPrintable(lines.at(2)));
    }

    // A destination the updater cannot write (here something of that name is in the way; without
    // rights it goes the same way) is logged and nothing in the application's folder changes.
    void unwritableDestinationIsLogged_data()
    {
        QTest::addColumn<QString>("component");
        QTest::addColumn<QString>("inTheWay");
        QTest::addColumn<bool>("inTheWayIsFolder");
        QTest::addColumn<QString>("logLine"); // %1 the source folder, %2 the application's
        QTest::newRow("new file over a folder")
            << "readme.txt_NEW"
            << "readme.txt" << true << "Upd copy error %1readme.txt_NEW to %2readme.txt";
        QTest::newRow("plain file over a folder") << "data.dll"
                                                  << "data.dll" << true << "Upd lzexpand failed";
        QTest::newRow("target folder that is a file") << "t.inf"
                                                      << "blocker" << false << "Upd lzexpand failed";
    }

    void unwritableDestinationIsLogged()
    {
        QFETCH(QString, component);
        QFETCH(QString, inTheWay);
        QFETCH(bool, inTheWayIsFolder);
        QFETCH(QString, logLine);
        Fixture f;
        const QString blocked = f.app + inTheWay;
        if (inTheWayIsFolder)
            QVERIFY(QDir().mkpath(blocked + QStringLiteral("/inside")));
        else
            Write(blocked, "a file where a folder should be");
        Write(f.source + QStringLiteral("t.inf"), "[FILES]\nCOUNT=1\nFILE1=one.txt\nTARGET1={APP}/blocker\n");
        Write(f.source + QStringLiteral("one.txt"), "one");
        Write(f.source + QStringLiteral("readme.txt_NEW"), "new text");
        Write(f.source + QStringLiteral("data.dll"), "new library");
        f.process(component);
        const QString expected = logLine.contains(QLatin1Char('%')) ? logLine.arg(f.source, f.app) : logLine;
        QVERIFY2(f.logLines().contains(expected), qPrintable(f.logLines().join(QLatin1Char('\n'))));
        QCOMPARE(f.appEntries(), QStringList{inTheWay});
        QCOMPARE(QFileInfo(blocked).isDir(), inTheWayIsFolder);
        if (inTheWayIsFolder)
            QVERIFY(QFileInfo::exists(blocked + QStringLiteral("/inside")));
    }

    // A full disk, here a file size limit, fails the replacement with the system's reason in the
    // log; the old file stays whole and no temporary file is left beside it.
    void fullDiskLeavesOldFile_data()
    {
        QTest::addColumn<QString>("component");
        QTest::addColumn<QString>("failure"); // %1 the source folder, %2 the application's
        QTest::newRow("new file") << "big.bin_NEW"
                                  << "Upd copy error %1big.bin_NEW to %2big.bin";
        QTest::newRow("plain file") << "big.bin"
                                    << "Upd lzexpand failed";
        QTest::newRow("compressed file") << "big.bi_"
                                         << "Upd lzexpand failed";
        QTest::newRow("cabinet") << "BIG.CAB"
                                 << "Upd cabextract failed";
    }

    void fullDiskLeavesOldFile()
    {
        QFETCH(QString, component);
        QFETCH(QString, failure);
        Fixture f;
        const QByteArray content = MixedContent(300000, 3);
        Write(f.source + QStringLiteral("big.bin_NEW"), content);
        Write(f.source + QStringLiteral("big.bin"), content);
        Write(f.source + QStringLiteral("big.bi_"), Compressed(content, 'n'));
        QVERIFY(RunTool(QStringLiteral("gcab"),
                        {QStringLiteral("-c"), QStringLiteral("-z"), QStringLiteral("BIG.CAB"),
                         QStringLiteral("big.bin")},
                        f.source));
        Write(f.app + QStringLiteral("big.bin"), "old");

        QVERIFY(reportFromChild([&] {
            const FileSizeLimit limit(100000);
            f.process(component);
            return QByteArray();
        }));

        QCOMPARE(Read(f.app + QStringLiteral("big.bin")), QByteArray("old"));
        QCOMPARE(f.appEntries(), QStringList{"big.bin"});
        const QStringList lines = f.logLines();
        QVERIFY2(lines.contains(failure.contains(QLatin1Char('%')) ? failure.arg(f.source, f.app) : failure),
                 qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY2(lines.last().startsWith(QStringLiteral("Upd reason : ")) &&
                     lines.last().endsWith(QString::fromLocal8Bit(std::strerror(EFBIG))),
                 qPrintable(lines.last()));
    }

    void cabinetIsExtractedAndDeleted()
    {
        Fixture f;
        const QString cabinet = MakeCabinet(f, QStringLiteral("EXTRA.CAB"));
        Write(f.app + QStringLiteral("a.txt"), "old");
        f.process(QStringLiteral("EXTRA.CAB"));
        QCOMPARE(Read(f.app + QStringLiteral("a.txt")), QByteArray("from cabinet"));
        QCOMPARE(Read(f.app + QStringLiteral("docs/b.txt")), MixedContent(50000, 2));
        QVERIFY(!QFileInfo::exists(cabinet));
        QCOMPARE(f.logLines(), QStringList{QStringLiteral("Upd cab extract EXTRA.CAB %1").arg(f.app)});
    }

    void corruptCabinetLeavesOldFilesAndStays()
    {
        Fixture f;
        const QString cabinet = MakeCabinet(f, QStringLiteral("EXTRA.CAB"));
        QByteArray content = Read(cabinet);
        Write(cabinet, content.left(content.size() - 500));
        Write(f.app + QStringLiteral("a.txt"), "old");
        f.process(QStringLiteral("EXTRA.CAB"));
        QCOMPARE(Read(f.app + QStringLiteral("a.txt")), QByteArray("old"));
        QCOMPARE(f.appEntries(), QStringList{"a.txt"});
        QVERIFY(QFileInfo::exists(cabinet));
        QCOMPARE(f.logLines().at(1), QStringLiteral("Upd cabextract failed"));
    }

    // The ".EXE" rule runs the program, waits for it, pauses and deletes it.
    void programIsRunAndDeleted()
    {
        Fixture f;
        const QString marker = f.dir.filePath(QStringLiteral("ran"));
        Write(f.source + QStringLiteral("SETUP.EXE"),
              QStringLiteral("#!/bin/sh\nsleep 0.2\necho done > '%1'\n").arg(marker).toUtf8());
        f.process(QStringLiteral("SETUP.EXE"));
        QCOMPARE(Read(marker), QByteArray("done\n"));
        QVERIFY(!QFileInfo::exists(f.source + QStringLiteral("SETUP.EXE")));
        QCOMPARE(f.sleeps, QList<int>{500});
        QCOMPARE(f.logLines(), QStringList{QStringLiteral("Upd execute SETUP.EXE %1").arg(f.app)});
    }

    void programThatCannotRunStays()
    {
        Fixture f;
        Write(f.source + QStringLiteral("WIN.EXE"), "MZ not for this system");
        f.process(QStringLiteral("WIN.EXE"));
        QVERIFY(QFileInfo::exists(f.source + QStringLiteral("WIN.EXE")));
        QVERIFY(f.logLines().contains(QStringLiteral("Upd execute failed")));
    }

    void patchIsSkipped()
    {
        Fixture f;
        Write(f.source + QStringLiteral("fix.PAT"), "patch");
        f.process(QStringLiteral("fix.PAT"));
        QVERIFY(f.appEntries().isEmpty());
        QCOMPARE(f.logLines(), QStringList{"Upd patch fix.PAT skipped : patch components are not supported"});
    }

    // The handoff's own example replaces app.exe: only the upper-case extensions run or unpack.
    void lowerCaseExtensionsAreOrdinaryFiles()
    {
        Fixture f;
        Write(f.source + QStringLiteral("app.exe"), "new app");
        f.process(QStringLiteral("app.exe"));
        QCOMPARE(Read(f.app + QStringLiteral("app.exe")), QByteArray("new app"));
        QVERIFY(f.sleeps.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestComponentInstaller)
#include "TestComponentInstaller.moc"
