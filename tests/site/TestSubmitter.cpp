#include "SiteFixture.h"
#include "lists/RowOperations.h"
#include "site/Submitter.h"

#include <QTest>

#include <algorithm>

Q_DECLARE_METATYPE(Desktop::Answer)

namespace {
const QString kPermalink = QStringLiteral("http://blog.test/2024/my-post");
const QString kNoDocumentError =
    QStringLiteral("Couldn't convert the EmbeddedWB1.Document to an IHTMLDocument2");

const QList<CarnivalEntry> kFive = {
    {"Alpha", "Classic", "11", "3"},     {"Beta", "No Category", "12", "0"}, {"Gamma", "Modern", "13", "4"},
    {"Delta", "No Category", "14", "0"}, {"Epsilon", "Classic", "15", "3"},
};
const CarnivalEntry kBlank{};

/// The directory behind the first tab's fake page: clicking "btn" records the chosen carnival and
/// category, starts a load and answers with the form again (fields kept, the posted carnival still
/// chosen), at once or after a number of event passes, or never. Answers still under way when
/// another post comes each arrive in their turn, replacing whatever the page holds then. A carnival
/// given an HTTP error answers with an error page of that status (and Retry-After) instead; a
/// navigation to the form's address loads the form afresh (its fields as the directory's form has
/// them), at once.
struct FakeDirectory
{
    FakePage& page;
    FakeDesktop& desktop;
    FakeForm form;
    FakeFormHandles handles;
    QStringList carnivals;
    QStringList categories;
    QStringList postUrls;
    QHash<QString, int> errorFor;      // carnival ref -> HTTP status of its answer
    QHash<QString, int> retryAfterFor; // carnival ref -> Retry-After of that answer
    QHash<QString, int> errorTimes;    // carnival ref -> how many posts fail (absent: all)
    bool formLoads = true;             // a navigation to the form loads it
    QList<int> waitedAtClicks;
    int answerAfterPasses = 0; // 0: the answer loads inside the click
    int answersLeft = -1;      // -1: answers every post; n: answers n more, then none
    bool answerOk = true;      // false: the answer's load fails
    bool answerHasDocument = true;
    std::function<void(int)> onSubmit; // runs at each click with the submission's number, from 1
    struct PendingAnswer
    {
        QString carnival;
        int passesLeft;
    };
    QList<PendingAnswer> pending;

    FakeDirectory(FakePage& view, FakeDesktop& fakeUi) : page(view), desktop(fakeUi)
    {
        form.carnivals = {
            {"0", "Select a carnival"}, {"11", "Alpha"}, {"12", "Beta"}, {"13", "Gamma"}, {"14", "Delta"},
            {"15", "Epsilon"}};
        form.postUrl = kPermalink;
        page.onNavigate = [this](const QString& address) {
            if (!formLoads || address != SiteFixture::kForm)
                return;
            emit page.LoadStarted();
            open();
            page.setHttpAnswer(200);
            emit page.LoadFinished(true);
        };
    }

    void open(const QString& chosenCarnival = QString())
    {
        handles = page.loadSubmissionForm(SiteFixture::kForm, form);
        if (!chosenCarnival.isEmpty())
            page.setAttribute(handles.carnival, "value", chosenCarnival);
        page.element(handles.button).handlers["onclick"] = [this] { submitted(); };
        if (onCarnivalChange)
            page.element(handles.carnival).handlers["onchange"] = onCarnivalChange;
    }
    std::function<void()> onCarnivalChange; // the carnival drop-down's change handler

    void submitted()
    {
        carnivals.append(page.chosenValue(handles.carnival));
        categories.append(page.chosenValue(handles.category));
        postUrls.append(page.GetFieldValue("post_url"));
        waitedAtClicks.append(desktop.waitedMs);
        emit page.LoadStarted();
        if (onSubmit)
            onSubmit(static_cast<int>(carnivals.size()));
        if (answersLeft == 0)
            return;
        if (answersLeft > 0)
            --answersLeft;
        if (answerAfterPasses == 0)
            answer(carnivals.last());
        else
            pending.append({carnivals.last(), answerAfterPasses});
    }

    void eventPass()
    {
        for (PendingAnswer& waiting : pending)
            --waiting.passesLeft;
        while (!pending.isEmpty() && pending.first().passesLeft <= 0)
            answer(pending.takeFirst().carnival);
    }

    void answer(const QString& postedCarnival)
    {
        const int status = errorFor.value(postedCarnival);
        if (status >= 400 && errorTimes.value(postedCarnival, 1) > 0) {
            if (errorTimes.contains(postedCarnival))
                --errorTimes[postedCarnival];
            // The error page replaces the form: no fields, no button.
            page.loadEmptyDocument(SiteFixture::kForm);
            FakeElement heading;
            heading.tag = "h1";
            page.add(heading);
            page.setHttpAnswer(status, retryAfterFor.value(postedCarnival, -1));
            emit page.LoadFinished(true);
            return;
        }
        if (answerHasDocument) {
            open(postedCarnival);
            // The answer keeps the posted fields.
            if (!postUrls.isEmpty())
                page.setAttribute(handles.postUrl, "value", postUrls.last());
        } else {
            page.unloadDocument();
        }
        page.setHttpAnswer(answerOk ? 200 : 0);
        emit page.LoadFinished(answerOk);
    }
};
} // namespace

class TestSubmitter final : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void buttonChecksInTheirOrder_data();
    void buttonChecksInTheirOrder();
    void pageErrorDuringTheChecks();
    void runSubmitsEachCarnivalOnceInOrder_data();
    void runSubmitsEachCarnivalOnceInOrder();
    void runFromItsStartingRow_data();
    void runFromItsStartingRow();
    void anAnswerWithoutDocumentBringsTheFormBack();
    void aFormThatDoesNotComeBackEndsTheRun();
    void escEndsTheRun_data();
    void escEndsTheRun();
    void closingTheWindowEndsTheRunQuietly_data();
    void closingTheWindowEndsTheRunQuietly();
    void failureEndsTheRunOnTheFailingRow_data();
    void failureEndsTheRunOnTheFailingRow();
    void labelsShownOnlyDuringTheRun_data();
    void labelsShownOnlyDuringTheRun();
    void enterRunsTheChecksOnTheFirstTabOnly();
    void noSecondSubmissionWhileOneIsUnderWay();
    void theRunOwnsItsRows();
    void aShortEscPressBetweenRowsEndsTheRun();
    void theRunStartsOnlyAfterTheQuestion();
    void aCategoryNoLongerOfferedFailsItsRow();
    void anHttpErrorFailsItsRowAndTheRunGoesOn();
    void busyAnswersAreWaitedForOnce_data();
    void busyAnswersAreWaitedForOnce();
    void escDuringTheRetryWaitEndsTheRun();
    void progressInTheStatusBar();
    void everyAttemptIsInTheHistory();
    void aSecondRunSkipsWhatWasSubmitted_data();
    void aSecondRunSkipsWhatWasSubmitted();
    void unknownOutcomesAreNamedInTheQuestion();
    void withoutHistoryTheRunSaysItIsNotRecorded();
    void manualSubmitReportsAnHttpError();
    void refreshNeverPostsAgain();
    void aPageReplacedBeforeTheClickIsNotPosted();
    void manualSubmitsTheSelectedRow();
    void manualSubmitFailures_data();
    void manualSubmitFailures();

private:
    MainController& form() { return *f->form; }
    CarnivalList& grid() { return f->form->currentList; }
    FakePage& page() { return f->pages[0]; }
    void load(const QList<CarnivalEntry>& entries, int currentRow = 0)
    {
        f->fill(0, entries);
        grid().setCurrentRow(currentRow);
    }
    bool labelsVisible() const
    {
        return f->form->controls.isVisible(Controls::Submitting) &&
               f->form->controls.isVisible(Controls::Submitting2);
    }
    bool labelsHidden() const
    {
        return !f->form->controls.isVisible(Controls::Submitting) &&
               !f->form->controls.isVisible(Controls::Submitting2);
    }
    static QStringList refsOf(const QList<CarnivalEntry>& entries)
    {
        QStringList refs;
        for (const CarnivalEntry& e : entries)
            refs.append(e.carnivalRef);
        return refs;
    }

    std::unique_ptr<SiteFixture> f;
    std::unique_ptr<FakeDirectory> directory;
};

void TestSubmitter::init()
{
    directory.reset();
    f = std::make_unique<SiteFixture>();
    directory = std::make_unique<FakeDirectory>(f->pages[0], f->desktop);
    directory->open();
    f->desktop.onProcessEvents = [this] { directory->eventPass(); };
    f->desktop.defaultChoice = Desktop::Answer::Yes; // the starting question answered Yes
}

void TestSubmitter::buttonChecksInTheirOrder_data()
{
    QTest::addColumn<QString>("permalink");
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("onForm");
    QTest::addColumn<QList<CarnivalEntry>>("list");
    QTest::addColumn<QString>("autoMessage");   // empty: it submits
    QTest::addColumn<QString>("manualMessage"); // empty: it submits

    const QList<CarnivalEntry> loaded = {kFive[0], kBlank};
    QTest::newRow("all wrong") << "" << false << false << QList<CarnivalEntry>{kBlank}
                               << Submitter::kPermalinkEmpty << SubmitPage::kOfflineMessage;
    QTest::newRow("offline, off the form") << kPermalink << false << false << loaded
                                           << SubmitPage::kOfflineMessage << SubmitPage::kOfflineMessage;
    QTest::newRow("empty permalink, off the form")
        << "" << true << false << loaded << Submitter::kPermalinkEmpty << Submitter::kPermalinkEmpty;
    QTest::newRow("off the form") << kPermalink << true << false << loaded
                                  << SubmitPage::kNotDefaultPageMessage << SubmitPage::kNotDefaultPageMessage;
    QTest::newRow("empty list") << kPermalink << true << true << QList<CarnivalEntry>{kBlank}
                                << Submitter::kNothingInList << Submitter::kNoCarnivalInRow;
    QTest::newRow("one carnival, no blank row")
        << kPermalink << true << true << QList<CarnivalEntry>{kFive[0]} << Submitter::kNothingInList << "";
    QTest::newRow("all well") << kPermalink << true << true << loaded << ""
                              << "";
}

void TestSubmitter::buttonChecksInTheirOrder()
{
    QFETCH(QString, permalink);
    QFETCH(bool, online);
    QFETCH(bool, onForm);
    QFETCH(QList<CarnivalEntry>, list);
    QFETCH(QString, autoMessage);
    QFETCH(QString, manualMessage);

    directory->form.postUrl = permalink;
    directory->open();
    if (!onForm)
        page().setLocation(SiteFixture::kForm + "?id=11");
    f->network.online = online;
    load(list);

    form().autoSubmit();
    const QStringList expectedAuto =
        autoMessage.isEmpty() ? QStringList{Submitter::finishedMessage(1)} : QStringList{autoMessage};
    QCOMPARE(f->desktop.messages, expectedAuto);
    QCOMPARE(directory->carnivals.size(), autoMessage.isEmpty() ? 1 : 0);

    f->desktop.messages.clear();
    directory->carnivals.clear();
    grid().setCurrentRow(0);
    form().manualSubmit();
    QCOMPARE(f->desktop.messages, manualMessage.isEmpty() ? QStringList{} : QStringList{manualMessage});
    QCOMPARE(directory->carnivals, manualMessage.isEmpty() ? QStringList{"11"} : QStringList{});
}

void TestSubmitter::pageErrorDuringTheChecks()
{
    load({kFive[0], kBlank});
    page().failOperation("GetFieldValue");
    form().autoSubmit();
    form().manualSubmit();
    QCOMPARE(f->desktop.messages, QStringList(2, SubmitPage::kPageErrorMessage));
    QVERIFY(page().clicked.isEmpty());
}

void TestSubmitter::runSubmitsEachCarnivalOnceInOrder_data()
{
    QTest::addColumn<int>("answerAfterPasses");
    QTest::newRow("answer loads inside the click") << 0;
    QTest::newRow("answer after one event pass") << 1;
    QTest::newRow("slow answer") << 40;
}

void TestSubmitter::runSubmitsEachCarnivalOnceInOrder()
{
    QFETCH(int, answerAfterPasses);
    directory->answerAfterPasses = answerAfterPasses;
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, refsOf(kFive));
    QCOMPARE(f->desktop.messages, QStringList{Submitter::finishedMessage(5)});
    QCOMPARE(grid().currentRow(), 5);
    // The pace: at least the fixed pause before each click, waited in the event loop, not slept.
    for (int i = 0; i < directory->waitedAtClicks.size(); ++i) {
        const int previous = i == 0 ? 0 : directory->waitedAtClicks[i - 1];
        QVERIFY(directory->waitedAtClicks[i] - previous >= Submitter::kPaceMs);
    }
    QCOMPARE(f->desktop.sleptMs, 0);
    // Mend: each row goes out with its own category.
    QCOMPARE(directory->categories, (QStringList{"3", "0", "4", "0", "3"}));
}

void TestSubmitter::runFromItsStartingRow_data()
{
    QTest::addColumn<QList<CarnivalEntry>>("list");
    QTest::addColumn<int>("startRow");
    QTest::addColumn<QStringList>("submitted");

    const QList<CarnivalEntry> loaded = kFive + QList<CarnivalEntry>{kBlank};
    QTest::newRow("third row") << loaded << 2 << QStringList{"13", "14", "15"};
    QTest::newRow("last carnival, trailing blank row") << loaded << 4 << QStringList{"15"};
    QTest::newRow("trailing blank row") << loaded << 5 << QStringList{};
    QTest::newRow("last row of a list without blank row") << kFive << 4 << QStringList{"15"};
    QTest::newRow("list without blank row") << kFive << 0 << refsOf(kFive);
    QTest::newRow("blank rows inside the list")
        << QList<CarnivalEntry>{kFive[0], kBlank, kFive[1], kBlank, kBlank, kFive[2], kBlank} << 0
        << QStringList{"11", "12", "13"};
}

void TestSubmitter::runFromItsStartingRow()
{
    QFETCH(QList<CarnivalEntry>, list);
    QFETCH(int, startRow);
    QFETCH(QStringList, submitted);
    load(list, startRow);

    form().autoSubmit();

    QCOMPARE(directory->carnivals, submitted);
    QCOMPARE(f->desktop.messages,
             QStringList{Submitter::finishedMessage(static_cast<int>(submitted.size()))});
    QCOMPARE(grid().currentRow(), static_cast<int>(list.size()) - 1);
}

void TestSubmitter::anAnswerWithoutDocumentBringsTheFormBack()
{
    // Mend: every answer is no HTML document; before each next row the run loads the form again.
    directory->answerHasDocument = false;
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, refsOf(kFive));
    QCOMPARE(page().navigations, QStringList(4, SiteFixture::kForm));
    QCOMPARE(f->desktop.messages, QStringList{Submitter::finishedMessage(5)});
    QCOMPARE(grid().currentRow(), 5);
}

void TestSubmitter::aFormThatDoesNotComeBackEndsTheRun()
{
    directory->answerHasDocument = false;
    directory->formLoads = false;
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, QStringList{"11"});
    QCOMPARE(f->desktop.messages, QStringList{Submitter::kRunFailed});
    QCOMPARE(grid().currentRow(), 1);
}

void TestSubmitter::escEndsTheRun_data()
{
    QTest::addColumn<bool>("whileLoading");
    QTest::newRow("held at the click") << false;
    QTest::newRow("pressed while the answer loads") << true;
}

void TestSubmitter::escEndsTheRun()
{
    QFETCH(bool, whileLoading);
    directory->answerAfterPasses = 3;
    directory->onSubmit = [&](int number) {
        if (number == 2 && !whileLoading)
            f->desktop.escDown = true;
    };
    f->desktop.onProcessEvents = [&] {
        if (whileLoading && directory->carnivals.size() == 2 && directory->pending.size() == 1 &&
            directory->pending.first().passesLeft == 2)
            f->desktop.escDown = true;
        directory->eventPass();
    };
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, (QStringList{"11", "12"}));
    QCOMPARE(f->desktop.messages, QStringList{Submitter::kAborted});
    QCOMPARE(grid().currentRow(), 1);
    QVERIFY(labelsHidden());
}

void TestSubmitter::closingTheWindowEndsTheRunQuietly_data()
{
    QTest::addColumn<bool>("whileLoading");
    QTest::newRow("closed at a click") << false;
    QTest::newRow("closed while the answer loads") << true;
}

// A run must not go on posting behind a closed window, nor hold up the program's end with a box.
void TestSubmitter::closingTheWindowEndsTheRunQuietly()
{
    QFETCH(bool, whileLoading);
    directory->answerAfterPasses = 3;
    directory->onSubmit = [&](int number) {
        if (number == 2 && !whileLoading)
            form().close();
    };
    f->desktop.onProcessEvents = [&] {
        if (whileLoading && directory->carnivals.size() == 2 && directory->pending.size() == 1 &&
            directory->pending.first().passesLeft == 2)
            form().close();
        directory->eventPass();
    };
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, (QStringList{"11", "12"}));
    QCOMPARE(f->desktop.messages, QStringList{});
    QVERIFY(labelsHidden());

    form().autoSubmit();
    form().keyTyped(13);
    form().manualSubmit();
    QCOMPARE(directory->carnivals, (QStringList{"11", "12"}));
}

void TestSubmitter::failureEndsTheRunOnTheFailingRow_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("the answer never comes") << "silent";
    QTest::newRow("the answer fails to load") << "load failed";
    QTest::newRow("the page fails before the next click") << "page fails";
}

void TestSubmitter::failureEndsTheRunOnTheFailingRow()
{
    QFETCH(QString, failure);
    directory->answerAfterPasses = 2;
    directory->onSubmit = [&](int number) {
        if (number != 2)
            return;
        if (failure == "silent")
            directory->answersLeft = 0;
        else if (failure == "load failed")
            directory->answerOk = false;
        else
            page().failOperation("getElementById"); // the answer loads, the next row's click fails
    };
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, (QStringList{"11", "12"}));
    QCOMPARE(f->desktop.messages, QStringList{Submitter::kRunFailed});
    QCOMPARE(grid().currentRow(), failure == "page fails" ? 2 : 1);
    QVERIFY(labelsHidden());
    if (failure == "silent") {
        // Bounded: one wait of the answer time-out after the second click.
        const int waited = f->desktop.waitedMs - directory->waitedAtClicks[1];
        QVERIFY(waited >= Submitter::kAnswerTimeoutMs);
        QVERIFY(waited <= Submitter::kAnswerTimeoutMs + Submitter::kPollMs);
    }
}

void TestSubmitter::labelsShownOnlyDuringTheRun_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("message");
    QTest::newRow("finished") << "finished" << Submitter::finishedMessage(2);
    QTest::newRow("aborted") << "aborted" << Submitter::kAborted;
    QTest::newRow("failed") << "failed" << Submitter::kRunFailed;
    QTest::newRow("no document at the start") << "no document" << SubmitPage::kPageErrorMessage;
}

void TestSubmitter::labelsShownOnlyDuringTheRun()
{
    QFETCH(QString, end);
    QFETCH(QString, message);
    load({kFive[0], kFive[1], kBlank});
    if (end == "failed")
        directory->answersLeft = 0;
    if (end == "no document")
        page().unloadDocument();
    QList<bool> shown;
    f->desktop.onProcessEvents = [&] {
        shown.append(labelsVisible());
        if (end == "aborted")
            f->desktop.escDown = true;
        directory->eventPass();
    };
    QVERIFY(labelsHidden());

    form().dispatch([&] { form().keyTyped(13); });

    QCOMPARE(f->desktop.messages, QStringList{message});
    QVERIFY(labelsHidden());
    QVERIFY(!shown.contains(false));
    QCOMPARE(shown.isEmpty(), end == "no document");
}

void TestSubmitter::enterRunsTheChecksOnTheFirstTabOnly()
{
    // Mend: Enter is the button, checks and question included; an empty permalink posts nothing.
    directory->form.postUrl.clear();
    directory->open();
    load({kFive[0], kFive[1], kBlank});

    form().tabChanged(1);
    form().keyTyped(13);
    QVERIFY(directory->carnivals.isEmpty());

    form().tabChanged(0);
    form().keyTyped(13);
    QVERIFY(directory->carnivals.isEmpty());
    QCOMPARE(f->desktop.messages, QStringList{Submitter::kPermalinkEmpty});

    f->desktop.messages.clear();
    directory->form.postUrl = kPermalink;
    directory->open();
    form().keyTyped(13);
    QCOMPARE(directory->carnivals, (QStringList{"11", "12"}));
    QCOMPARE(f->desktop.questions.size(), 1);
    QCOMPARE(f->desktop.messages, QStringList{Submitter::finishedMessage(2)});
}

void TestSubmitter::noSecondSubmissionWhileOneIsUnderWay()
{
    directory->answerAfterPasses = 2;
    f->desktop.onProcessEvents = [&] {
        // The user presses every starter while the run handles events.
        form().autoSubmit();
        form().keyTyped(13);
        form().manualSubmit();
        directory->eventPass();
    };
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, refsOf(kFive));
    QCOMPARE(f->desktop.messages, QStringList{Submitter::finishedMessage(5)});

    // Once it has ended, a new run may start (sending again what it sent: the user says No to skipping).
    f->desktop.onProcessEvents = [&] { directory->eventPass(); };
    grid().setCurrentRow(4);
    f->desktop.choices.enqueue(Desktop::Answer::No);
    form().autoSubmit();
    QCOMPARE(directory->carnivals.size(), 6);
}

void TestSubmitter::theRunOwnsItsRows()
{
    // Mend: a click on the grid, or rows deleted, during the run change nothing of what it sends.
    int passes = 0;
    f->desktop.onProcessEvents = [&] {
        ++passes;
        if (directory->carnivals.size() == 2 && passes % 7 == 0) {
            grid().setCurrentRow(0);
            form().selectionChanged(Tab::CurrentList);
        }
        if (directory->carnivals.size() == 3 && grid().rows() == 6) {
            deleteGridRow(grid(), grid().rows() - 1, f->desktop);
            deleteGridRow(grid(), grid().rows() - 1, f->desktop);
        }
        directory->eventPass();
    };
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, refsOf(kFive));
    QCOMPARE(directory->categories, (QStringList{"3", "0", "4", "0", "3"}));
    QCOMPARE(f->desktop.messages, QStringList{Submitter::finishedMessage(5)});
}

void TestSubmitter::aShortEscPressBetweenRowsEndsTheRun()
{
    // Mend: a press already released by the time the run looks still stops it before its next click.
    f->desktop.onProcessEvents = [&] {
        if (directory->carnivals.size() == 2)
            f->desktop.escPressed = true;
        directory->eventPass();
    };
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, (QStringList{"11", "12"}));
    QCOMPARE(f->desktop.messages, QStringList{Submitter::kAborted});
    QCOMPARE(grid().currentRow(), 2); // the row the run stopped on, not sent
    QVERIFY(labelsHidden());
}

void TestSubmitter::theRunStartsOnlyAfterTheQuestion()
{
    load(kFive + QList<CarnivalEntry>{kBlank}, 2);
    f->desktop.choices.enqueue(Desktop::Answer::No);

    form().autoSubmit();

    QVERIFY(directory->carnivals.isEmpty());
    QVERIFY(f->desktop.messages.isEmpty());
    QCOMPARE(f->desktop.questions.size(), 1);
    QCOMPARE(f->desktop.questions[0].text, QString("Submit " + kPermalink + " to 3 carnivals?"));
    QCOMPARE(Submitter::startQuestion(kPermalink, 3), "Submit " + kPermalink + " to 3 carnivals?");
}

void TestSubmitter::aCategoryNoLongerOfferedFailsItsRow()
{
    QList<CarnivalEntry> list = kFive;
    list[1].categoryRef = "9"; // Beta's category is gone from the form
    list[1].category = "Gone";
    load(list + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, (QStringList{"11", "13", "14", "15"}));
    QCOMPARE(f->desktop.messages, QStringList{Submitter::finishedMessage(4) +
                                              "\n\nNot submitted:\n* Beta (category no longer offered)"});
}

void TestSubmitter::anHttpErrorFailsItsRowAndTheRunGoesOn()
{
    directory->errorFor["12"] = 500;
    directory->errorFor["14"] = 404;
    // The error pages replace the form: the directory's fresh form has an empty permalink field,
    // the run fills in what the user had typed.
    directory->onSubmit = [&](int) { directory->form.postUrl.clear(); };
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, refsOf(kFive));
    QCOMPARE(directory->postUrls, QStringList(5, kPermalink));
    QCOMPARE(f->desktop.messages, QStringList{Submitter::finishedMessage(3) +
                                              "\n\nNot submitted:\n* Beta (HTTP 500)\n* Delta (HTTP 404)"});
    QCOMPARE(page().navigations, QStringList(2, SiteFixture::kForm));
    QCOMPARE(grid().currentRow(), 5);
}

void TestSubmitter::busyAnswersAreWaitedForOnce_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("retryAfter");
    QTest::addColumn<int>("times");
    QTest::addColumn<QStringList>("message");
    QTest::addColumn<int>("posts");
    const QString all = Submitter::finishedMessage(5);
    QTest::newRow("503, 3 s, then answers") << 503 << 3 << 1 << QStringList{all} << 6;
    QTest::newRow("429, 0 s, then answers") << 429 << 0 << 1 << QStringList{all} << 6;
    QTest::newRow("503 twice: tried once more only")
        << 503 << 2 << 2
        << QStringList{Submitter::finishedMessage(4) + "\n\nNot submitted:\n* Beta (HTTP 503)"} << 6;
    QTest::newRow("Retry-After too long")
        << 503 << 121 << 1
        << QStringList{Submitter::finishedMessage(4) + "\n\nNot submitted:\n* Beta (HTTP 503)"} << 5;
    QTest::newRow("no Retry-After") << 429 << -1 << 1
                                    << QStringList{Submitter::finishedMessage(4) +
                                                   "\n\nNot submitted:\n* Beta (HTTP 429)"}
                                    << 5;
    QTest::newRow("500 is not retried")
        << 500 << 1 << 1
        << QStringList{Submitter::finishedMessage(4) + "\n\nNot submitted:\n* Beta (HTTP 500)"} << 5;
}

void TestSubmitter::busyAnswersAreWaitedForOnce()
{
    QFETCH(int, status);
    QFETCH(int, retryAfter);
    QFETCH(int, times);
    QFETCH(QStringList, message);
    QFETCH(int, posts);
    directory->errorFor["12"] = status;
    directory->retryAfterFor["12"] = retryAfter;
    directory->errorTimes["12"] = times;
    QStringList statusTexts;
    connect(&form().controls, &ControlStates::changed, this, [&](const QString& control) {
        if (control == Controls::StatusBar)
            statusTexts.append(form().controls.text(control));
    });
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(f->desktop.messages, message);
    QCOMPARE(directory->carnivals.size(), posts);
    if (posts == 6) {
        QCOMPARE(directory->carnivals.mid(1, 2), (QStringList{"12", "12"}));
        const int waited = directory->waitedAtClicks[2] - directory->waitedAtClicks[1];
        QVERIFY2(waited >= retryAfter * 1000 + Submitter::kPaceMs, qPrintable(QString::number(waited)));
        if (retryAfter > 0)
            QVERIFY(statusTexts.contains(QString("Beta is busy (HTTP %1): trying again in %2 s (Esc aborts)")
                                             .arg(status)
                                             .arg(retryAfter)));
    }
}

void TestSubmitter::escDuringTheRetryWaitEndsTheRun()
{
    directory->errorFor["12"] = 503;
    directory->retryAfterFor["12"] = 60;
    f->desktop.onProcessEvents = [&] {
        if (directory->carnivals.size() == 2 && f->desktop.waitedMs - directory->waitedAtClicks[1] > 5000)
            f->desktop.escPressed = true;
        directory->eventPass();
    };
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, (QStringList{"11", "12"}));
    QCOMPARE(f->desktop.messages, QStringList{Submitter::kAborted});
    QVERIFY(f->desktop.waitedMs - directory->waitedAtClicks[1] < 10000);
    QCOMPARE(grid().currentRow(), 1);
}

void TestSubmitter::progressInTheStatusBar()
{
    QStringList statusTexts;
    QStringList progress;
    QList<bool> progressShown;
    connect(&form().controls, &ControlStates::changed, this, [&](const QString& control) {
        if (control == Controls::StatusBar)
            statusTexts.append(form().controls.text(control));
        if (control == Controls::SubmitProgress) {
            progress.append(form().controls.text(control));
            progressShown.append(form().controls.isVisible(control));
        }
    });
    load(kFive + QList<CarnivalEntry>{kBlank}, 2);
    QVERIFY(!form().controls.isVisible(Controls::SubmitProgress));

    form().autoSubmit();

    QCOMPARE(statusTexts.mid(0, 3), (QStringList{"Submitting 1 of 3: Gamma", "Submitting 2 of 3: Delta",
                                                 "Submitting 3 of 3: Epsilon"}));
    QVERIFY(progress.contains("0/3") && progress.contains("3/3"));
    QVERIFY(progressShown.contains(true));
    QVERIFY(!form().controls.isVisible(Controls::SubmitProgress));
}

void TestSubmitter::everyAttemptIsInTheHistory()
{
    directory->errorFor["12"] = 500;
    load(kFive + QList<CarnivalEntry>{kBlank});
    // Each attempt is pending in the history as its click goes out.
    QStringList pendingAtClicks;
    directory->onSubmit = [&](int) {
        const QList<SubmissionAttempt> latest = form().history.attempts({}, 0, 1);
        pendingAtClicks.append(SubmissionAttempt::outcomeName(latest.first().outcome) + ":" +
                               latest.first().carnivalRef);
    };

    form().autoSubmit();

    QCOMPARE(pendingAtClicks,
             (QStringList{"pending:11", "pending:12", "pending:13", "pending:14", "pending:15"}));
    QList<SubmissionAttempt> attempts = form().history.attempts({}, 0, 100);
    QCOMPARE(attempts.size(), 5);
    std::reverse(attempts.begin(), attempts.end());
    for (int i = 0; i < 5; ++i) {
        const SubmissionAttempt& a = attempts[i];
        QCOMPARE(a.permalink, kPermalink);
        QCOMPARE(a.carnivalRef, kFive[i].carnivalRef);
        QCOMPARE(a.carnivalName, kFive[i].carnival);
        QCOMPARE(a.categoryRef, kFive[i].categoryRef);
        QCOMPARE(a.categoryName, kFive[i].category);
        QCOMPARE(a.outcome,
                 i == 1 ? SubmissionAttempt::Outcome::Failed : SubmissionAttempt::Outcome::Submitted);
        QCOMPARE(a.reason, i == 1 ? QString("HTTP 500") : QString());
        QCOMPARE(a.httpStatus, i == 1 ? 500 : 200);
        QVERIFY(qAbs(a.time.secsTo(QDateTime::currentDateTimeUtc())) < 60);
        QCOMPARE(a.time.timeSpec(), Qt::UTC);
    }
}

void TestSubmitter::aSecondRunSkipsWhatWasSubmitted_data()
{
    QTest::addColumn<Desktop::Answer>("answer");
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("Yes: only the failed one") << Desktop::Answer::Yes << QStringList{"12"};
    QTest::newRow("No: all again") << Desktop::Answer::No << refsOf(kFive);
    QTest::newRow("Cancel: none") << Desktop::Answer::Cancel << QStringList{};
}

void TestSubmitter::aSecondRunSkipsWhatWasSubmitted()
{
    QFETCH(Desktop::Answer, answer);
    QFETCH(QStringList, sent);
    directory->errorFor["12"] = 500;
    load(kFive + QList<CarnivalEntry>{kBlank});
    form().autoSubmit();
    QCOMPARE(directory->carnivals, refsOf(kFive));
    directory->errorFor.clear();
    directory->carnivals.clear();
    f->desktop.messages.clear();
    f->desktop.questions.clear();
    grid().setCurrentRow(0);
    f->desktop.choices.enqueue(answer);

    form().autoSubmit();

    QCOMPARE(f->desktop.questions.size(), 1);
    QCOMPARE(f->desktop.questions[0].text,
             "Submit " + kPermalink +
                 " to 5 carnivals?\n\nIt was already submitted to 4 of them. Skip those?");
    QCOMPARE(directory->carnivals, sent);
    if (answer == Desktop::Answer::Yes) {
        QCOMPARE(f->desktop.messages, QStringList{Submitter::finishedMessage(1)});
        int skipped = 0;
        for (const SubmissionAttempt& a : form().history.attempts({}, 0, 100))
            skipped += a.outcome == SubmissionAttempt::Outcome::Skipped;
        QCOMPARE(skipped, 4);
    }
    if (answer == Desktop::Answer::Cancel)
        QVERIFY(f->desktop.messages.isEmpty());
}

void TestSubmitter::unknownOutcomesAreNamedInTheQuestion()
{
    // An attempt left pending by a crash: its outcome is unknown.
    SubmissionAttempt crashed;
    crashed.permalink = kPermalink;
    crashed.carnivalRef = "13";
    crashed.carnivalName = "Gamma";
    form().history.add(crashed);
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(f->desktop.questions.size(), 1);
    QCOMPARE(f->desktop.questions[0].text,
             "Submit " + kPermalink +
                 " to 5 carnivals?\n\nThe outcome of an earlier submission to Gamma is "
                 "unknown: it may have been submitted. Skip those?");
    QCOMPARE(directory->carnivals, (QStringList{"11", "12", "14", "15"}));
}

void TestSubmitter::withoutHistoryTheRunSaysItIsNotRecorded()
{
    form().history.close();
    load({kFive[0], kBlank});

    form().autoSubmit();

    QCOMPARE(f->desktop.questions.size(), 1);
    QCOMPARE(f->desktop.questions[0].text,
             "Submit " + kPermalink + " to 1 carnival?\n\n" + Submitter::kNotRecorded);
    QCOMPARE(directory->carnivals, QStringList{"11"});
    QCOMPARE(f->desktop.messages, QStringList{Submitter::finishedMessage(1)});
}

void TestSubmitter::manualSubmitReportsAnHttpError()
{
    directory->errorFor["13"] = 500;
    load(kFive + QList<CarnivalEntry>{kBlank}, 2);

    form().manualSubmit();

    QCOMPARE(directory->carnivals, QStringList{"13"});
    QCOMPARE(f->desktop.messages, QStringList{"Not submitted:\n* Gamma (HTTP 500)"});
    QCOMPARE(form().controls.text(Controls::StatusBar), QString("Not submitted to Gamma (HTTP 500)"));
    const QList<SubmissionAttempt> attempts = form().history.attempts({}, 0, 10);
    QCOMPARE(attempts.size(), 1);
    QCOMPARE(attempts[0].outcome, SubmissionAttempt::Outcome::Failed);
    QCOMPARE(attempts[0].httpStatus, 500);
}

void TestSubmitter::refreshNeverPostsAgain()
{
    load(kFive + QList<CarnivalEntry>{kBlank}, 2);
    form().manualSubmit();
    QVERIFY(page().showsPostAnswer());

    form().refreshPage(Tab::CurrentList);

    QCOMPARE(page().refreshes, 0);
    QCOMPARE(page().navigations, QStringList{SiteFixture::kForm});
    // On the form itself, Refresh reloads it.
    form().refreshPage(Tab::CurrentList);
    QCOMPARE(page().refreshes, 1);
}

void TestSubmitter::manualSubmitsTheSelectedRow()
{
    directory->answerAfterPasses = 3;
    load(kFive + QList<CarnivalEntry>{kBlank}, 2);
    page().setAttribute(directory->handles.carnival, "value", "11"); // the form moved on since the selection

    form().manualSubmit();

    QCOMPARE(directory->carnivals, QStringList{"13"});
    QCOMPARE(directory->categories, QStringList{"4"});
    QVERIFY(f->desktop.messages.isEmpty());
    QCOMPARE(form().controls.text(Controls::StatusBar), QString("Submitted to Gamma"));
    QCOMPARE(grid().currentRow(), 2);
    QCOMPARE(f->desktop.sleptMs, 0); // no pacing for a single submission
}

void TestSubmitter::manualSubmitFailures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("clicks");
    QTest::newRow("the answer never comes") << "silent" << 1;
    QTest::newRow("the click fails") << "click" << 0;
}

void TestSubmitter::manualSubmitFailures()
{
    QFETCH(QString, failure);
    QFETCH(int, clicks);
    form().controls.setText(Controls::StatusBar, "before");
    load(kFive + QList<CarnivalEntry>{kBlank}, 1);
    if (failure == "silent")
        directory->answersLeft = 0;
    else
        page().failOperation("click");

    form().manualSubmit();

    QCOMPARE(directory->carnivals.size(), clicks);
    QCOMPARE(f->desktop.messages, QStringList{SubmitPage::kPageErrorMessage});
    QCOMPARE(form().controls.text(Controls::StatusBar), QString("before"));
}

void TestSubmitter::aPageReplacedBeforeTheClickIsNotPosted()
{
    // A late answer replaces the page after the run wrote Gamma into it and before its click: the
    // click must not post the late page's form (Beta chosen), but write Gamma again and post that.
    bool replaced = false;
    directory->onCarnivalChange = [&] {
        if (directory->carnivals.size() == 2 && !replaced) {
            replaced = true;
            directory->open("12");
        }
    };
    directory->open();
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QVERIFY(replaced);
    QCOMPARE(directory->carnivals, refsOf(kFive));
    QCOMPARE(f->desktop.messages, QStringList{Submitter::finishedMessage(5)});
}

QTEST_GUILESS_MAIN(TestSubmitter)
#include "TestSubmitter.moc"
