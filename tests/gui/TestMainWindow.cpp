#include "AccessibleNames.h"
#include "ProgramHarness.h"
#include "gui/AboutBox.h"
#include "gui/CarnivalGridView.h"
#include "lists/ListFile.h"
#include "platform/ControlNames.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>

// Stands in for the desktop's handler of local files, which would start a document viewer.
class OpenedFiles final : public QObject
{
    Q_OBJECT

public:
    OpenedFiles() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~OpenedFiles() override { QDesktopServices::unsetUrlHandler("file"); }
    Q_INVOKABLE void open(const QUrl& url) { urls.append(url); }

    QList<QUrl> urls;
};

class TestMainWindow final : public QObject
{
    Q_OBJECT

private slots:
    void opensWithBothTabsAndTheFormLoaded()
    {
        ProgramHarness program;
        QVERIFY(program.start());
        MainWindow& window = program.window();
        QCOMPARE(window.windowTitle(), QString("Vorlix Pro 3"));
        QCOMPARE(window.pageControl()->count(), 2);
        QCOMPARE(window.pageControl()->tabText(0), QString("Submit to Blog Carnivals"));
        QCOMPARE(window.pageControl()->tabText(1), QString("Create a New List"));
        QCOMPARE(program.windows->view1().LocationURL(), program.submitUrl());
        QCOMPARE(program.windows->view1().elementsNamed("id").size(), 1);
        QCOMPARE(window.findChild<QLabel*>("listTotalLabel")->text(), QString("0"));
        QVERIFY(!window.findChild<QLabel*>("submittingLabel")->isVisible());
        QCOMPARE(window.findChild<QPushButton*>("autoSubmitButton")->toolTip(),
                 QString("Automatically submit, starting from any point in your list"));
        QVERIFY2(program.boxes.texts.isEmpty(), qPrintable(program.boxes.texts.join(" / ")));
        using AccessibleNames::unnamedControls;
        QVERIFY(AccessibleNames::readsAsWindow(window));
        QVERIFY2(unnamedControls(window).isEmpty(), qPrintable(unnamedControls(window).join(", ")));
        window.pageControl()->setCurrentIndex(1);
        QVERIFY2(unnamedControls(window).isEmpty(), qPrintable(unnamedControls(window).join(", ")));
    }

    // Tab goes round the whole window and into the form; wherever it lands, a screen reader has a
    // name to say, the form's view included.
    void tabReachesEveryPartWithANameToSay()
    {
        ProgramHarness program;
        QVERIFY(program.start());
        program.window().activateWindow();
        auto* first = program.window().findChild<QPushButton*>("openListButton");
        first->setFocus();
        QStringList reached;
        QStringList silent;
        for (int press = 0; press < 60; ++press) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus);
            const QString name = QAccessible::queryAccessibleInterface(focus)->text(QAccessible::Name);
            if (!reached.contains(name))
                reached.append(name);
            if (!AccessibleNames::speaks(name))
                silent.append(focus->objectName() + u':' +
                              QString::fromLatin1(focus->metaObject()->className()));
            QTest::keyClick(focus, Qt::Key_Tab);
            QTest::qWait(30); // the page moves its own focus in its own time
        }
        QVERIFY2(silent.isEmpty(), qPrintable(silent.join(", ")));
        for (const char* part : {"Open List", "Current List", "Auto Submit", "Reset Page",
                                 "Carnival submission form", "Submit to Blog Carnivals"})
            QVERIFY2(reached.contains(QString::fromUtf8(part)),
                     qPrintable(QString::fromUtf8(part) + " not reached: " + reached.join(", ")));
    }

    // As when a list is opened from the file manager: `vorlix-pro path/to/list.bcl`.
    void opensTheListNamedOnTheCommandLine()
    {
        QTemporaryDir lists;
        const QString path = lists.filePath("Named list.bcl");
        CarnivalList list("scratch");
        list.setRows(2);
        list.setEntry(0, {"First Carnival", "No Category", "11", "0"});
        list.setEntry(1, {"Second Carnival", "Cars", "12", "3"});
        SaveTabDelimited(path, list);

        ProgramHarness program(CarnivalCatalog::sample(), 0, {}, {}, path);
        QVERIFY(program.start());
        QCOMPARE(program.window().findChild<QLabel*>(Controls::ListName)->text(), QString("Named list"));
        QCOMPARE(program.window().findChild<QLabel*>("listTotalLabel")->text(), QString("2"));
        QCOMPARE(program.window().grid1()->model()->index(1, 0).data().toString(),
                 QString("Second Carnival"));
        QVERIFY2(program.boxes.texts.isEmpty(), qPrintable(program.boxes.texts.join(" / ")));
    }

    // The working folder's copy of the document comes first; the program's folder holds one too.
    void f1ShowsItsMessageThenOpensTheHelpDocument()
    {
        ProgramHarness program;
        OpenedFiles opened;
        QFile document(QDir(program.folder.path()).filePath("VorlixPro_Help.pdf"));
        QVERIFY(document.open(QIODevice::WriteOnly));
        document.close();
        QVERIFY(program.start());
        auto* grid = program.window().grid1();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_F1);
        QTRY_COMPARE(opened.urls.size(), 1);
        QCOMPARE(program.boxes.texts, QStringList{"F1 Pressed"});
        QCOMPARE(program.boxes.titles[0], QString("Vorlix Pro"));
        QCOMPARE(QFileInfo(opened.urls[0].toLocalFile()).canonicalFilePath(),
                 QFileInfo(document).canonicalFilePath());
    }

    void deleteItemFromTheGridByKeyboardAndButton()
    {
        ProgramHarness program;
        QVERIFY(program.start());
        CarnivalList& list = program.form().currentList;
        list.setRows(3);
        list.setEntry(0, {"A", "No Category", "1", "0"});
        list.setEntry(1, {"B", "No Category", "2", "0"});
        program.window().grid1()->setFocus();
        QTest::keyClick(program.window().grid1(), Qt::Key_Down);
        QCOMPARE(list.currentRow(), 1);
        program.window().findChild<QPushButton*>("deleteItemButton")->click();
        QCOMPARE(list.rows(), 2);
        QCOMPARE(list.cell(Column::Carnival, 1), QString());
        QCOMPARE(program.window().findChild<QLabel*>("listTotalLabel")->text(), QString("1"));
    }

    void aboutBoxShowsTheVersionAndHidesOnOk()
    {
        ProgramHarness program;
        QVERIFY(program.start());
        emit program.form().showAboutRequested();
        emit program.form().showAboutRequested();
        AboutBox& about = program.windows->aboutBox();
        QVERIFY(about.isVisible());
        QCOMPARE(program.window().findChildren<AboutBox*>().size(), 1);
        QVERIFY(about.findChild<QLabel*>("Version")->text().startsWith("Version "));
        QVERIFY(AccessibleNames::readsAsWindow(about));
        QVERIFY2(AccessibleNames::unnamedControls(about).isEmpty(),
                 qPrintable(AccessibleNames::unnamedControls(about).join(", ")));
        about.findChild<QPushButton*>("OKButton")->click();
        QVERIFY(!about.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
