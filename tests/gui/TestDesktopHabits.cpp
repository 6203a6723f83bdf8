#include "ProgramHarness.h"
#include "gui/CarnivalGridView.h"
#include "gui/QuickFinderWindow.h"
#include "lists/ListFile.h"
#include "lists/StateFile.h"
#include "platform/ControlNames.h"
#include "search/QuickFinderControls.h"

#include <QAction>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QWebEngineView>

namespace {
CarnivalCatalog threeCarnivals()
{
    return CarnivalCatalog::fromTsv("11\tAlpha Weekly\t\t\n"
                                    "12\tBeta Round-up\t5\tSaving\n"
                                    "13\tGamma Carnival\t\t\n");
}

/// The list that start-up reopens: two of the directory's carnivals.
QString writeStartList(const QString& folder)
{
    CarnivalList list("scratch");
    list.setRows(2);
    list.setEntry(0, {"Alpha Weekly", "No Category", "11", "0"});
    list.setEntry(1, {"Beta Round-up", "Saving", "12", "5"});
    const QString path = folder + "/Travel.bcl";
    SaveTabDelimited(path, list);
    StateFile::write(path);
    return path;
}

/// Answers the next file dialog: records the file it offers, then confirms that file or cancels.
class FileDialogAnswer final : public QObject
{
public:
    explicit FileDialogAnswer(bool confirm) : m_confirm(confirm)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { answer(); });
        m_timer.start(20);
    }
    QString offered;
    QString folder;

private:
    void answer()
    {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        m_timer.stop();
        offered = dialog->selectedFiles().value(0);
        folder = dialog->directory().absolutePath();
        QMetaObject::invokeMethod(dialog, m_confirm ? "accept" : "reject");
    }

    QTimer m_timer;
    bool m_confirm;
};

QString folderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}
} // namespace

/// The real window as a blogger meets it: nothing lost at exit, the keyboard, the window's size.
class TestDesktopHabits final : public QObject
{
    Q_OBJECT

private slots:
    void exitAsksToSaveAnAddedCarnival_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("savedEntries");
        QTest::newRow("Cancel keeps the window") << int(QMessageBox::Cancel) << false << 2;
        QTest::newRow("Discard exits") << int(QMessageBox::Discard) << true << 2;
        QTest::newRow("Save writes the list") << int(QMessageBox::Save) << true << 3;
    }
    void exitAsksToSaveAnAddedCarnival()
    {
        QFETCH(int, choice);
        QFETCH(bool, closed);
        QFETCH(int, savedEntries);
        ProgramHarness program(threeCarnivals());
        const QString path = writeStartList(program.folder.path());
        QVERIFY(program.start());
        MainWindow& window = program.window();
        QCOMPARE(window.windowTitle(), QString("Vorlix Pro 3"));

        // The user picks the third carnival in the page and adds it.
        BrowserView& view = program.windows->view1();
        view.setAttribute(view.elementsNamed("id").first(), "value", "13");
        window.findChild<QPushButton*>("addItemButton")->click();
        QCOMPARE(program.form().currentList.cell(Column::Carnival, 2), QString("Gamma Carnival"));
        QCOMPARE(window.windowTitle(), QString("Vorlix Pro 3*"));

        program.boxes.choices.enqueue(QMessageBox::StandardButton(choice));
        FileDialogAnswer dialog(true); // Save's dialog, confirmed with the name it offers
        window.findChild<QAction*>("Exit1")->trigger();

        QCOMPARE(program.boxes.texts, QStringList{"Save changes to Travel?"});
        QCOMPARE(program.boxes.titles, QStringList{"Vorlix Pro"});
        QCOMPARE(window.isVisible(), !closed);
        CarnivalList saved("check");
        QCOMPARE(LoadFile(path, u'\t', saved), savedEntries);
        if (choice == QMessageBox::Save) {
            QCOMPARE(dialog.offered, path);
            QCOMPARE(saved.entry(2).carnival, QString("Gamma Carnival"));
        }
        if (!closed)
            QCOMPARE(window.windowTitle(), QString("Vorlix Pro 3*"));
    }

    void ctrlSOffersTheCurrentListsName()
    {
        ProgramHarness program(threeCarnivals());
        const QString path = writeStartList(program.folder.path());
        QVERIFY(program.start());
        program.window().activateWindow();
        program.window().grid1()->setFocus();

        FileDialogAnswer dialog(false);
        QTest::keyClick(program.window().grid1(), Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(dialog.offered, path);
        QCOMPARE(dialog.folder, folderOf(path));

        // Ctrl+Shift+S asks for another name in the same folder.
        program.window().activateWindow();
        QTRY_VERIFY(program.window().isActiveWindow());
        FileDialogAnswer another(false);
        QTest::keyClick(program.window().grid1(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE(another.folder, folderOf(path));
        QVERIFY(another.offered != path);
        QVERIFY2(program.boxes.texts.isEmpty(), qPrintable(program.boxes.texts.join(" / ")));
    }

    void theFileMenuListsItsCommandsWithTheirKeys()
    {
        ProgramHarness program;
        const QList<std::pair<const char*, QKeySequence>> items = {
            {"openListAction", QKeySequence("Ctrl+O")},     {"saveAction", QKeySequence("Ctrl+S")},
            {"saveAsAction", QKeySequence("Ctrl+Shift+S")}, {"Exit1", QKeySequence("Ctrl+Q")},
            {"quickFinderAction", QKeySequence("Ctrl+F")},  {"refreshAction", QKeySequence("F5")},
        };
        for (const auto& [name, keys] : items) {
            auto* action = program.window().findChild<QAction*>(name);
            QVERIFY2(action, name);
            QCOMPARE(action->shortcut(), keys);
        }
        QCOMPARE(program.window().findChild<QAction*>("openListAction")->text(), QString("&Open List..."));
        QCOMPARE(program.window().findChild<QAction*>("saveAsAction")->text(), QString("Save &As..."));
    }

    void enlargingTheWindowWidensTheGridAndKeepsTheButtonsBesideIt()
    {
        ProgramHarness program;
        QVERIFY(program.start());
        MainWindow& window = program.window();
        CarnivalGridView* grid = window.grid1();
        auto* quickFind = window.findChild<QPushButton*>("quickFindButton");
        auto* openList = window.findChild<QPushButton*>("openListButton");
        const QRect gridBefore = grid->geometry();
        const int gapBefore = quickFind->x() - grid->geometry().right();
        const QPoint openListBefore = openList->pos();
        const QSize viewBefore = program.windows->view1().widget()->size();
        QCOMPARE(gridBefore, QRect(119, 36, 427, 152)); // the start size is as designed

        window.resize(window.width() + 300, window.height() + 300);
        QTRY_VERIFY(grid->width() >= gridBefore.width() + 300);
        QVERIFY(grid->height() > gridBefore.height());
        QCOMPARE(quickFind->x() - grid->geometry().right(), gapBefore);
        QCOMPARE(openList->pos(), openListBefore);
        QVERIFY(program.windows->view1().widget()->width() > viewBefore.width());
        QVERIFY(program.windows->view1().widget()->height() > viewBefore.height());
        // Nothing below the grid runs into it.
        auto* listSize = window.findChild<QLabel*>(Controls::ListTotal);
        QVERIFY(listSize->geometry().top() > grid->geometry().bottom());
    }

    void theGridsKeyboardSkipsTheRefColumns()
    {
        ProgramHarness program(threeCarnivals());
        writeStartList(program.folder.path());
        QVERIFY(program.start());
        CarnivalGridView* grid = program.window().grid1();
        for (int column : {2, 3})
            QVERIFY(grid->isColumnHidden(column));
        program.window().activateWindow();
        grid->setFocus();
        QTRY_VERIFY(grid->hasFocus());
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(program.form().currentList.currentRow(), 1);
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Right);
        QVERIFY(grid->currentIndex().column() <= 1);
        QCOMPARE(grid->horizontalScrollBar()->value(), 0);
        QTest::keyClick(grid, Qt::Key_Tab);
        QVERIFY(!grid->hasFocus());
    }

    void enterInThePermalinkFieldPostsNothing()
    {
        ProgramHarness program(threeCarnivals());
        writeStartList(program.folder.path());
        QVERIFY(program.start());
        QWebEngineView* view = program.windows->view1().widget();
        bool focused = false;
        view->page()->runJavaScript(
            "var f = document.getElementsByName('post_url')[0]; f.focus(); document.activeElement === f",
            [&focused](const QVariant& result) { focused = result.toBool(); });
        QTRY_VERIFY(focused);
        QTest::keyClicks(view->focusProxy(), "http://blog.test/post");
        QTRY_COMPARE(program.windows->view1().GetFieldValue("post_url"), QString("http://blog.test/post"));
        QSignalSpy loads(&program.windows->view1(), &BrowserView::LoadStarted);

        QTest::keyClick(view->focusProxy(), Qt::Key_Return);
        QTest::qWait(1500);
        QVERIFY(loads.isEmpty());
        QVERIFY(program.directory.submissions().isEmpty());

        // The program's own submit still posts, and a row click still sets the form.
        program.window().findChild<QPushButton*>("manualSubmitButton")->click();
        QTRY_COMPARE(program.directory.submissions().size(), 1);
        QCOMPARE(program.directory.submissions().first().postUrl, QString("http://blog.test/post"));
        QVERIFY2(program.boxes.texts.isEmpty(), qPrintable(program.boxes.texts.join(" / ")));
    }

    void quickFinderSelectsItsKeywordAndFindsOnEnter()
    {
        ProgramHarness program(threeCarnivals());
        QVERIFY(program.start());
        QuickFinderWindow& finder = program.windows->quickFinderWindow();
        emit program.form().showQuickFinderRequested();
        QVERIFY(finder.isVisible());
        auto* keyword = finder.findChild<QLineEdit*>(QuickFinder::Keyword);
        keyword->setFocus();
        QTest::keyClicks(keyword, "beta");
        QTest::keyClick(keyword, Qt::Key_Return);
        QTRY_COMPARE(program.windows->quickFinder().results.cell(Column::Carnival, 0),
                     QString("Beta Round-up"));

        finder.findChild<QPushButton*>(QuickFinder::CloseButton)->click();
        QVERIFY(!finder.isVisible());
        emit program.form().showQuickFinderRequested();
        QCOMPARE(keyword->selectedText(), QString("beta"));
        QTest::keyClicks(keyword, "gamma");
        QCOMPARE(keyword->text(), QString("gamma"));
    }

    void quickFinderStandsBesideTheMainWindow_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QPoint>("expected");
        const QRect screen(0, 0, 1920, 1080);
        QTest::newRow("room on the right") << QRect(100, 50, 700, 600) << QPoint(800, 50);
        QTest::newRow("room on the left only") << QRect(1000, 50, 700, 600) << QPoint(555, 50);
        QTest::newRow("no room: at the screen's right edge") << QRect(0, 0, 1800, 1000) << QPoint(1475, 0);
    }
    void quickFinderStandsBesideTheMainWindow()
    {
        QFETCH(QRect, main);
        QFETCH(QPoint, expected);
        QCOMPARE(QuickFinderWindow::placeBeside(main, QSize(445, 560), QRect(0, 0, 1920, 1080)), expected);
    }
};

QTEST_MAIN(TestDesktopHabits)
#include "TestDesktopHabits.moc"
