#include "ReleaseRig.h"
#include "mock/FakeWizardView.h"
#include "mock/VersionedFile.h"
#include "update/UpdateWizardController.h"
#include "update/UpdateWizardLauncher.h"

#include <QLocale>
#include <QTest>

using namespace ReleaseTest;
using namespace WizardControls;

namespace {
using Step = FakeWizardView::Step;

Step click(const QString& control)
{
    return [control](FakeWizardView& view) { view.click(control); };
}

Step untick(int item)
{
    return [item](FakeWizardView& view) { view.tick(item, false); };
}

const QString kNoFiles = QStringLiteral("No files found for update");
const QString kFailed = QStringLiteral("Failed to download updates");

/// A release of three files, the second mandatory and the third hidden, each going to its own folder.
const QString kThreeFiles =
    QStringLiteral("[files]\ncount=3\n"
                   "[file1]\nurl=@URL@readme.txt\ndescr=Read me\ntargetdir={APP}/doc\n"
                   "filesize=1000\n"
                   "[file2]\nurl=@URL@lists.dat\ndescr=Carnival lists\n"
                   "targetdir={APP}/data\nmandatory=1\nfilesize=3000\n"
                   "[file3]\nurl=@URL@fix.dat\ndescr=Quiet fix\ntargetdir={APP}/fix\n"
                   "hidden=1\nfilesize=6000\n");

/// The engine, the wizard component over a fake dialog, and the user's steps for the next run.
struct WizardRig : ReleaseRig
{
    UpdateWizardLauncher wizard{*engine, [this](UpdateWizardController& logic) {
                                    view = std::make_shared<FakeWizardView>(logic);
                                    view->steps = steps;
                                    return view;
                                }};
    std::shared_ptr<FakeWizardView> view;
    QQueue<Step> steps;

    WizardRig()
    {
        QVERIFY(WriteVersionedFile(path("app/vorlix-pro"), {3, 2, 0, 28}));
        serve("readme.txt", QByteArray(1000, 'r'));
        serve("lists.dat", QByteArray(3000, 'l'));
        serve("fix.dat", QByteArray(6000, 'f'));
    }

    void run(std::initializer_list<Step> userSteps)
    {
        steps = QQueue<Step>(userSteps);
        wizard.showUpdateWizard();
    }

    bool placed(const QString& name) const { return QFile::exists(path("app/") + name); }
};
} // namespace

class TestUpdateWizard final : public QObject
{
    Q_OBJECT

private slots:
    void theDialogsSettingsAndTexts()
    {
        WizardRig rig;
        rig.wizard.AutoStart = false;
        rig.run({});
        FakeWizardView& view = *rig.view;
        QCOMPARE(view.title, QString("Vorlix Pro Update"));
        QCOMPARE(view.font, QString("Verdana 9 bold"));
        QCOMPARE(view.pages, QList<WizardPage>{WizardPage::Start});
        QCOMPARE(view.text(WelcomeLabel),
                 QString("Press start to start checking for available application updates ..."));
        QCOMPARE(view.text(StartButton), QString("Start"));
        QCOMPARE(view.focus, StartButton);
        QVERIFY(!view.isEnabled(GetUpdateButton));
        QVERIFY(!view.isEnabled(AgreementNextButton));
        QCOMPARE(view.text(RestartLabel), QString("Press restart to start the updated application."));
        QVERIFY2(rig.requested().isEmpty(), "without AutoStart nothing is checked until Start");
        // The engine's callbacks are its own again once the dialog has gone.
        QVERIFY(!rig.engine->OnFileProgress && !rig.engine->OnProgressCancel);
    }

    void versionPage_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("update");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("button");
        const QString local = "[update]\nlocalversion={APP}/vorlix-pro\ndescr=Faster lists\n";
        const QLocale locale;
        const QString installed = locale.toString(QDate(2010, 1, 1), QLocale::ShortFormat);
        const QString released = locale.toString(QDate(2030, 1, 2), QLocale::ShortFormat);
        const QString at = locale.toString(QTime(8, 30), QLocale::LongFormat);
        const QString found = "New version found :\nCurrent version : ";

        QTest::newRow("newer by version") << 200 << local + "newversion=3.2.0.29"
                                          << found + "3.2.0.28\nNew version : 3.2.0.29\n\nFaster lists"
                                          << "Get update";
        QTest::newRow("newer by date")
            << 200 << local + "date=02/01/2030"
            << found + installed + "\nNew version : " + released + "\n\nFaster lists"
            << "Get update";
        QTest::newRow("newer by date and time")
            << 200 << local + "date=02/01/2030\ntime=08:30"
            << found + installed + "\nNew version : " + released + " " + at + "\n\nFaster lists"
            << "Get update";
        QTest::newRow("unconditional") << 200 << local + "unconditional=1"
                                       << "New version available."
                                       << "Get update";
        QTest::newRow("newer by size") << 200 << local + "newsize=9"
                                       << "New version available."
                                       << "Get update";
        QTest::newRow("newer by checksum") << 200 << local + "newchecksum=7"
                                           << "New version available."
                                           << "Get update";
        QTest::newRow("no update") << 200 << local + "newversion=3.2.0.28"
                                   << "No new version available."
                                   << "Exit";
        QTest::newRow("control file missing")
            << 404 << local << "Could not connect to update server or\nno update found on server ..."
            << "Exit";
    }

    void versionPage()
    {
        QFETCH(int, status);
        QFETCH(QString, update);
        QFETCH(QString, label);
        QFETCH(QString, button);
        WizardRig rig;
        QFile installed(rig.path("app/vorlix-pro"));
        QVERIFY(installed.open(QIODevice::ReadWrite));
        QVERIFY(installed.setFileTime(QDateTime(QDate(2010, 1, 1), QTime(12, 0)),
                                      QFileDevice::FileModificationTime));
        installed.close();
        rig.control(update);
        if (status != 200)
            rig.serve("x.inf", LocalHttpServer::Reply{.status = status});

        // What the user sees during the pause before the check.
        QStringList duringPause;
        rig.desktop.onProcessEvents = [&] {
            if (duringPause.isEmpty() && rig.view)
                duringPause << QString::number(static_cast<int>(rig.view->page)) << rig.view->text(VersionInfoLabel)
                            << (rig.view->isEnabled(GetUpdateButton) ? "enabled" : "disabled");
        };
        bool offeredEnabled = false;
        QString focus;
        // Exit, or the close box on an offered update: either way the connection and the control file go.
        rig.run({[&](FakeWizardView& view) {
                     offeredEnabled = view.isEnabled(GetUpdateButton);
                     focus = view.focus;
                 },
                 button == "Exit" ? click(GetUpdateButton) : [](FakeWizardView& view) { view.closeBox(); }});
        FakeWizardView& view = *rig.view;
        QCOMPARE(duringPause, (QStringList{"1", "", "disabled"}));
        QCOMPARE(view.pages, (QList<WizardPage>{WizardPage::Start, WizardPage::Version}));
        QCOMPARE(view.text(VersionInfoLabel), label);
        QCOMPARE(view.widths.value(VersionInfoLabel), 300);
        QCOMPARE(view.text(GetUpdateButton), button);
        QVERIFY(view.fitted.contains(GetUpdateButton));
        QVERIFY(offeredEnabled);
        QCOMPARE(focus, GetUpdateButton);
        QVERIFY(!view.busy);
        QCOMPARE(rig.engine->connectionErrors, ConnectionErrors::Silent);
        QVERIFY(rig.desktop.messages.isEmpty());
        QCOMPARE(view.faults, QStringList());
        QVERIFY(view.closed);
        QVERIFY(!rig.engine->Connected());
        QVERIFY(!QFile::exists(rig.path("tmp/x.inf")));
    }

    void noConnectionClosesWithoutAWord()
    {
        WizardRig rig;
        rig.network.online = false;
        rig.engine->URL = QStringLiteral("http://localhost:%1/21214/updates/x.inf").arg(rig.server.port());
        rig.control("[update]\nunconditional=1\n");
        rig.run({});
        QVERIFY(rig.view->closed);
        QVERIFY(rig.desktop.messages.isEmpty());
        QVERIFY(rig.requested().isEmpty());
    }

    void releaseNotesThenComponentsThenDownload()
    {
        WizardRig rig;
        rig.control("[update]\nunconditional=1\n[whatsnew]\nfile=@URL@notes.txt\n" + kThreeFiles);
        rig.serve("notes.txt", "Faster lists\r\nFewer clicks\r\n");
        QStringList itemsSeen;
        QString focusAtEnd;
        rig.run({click(GetUpdateButton),
                 [&](FakeWizardView& view) {
                     QCOMPARE(view.lines(WhatsNewMemo), (QStringList{"Faster lists", "Fewer clicks"}));
                     QCOMPARE(view.text(WhatsNewLabel), QString("What's new"));
                     QCOMPARE(view.focus, WhatsNewNextButton);
                     view.click(ViewNotesInEditor);
                 },
                 click(WhatsNewNextButton),
                 [&](FakeWizardView& view) {
                     for (const FakeWizardView::Item& item : view.items)
                         itemsSeen << QString("%1 %2 %3")
                                          .arg(item.text, item.ticked ? "ticked" : "unticked",
                                               item.changeable ? "changeable" : "fixed");
                     QCOMPARE(view.focus, ComponentsNextButton);
                 },
                 click(ComponentsNextButton), [&](FakeWizardView& view) { focusAtEnd = view.focus; },
                 click(RestartButton)});
        FakeWizardView& view = *rig.view;
        QCOMPARE(view.faults, QStringList());
        QCOMPARE(view.pages,
                 (QList<WizardPage>{WizardPage::Start, WizardPage::Version, WizardPage::WhatsNew,
                                    WizardPage::Components, WizardPage::Download, WizardPage::End}));
        QCOMPARE(itemsSeen, (QStringList{"Read me ticked changeable", "Carnival lists ticked fixed"}));
        // View in Notepad: the notes as a text file, opened with the desktop's handler.
        QCOMPARE(rig.desktop.openedDocuments, QStringList{rig.path("tmp/whatsnew.txt")});
        QCOMPARE(readAll(rig.path("tmp/whatsnew.txt")), QByteArray("Faster lists\nFewer clicks\n"));

        // Every file in its folder, the hidden one too.
        QCOMPARE(readAll(rig.path("app/doc/readme.txt")), QByteArray(1000, 'r'));
        QCOMPARE(readAll(rig.path("app/data/lists.dat")), QByteArray(3000, 'l'));
        QCOMPARE(readAll(rig.path("app/fix/fix.dat")), QByteArray(6000, 'f'));
        // From the start of the downloads the total bar runs over the "filesize" values of the whole
        // release (the control file and the notes moved it too, unseen on their pages).
        QCOMPARE(view.progress[TotalProgress].maximum, 10000);
        const QList<qint64> total = view.totalPositions.mid(view.totalPositions.lastIndexOf(0));
        QVERIFY(total.size() > 3);
        QCOMPARE(total.last(), 10000);
        QVERIFY(std::is_sorted(total.begin(), total.end()));
        QCOMPARE(view.progress[FileProgress].maximum, 6000);
        QCOMPARE(view.text(FileLabel), QString("fix.dat"));

        // No application component: Exit, and the restart line emptied.
        QCOMPARE(view.text(EndLabel), QString("Update completed ..."));
        QCOMPARE(view.text(RestartButton), QString("Exit"));
        QCOMPARE(view.text(RestartLabel), QString());
        QCOMPARE(focusAtEnd, RestartButton);
        QVERIFY(!rig.engine->Connected());
        QVERIFY(view.closed);
        QVERIFY(rig.desktop.messages.isEmpty());
        QVERIFY(rig.startedUpdaters.isEmpty());
    }

    void agreement_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("accepted") << true;
        QTest::newRow("refused") << false;
    }

    void agreement()
    {
        QFETCH(bool, accept);
        WizardRig rig;
        // After an agreement the control file's preselection decides the ticks.
        rig.control("[update]\nunconditional=1\n[eula]\nfile=@URL@eula.txt\n" +
                    QString(kThreeFiles).replace("descr=Read me", "descr=Read me\npreselect=0"));
        rig.serve("eula.txt", "\xEF\xBB\xBFTerms\n");
        QStringList captions;
        rig.run({click(GetUpdateButton),
                 [&](FakeWizardView& view) {
                     QCOMPARE(view.lines(AgreementMemo), QStringList{"Terms"});
                     QVERIFY(!view.isEnabled(AgreementNextButton));
                     view.click(ViewAgreementInEditor);
                     view.choose(DeclineRadio);
                     captions << view.text(AgreementNextButton);
                     view.choose(AcceptRadio);
                     captions << view.text(AgreementNextButton);
                     view.choose(accept ? AcceptRadio : DeclineRadio);
                     captions << view.text(AgreementNextButton);
                 },
                 click(AgreementNextButton), click(ComponentsNextButton)});
        FakeWizardView& view = *rig.view;
        QCOMPARE(captions, (QStringList{"Exit", "Next", accept ? "Next" : "Exit"}));
        QCOMPARE(rig.desktop.openedDocuments, QStringList{rig.path("tmp/eula.txt")});
        QCOMPARE(readAll(rig.path("tmp/eula.txt")), QByteArray("Terms\n"));
        QVERIFY(view.closed == !accept);
        if (!accept) {
            QCOMPARE(view.pages,
                     (QList<WizardPage>{WizardPage::Start, WizardPage::Version, WizardPage::Agreement}));
            QCOMPARE(rig.requested().filter(".dat").size(), 0);
            QVERIFY(!rig.engine->Connected());
            return;
        }
        QCOMPARE(view.pages,
                 (QList<WizardPage>{WizardPage::Start, WizardPage::Version, WizardPage::Agreement,
                                    WizardPage::Components, WizardPage::Download, WizardPage::End}));
        QCOMPARE(view.items.size(), 2);
        QVERIFY(!view.items[0].ticked);
        QVERIFY(view.items[1].ticked && !view.items[1].changeable);
        QVERIFY(!rig.placed("doc/readme.txt"));
        QVERIFY(rig.placed("data/lists.dat"));
        QVERIFY(rig.placed("fix/fix.dat"));
    }

    void untickingEveryFileLeavesNothingToDownload()
    {
        WizardRig rig;
        rig.control("[update]\nunconditional=1\n[files]\ncount=2\n"
                    "[file1]\nurl=@URL@readme.txt\ndescr=Read me\ntargetdir={APP}\n"
                    "[file2]\nurl=@URL@lists.dat\ndescr=Lists\ntargetdir={APP}\n");
        rig.run({click(GetUpdateButton), untick(0), untick(1), click(ComponentsNextButton)});
        QCOMPARE(rig.view->faults, QStringList());
        QCOMPARE(rig.desktop.messages, QStringList{kNoFiles});
        QVERIFY(rig.view->closed);
        QCOMPARE(rig.view->pages,
                 (QList<WizardPage>{WizardPage::Start, WizardPage::Version, WizardPage::Components}));
        QCOMPARE(rig.requested(), QStringList{"/21214/updates/x.inf"});
    }

    void aMandatoryFileCannotBeUnticked()
    {
        WizardRig rig;
        rig.control("[update]\nunconditional=1\n" + kThreeFiles);
        rig.run({click(GetUpdateButton), untick(0), untick(1), click(ComponentsNextButton)});
        QCOMPARE(rig.view->faults, QStringList{"item 1 cannot be changed"});
        QVERIFY(!rig.placed("doc/readme.txt"));
        QVERIFY(rig.placed("data/lists.dat"));
        QVERIFY(rig.placed("fix/fix.dat"));
    }

    void nothingToDownload_data()
    {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QList<WizardPage>>("pages");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("nothing needs an update")
            << "[files]\ncount=1\n[file1]\nurl=@URL@vorlix-pro\nlocalversion={APP}/vorlix-pro\n"
               "newversion=3.2.0.28\n"
            << QList<WizardPage>{WizardPage::Start, WizardPage::Version} << QStringList{kNoFiles};
        QTest::newRow("every file hidden goes straight to the download")
            << "[files]\ncount=1\n[file1]\nurl=@URL@fix.dat\ntargetdir={APP}\nhidden=1\n"
            << QList<WizardPage>{WizardPage::Start, WizardPage::Version, WizardPage::Download,
                                 WizardPage::End}
            << QStringList{};
    }

    void nothingToDownload()
    {
        QFETCH(QString, files);
        QFETCH(QList<WizardPage>, pages);
        QFETCH(QStringList, messages);
        WizardRig rig;
        rig.control("[update]\nunconditional=1\n" + files);
        rig.run({click(GetUpdateButton)});
        QCOMPARE(rig.view->pages, pages);
        QCOMPARE(rig.desktop.messages, messages);
    }

    void aFailedFileEndsTheWizard()
    {
        WizardRig rig;
        rig.serve("lists.dat", LocalHttpServer::Reply{.status = 404});
        rig.control("[update]\nunconditional=1\n" + kThreeFiles);
        rig.run({click(GetUpdateButton), click(ComponentsNextButton)});
        QCOMPARE(rig.desktop.messages, QStringList{kFailed});
        QVERIFY(rig.view->closed);
        QCOMPARE(rig.view->pages.last(), WizardPage::Download);
        // The files before and after it are in place all the same.
        QVERIFY(rig.placed("doc/readme.txt"));
        QVERIFY(rig.placed("fix/fix.dat"));
        QVERIFY(!rig.engine->Connected());
    }

    void cancelDuringASlowDownload()
    {
        WizardRig rig;
        rig.serve("lists.dat",
                  LocalHttpServer::Reply{.body = pattern(64 * 4096), .chunkSize = 4096, .chunkDelayMs = 20});
        rig.control("[update]\nunconditional=1\n" + kThreeFiles);
        rig.desktop.onProcessEvents = [&] {
            FakeWizardView& view = *rig.view;
            if (view.page == WizardPage::Download && view.text(FileLabel) == "lists.dat" &&
                view.progress[FileProgress].position > 0 && !view.closed)
                view.click(CancelButton);
        };
        rig.run({click(GetUpdateButton), click(ComponentsNextButton)});
        QCOMPARE(rig.desktop.messages, QStringList{kFailed});
        QVERIFY(rig.view->closed);
        QVERIFY(rig.placed("doc/readme.txt"));
        QVERIFY(!rig.placed("data/lists.dat"));
        QVERIFY2(!rig.placed("fix/fix.dat"), "no file is fetched after a cancel");
        QVERIFY(rig.leftovers().isEmpty());
        QVERIFY(rig.engine->Cancelled);

        // A later run in the same session starts afresh.
        rig.desktop.onProcessEvents = nullptr;
        rig.desktop.messages.clear();
        rig.serve("lists.dat", QByteArray(3000, 'l'));
        rig.run({click(GetUpdateButton), click(ComponentsNextButton)});
        QCOMPARE(rig.view->pages.last(), WizardPage::End);
        QVERIFY(rig.desktop.messages.isEmpty());
        QVERIFY(rig.placed("data/lists.dat"));
        QVERIFY(rig.placed("fix/fix.dat"));
    }

    void theCloseBoxDuringADownloadWaitsForItsEnd()
    {
        WizardRig rig;
        rig.serve("lists.dat",
                  LocalHttpServer::Reply{.body = pattern(8 * 4096), .chunkSize = 4096, .chunkDelayMs = 10});
        rig.control("[update]\nunconditional=1\n" + kThreeFiles);
        rig.desktop.onProcessEvents = [&] {
            FakeWizardView& view = *rig.view;
            if (view.page == WizardPage::Download && !view.closed)
                view.closeBox();
        };
        rig.run({click(GetUpdateButton), click(ComponentsNextButton)});
        QVERIFY(rig.view->closed);
        QVERIFY2(!rig.view->pages.contains(WizardPage::End), "Restart is not offered");
        QCOMPARE(readAll(rig.path("app/data/lists.dat")), pattern(8 * 4096));
        QVERIFY(rig.placed("fix/fix.dat"));
        QVERIFY(!rig.engine->Connected());
    }

    void queryAnsweredNoClosesBeforeAnyDownload()
    {
        WizardRig rig;
        rig.control("[update]\nunconditional=1\n[application]\nappupdate=1\nappname=vorlix-pro\n"
                    "[action]\nquery=Update now?\n" +
                    kThreeFiles);
        rig.desktop.answers.enqueue(false);
        rig.run({click(GetUpdateButton)});
        QCOMPARE(rig.desktop.questions.size(), 1);
        QCOMPARE(rig.desktop.questions[0].text, QString("Update now?"));
        QVERIFY(rig.view->closed);
        QCOMPARE(rig.requested(), QStringList{"/21214/updates/x.inf"});
        QVERIFY(!rig.engine->AppUpdate);
        QVERIFY(!rig.engine->Connected());
    }

    void restartHandsTheComponentsToTheUpdater()
    {
        WizardRig rig;
        rig.serve("vorlix-pro", "new program");
        rig.control("[update]\nunconditional=1\n[application]\nappupdate=1\nappname=vorlix-pro\n"
                    "appcomps=vorlix-pro\n[files]\ncount=1\n[file1]\nurl=@URL@vorlix-pro\n"
                    "descr=Program\ntargetdir={APP}\n");
        rig.desktop.answers << false << true;
        rig.run({click(GetUpdateButton), click(ComponentsNextButton), click(RestartButton),
                 click(RestartButton)});
        FakeWizardView& view = *rig.view;
        QCOMPARE(view.faults, QStringList());
        QCOMPARE(view.text(RestartButton), QString("Restart"));
        QCOMPARE(view.text(RestartLabel), QString("Press restart to start the updated application."));
        QCOMPARE(readAll(rig.path("tmp/vorlix-pro")), QByteArray("new program"));
        // No keeps the wizard on its last page; Yes starts the updater and ends the application.
        QCOMPARE(rig.desktop.questions.size(), 2);
        QCOMPARE(rig.desktop.questions[0].text, QString("Shutdown application to update executable files ?"));
        QCOMPARE(rig.startedUpdaters.size(), 1);
        QVERIFY(rig.startedUpdaters[0].startsWith(rig.path("tmp/wusetup.exe") + " 1234 X "));
        QCOMPARE(rig.terminations, 1);
    }
};

QTEST_GUILESS_MAIN(TestUpdateWizard)
#include "TestUpdateWizard.moc"
