#include "SiteFixture.h"
#include "lists/RowOperations.h"
#include "site/Submitter.h"

#include <QTest>

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
/// another post comes each arrive in their turn, replacing whatever the page holds then.
struct FakeDirectory
{
    FakePage& page;
    FakeDesktop& desktop;
    FakeForm form;
    FakeFormHandles handles;
    QStringList carnivals;
    QStringList categories;
    QList<int> sleptAtClicks;
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
    }

    void open(const QString& chosenCarnival = QString())
    {
        handles = page.loadSubmissionForm(SiteFixture::kForm, form);
        if (!chosenCarnival.isEmpty())
            page.setAttribute(handles.carnival, "value", chosenCarnival);
        page.element(handles.button).handlers["onclick"] = [this] { submitted(); };
    }

    void submitted()
    {
        carnivals.append(page.chosenValue(handles.carnival));
        categories.append(page.chosenValue(handles.category));
        sleptAtClicks.append(desktop.sleptMs);
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
        if (answerHasDocument)
            open(postedCarnival);
        else
            page.unloadDocument();
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
    void rowsWithoutDocumentArePassedOver();
    void escEndsTheRun_data();
    void escEndsTheRun();
    void closingTheWindowEndsTheRunQuietly_data();
    void closingTheWindowEndsTheRunQuietly();
    void failureEndsTheRunOnTheFailingRow_data();
    void failureEndsTheRunOnTheFailingRow();
    void labelsShownOnlyDuringTheRun_data();
    void labelsShownOnlyDuringTheRun();
    void enterRunsWithoutTheChecksOnTheFirstTabOnly();
    void noSecondSubmissionWhileOneIsUnderWay();
    void rowsRemovedDuringTheRunShortenIt();
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
    // The pace: at least the fixed pause before each click.
    for (int i = 0; i < directory->sleptAtClicks.size(); ++i) {
        const int previous = i == 0 ? 0 : directory->sleptAtClicks[i - 1];
        QVERIFY(directory->sleptAtClicks[i] - previous >= Submitter::kPaceMs);
    }
    // The category stays whatever the form holds: the run writes none.
    QCOMPARE(directory->categories, QStringList(5, "0"));
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

void TestSubmitter::rowsWithoutDocumentArePassedOver()
{
    // The first answer is no HTML document: the remaining rows find none to submit.
    directory->answerHasDocument = false;
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, QStringList{"11"});
    QCOMPARE(page().clicked.size(), 1);
    QCOMPARE(f->desktop.messages.last(), Submitter::finishedMessage(1));
    // Each passed-over row's carnival could not be written: setCarnival says so, and the run goes on.
    QCOMPARE(f->desktop.messages.count("Exception error in SetCarnival()"), 4);
    QCOMPARE(grid().currentRow(), 5);
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
    QTest::newRow("no document at the start") << "no document" << kNoDocumentError;
}

void TestSubmitter::labelsShownOnlyDuringTheRun()
{
    QFETCH(QString, end);
    QFETCH(QString, message);
    load({kFive[0], kFive[1], kBlank});
    if (end == "aborted")
        f->desktop.escDown = true;
    if (end == "failed")
        directory->answersLeft = 0;
    if (end == "no document")
        page().unloadDocument();
    QList<bool> shown;
    f->desktop.onProcessEvents = [&] {
        shown.append(labelsVisible());
        directory->eventPass();
    };
    QVERIFY(labelsHidden());

    form().dispatch([&] { form().keyTyped(13); });

    QCOMPARE(f->desktop.messages, QStringList{message});
    QVERIFY(labelsHidden());
    QVERIFY(!shown.contains(false));
    QCOMPARE(shown.isEmpty(), end == "no document");
}

void TestSubmitter::enterRunsWithoutTheChecksOnTheFirstTabOnly()
{
    directory->form.postUrl.clear();
    directory->open();
    load({kFive[0], kFive[1], kBlank});

    form().tabChanged(1);
    form().keyTyped(13);
    QVERIFY(directory->carnivals.isEmpty());

    form().tabChanged(0);
    form().keyTyped(13);
    QCOMPARE(directory->carnivals, (QStringList{"11", "12"}));
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

    // Once it has ended, a new run may start.
    f->desktop.onProcessEvents = [&] { directory->eventPass(); };
    grid().setCurrentRow(4);
    form().autoSubmit();
    QCOMPARE(directory->carnivals.size(), 6);
}

void TestSubmitter::rowsRemovedDuringTheRunShortenIt()
{
    bool removed = false;
    f->desktop.onProcessEvents = [&] {
        if (directory->carnivals.size() == 2 && !removed) {
            // The user deletes the last two rows (the trailing blank row and "Epsilon") mid-run.
            deleteGridRow(grid(), grid().rows() - 1, f->desktop);
            deleteGridRow(grid(), grid().rows() - 1, f->desktop);
            removed = true;
        }
        directory->eventPass();
    };
    load(kFive + QList<CarnivalEntry>{kBlank});

    form().autoSubmit();

    QCOMPARE(directory->carnivals, (QStringList{"11", "12", "13", "14"}));
    QCOMPARE(f->desktop.messages, QStringList{Submitter::finishedMessage(4)});
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

QTEST_GUILESS_MAIN(TestSubmitter)
#include "TestSubmitter.moc"
