#include "ReleaseRig.h"
#include "update/ReleaseInstaller.h"

#include <QTest>

using namespace ReleaseTest;

namespace {
const QByteArray kOld = "old copy";
}

class TestReleaseInstaller final : public QObject
{
    Q_OBJECT

private slots:
    // --- Release notes and agreement ---

    void readTextLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const QStringList two = {QStringLiteral("Größer"), QStringLiteral("second")};
        QTest::newRow("UTF-8 with a mark") << QByteArray("\xEF\xBB\xBFGr\xC3\xB6\xC3\x9F"
                                                         "er\r\nsecond\r\n")
                                           << two;
        QTest::newRow("UTF-16 LE") << QByteArray("\xFF\xFEG\0r\0\xF6\0\xDF\0e\0r\0\n\0s\0e\0c\0o\0n\0d\0", 28)
                                   << two;
        QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF\0G\0r\0\xF6\0\xDF\0e\0r\0\n\0s\0e\0c\0o\0n\0d", 28)
                                   << two;
        QTest::newRow("no mark, Windows-1252") << QByteArray("Gr\xF6\xDF"
                                                             "er\nsecond")
                                               << two;
        QTest::newRow("empty lines kept") << QByteArray("a\n\nb\n") << QStringList{"a", "", "b"};
    }

    void readTextLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath("notes.txt");
        QVERIFY(writeFile(path, bytes));
        QCOMPARE(ReleaseInstaller::ReadTextLines(path), lines);
    }

    void fetchNotesAndAgreement()
    {
        ReleaseRig rig;
        rig.control("[whatsnew]\nfile=@URL@notes.txt\n[eula]\nfile=@URL@gone.txt\n");
        rig.serve("notes.txt", "Faster lists\r\nFewer clicks\r\n");
        QVERIFY(rig.fetch());
        ReleaseInstaller release(*rig.engine);
        QCOMPARE(release.FetchWhatsNewText(), (QStringList{"Faster lists", "Fewer clicks"}));
        QVERIFY2(!QFile::exists(rig.path("tmp/notes.txt")), "the received notes are deleted");
        // A file the server does not have gives nothing, silently.
        QVERIFY(release.FetchAgreementText().isEmpty());
        QVERIFY(rig.desktop.messages.isEmpty());
        QVERIFY(rig.leftovers().isEmpty());
    }

    void noNotesNamedAsksForNothing()
    {
        ReleaseRig rig;
        rig.control("[update]\nunconditional=1\n");
        QVERIFY(rig.fetch());
        ReleaseInstaller release(*rig.engine);
        QVERIFY(release.FetchWhatsNewText().isEmpty());
        QVERIFY(release.FetchAgreementText().isEmpty());
        QCOMPARE(rig.requested(), QStringList{"/21214/updates/x.inf"});
    }

    // --- Actions before and after downloading ---

    void preDownloadActions()
    {
        ReleaseRig rig;
        QVERIFY(writeFile(rig.path("app/readme.txt"), "read me"));
        rig.control("[action]\nmsg=First line\\nsecond line\nhtmldlg=@URL@terms.html?from={APP}\n"
                    "runbefore={APP}/readme.txt\nshowURL=http://example.invalid/new\n"
                    "query=Install now?\\nIt takes a minute.\n");
        rig.desktop.answers.enqueue(true);
        QVERIFY(rig.fetch());
        ReleaseInstaller release(*rig.engine);
        QVERIFY(release.RunPreDownloadActions());
        QCOMPARE(rig.desktop.messages, QStringList{"First line\nsecond line"});
        QCOMPARE(rig.desktop.htmlDialogs, QStringList{rig.url("terms.html?from=") + rig.path("app") + "/."});
        QCOMPARE(rig.desktop.openedDocuments,
                 (QStringList{rig.path("app") + "/./readme.txt", "http://example.invalid/new"}));
        QCOMPARE(rig.desktop.questions.size(), 1);
        QCOMPARE(rig.desktop.questions[0].text, QString("Install now?\nIt takes a minute."));
        QCOMPARE(rig.desktop.questions[0].title, QString("Vorlix Pro"));
    }

    void queryAnsweredNoEndsTheUpdate()
    {
        ReleaseRig rig;
        rig.control("[application]\nappupdate=1\nappname=vorlix-pro\n[action]\nquery=Go on?\n");
        QVERIFY(rig.fetch());
        QVERIFY(rig.engine->AppUpdate);
        rig.desktop.answers.enqueue(false);
        QVERIFY(!ReleaseInstaller(*rig.engine).RunPreDownloadActions());
        QVERIFY(!rig.engine->AppUpdate);
    }

    void noActionsGoOnQuietly()
    {
        ReleaseRig rig;
        rig.control("[update]\nunconditional=1\n");
        QVERIFY(rig.fetch());
        ReleaseInstaller release(*rig.engine);
        QVERIFY(release.RunPreDownloadActions());
        QVERIFY(release.RunPostDownloadActions());
        QVERIFY(rig.desktop.messages.isEmpty() && rig.desktop.questions.isEmpty() &&
                rig.desktop.openedDocuments.isEmpty());
    }

    void commandsStartProgramsAndOpenDocuments()
    {
        ReleaseRig rig;
        const QString script = rig.path("app/after.sh");
        QVERIFY(writeFile(script, "#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\n"));
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        rig.control("[action]\nrunafter={APP}/after.sh\n");
        QVERIFY(rig.fetch());
        ReleaseInstaller release(*rig.engine);

        rig.engine->Cancelled = true;
        QVERIFY(!release.RunPostDownloadActions());
        rig.engine->Cancelled = false;
        QVERIFY(release.RunPostDownloadActions());
        // The program runs on its own; it is started, not opened as a document.
        QTRY_VERIFY(QFile::exists(rig.path("app/ran")));
        QVERIFY(rig.desktop.openedDocuments.isEmpty());
    }

    // A command with parameters is split as the updater splits its command line; the program
    // starts with them, and the parameters reach it as written.
    void commandsWithParametersStartTheProgram_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("arguments");
        QTest::newRow("one parameter") << "setup.sh"
                                       << "{APP}/setup.sh /S" << QByteArray("/S|\n");
        QTest::newRow("quoted parameter")
            << "setup.sh"
            << "{APP}/setup.sh /S \"two words\"" << QByteArray("/S|two words|\n");
        QTest::newRow("quoted program with a blank") << "my setup.sh"
                                                     << "\"{APP}/my setup.sh\" /D=x" << QByteArray("/D=x|\n");
        QTest::newRow("program with a blank, named whole") << "my setup.sh"
                                                           << "{APP}/my setup.sh" << QByteArray("\n");
    }
    void commandsWithParametersStartTheProgram()
    {
        QFETCH(QString, script);
        QFETCH(QString, command);
        QFETCH(QByteArray, arguments);
        ReleaseRig rig;
        const QString path = rig.path("app/" + script);
        QVERIFY(writeFile(
            path,
            "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > \"$0.out\"\necho >> \"$0.out\"\n"));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        rig.control("[action]\nrunbefore=" + command + "\n");
        QVERIFY(rig.fetch());
        QVERIFY(ReleaseInstaller(*rig.engine).RunPreDownloadActions());
        QTRY_COMPARE(readAll(path + ".out"), arguments);
        QVERIFY(rig.desktop.openedDocuments.isEmpty());
        QVERIFY(rig.desktop.messages.isEmpty());
    }

    void commandsThatCannotStartAreLoggedAndShown_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("message");
        QTest::newRow("program not found") << "no-such-program-here /S" << true
                                           << "Unable to start \"no-such-program-here /S\": the program "
                                              "\"no-such-program-here\" was not found.";
        QTest::newRow("document without a handler")
            << "notes.xyz" << false << "Unable to open \"notes.xyz\".";
    }
    void commandsThatCannotStartAreLoggedAndShown()
    {
        QFETCH(QString, command);
        QFETCH(bool, opens);
        QFETCH(QString, message);
        ReleaseRig rig;
        rig.desktop.openDocumentResult = opens;
        rig.control("[action]\nrunafter=" + command + "\n");
        QVERIFY(rig.fetch());
        QVERIFY(ReleaseInstaller(*rig.engine).RunPostDownloadActions());
        QCOMPARE(rig.desktop.messages, QStringList{message});
        QVERIFY(readAll(rig.engine->LogFilePath()).contains(message.toUtf8()));
    }

    // --- Downloading the release ---

    void filesGoWhereTheyBelong()
    {
        ReleaseRig rig;
        const QString deep = rig.path("app/docs/new/deeper");
        QDir().mkpath(rig.path("app/plugins"));
        QVERIFY(writeFile(rig.path("app/plugins/readme.txt"), kOld));
        rig.control("[application]\nappupdate=1\nappname=vorlix-pro\nappcomps=vorlix-pro data.exe\n"
                    "[files]\ncount=5\n"
                    "[file1]\nurl=@URL@readme.txt\ntargetdir={APP}/plugins\n"
                    "[file2]\nurl=@URL@guide.txt\ntargetdir={APP}/docs/new/deeper\n"
                    "[file3]\nurl=@URL@vorlix-pro\ntargetdir={APP}\n"
                    "[file4]\nurl=@URL@setup.cab\ntargetdir={APP}\n"
                    "[file5]\nurl=@URL@a.exe\ntargetdir={APP}\n");
        for (const char* name : {"readme.txt", "guide.txt", "vorlix-pro", "setup.cab", "a.exe"})
            rig.serve(name, QByteArray("new ") + name);
        QVERIFY(rig.fetch());
        QCOMPARE(rig.engine->LoadFileList(), 5);
        ReleaseInstaller release(*rig.engine);

        QVERIFY(release.DownloadFileList());
        QCOMPARE(readAll(rig.path("app/plugins/readme.txt")), QByteArray("new readme.txt"));
        QVERIFY2(QFileInfo(deep).isDir(), "a missing target folder is made with its parents");
        QCOMPARE(readAll(deep + "/guide.txt"), QByteArray("new guide.txt"));
        // Components (a.exe too: its name occurs in "data.exe") and cabinets wait for the updater.
        for (const char* name : {"vorlix-pro", "setup.cab", "a.exe"}) {
            QCOMPARE(readAll(rig.path("tmp/") + name), QByteArray("new ") + name);
            QVERIFY(!QFile::exists(rig.path("app/") + name));
        }
        QVERIFY(rig.engine->ComponentDownloaded);
        QVERIFY(rig.engine->AppUpdate);
        QVERIFY(rig.engine->RestartNeeded());
        QCOMPARE(rig.engine->FileList.DownloadIndex, 4);
    }

    void aFileThatIsNotTheOneDescribedIsNotPutInPlace_data()
    {
        QTest::addColumn<QString>("check");
        QTest::addColumn<bool>("placed");
        const QByteArray body = "new readme.txt";
        QTest::newRow("size matches") << QString("newsize=%1").arg(body.size()) << true;
        QTest::newRow("size differs") << QString("newsize=%1").arg(body.size() + 1) << false;
        QTest::newRow("checksum matches") << QString("newchecksum=%1").arg(byteSum(body)) << true;
        QTest::newRow("checksum differs") << QString("newchecksum=%1").arg(byteSum(body) + 1) << false;
        QTest::newRow("checksum differs, size matches")
            << QString("newsize=%1\nnewchecksum=%2").arg(body.size()).arg(byteSum(body) + 1) << false;
        QTest::newRow("neither given") << QString() << true;
    }

    void aFileThatIsNotTheOneDescribedIsNotPutInPlace()
    {
        QFETCH(QString, check);
        QFETCH(bool, placed);
        ReleaseRig rig;
        QVERIFY(writeFile(rig.path("app/readme.txt"), kOld));
        rig.control("[application]\nappupdate=1\nappname=x\n[files]\ncount=2\n"
                    "[file1]\nurl=@URL@readme.txt\ntargetdir={APP}\n" +
                    check +
                    "\n"
                    "[file2]\nurl=@URL@guide.txt\ntargetdir={APP}\n");
        rig.serve("readme.txt", "new readme.txt");
        rig.serve("guide.txt", "new guide.txt");
        QVERIFY(rig.fetch());
        rig.engine->LoadFileList();
        ReleaseInstaller release(*rig.engine);

        QCOMPARE(release.DownloadFileList(), placed);
        QCOMPARE(readAll(rig.path("app/readme.txt")), placed ? QByteArray("new readme.txt") : kOld);
        QCOMPARE(rig.engine->AppUpdate, placed);
        QVERIFY2(!QFile::exists(rig.path("tmp/readme.txt")), "a rejected file is not left for the updater");
        QCOMPARE(readAll(rig.path("app/guide.txt")), QByteArray("new guide.txt"));
    }

    void aFailedFileFailsTheListAndTheRestFollows()
    {
        ReleaseRig rig;
        QVERIFY(writeFile(rig.path("app/gone.txt"), kOld));
        rig.control("[application]\nappupdate=1\nappname=x\n[files]\ncount=2\n"
                    "[file1]\nurl=@URL@gone.txt\ntargetdir={APP}\n"
                    "[file2]\nurl=@URL@guide.txt\ntargetdir={APP}\n");
        rig.serve("guide.txt", "new guide.txt");
        QVERIFY(rig.fetch());
        rig.engine->LoadFileList();
        QVERIFY(!ReleaseInstaller(*rig.engine).DownloadFileList());
        QVERIFY(!rig.engine->AppUpdate);
        QCOMPARE(readAll(rig.path("app/gone.txt")), kOld);
        QCOMPARE(readAll(rig.path("app/guide.txt")), QByteArray("new guide.txt"));
        QVERIFY(rig.leftovers().isEmpty());
    }

    void aFileThatCannotBePutInPlaceFails()
    {
        ReleaseRig rig;
        // The target is a folder where the file should go: it cannot be replaced by a file.
        QDir().mkpath(rig.path("app/readme.txt/inside"));
        rig.control("[files]\ncount=1\n[file1]\nurl=@URL@readme.txt\ntargetdir={APP}\n");
        rig.serve("readme.txt", "new readme.txt");
        QVERIFY(rig.fetch());
        rig.engine->LoadFileList();
        QVERIFY(!ReleaseInstaller(*rig.engine).DownloadFileList());
        QVERIFY(QFileInfo(rig.path("app/readme.txt")).isDir());
        QVERIFY(readAll(rig.path("docs/WUPDATE.LOG")).startsWith("Unable to delete file "));
    }
};

QTEST_GUILESS_MAIN(TestReleaseInstaller)
#include "TestReleaseInstaller.moc"
