#include "TestPaths.h"
#include "app/MainController.h"
#include "lists/ListFile.h"
#include "lists/ListTestSupport.h"
#include "mock/FakeDesktop.h"
#include "mock/FakeFolders.h"
#include "mock/FakeNetwork.h"
#include "mock/FakePage.h"
#include "mock/FileSizeLimit.h"
#include "platform/ControlNames.h"
#include "platform/ControlStates.h"

#include <QTest>

#include <cerrno>
#include <cstring>

using namespace ListTest;

namespace {
const QString kConvertQuestion = "You are using an list from a previous version of VorlixPro\nWould you like "
                                 "to convert to the new format now?";

const QList<CarnivalEntry> kEntries = {
    {"Ωmega 日本 😀", "Łódź", "101", "7"},
    {"Café Carnival", "No Category", "202", "0"},
    {"Third", "Cat", "303", "4"},
};

// The main window's logic as the program builds it; the list-file commands run through it.
struct Window
{
    Window() = default;
    explicit Window(const QString& listOnCommandLine) : listToOpen(listOnCommandLine) {}

    QString listToOpen;
    FakeDesktop desktop;
    FakeNetwork network;
    FakePage view1;
    FakePage view2;
    MainController form{desktop, network, view1, view2,
                        AppSettings{"http://127.0.0.1:1", {}, {}, {}, listToOpen}};

    QString label() const { return form.controls.text(Controls::ListName); }
    QString listSize() const { return form.controls.text(Controls::ListTotal); }
    bool run(void (MainController::*handler)())
    {
        return form.dispatch([&] { (form.*handler)(); });
    }
};

void writeList(const QString& path, const QList<CarnivalEntry>& entries)
{
    CarnivalList grid("scratch");
    fill(grid, entries, false);
    SaveTabDelimited(path, grid);
}
} // namespace

class TestListFiles final : public QObject
{
    Q_OBJECT

private slots:
    void dialogsHaveTheirTitlesAndFilters()
    {
        WorkingFolder folder;
        Window w;
        w.run(&MainController::openList);
        w.run(&MainController::saveCurrentList);
        w.run(&MainController::saveNewList);
        QCOMPARE(w.desktop.dialogTitles, (QStringList{"Open Blog Carnival List", "Save file", "Save file"}));
        const auto& open = w.desktop.dialogFilters[0];
        QCOMPARE(open.size(), 2);
        QCOMPARE(open[0].description, QString("Blog Carnival List (*.bcl)"));
        QCOMPARE(open[0].pattern, QString("*.bcl"));
        QCOMPARE(open[1].description, QString("All Files (*.*)"));
        QCOMPARE(open[1].pattern, QString("*.*"));
        QCOMPARE(w.desktop.dialogFilters[1][1].description, QString("All files (*.*)"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{}); // cancelled: nothing written
        QVERIFY(w.desktop.messages.isEmpty());
    }

    void saveThenOpenGivesTheSameEntriesAndATrailingBlankRow()
    {
        WorkingFolder folder;
        Window w;
        fill(w.form.currentList, kEntries, false);        // as after Add Item: no trailing blank row
        w.desktop.fileNames.enqueue(folder.file("mine")); // typed without an extension
        QVERIFY(w.run(&MainController::saveCurrentList));
        QVERIFY(QFileInfo::exists(folder.file("mine.bcl")));
        QCOMPARE(w.label(), QString("mine")); // the saved file is now the current list's file

        QCOMPARE(w.form.currentList.rows(), 3);
        w.desktop.answers.enqueue(true);
        w.form.dispatch([&] { w.form.clearList(Tab::CurrentList); });
        w.desktop.fileNames.enqueue(folder.file("mine.bcl"));
        QVERIFY(w.run(&MainController::openList));

        QList<CarnivalEntry> expected = kEntries;
        expected.append(CarnivalEntry{});
        QCOMPARE(entriesOf(w.form.currentList), expected);
        QCOMPARE(w.listSize(), QString("3"));
        QCOMPARE(w.label(), QString("mine"));
        QCOMPARE(w.form.currentList.currentRow(), 0);
        QCOMPARE(w.desktop.focus, QString("currentListGrid"));
    }

    void saveListWritesTheNewListAndChangesNothingElse()
    {
        WorkingFolder folder;
        Window w;
        fill(w.form.newList, kEntries, true);
        w.desktop.fileNames.enqueue(folder.file("new.bcl"));
        QVERIFY(w.run(&MainController::saveNewList));
        QCOMPARE(w.label(), QString());
        QVERIFY(!w.form.listFiles.listName());
        QVERIFY(w.form.currentList.isEmptyList());

        CarnivalList loaded("check");
        QCOMPARE(LoadFile(folder.file("new.bcl"), u'\t', loaded), 3);
        QCOMPARE(entriesOf(loaded), kEntries);
        w.form.close();
        QVERIFY(!QFileInfo::exists(folder.file("sel.dat")));
    }

    void failedOpenKeepsTheListItsNameAndTheStateFile()
    {
        WorkingFolder folder;
        writeList(folder.file("first.bcl"), kEntries);
        Window w;
        w.desktop.fileNames.enqueue(folder.file("first.bcl"));
        w.run(&MainController::openList);
        const QList<CarnivalEntry> before = entriesOf(w.form.currentList);

        const QString missing = folder.file("gone.bcl");
        w.desktop.fileNames.enqueue(missing);
        QVERIFY(!w.run(&MainController::openList));
        QCOMPARE(w.desktop.messages,
                 QStringList{QString("Cannot open file \"%1\". No such file or directory").arg(missing)});
        QCOMPARE(entriesOf(w.form.currentList), before);
        QCOMPARE(w.label(), QString("first"));
        QCOMPARE(w.listSize(), QString("3"));
        w.form.close();
        QCOMPARE(readBytes(folder.file("sel.dat")), QByteArray("first.bcl\r\n"));
    }

    void fileWithNoLineOpensAsAnEmptyList_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("only the mark, as Save writes an empty list") << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("empty file") << QByteArray();
    }
    void fileWithNoLineOpensAsAnEmptyList()
    {
        QFETCH(QByteArray, bytes);
        WorkingFolder folder;
        writeBytes(folder.file("empty.bcl"), bytes);
        {
            Window w;
            fill(w.form.currentList, kEntries, true);
            w.desktop.fileNames.enqueue(folder.file("empty.bcl"));
            QVERIFY(w.run(&MainController::openList));
            QVERIFY(w.form.currentList.isEmptyList());
            QCOMPARE(w.listSize(), QString("0"));
            QCOMPARE(w.label(), QString("empty"));
            w.form.close();
        }
        Window next; // at start-up: one blank row, not two
        next.form.start();
        QVERIFY(next.desktop.messages.isEmpty());
        QVERIFY(next.form.currentList.isEmptyList());
        QCOMPARE(next.listSize(), QString("0"));
        QCOMPARE(next.label(), QString("empty"));
    }

    // The next start reopens the list that was open, whatever its extension's case or folder.
    void theOpenListIsReopenedAtTheNextStart_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("bareName");
        QTest::newRow("working folder") << "mine.bcl"
                                        << "mine" << true;
        QTest::newRow("capital extension") << "LIST.BCL"
                                           << "LIST" << true;
        QTest::newRow("other folder") << "other/Café list.bcl"
                                      << "Café list" << false;
        QTest::newRow("other extension") << "notes.txt"
                                         << "notes" << true;
    }
    void theOpenListIsReopenedAtTheNextStart()
    {
        QFETCH(QString, relativePath);
        QFETCH(QString, label);
        QFETCH(bool, bareName);
        WorkingFolder folder;
        QDir(folder.path()).mkdir("other");
        const QString path = folder.file(relativePath);
        writeList(path, kEntries);
        {
            Window w;
            w.desktop.fileNames.enqueue(path);
            QVERIFY(w.run(&MainController::openList));
            QCOMPARE(w.label(), label);
            w.form.close();
        }
        const QString named = bareName ? QFileInfo(path).fileName() : path;
        QCOMPARE(readBytes(folder.file("sel.dat")), (named + "\r\n").toUtf8());

        Window next;
        next.form.start();
        QVERIFY2(next.desktop.messages.isEmpty(), qPrintable(next.desktop.messages.join('\n')));
        QCOMPARE(next.form.currentList.rows(), 4);
        QCOMPARE(next.form.currentList.entry(0), kEntries[0]);
        QCOMPARE(next.listSize(), QString("3"));
        QCOMPARE(next.label(), label);
    }

    void startUpWithoutStateFileOrWithAMissingList()
    {
        WorkingFolder folder;
        {
            Window w;
            w.form.start();
            QVERIFY(w.desktop.messages.isEmpty());
            QVERIFY(w.form.currentList.isEmptyList());
            QCOMPARE(w.listSize(), QString("0"));
            QCOMPARE(w.label(), QString());
        }
        writeBytes(folder.file("sel.dat"), "gone.bcl\r\n");
        Window w;
        w.form.start();
        QCOMPARE(
            w.desktop.messages,
            QStringList{
                QString("Cannot open file \"%1\". No such file or directory").arg(folder.file("gone.bcl"))});
        QCOMPARE(w.listSize(), QString("0")); // start-up stopped at the load
        QVERIFY(w.form.currentList.isEmptyList());
        w.form.close();
        QCOMPARE(readBytes(folder.file("sel.dat")), QByteArray("gone.bcl\r\n"));
    }

    // A list named on the command line (a double-click in the file manager) opens instead of the
    // state file's; one that cannot be read is said, and the state file's list opens after all.
    void listNamedAtStart_data()
    {
        QTest::addColumn<bool>("namedExists");
        QTest::addColumn<bool>("stateFile");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("rows");
        QTest::newRow("opens instead of the state file's") << true << true << "Named list" << 4;
        QTest::newRow("opens without a state file") << true << false << "Named list" << 4;
        QTest::newRow("unreadable: the state file's opens") << false << true << "state" << 2;
        QTest::newRow("unreadable, no state file: empty") << false << false << "" << 1;
    }
    void listNamedAtStart()
    {
        QFETCH(bool, namedExists);
        QFETCH(bool, stateFile);
        QFETCH(QString, label);
        QFETCH(int, rows);
        WorkingFolder folder;
        QDir(folder.path()).mkdir("other");
        const QString named = folder.file("other/Named list.bcl");
        if (namedExists)
            writeList(named, kEntries);
        if (stateFile) {
            writeList(folder.file("state.bcl"), {kEntries[1]});
            writeBytes(folder.file("sel.dat"), "state.bcl\r\n");
        }
        Window w(named);
        w.form.start();
        const QStringList messages =
            namedExists
                ? QStringList{}
                : QStringList{QString("Cannot open file \"%1\". No such file or directory").arg(named)};
        QCOMPARE(w.desktop.messages, messages);
        QCOMPARE(w.label(), label);
        QCOMPARE(w.form.currentList.rows(), rows);
        QCOMPARE(w.listSize(), QString::number(rows - 1)); // the carnivals, not the trailing blank row
        QCOMPARE(w.view1.navigations.size(), 1);           // start-up went on to its end
        w.form.close();
        if (namedExists)
            QCOMPARE(readBytes(folder.file("sel.dat")), (named + "\r\n").toUtf8());
        else
            QCOMPARE(QFileInfo::exists(folder.file("sel.dat")), stateFile);
    }

    // An installed program writes neither into its own folder nor where it was started: the state
    // file goes to the configuration folder, the dialogs start in the documents folder and then
    // where the user last chose a list.
    void installedProgramKeepsItsStateInTheConfigurationFolder()
    {
        WorkingFolder folder;
        for (const char* name : {"bin", "Documents", "lists"})
            QDir(folder.path()).mkdir(name);
        FakeFolders folders;
        folders.programFolder = folder.file("bin");
        folders.readOnlyFolders << folders.programFolder;
        folders.currentFolder = folder.path();
        folders.documentsFolder = folder.file("Documents");
        folders.configurationFolder = folder.file("config/vorlix-pro");
        const QString list = folder.file("lists/mine.bcl");
        writeList(list, kEntries);

        FakeDesktop desktop;
        ControlStates controls{Controls::all()};
        CarnivalList current("currentListGrid");
        CarnivalList newList("newListGrid");
        {
            ListFiles files(desktop, current, newList, controls, folders);
            files.reopenLastList();
            desktop.fileNames.enqueue(list);
            files.openList();
            files.saveNewList(); // cancelled
            files.saveState();
        }
        QCOMPARE(desktop.dialogFolders, (QStringList{folder.file("Documents"), folder.file("lists")}));
        QCOMPARE(readBytes(folder.file("config/vorlix-pro/sel.dat")), (list + "\r\n").toUtf8());
        QVERIFY(!QFileInfo::exists(folder.file("sel.dat")));

        current.replaceRows({}, current.columns());
        ListFiles next(desktop, current, newList, controls, folders); // the next run
        next.reopenLastList();
        QCOMPARE(entriesOf(current).first(), kEntries.first());
        QCOMPARE(controls.text(Controls::ListName), QString("mine"));
        next.openList(); // cancelled
        QCOMPARE(desktop.dialogFolders.last(), folder.file("lists"));
        QVERIFY(desktop.messages.isEmpty());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{});
    }

    void oldFormatIsConvertedOnYes()
    {
        WorkingFolder folder;
        QFile::copy(QDir(TestPaths::kData).filePath("old-format.bcl"), folder.file("old.bcl"));
        writeBytes(folder.file("sel.dat"), "old.bcl\r\n");
        Window w;
        w.desktop.answers.enqueue(true);
        w.form.start();

        QCOMPARE(w.desktop.questions.size(), 1);
        QCOMPARE(w.desktop.questions[0].title, QString("VorlixPro v3"));
        QCOMPARE(w.desktop.questions[0].text, kConvertQuestion);
        QCOMPARE(w.desktop.questions[0].icon, Desktop::Icon::Question);
        QVERIFY(w.desktop.messages.isEmpty());
        // Names written in Windows-1252 by earlier versions come through intact.
        QCOMPARE(readBytes(folder.file("old.bcl")), QByteArray("Cars & Trucks\tPickups\t12\t34\t\r\n"
                                                               "Caf\xC3\xA9 Society\tNo Category\t56\t0\t\r\n"
                                                               "Name @ Home\tGarden\t78\t9\t\r\n"));
        QCOMPARE(w.form.currentList.rows(), 3); // no trailing blank row on this path
        QCOMPARE(w.form.currentList.entry(1), (CarnivalEntry{"Café Society", "No Category", "56", "0"}));
        QCOMPARE(w.listSize(), QString("3"));
        QCOMPARE(w.label(), QString("old"));

        Window next; // converted once: the next start loads it without asking
        next.form.start();
        QVERIFY(next.desktop.questions.isEmpty());
        QCOMPARE(next.listSize(), QString("3"));
    }

    void oldFormatIsLeftAloneOnNoAndAskedAgain()
    {
        WorkingFolder folder;
        QFile::copy(QDir(TestPaths::kData).filePath("old-format.bcl"), folder.file("old.bcl"));
        const QByteArray old = readBytes(folder.file("old.bcl"));
        writeBytes(folder.file("sel.dat"), "old.bcl\r\n");
        for (int start = 0; start < 2; ++start) {
            Window w;
            w.desktop.answers.enqueue(false);
            w.form.start();
            QCOMPARE(w.desktop.questions.size(), 1);
            QVERIFY(w.form.currentList.isEmptyList());
            QCOMPARE(w.listSize(), QString("0"));
            QCOMPARE(w.label(), QString());
            QVERIFY(!w.form.listFiles.listName());
            w.form.close();
            QCOMPARE(readBytes(folder.file("old.bcl")), old);
            QCOMPARE(readBytes(folder.file("sel.dat")), QByteArray("old.bcl\r\n"));
        }
    }

    void currentListWithAnAtInItsFirstLineIsNotTakenForTheOldFormat()
    {
        WorkingFolder folder;
        writeList(folder.file("at.bcl"), {{"Blogging @ Home", "No Category", "5", "0"}});
        const QByteArray bytes = readBytes(folder.file("at.bcl"));
        writeBytes(folder.file("sel.dat"), "at.bcl\r\n");
        Window w;
        w.desktop.answers.enqueue(true);
        w.form.start();
        QVERIFY(w.desktop.questions.isEmpty());
        QCOMPARE(w.form.currentList.cell(0, 0), QString("Blogging @ Home"));
        QCOMPARE(w.listSize(), QString("1"));
        QCOMPARE(readBytes(folder.file("at.bcl")), bytes);
    }

    void stateFileIsWrittenAtCloseOnlyWithAName()
    {
        WorkingFolder folder;
        {
            Window w; // no name: an existing state file stays as it is
            writeBytes(folder.file("sel.dat"), "keep me");
            w.form.close();
            QCOMPARE(readBytes(folder.file("sel.dat")), QByteArray("keep me"));
        }
        writeList(folder.file("list.bcl"), kEntries);
        writeBytes(folder.file("sel.dat"), "list.bcl\r\n");
        Window w;
        w.form.start();
        w.desktop.answers.enqueue(true);
        w.form.dispatch([&] { w.form.clearList(Tab::CurrentList); }); // clearing keeps the list's name
        QCOMPARE(w.label(), QString("list"));
        QFile::remove(folder.file("sel.dat"));
        w.form.close();
        QCOMPARE(readBytes(folder.file("sel.dat")), QByteArray("list.bcl\r\n"));
    }

    void failedWritesReportTheSystemReasonAndKeepTheOldFiles()
    {
        WorkingFolder folder;
        writeList(folder.file("list.bcl"), kEntries);
        writeBytes(folder.file("sel.dat"), "list.bcl\r\n");
        const QByteArray list = readBytes(folder.file("list.bcl"));
        Window w;
        w.form.start();
        w.form.currentList.setCell(0, 0, "Changed");
        {
            FailingWrites failing(folder.path());
            w.desktop.fileNames.enqueue(folder.file("list.bcl"));
            QVERIFY(!w.run(&MainController::saveCurrentList));
            w.form.close();
        }
        QCOMPARE(w.desktop.messages.size(), 2);
        QVERIFY2(w.desktop.messages[0].startsWith(QString("Cannot ")) &&
                     w.desktop.messages[0].contains("list.bcl\". "),
                 qPrintable(w.desktop.messages[0]));
        QVERIFY2(w.desktop.messages[1].contains("sel.dat\". "), qPrintable(w.desktop.messages[1]));
        QCOMPARE(readBytes(folder.file("list.bcl")), list);
        QCOMPARE(readBytes(folder.file("sel.dat")), QByteArray("list.bcl\r\n"));
        QCOMPARE(w.form.currentList.cell(0, 0), QString("Changed"));
        QCOMPARE(w.label(), QString("list"));
    }

    // A disk that fills up half-way through, whoever runs the test: beyond the file-size limit a
    // write fails with EFBIG as one on a full disk fails with ENOSPC. The limit is set in a child
    // of its own.
    void fullDiskReportsTheReasonAndKeepsTheOldFiles()
    {
        WorkingFolder folder;
        writeList(folder.file("list.bcl"), kEntries);
        writeBytes(folder.file("sel.dat"), "list.bcl\r\n");
        const QByteArray list = readBytes(folder.file("list.bcl"));
        const std::optional<QByteArray> report = reportFromChild([&] {
            Window w;
            w.form.start();
            w.form.currentList.setCell(0, 0, "Changed");
            w.desktop.fileNames.enqueue(folder.file("list.bcl"));
            {
                const FileSizeLimit limit(4);
                w.run(&MainController::saveCurrentList);
                w.form.close();
            }
            return w.desktop.messages.join(u'\n').toUtf8();
        });
        QVERIFY(report);

        const QString reason = QString::fromLocal8Bit(std::strerror(EFBIG));
        QCOMPARE(QString::fromUtf8(*report).split(u'\n'),
                 (QStringList{QString("Cannot write file \"%1\". %2").arg(folder.file("list.bcl"), reason),
                              QString("Cannot write file \"%1\". %2").arg(folder.file("sel.dat"), reason)}));
        QCOMPARE(readBytes(folder.file("list.bcl")), list);
        QCOMPARE(readBytes(folder.file("sel.dat")), QByteArray("list.bcl\r\n"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"list.bcl", "sel.dat"}));
    }
};

QTEST_GUILESS_MAIN(TestListFiles)
#include "TestListFiles.moc"
