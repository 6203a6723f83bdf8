#include "ProgramHarness.h"
#include "gui/CarnivalGridView.h"
#include "gui/QtDesktop.h"
#include "lists/StateFile.h"
#include "site/Submitter.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {
const QString kPermalink = QStringLiteral("http://blog.test/2024/05/my-post");

CarnivalCatalog fiveCarnivals()
{
    return CarnivalCatalog::fromTsv("11\tAlpha Weekly\t\t\n"
                                    "12\tBeta Round-up\t5\tSaving\n"
                                    "12\tBeta Round-up\t6\tSpending\n"
                                    "13\tGamma Carnival\t\t\n"
                                    "14\tDelta Digest\t7\tGardens\n"
                                    "15\tEpsilon Edition\t\t\n");
}

using Row = ListRow;

// The list as the user saved it: entries in another order than the form's, categories chosen.
const QList<Row> kList = {
    {"Delta Digest", "Gardens", 14, 7},       {"Alpha Weekly", "No Category", 11, 0},
    {"Beta Round-up", "Spending", 12, 6},     {"Epsilon Edition", "No Category", 15, 0},
    {"Gamma Carnival", "No Category", 13, 0},
};

QList<qint64> refsFrom(int first)
{
    QList<qint64> refs;
    for (int i = first; i < kList.size(); ++i)
        refs.append(kList[i].carnivalRef);
    return refs;
}

QList<qint64> submittedRefs(const CarnivalDirectory& directory)
{
    QList<qint64> refs;
    for (const Submission& submission : directory.submissions())
        refs.append(submission.carnival);
    return refs;
}

/// A list file of the five entries, remembered as the current list so that start-up loads it.
void writeListFile(const QString& folder)
{
    writeRememberedList(folder + "/five.bcl", kList);
}
} // namespace

/// The real windows against the local directory: one program for all cases, the list loaded from
/// its file at start-up and the permalink typed into the page.
class TestSubmitting final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase() { program.reset(); }

    void autoSubmitFromARow_data();
    void autoSubmitFromARow();
    void slowAnswersStillSubmitEachCarnivalOnce();
    void escStopsTheRun();
    void manualSubmitSendsTheSelectedRow();

private:
    CarnivalList& list() { return program->form().currentList; }
    QPushButton* button(const char* name) { return program->window().findChild<QPushButton*>(name); }
    QLabel* label(const QString& name) { return program->window().findChild<QLabel*>(name); }
    bool runLabelsShown()
    {
        return label(Controls::Submitting)->isVisible() &&
               label(Controls::Submitting)->text() == "Auto Submitting" &&
               label(Controls::Submitting2)->isVisible() &&
               label(Controls::Submitting2)->text() == "(Press Esc to Abort)";
    }
    bool runLabelsHidden()
    {
        return !label(Controls::Submitting)->isVisible() && !label(Controls::Submitting2)->isVisible();
    }
    void typePermalink();
    static QString question(int rows);
    void selectRowWithTheMouse(int row);

    std::unique_ptr<ProgramHarness> program;
};

void TestSubmitting::initTestCase()
{
    program = std::make_unique<ProgramHarness>(fiveCarnivals());
    writeListFile(program->folder.path());
    QVERIFY(program->start());
    QCOMPARE(list().rows(), 6); // the five entries and the trailing blank row
    QVERIFY(list().isBlankRow(5));
    typePermalink();
    QCOMPARE(program->windows->view1().GetFieldValue("post_url"), kPermalink);
}

void TestSubmitting::init()
{
    program->directory.setAnswerDelay(0);
    program->directory.clearSubmissions();
    program->boxes.texts.clear();
    // Each case starts with a history of its own: nothing submitted yet, nothing to skip.
    static int serial = 0;
    program->form().openHistory(program->folder.filePath(QStringLiteral("history-%1.sqlite").arg(++serial)));
}

QString TestSubmitting::question(int rows)
{
    return Submitter::startQuestion(kPermalink, rows);
}

void TestSubmitting::typePermalink()
{
    QWebEngineView* view = program->windows->view1().widget();
    bool focused = false;
    view->page()->runJavaScript(
        "var f = document.getElementsByName('post_url')[0]; f.focus(); document.activeElement === f",
        [&focused](const QVariant& result) { focused = result.toBool(); });
    QTRY_VERIFY(focused);
    QTest::keyClicks(view->focusProxy(), kPermalink);
    QTRY_COMPARE(program->windows->view1().GetFieldValue("post_url"), kPermalink);
}

void TestSubmitting::selectRowWithTheMouse(int row)
{
    CarnivalGridView* grid = program->window().grid1();
    grid->setFocus();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(row, 0)).center());
    QCOMPARE(list().currentRow(), row);
}

void TestSubmitting::autoSubmitFromARow_data()
{
    QTest::addColumn<int>("startRow");
    QTest::newRow("first row") << 0;
    QTest::newRow("third row") << 2;
}

void TestSubmitting::autoSubmitFromARow()
{
    QFETCH(int, startRow);
    list().setCurrentRow(startRow);
    bool labelsSeen = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] { labelsSeen = labelsSeen || runLabelsShown(); });
    watch.start(50);

    button("autoSubmitButton")->click();

    const QList<Submission> submissions = program->directory.submissions();
    if (submittedRefs(program->directory) != refsFrom(startRow)) {
        for (const Submission& s : submissions)
            qWarning() << "posted" << s.carnival << s.category << s.time.toString(Qt::ISODateWithMs);
        qWarning() << "boxes" << program->boxes.texts;
    }
    QCOMPARE(submittedRefs(program->directory), refsFrom(startRow));
    for (const Submission& submission : submissions)
        QCOMPARE(submission.postUrl, kPermalink);
    QCOMPARE(program->boxes.texts, (QStringList{question(int(kList.size()) - startRow),
                                                Submitter::finishedMessage(int(kList.size()) - startRow)}));
    // Mend: each row went out with its own category.
    for (int i = 0; i < submissions.size(); ++i)
        QCOMPARE(submissions[i].category, kList[startRow + i].categoryRef);
    QCOMPARE(list().currentRow(), 5);
    QVERIFY(labelsSeen);
    // The big caption stays clear of the button beside it.
    QVERIFY(!label(Controls::Submitting)->geometry().intersects(button("changeCategoryButton")->geometry()));
    QVERIFY(runLabelsHidden());
}

void TestSubmitting::slowAnswersStillSubmitEachCarnivalOnce()
{
    program->directory.setAnswerDelay(1500);
    list().setCurrentRow(2);

    button("autoSubmitButton")->click();

    QCOMPARE(submittedRefs(program->directory), refsFrom(2));
    QCOMPARE(program->boxes.texts, (QStringList{question(3), Submitter::finishedMessage(3)}));
}

void TestSubmitting::escStopsTheRun()
{
    list().setCurrentRow(0);
    // The user presses Esc on the window while the run handles events, once the second row is posted.
    QTimer esc;
    connect(&esc, &QTimer::timeout, this, [&] {
        if (program->directory.submissions().size() < 2)
            return;
        esc.stop();
        QTest::keyPress(program->window().grid1(), Qt::Key_Escape);
    });
    esc.start(20);
    QSignalSpy answers(&program->windows->view1(), &BrowserView::LoadFinished);

    button("autoSubmitButton")->click();
    QTest::keyRelease(program->window().grid1(), Qt::Key_Escape);

    const qsizetype submitted = program->directory.submissions().size();
    QVERIFY2(submitted >= 2 && submitted < kList.size(), qPrintable(QString::number(submitted)));
    QCOMPARE(program->boxes.texts, (QStringList{question(5), Submitter::kAborted}));
    QVERIFY(runLabelsHidden());
    QVERIFY(!program->windows->desktop().isEscDown());
    // The aborted row's answer still loads; the next case starts on a settled page.
    QTRY_VERIFY(answers.size() >= submitted);
    QTRY_VERIFY(!program->windows->view1().Busy());
}

void TestSubmitting::manualSubmitSendsTheSelectedRow()
{
    selectRowWithTheMouse(2);

    button("manualSubmitButton")->click();

    const QList<Submission> submissions = program->directory.submissions();
    QCOMPARE(submissions.size(), 1);
    QCOMPARE(submissions[0].carnival, kList[2].carnivalRef);
    QCOMPARE(submissions[0].category, kList[2].categoryRef);
    QCOMPARE(submissions[0].postUrl, kPermalink);
    QVERIFY2(program->boxes.texts.isEmpty(), qPrintable(program->boxes.texts.join(" / ")));
    QCOMPARE(label("statusPanel")->text(), Submitter::submittedStatus(kList[2].carnival));
}

QTEST_MAIN(TestSubmitting)
#include "TestSubmitting.moc"
