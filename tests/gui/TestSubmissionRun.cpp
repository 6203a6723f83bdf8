// Issue 14's "Done when", end to end: the real windows against the local directory, a list of four
// rows with categories, one carnival answering HTTP 500. Set VORLIX_SCREENSHOT_DIR to keep a picture
// of the run under way and of the history window.
#include "AccessibleNames.h"
#include "ProgramHarness.h"
#include "gui/HistoryWindow.h"
#include "lists/StateFile.h"
#include "site/Submitter.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {
const QString kPermalink = QStringLiteral("http://blog.test/2024/06/four-carnivals");
const QString kTitle = QStringLiteral("Four carnivals, one post");

CarnivalCatalog fourCarnivals()
{
    return CarnivalCatalog::fromTsv("21\tAlpha Weekly\t31\tSaving\n"
                                    "21\tAlpha Weekly\t32\tSpending\n"
                                    "22\tBeta Round-up\t33\tGardens\n"
                                    "22\tBeta Round-up\t34\tKitchens\n"
                                    "23\tGamma Carnival\t35\tRecipes\n"
                                    "23\tGamma Carnival\t36\tDrinks\n"
                                    "24\tDelta Digest\t37\tTravel\n"
                                    "24\tDelta Digest\t38\tMaps\n");
}

using Row = ListRow;

// Every row's category is one the form does not choose by itself (each carnival's second).
const QList<Row> kList = {
    {"Alpha Weekly", "Spending", 21, 32},
    {"Beta Round-up", "Kitchens", 22, 34},
    {"Gamma Carnival", "Drinks", 23, 36},
    {"Delta Digest", "Maps", 24, 38},
};
constexpr qint64 kFailingRef = 23;

void writeListFile(const QString& folder)
{
    writeRememberedList(folder + "/four.bcl", kList);
}

void saveScreenshot(QWidget& widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("VORLIX_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        widget.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}
} // namespace

class TestSubmissionRun final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { program.reset(); }
    void fourRowsOneHttp500ThenResume();
    void theHistoryWindowShowsFiltersAndExports();
    void aDamagedHistoryIsSaidAndStartedAfresh();

private:
    void typeInto(const QString& field, const QString& text);
    QPushButton* button(const char* name) { return program->window().findChild<QPushButton*>(name); }

    std::unique_ptr<ProgramHarness> program;
};

void TestSubmissionRun::initTestCase()
{
    program = std::make_unique<ProgramHarness>(fourCarnivals());
    program->directory.setFailure(kFailingRef, 500);
    writeListFile(program->folder.path());
    QVERIFY(program->start());
    QVERIFY(program->form().history.isOpen());
    QVERIFY(program->form().history.path().startsWith(program->folder.path()));
    QCOMPARE(program->form().currentList.rows(), 5);
    typeInto("post_url", kPermalink);
    typeInto("title", kTitle);
}

void TestSubmissionRun::typeInto(const QString& field, const QString& text)
{
    QWebEngineView* view = program->windows->view1().widget();
    bool focused = false;
    view->page()->runJavaScript("var f = document.getElementsByName('" + field +
                                    "')[0]; f.focus(); document.activeElement === f",
                                [&focused](const QVariant& result) { focused = result.toBool(); });
    QTRY_VERIFY(focused);
    QTest::keyClicks(view->focusProxy(), text);
    QTRY_COMPARE(program->windows->view1().GetFieldValue(field), text);
}

void TestSubmissionRun::fourRowsOneHttp500ThenResume()
{
    CarnivalList& list = program->form().currentList;
    list.setCurrentRow(0);
    auto* status = program->window().findChild<QLabel*>("statusPanel");
    auto* progress = program->window().findChild<QProgressBar*>(Controls::SubmitProgress);
    QVERIFY(progress);
    QStringList statusSeen;
    int progressMax = 0;
    bool pictured = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (statusSeen.isEmpty() || statusSeen.last() != status->text())
            statusSeen.append(status->text());
        if (progress->isVisible())
            progressMax = std::max(progressMax, progress->maximum());
        if (!pictured && status->text().startsWith("Submitting 3 of 4") && progress->isVisible()) {
            pictured = true;
            saveScreenshot(program->window(), "auto-submit-run-progress");
        }
    });
    watch.start(10);

    button("autoSubmitButton")->click();
    watch.stop();

    // The directory received each row's own carnival and category, the failing one included.
    const QList<Submission> posts = program->directory.submissions();
    QCOMPARE(posts.size(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(posts[i].carnival, kList[i].carnivalRef);
        QCOMPARE(posts[i].category, kList[i].categoryRef);
        QCOMPARE(posts[i].postUrl, kPermalink);
        QCOMPARE(posts[i].fields.value("title"), kTitle);
        QCOMPARE(posts[i].status, kList[i].carnivalRef == kFailingRef ? 500 : 200);
    }
    QCOMPARE(program->boxes.texts, (QStringList{Submitter::startQuestion(kPermalink, 4),
                                                Submitter::finishedMessage(3) +
                                                    "\n\nNot submitted:\n* Gamma Carnival (HTTP 500)"}));
    for (int k = 1; k <= 4; ++k)
        QVERIFY2(statusSeen.contains(Submitter::progressStatus(k, 4, kList[k - 1].carnival)),
                 qPrintable(statusSeen.join(" | ")));
    QCOMPARE(progressMax, 4);
    QVERIFY(!progress->isVisible());

    // The history holds the four attempts.
    const QList<SubmissionAttempt> attempts = program->form().history.attempts({}, 0, 100);
    QCOMPARE(attempts.size(), 4);
    for (const SubmissionAttempt& a : attempts) {
        QCOMPARE(a.permalink, kPermalink);
        QCOMPARE(a.postTitle, kTitle);
        QCOMPARE(a.outcome, a.carnivalRef == QString::number(kFailingRef)
                                ? SubmissionAttempt::Outcome::Failed
                                : SubmissionAttempt::Outcome::Submitted);
        QVERIFY(a.listFile.endsWith("four.bcl"));
    }

    // Again: the question offers to skip the three done carnivals; Yes sends only the failed one.
    program->directory.clearFailures();
    program->directory.clearSubmissions();
    program->boxes.texts.clear();
    QTRY_VERIFY(!program->windows->view1().Busy());
    list.setCurrentRow(0);
    program->boxes.answers.enqueue(true);

    button("autoSubmitButton")->click();

    QCOMPARE(program->boxes.texts, (QStringList{Submitter::startQuestion(kPermalink, 4) +
                                                    "\n\nIt was already submitted to 3 of them. Skip those?",
                                                Submitter::finishedMessage(1)}));
    const QList<Submission> again = program->directory.submissions();
    QCOMPARE(again.size(), 1);
    QCOMPARE(again[0].carnival, kFailingRef);
    QCOMPARE(again[0].category, qint64(36));
    QCOMPARE(again[0].status, 200);
    QCOMPARE(program->form().history.attempts({}, 0, 100).size(), 4 + 3 + 1);
}

void TestSubmissionRun::theHistoryWindowShowsFiltersAndExports()
{
    QAction* item = program->window().findChild<QAction*>("submissionHistoryAction");
    QVERIFY(item);
    QCOMPARE(item->text(), QString("Submission &History..."));
    item->trigger();
    HistoryWindow& window = program->windows->historyWindow();
    QTRY_VERIFY(window.isVisible());
    QCOMPARE(window.model().rowCount(), 8);
    // Newest first: the resumed run's submission of the failed carnival.
    QCOMPARE(HistoryModel::cellText(window.model().attempt(0), HistoryModel::Carnival),
             QString("Gamma Carnival"));
    QCOMPARE(HistoryModel::cellText(window.model().attempt(0), HistoryModel::Outcome), QString("submitted"));
    saveScreenshot(window, "submission-history");
    QVERIFY(AccessibleNames::readsAsWindow(window));
    QVERIFY2(AccessibleNames::unnamedControls(window).isEmpty(),
             qPrintable(AccessibleNames::unnamedControls(window).join(", ")));

    QTest::keyClicks(window.filterBox(), "gamma");
    QCOMPARE(window.model().rowCount(), 2);
    QCOMPARE(HistoryModel::cellText(window.model().attempt(1), HistoryModel::Reason), QString("HTTP 500"));
    QCOMPARE(HistoryModel::cellText(window.model().attempt(1), HistoryModel::HttpStatus), QString("500"));

    const QString csv = program->folder.filePath("history.csv");
    QString error;
    QVERIFY2(window.exportCsv(csv, &error), qPrintable(error));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QString("Time (UTC),Carnival,Category,Outcome,Reason,HTTP status,Permalink,Post title,"
                               "Carnival ref,Category ref,List file"));
    QVERIFY2(lines[2].contains(",Gamma Carnival,Drinks,failed,HTTP 500,500," + kPermalink +
                               ",\"Four carnivals, one post\",23,36,"),
             qPrintable(lines[2]));
    window.filterBox()->clear();
    QCOMPARE(window.model().rowCount(), 8);
    window.close();
}

void TestSubmissionRun::aDamagedHistoryIsSaidAndStartedAfresh()
{
    const QString path = program->folder.filePath("damaged.sqlite");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'x'));
    file.close();
    program->boxes.texts.clear();

    program->form().openHistory(path);

    QCOMPARE(program->boxes.texts.size(), 1);
    QVERIFY2(program->boxes.texts[0].contains("was damaged") && program->boxes.texts[0].contains("kept as"),
             qPrintable(program->boxes.texts[0]));
    QVERIFY(program->form().history.isOpen());
    QCOMPARE(program->form().history.count(), 0);
}

QTEST_MAIN(TestSubmissionRun)
#include "TestSubmissionRun.moc"
