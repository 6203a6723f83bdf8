#include "app/MainController.h"
#include "lists/ListFile.h"
#include "lists/ListTestSupport.h"
#include "mock/FakeDesktop.h"
#include "mock/FakeNetwork.h"
#include "mock/FakePage.h"
#include "platform/ControlNames.h"

#include <QTest>

using namespace ListTest;

namespace {
using Answer = Desktop::Answer;

const QList<CarnivalEntry> kEntries = {
    {"Alpha Weekly", "No Category", "11", "0"},
    {"Beta Round-up", "Saving", "12", "5"},
    {"Gamma Carnival", "No Category", "13", "0"},
};
const CarnivalEntry kAdded{"Delta Digest", "Gardens", "14", "7"};

struct Window
{
    FakeDesktop desktop;
    FakeNetwork network;
    FakePage view1;
    FakePage view2;
    MainController form{desktop, network, view1, view2, AppSettings{"http://127.0.0.1:1", {}, {}}};

    QString status() const { return form.controls.text(Controls::StatusBar); }
    bool run(const std::function<void()>& handler) { return form.dispatch(handler); }
    void open(const QString& path)
    {
        desktop.fileNames.enqueue(path);
        QVERIFY(run([this] { form.openList(); }));
    }
    // As Add Item leaves it: the entry in the trailing blank row, no blank row after it.
    void addToCurrentList() { form.currentList.setEntry(form.currentList.rows() - 1, kAdded); }
    QStringList questionTexts() const
    {
        QStringList texts;
        for (const FakeDesktop::Question& question : desktop.questions)
            texts.append(question.text);
        return texts;
    }
};

void writeList(const QString& path, const QList<CarnivalEntry>& entries)
{
    CarnivalList grid("scratch");
    fill(grid, entries, false);
    SaveTabDelimited(path, grid);
}
} // namespace

/// The save flow and the unsaved-changes question: nothing the user typed is lost by accident.
class TestSavingChanges final : public QObject
{
    Q_OBJECT

private slots:
    void saveStartsFromTheListsOwnFile()
    {
        WorkingFolder folder;
        QDir(folder.path()).mkdir("lists");
        const QString path = folder.file("lists/mine.bcl");
        writeList(path, kEntries);
        Window w;
        w.run([&] { w.form.saveCurrentList(); });
        w.open(path);
        w.run([&] { w.form.saveCurrentList(); });
        w.run([&] { w.form.saveActiveListAs(); });
        w.run([&] { w.form.saveNewList(); });
        // Without a file of their own the dialogs start in the working folder; with one, Save
        // offers that file and Save As its folder.
        QCOMPARE(w.desktop.dialogFolders, (QStringList{QDir::currentPath(), QDir::currentPath(), path,
                                                       folder.file("lists"), folder.file("lists")}));

        // The new list's dialog offers the file it was last saved to.
        fill(w.form.newList, kEntries, true);
        w.desktop.fileNames.enqueue(folder.file("lists/new.bcl"));
        QVERIFY(w.run([&] { w.form.saveNewList(); }));
        w.form.tabChanged(1);
        w.run([&] { w.form.saveActiveList(); });
        QCOMPARE(w.desktop.dialogFolders.last(), folder.file("lists/new.bcl"));
    }

    void replacingAnotherFileAsksFirst_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("written");
        QTest::newRow("the list's own file") << "mine.bcl" << false << false << true;
        QTest::newRow("a new name") << "fresh.bcl" << false << false << true;
        QTest::newRow("another list, replaced") << "other.bcl" << true << true << true;
        QTest::newRow("another list, kept") << "other.bcl" << false << true << false;
        QTest::newRow("typed without extension, kept") << "other" << false << true << false;
    }
    void replacingAnotherFileAsksFirst()
    {
        QFETCH(QString, typed);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(bool, written);
        WorkingFolder folder;
        writeList(folder.file("mine.bcl"), kEntries);
        writeList(folder.file("other.bcl"), {kAdded});
        Window w;
        w.open(folder.file("mine.bcl"));
        w.addToCurrentList();
        const QString target = folder.file(typed.endsWith(".bcl") ? typed : typed + ".bcl");
        const QByteArray before = QFileInfo::exists(target) ? readBytes(target) : QByteArray();

        w.desktop.answers.enqueue(answer);
        w.desktop.fileNames.enqueue(folder.file(typed));
        QVERIFY(w.run([&] { w.form.saveCurrentList(); }));

        QCOMPARE(w.questionTexts(), asked
                                        ? QStringList{"other.bcl already exists.\nDo you want to replace it?"}
                                        : QStringList{});
        CarnivalList saved("check");
        if (written) {
            QCOMPARE(LoadFile(target, u'\t', saved), 4);
            QCOMPARE(saved.entry(3), kAdded);
            QCOMPARE(w.form.listFiles.listFile(), std::optional<QString>(target));
        } else {
            QCOMPARE(readBytes(target), before);
            QCOMPARE(w.form.listFiles.listFile(), std::optional<QString>(folder.file("mine.bcl")));
            QVERIFY(w.form.listFiles.hasUnsavedChanges());
        }
    }

    void everySaveSaysSoInTheStatusBar()
    {
        WorkingFolder folder;
        Window w;
        fill(w.form.currentList, kEntries, true);
        w.desktop.fileNames.enqueue(folder.file("Mine.bcl"));
        QVERIFY(w.run([&] { w.form.saveCurrentList(); }));
        QCOMPARE(w.status(), QString("Saved Mine (3 carnivals)"));

        fill(w.form.newList, {kAdded}, false);
        w.desktop.fileNames.enqueue(folder.file("New"));
        QVERIFY(w.run([&] { w.form.saveNewList(); }));
        QCOMPARE(w.status(), QString("Saved New (1 carnivals)"));
    }

    void changesAreTrackedUntilSaved()
    {
        WorkingFolder folder;
        writeList(folder.file("mine.bcl"), kEntries);
        Window w;
        QVERIFY(!w.form.listFiles.hasUnsavedChanges());
        w.open(folder.file("mine.bcl"));
        QVERIFY(!w.form.listFiles.hasUnsavedChanges()); // opening is no change
        w.form.currentList.setCurrentRow(2);
        QVERIFY(!w.form.listFiles.hasUnsavedChanges()); // nor is selecting a row
        w.addToCurrentList();
        QVERIFY(w.form.listFiles.hasUnsavedChanges());
        w.desktop.fileNames.enqueue(folder.file("mine.bcl"));
        QVERIFY(w.run([&] { w.form.saveCurrentList(); }));
        QVERIFY(!w.form.listFiles.hasUnsavedChanges());
        w.run([&] { w.form.deleteRow(Tab::CurrentList); });
        QVERIFY(w.form.listFiles.currentListChanges().isModified());

        // A new list that changed but holds nothing has nothing to lose.
        Window fresh;
        fresh.form.newList.setEntry(0, kAdded);
        QVERIFY(fresh.form.listFiles.hasUnsavedChanges());
        fresh.form.newList.setEntry(0, {});
        QVERIFY(!fresh.form.listFiles.hasUnsavedChanges());
    }

    void closingAsksToSaveEachChangedList_data()
    {
        QTest::addColumn<bool>("changeCurrent");
        QTest::addColumn<bool>("changeNew");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("currentSaved");

        const QString current = "Save changes to mine?";
        const QString fresh = "Save changes to the new list?";
        QTest::newRow("nothing changed")
            << false << false << QList<Answer>{} << QStringList{} << true << false;
        QTest::newRow("discard") << true << false << QList<Answer>{Answer::Discard} << QStringList{current}
                                 << true << false;
        QTest::newRow("cancel") << true << false << QList<Answer>{Answer::Cancel} << QStringList{current}
                                << false << false;
        QTest::newRow("save") << true << false << QList<Answer>{Answer::Save} << QStringList{current} << true
                              << true;
        QTest::newRow("new list, cancel")
            << false << true << QList<Answer>{Answer::Cancel} << QStringList{fresh} << false << false;
        QTest::newRow("both, discard then cancel")
            << true << true << QList<Answer>{Answer::Discard, Answer::Cancel} << QStringList{current, fresh}
            << false << false;
        QTest::newRow("both, discarded") << true << true << QList<Answer>{Answer::Discard, Answer::Discard}
                                         << QStringList{current, fresh} << true << false;
        QTest::newRow("cancel asks no further")
            << true << true << QList<Answer>{Answer::Cancel} << QStringList{current} << false << false;
    }
    void closingAsksToSaveEachChangedList()
    {
        QFETCH(bool, changeCurrent);
        QFETCH(bool, changeNew);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, questions);
        QFETCH(bool, closes);
        QFETCH(bool, currentSaved);
        WorkingFolder folder;
        writeList(folder.file("mine.bcl"), kEntries);
        const QByteArray before = readBytes(folder.file("mine.bcl"));
        Window w;
        w.open(folder.file("mine.bcl"));
        if (changeCurrent)
            w.addToCurrentList();
        if (changeNew)
            w.form.newList.setEntry(0, kAdded);
        for (Answer answer : answers)
            w.desktop.choices.enqueue(answer);
        w.desktop.fileNames.enqueue(folder.file("mine.bcl")); // Save's dialog, confirmed as offered

        QCOMPARE(w.form.confirmClose(), closes);
        QCOMPARE(w.questionTexts(), questions);
        for (const FakeDesktop::Question& question : w.desktop.questions)
            QCOMPARE(question.title, QString("Vorlix Pro"));
        CarnivalList saved("check");
        LoadFile(folder.file("mine.bcl"), u'\t', saved);
        QCOMPARE(saved.rows(), currentSaved ? 4 : 3);
        if (!currentSaved)
            QCOMPARE(readBytes(folder.file("mine.bcl")), before);
    }

    void closingKeepsTheWindowWhenTheSaveDidNotHappen()
    {
        WorkingFolder folder;
        Window w;
        w.addToCurrentList(); // an unnamed list that holds a carnival
        w.desktop.choices.enqueue(Answer::Save);
        QVERIFY(!w.form.confirmClose()); // the save dialog was cancelled
        QCOMPARE(w.questionTexts(), QStringList{"Save changes to the current list?"});

        w.desktop.choices.enqueue(Answer::Save);
        w.desktop.fileNames.enqueue(folder.file("kept"));
        QVERIFY(w.form.confirmClose());
        QCOMPARE(w.form.listFiles.listName(), std::optional<QString>("kept"));
        w.form.close();
        QCOMPARE(readBytes(folder.file("sel.dat")), QByteArray("kept.bcl\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSavingChanges)
#include "TestSavingChanges.moc"
