#include "TestPaths.h"
#include "app/BuildConfig.h"
#include "app/MainController.h"
#include "lists/ListFile.h"
#include "lists/RowOperations.h"
#include "mock/FakeDesktop.h"
#include "mock/FakeFolders.h"
#include "mock/FakeNetwork.h"
#include "mock/FakePage.h"
#include "mock/FakeWizardView.h"
#include "mock/LocalHttpServer.h"
#include "site/SubmitPage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kSite = "http://127.0.0.1:8123";
const QString kClearQuestion =
    "Are you sure you want to clear the list?\n\nChanges are not permanent until you click \"Save\"";

struct Fixture
{
    FakeDesktop desktop;
    FakeNetwork network;
    FakePage view1;
    FakePage view2;
    MainController form{desktop, network, view1, view2, AppSettings{kSite, {}, {}}};

    void fill(CarnivalList& grid, int entries, bool trailingBlank)
    {
        grid.setRows(entries + (trailingBlank ? 1 : 0));
        for (int row = 0; row < entries; ++row)
            grid.setEntry(row,
                          {QString("Carnival %1").arg(row), "No Category", QString::number(100 + row), "0"});
    }
};

// Runs the test in a working folder of its own, as the program looks files up there.
class WorkingFolder
{
public:
    WorkingFolder() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~WorkingFolder() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
} // namespace

class TestMainController final : public QObject
{
    Q_OBJECT

private slots:
    void startsWithEmptyListsAndLoadsTheForm()
    {
        WorkingFolder folder;
        Fixture f;
        QCOMPARE(f.form.controls.text(Controls::ListTotal), QString("0"));
        QVERIFY(!f.form.controls.isVisible(Controls::Submitting));
        f.form.start();
        QCOMPARE(f.form.controls.text(Controls::ListTotal), QString("0"));
        QCOMPARE(f.form.controls.text(Controls::ListName), QString());
        QCOMPARE(f.view1.navigations, QStringList{kSite + "/bc/submit.php"});
        QVERIFY(f.view2.navigations.isEmpty());
        QVERIFY(!f.form.controls.text(Controls::StatusBar).isEmpty());
        QVERIFY(f.desktop.messages.isEmpty());
    }

    void secondViewLoadsTheFormOnceWhenThePageControlFirstTakesTheFocusOrItsTabIsShown_data()
    {
        QTest::addColumn<QList<int>>("steps"); // -1: the tabs take the focus; else the tab shown
        QTest::newRow("focus twice") << QList<int>{-1, -1};
        QTest::newRow("tab shown without the focus") << QList<int>{1, 0, 1};
        QTest::newRow("focus, then tab shown") << QList<int>{-1, 1};
        QTest::newRow("tab shown, then focus") << QList<int>{1, -1};
    }
    void secondViewLoadsTheFormOnceWhenThePageControlFirstTakesTheFocusOrItsTabIsShown()
    {
        QFETCH(QList<int>, steps);
        Fixture f;
        for (int step : steps)
            step < 0 ? f.form.tabsFocused() : f.form.tabChanged(step);
        QCOMPARE(f.view2.navigations, QStringList{kSite + "/bc/submit.php"});
    }

    void deleteItem_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("trailingBlank");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("rowsAfter");
        QTest::addColumn<QString>("label");
        QTest::newRow("empty list: nothing, label kept") << 0 << true << 0 << 1 << "0";
        QTest::newRow("only row holds an entry") << 1 << false << 0 << 1 << "0";
        QTest::newRow("last row current") << 3 << false << 2 << 2 << "2";
        QTest::newRow("trailing blank row current") << 3 << true << 3 << 3 << "3";
    }

    void deleteItem()
    {
        QFETCH(int, entries);
        QFETCH(bool, trailingBlank);
        QFETCH(int, current);
        Fixture f;
        f.fill(f.form.currentList, entries, trailingBlank);
        f.form.currentList.setCurrentRow(current);
        f.form.deleteRow(Tab::CurrentList);
        QTEST(f.form.currentList.rows(), "rowsAfter");
        QTEST(f.form.controls.text(Controls::ListTotal), "label");
        QVERIFY(f.view1.navigations.isEmpty());
        QVERIFY(f.desktop.questions.isEmpty());
    }

    void deleteItemOnTheNewListMakesTheLastEntryCurrent()
    {
        Fixture f;
        f.fill(f.form.newList, 4, true);
        f.form.newList.setCurrentRow(0);
        f.form.deleteRow(Tab::NewList);
        QCOMPARE(f.form.newList.rows(), 4);
        QCOMPARE(f.form.newList.currentRow(), 2);
        QCOMPARE(f.form.controls.text(Controls::NewListTotal), QString("3"));
    }

    void clearList_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("rowsAfter");
        QTest::addColumn<QString>("label");
        QTest::newRow("one row holding an entry: no question") << 1 << QList<bool>{} << 0 << 1 << "1";
        QTest::newRow("answered No") << 3 << QList<bool>{false} << 1 << 3 << "3";
        QTest::newRow("answered Yes") << 3 << QList<bool>{true} << 1 << 1 << "0";
    }

    void clearList()
    {
        QFETCH(int, rows);
        QFETCH(QList<bool>, answers);
        for (const bool secondList : {false, true}) {
            Fixture f;
            CarnivalList& grid = secondList ? f.form.newList : f.form.currentList;
            const QString label = secondList ? Controls::NewListTotal : Controls::ListTotal;
            const QString other = secondList ? Controls::ListTotal : Controls::NewListTotal;
            f.fill(grid, rows, false);
            f.form.controls.setText(label, QString::number(rows));
            f.form.controls.setText(Controls::ListName, "mylist");
            f.desktop.answers.append(answers);
            secondList ? f.form.clearList(Tab::NewList) : f.form.clearList(Tab::CurrentList);
            QTEST(int(f.desktop.questions.size()), "questions");
            if (!f.desktop.questions.isEmpty()) {
                QCOMPARE(f.desktop.questions[0].text, kClearQuestion);
                QCOMPARE(f.desktop.questions[0].icon, Desktop::Icon::Warning);
            }
            QTEST(grid.rows(), "rowsAfter");
            QTEST(f.form.controls.text(label), "label");
            QCOMPARE(f.form.controls.text(other), QString("0"));
            QCOMPARE(f.form.controls.text(Controls::ListName), QString("mylist"));
        }
    }

    void enterOnTheSecondTabAndOtherKeysDoNothing()
    {
        Fixture f;
        f.form.tabChanged(1);
        f.form.keyTyped(13);
        f.form.tabChanged(0);
        f.form.keyTyped('a');
        QVERIFY(f.view1.clicked.isEmpty());
        QVERIFY(f.desktop.messages.isEmpty());
    }

    void tabChangeSetsTheQuickFinderCaption()
    {
        Fixture f;
        QStringList captions;
        connect(&f.form, &MainController::quickFinderTargetChanged, this,
                [&](const QString& c) { captions.append(c); });
        f.form.tabChanged(1);
        f.form.tabChanged(0);
        QCOMPARE(captions, (QStringList{"Add to New List", "Add to Current List"}));
    }

    void helpKeyAndMenuFindTheDocumentInTheWorkingFolder()
    {
        WorkingFolder folder;
        QTemporaryDir program; // holds no help document
        FakeFolders folders;
        folders.currentFolder = folder.path();
        folders.programFolder = program.path();
        Fixture f;
        MainController form(f.desktop, f.network, f.view1, f.view2, AppSettings{kSite, {}, {}}, folders);
        const QString missing =
            "The VorlixPro help file does not exist\r\nYou may need to reinstall VorlixPro";
        form.helpKeyPressed();
        QCOMPARE(f.desktop.messages, (QStringList{"F1 Pressed", missing}));
        QVERIFY(f.desktop.openedDocuments.isEmpty());

        QFile document(QDir(folder.path()).filePath("VorlixPro_Help.pdf"));
        QVERIFY(document.open(QIODevice::WriteOnly));
        document.close();
        f.desktop.messages.clear();
        form.helpKeyPressed();
        form.openHelp();
        QCOMPARE(f.desktop.messages, QStringList{"F1 Pressed"});
        QCOMPARE(f.desktop.openedDocuments.size(), 2);
        QCOMPARE(QFileInfo(f.desktop.openedDocuments[0]).canonicalFilePath(),
                 QFileInfo(document).canonicalFilePath());
    }

    void openingAListSetsTheFormToItsFirstRow()
    {
        WorkingFolder folder;
        Fixture f;
        f.view1.loadSubmissionForm(SubmitPage::address(kSite));
        CarnivalList list("scratch");
        list.setRows(2);
        list.setEntry(0, {"Boats & Ships", "Modern", "15", "4"});
        list.setEntry(1, {"Cars", "Classic", "12", "3"});
        const QString path = QDir(folder.path()).filePath("boats.bcl");
        SaveTabDelimited(path, list);
        f.desktop.fileNames.enqueue(path);
        QVERIFY(f.form.dispatch([&] { f.form.openList(); }));
        QCOMPARE(f.view1.chosenValue(f.view1.elementsNamed("id").first()), QString("15"));
        QCOMPARE(f.view1.chosenValue(f.view1.elementsNamed("category").first()), QString("4"));
        QVERIFY(f.desktop.messages.isEmpty());
    }

    // When no program can open a page or the help document, a box gives the address to open by hand.
    void linksThatCannotOpenSayWhatToOpenByHand()
    {
        WorkingFolder folder;
        Fixture f;
        f.desktop.openDocumentResult = false;
        f.form.openFaqs();
        f.form.openVideoTutorial();
        f.form.openTestimonialPage();
        f.form.openBlog();
        QCOMPARE(f.desktop.openedDocuments.size(), 4);
        QVERIFY(f.desktop.openedDocuments[0].endsWith("/VorlixPro/faqs.php"));
        QVERIFY(f.desktop.openedDocuments[1].endsWith("/VorlixPro/Tutorial.php"));
        QVERIFY(f.desktop.openedDocuments[2].endsWith("/VorlixPro/SubmitTestimonial.php"));
        QCOMPARE(f.desktop.messages.size(), 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(f.desktop.messages[i],
                     "No web browser could open the page.\n\nOpen this address by hand:\n" +
                         f.desktop.openedDocuments[i]);

        QFile document(QDir(folder.path()).filePath("VorlixPro_Help.pdf"));
        QVERIFY(document.open(QIODevice::WriteOnly));
        document.close();
        f.desktop.messages.clear();
        f.form.openHelp();
        QCOMPARE(f.desktop.messages,
                 QStringList{"No program could open the help document.\n\nOpen it by hand:\n" +
                             QDir::current().filePath("VorlixPro_Help.pdf")});

        f.desktop.openDocumentResult = true;
        f.desktop.messages.clear();
        f.form.openBlog();
        QVERIFY(f.desktop.messages.isEmpty());
    }

    void generalErrorReportShowsTheErrorAndGoesOn()
    {
        Fixture f;
        QVERIFY(!f.form.dispatch([] { throw PageError("Couldn't convert the document"); }));
        QVERIFY(f.form.dispatch([] {}));
        QCOMPARE(f.desktop.messages, QStringList{"Couldn't convert the document"});
    }

    void startUpRunsTheWizardOnlyWhenAReleaseIsOffered_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<bool>("runs");
        QTest::newRow("offered") << 200 << QByteArray("[update]\nunconditional=1\n") << true;
        QTest::newRow("nothing new") << 200 << QByteArray("[update]\ndescr=same\n") << false;
        QTest::newRow("no control file") << 404 << QByteArray() << false;
    }

    void startUpRunsTheWizardOnlyWhenAReleaseIsOffered()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, control);
        QFETCH(bool, runs);
        WorkingFolder folder;
        LocalHttpServer server;
        server.setReply("/21214/updates/vorlix-startup.inf",
                        LocalHttpServer::Reply{.status = status, .body = control});
        FakeDesktop desktop;
        FakeNetwork network;
        FakePage view1;
        FakePage view2;
        MainController form{desktop, network, view1, view2,
                            AppSettings{kSite, server.url("/21214/updates/vorlix-startup.inf"), {}}};
        QStringList wizardRuns;
        form.updateWizard.setDialogFactory([&](UpdateWizardController& wizard) {
            // Start-up has loaded the form but not yet finished when the wizard runs.
            wizardRuns.append(form.controls.text(Controls::StatusBar).isEmpty() ? "during start-up"
                                                                                : "after");
            auto view = std::make_shared<FakeWizardView>(wizard);
            view->steps.enqueue([](FakeWizardView& v) { v.closeBox(); });
            return view;
        });
        form.start();
        QCOMPARE(wizardRuns, runs ? QStringList{"during start-up"} : QStringList());
        QCOMPARE(view1.navigations.size(), 1);
        QVERIFY(desktop.messages.isEmpty());

        // Help > Manually Check for Updates runs it whatever the server offers.
        form.checkForUpdates();
        QCOMPARE(wizardRuns.last(), QString("after"));
    }

    void aboutShowsTheVersionOfTheProgramFile()
    {
        QTemporaryDir dir;
        const QString plain = dir.filePath("plain");
        QFile file(plain);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("no version here");
        file.close();

        FakeDesktop desktop;
        FakeNetwork network;
        FakePage view1, view2;
        MainController withRecord(desktop, network, view1, view2,
                                  AppSettings{kSite, {}, TestPaths::kProgram});
        MainController withoutRecord(desktop, network, view1, view2, AppSettings{kSite, {}, plain});
        QCOMPARE(withRecord.aboutVersionText(), QString("Version ") + BuildConfig::kVersion);
        QCOMPARE(withoutRecord.aboutVersionText(), QString("Version "));
    }
};

QTEST_GUILESS_MAIN(TestMainController)
#include "TestMainController.moc"
