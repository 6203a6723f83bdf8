#include "AccessibleNames.h"
#include "ProgramHarness.h"
#include "gui/QuickFinderWindow.h"
#include "search/QuickFinderController.h"
#include "search/QuickFinderControls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {
CarnivalCatalog smallCatalog()
{
    return CarnivalCatalog::fromTsv("11\tMoney Makers Weekly\t\t\n"
                                    "12\tFrugal Money Round-up\t5\tSaving\n"
                                    "13\tTravel & Money\t\t\n"
                                    "21\tGarden Carnival\t\t\n");
}
} // namespace

class TestQuickFinder final : public QObject
{
    Q_OBJECT

private slots:
    void findAddAndRemoveTheExpiredOne()
    {
        ProgramHarness program(smallCatalog());
        QVERIFY(program.start());
        emit program.form().showQuickFinderRequested();
        QuickFinderWindow& window = program.windows->quickFinderWindow();
        QVERIFY(window.isVisible());
        QVERIFY(AccessibleNames::readsAsWindow(window));
        QVERIFY2(AccessibleNames::unnamedControls(window).isEmpty(),
                 qPrintable(AccessibleNames::unnamedControls(window).join(", ")));

        auto* keyword = window.findChild<QLineEdit*>(QuickFinder::Keyword);
        QTest::keyClicks(keyword, "MONEY");
        QCOMPARE(keyword->text(), QString("money"));
        QTest::keyClick(keyword, Qt::Key_Return);
        QuickFinderController& finder = program.windows->quickFinder();
        QCOMPARE(finder.results.rows(), 4);
        QCOMPARE(window.findChild<QLabel*>(QuickFinder::FoundResults)->text(),
                 QString("3 Results found for \"money\""));

        // Select the three results downward with the keyboard, then add them to the current list.
        auto* results = window.findChild<QTableView*>(QuickFinder::Results);
        results->setFocus();
        QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                          results->visualRect(results->model()->index(0, 0)).center());
        QTest::keyClick(results, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(results, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(finder.selectionTop(), 0);
        QCOMPARE(finder.selectionBottom(), 2);
        window.findChild<QPushButton*>(QuickFinder::AddButton)->click();

        CarnivalList& list = program.form().currentList;
        QCOMPARE(list.rows(), 4);
        QCOMPARE(list.cell(Column::CarnivalRef, 0), QString("11"));
        QCOMPARE(list.cell(Column::Carnival, 2), QString("Travel & Money"));
        QCOMPARE(finder.results.rows(), 1);

        // The directory expires one; after a reload Check Inactives offers exactly that one.
        program.directory.expire({12});
        QVERIFY(WebTestSupport::waitForLoad(program.windows->view1(),
                                            [&] { program.form().refreshPage(Tab::CurrentList); }));
        program.boxes.answers.enqueue(true);
        program.form().dispatch([&] { program.form().checkInactives(); });
        QCOMPARE(program.boxes.titles.last(), QString("VorlixPro v3 - Inactive Carnivals"));
        QVERIFY(program.boxes.texts.last().contains("* Frugal Money Round-up\r\n"));
        QVERIFY(program.boxes.texts.last().startsWith("Found 1 carnivals"));
        QCOMPARE(list.rows(), 3);
        QCOMPARE(list.cell(Column::CarnivalRef, 1), QString("13"));
    }

    void addButtonFollowsTheActiveTab()
    {
        ProgramHarness program(smallCatalog());
        QVERIFY(program.start());
        emit program.form().showQuickFinderRequested();
        auto* add = program.windows->quickFinderWindow().findChild<QPushButton*>(QuickFinder::AddButton);
        QCOMPARE(add->text(), QString("Add to Current List"));
        program.window().pageControl()->setCurrentIndex(1);
        QCOMPARE(add->text(), QString("Add to New List"));
    }
};

QTEST_MAIN(TestQuickFinder)
#include "TestQuickFinder.moc"
