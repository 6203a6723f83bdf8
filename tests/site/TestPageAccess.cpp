#include "SiteFixture.h"
#include "site/PageAccess.h"
#include "site/SubmitPage.h"

#include <QTest>

class TestPageAccess final : public QObject
{
    Q_OBJECT

private slots:
    void init() { f = std::make_unique<SiteFixture>(); }

    void asksConnectionForTheFormAddress();
    void defaultPageCheck_data();
    void defaultPageCheck();
    void findText_data();
    void findText();
    void setCarnivalChoosesWithoutEvent();
    void setCarnivalOfflineOrFailing();
    void setCategoryFiresCarnivalChangeAfterChoosing();
    void setCategoryFailures();
    void fireElementEventReportsFailure();
    void documentCompleteScrollsCarnivalToTop();
    void documentCompleteWithoutDocumentReportsError_data();
    void documentCompleteWithoutDocumentReportsError();
    void commandStateFollowsEachView();
    void refreshAndResetUseTheTabsOwnView();
    void deleteOnNewListSetsTheCarnival();

private:
    PageAccess& page() { return f->form->pageAccess(); }
    ScratchValues& scratch() { return f->form->scratch; }
    std::unique_ptr<SiteFixture> f;
};

void TestPageAccess::asksConnectionForTheFormAddress()
{
    QVERIFY(page().isOnline());
    f->network.online = false;
    QVERIFY(!page().isOnline());
    QCOMPARE(f->network.asked, (QStringList{SiteFixture::kForm, SiteFixture::kForm}));
}

void TestPageAccess::defaultPageCheck_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<bool>("onForm");

    QTest::newRow("exact") << SiteFixture::kForm << true;
    QTest::newRow("query") << SiteFixture::kForm + "?id=12" << false;
    QTest::newRow("trailing slash") << SiteFixture::kForm + "/" << false;
    QTest::newRow("letter case") << QString(SiteFixture::kForm).replace("submit", "Submit") << false;
    QTest::newRow("another page") << "http://dir.test:8080/" << false;
    QTest::newRow("nothing loaded") << "" << false;
}

void TestPageAccess::defaultPageCheck()
{
    QFETCH(QString, location);
    QFETCH(bool, onForm);
    f->pages[0].setLocation(location);
    scratch().chosenText = "earlier";
    QCOMPARE(page().onDefaultPage(f->pages[0]), onForm);
    QCOMPARE(scratch().chosenText, QString()); // emptied whatever the outcome
}

void TestPageAccess::findText_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("text");   // chosenText afterwards; it held "earlier"
    QTest::addColumn<bool>("extracted"); // markup emptied and the position set

    const QString select = "<SELECT name=id id=id><OPTION value=0>Select a carnival</OPTION>"
                           "<OPTION value=12 selected>Cars</OPTION><OPTION value=125>Boats</OPTION></SELECT>";
    QTest::newRow("chosen option") << select << "12"
                                   << "Cars" << true;
    QTest::newRow("option not chosen") << select << "0"
                                       << "earlier" << false;
    QTest::newRow("value not present") << select << "99"
                                       << "earlier" << false;
    QTest::newRow("value a prefix of the chosen one") << select << "1"
                                                      << "earlier" << false;
    QTest::newRow("escaped text") << "<SELECT><OPTION value=3 selected>Food &amp; Drink</OPTION></SELECT>"
                                  << "3"
                                  << "Food & Drink" << true;
    QTest::newRow("empty text") << "<SELECT><OPTION value=3 selected></OPTION></SELECT>"
                                << "3"
                                << "" << true;
    QTest::newRow("no end tag after the option") << "<SELECT><OPTION value=3 selected>Cut"
                                                 << "3"
                                                 << "earlier" << false;
    QTest::newRow("end tag only as the last characters") << "<OPTION value=3 selected>Cut</OPTION>"
                                                         << "3"
                                                         << "earlier" << false;
    QTest::newRow("no markup") << ""
                               << "3"
                               << "earlier" << false;
}

void TestPageAccess::findText()
{
    QFETCH(QString, markup);
    QFETCH(QString, value);
    QFETCH(QString, text);
    QFETCH(bool, extracted);
    scratch().markup = markup;
    scratch().chosenText = "earlier";
    scratch().searchPosition = -7;
    page().findChosenText(value);
    QCOMPARE(scratch().chosenText, text);
    QCOMPARE(scratch().markup, extracted ? QString() : markup);
    const int expectedPosition =
        extracted ? int(markup.indexOf("<OPTION value=" + value + " selected>")) : -7;
    QCOMPARE(scratch().searchPosition, expectedPosition);
    QVERIFY(f->desktop.messages.isEmpty());
}

void TestPageAccess::setCarnivalChoosesWithoutEvent()
{
    FakePage& view = f->pages[0];
    const Element second = view.addSelect("id", {{"0", "Other"}, {"12", "Cars again"}});
    int changes = 0;
    view.element(f->forms[0].carnival).handlers["onchange"] = [&] { ++changes; };

    page().setCarnival("12", view);
    QCOMPARE(view.chosenValue(f->forms[0].carnival), QString("12"));
    QCOMPARE(view.chosenValue(second), QString("12")); // every element named "id"
    QCOMPARE(changes, 0);
    QVERIFY(view.firedEvents.isEmpty());

    page().setCarnival("", view); // a blank row's ref chooses nothing
    QCOMPARE(view.chosenValue(f->forms[0].carnival), QString());
    QVERIFY(f->desktop.messages.isEmpty());
    QCOMPARE(f->pages[1].totalCalls(), 0);
}

void TestPageAccess::setCarnivalOfflineOrFailing()
{
    FakePage& view = f->pages[0];
    f->network.online = false;
    page().setCarnival("12", view);
    QCOMPARE(view.totalCalls(), 0);
    QVERIFY(f->desktop.messages.isEmpty());

    f->network.online = true;
    view.failElement(f->forms[0].carnival);
    page().setCarnival("12", view);
    QCOMPARE(f->desktop.messages, QStringList{"Exception error in SetCarnival()"});
}

void TestPageAccess::setCategoryFiresCarnivalChangeAfterChoosing()
{
    FakePage& view = f->pages[1];
    QString categoryWhenFired;
    view.element(f->forms[1].carnival).handlers["onchange"] = [&] {
        categoryWhenFired = view.chosenValue(f->forms[1].category);
    };
    int categoryChanges = 0;
    view.element(f->forms[1].category).handlers["onchange"] = [&] { ++categoryChanges; };

    page().setCategory("4", view, f->grid(1));
    QCOMPARE(categoryWhenFired, QString("4"));
    QCOMPARE(categoryChanges, 0);
    QCOMPARE(view.firedEvents.size(), 1);
    QCOMPARE(view.firedEvents.first().first, f->forms[1].carnival);
    QCOMPARE(view.firedEvents.first().second, QString("onchange"));
    QCOMPARE(f->desktop.focus, QString("newListGrid"));
    QVERIFY(f->desktop.messages.isEmpty());
}

void TestPageAccess::setCategoryFailures()
{
    // No carnival drop-down to fire on: its message, and the grid still takes the focus.
    FakePage& view = f->pages[0];
    view.loadEmptyDocument(SiteFixture::kForm);
    const Element category = view.addSelect("category", {{"0", "None"}, {"3", "Classic"}});
    page().setCategory("3", view, f->grid(0));
    QCOMPARE(view.chosenValue(category), QString("3"));
    QCOMPARE(f->desktop.messages, QStringList{SubmitPage::kPageErrorMessage});
    QCOMPARE(f->desktop.focus, QString("currentListGrid"));

    f->desktop.messages.clear();
    f->desktop.focus.clear();
    view.unloadDocument();
    page().setCategory("3", view, f->grid(0));
    QCOMPARE(f->desktop.messages, QStringList{"Exception error in SetCategory"});
    QCOMPARE(f->desktop.focus, QString());
}

void TestPageAccess::fireElementEventReportsFailure()
{
    FakePage& view = f->pages[0];
    QVERIFY(page().fireElementEvent(view, f->forms[0].carnival, "onchange"));
    view.failElement(f->forms[0].carnival);
    QVERIFY(!page().fireElementEvent(view, f->forms[0].carnival, "onchange"));
    QVERIFY(!page().fireElementEvent(view, std::nullopt, "onchange"));
    QCOMPARE(f->desktop.messages,
             (QStringList{SubmitPage::kPageErrorMessage, SubmitPage::kPageErrorMessage}));
}

void TestPageAccess::documentCompleteScrollsCarnivalToTop()
{
    FakePage& view = f->pages[0];
    const Element second = view.addSelect("id", {{"1", "x"}});
    emit view.pageLoaded();
    QCOMPARE(view.scrolled, (QList<Element>{f->forms[0].carnival, second}));
    QVERIFY(f->pages[1].scrolled.isEmpty());

    view.loadEmptyDocument("http://elsewhere/"); // a page without the form: nothing to scroll
    emit view.pageLoaded();
    QCOMPARE(view.scrolled.size(), 2);
    QVERIFY(f->desktop.messages.isEmpty());
}

void TestPageAccess::documentCompleteWithoutDocumentReportsError_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("message");
    QTest::newRow("currentListView") << 0 << "Couldn't convert the EmbeddedWB1.Document to an IHTMLDocument2";
    QTest::newRow("newListView") << 1 << "Couldn't convert the WebBrowser2.Document to an IHTMLDocument2";
}

void TestPageAccess::documentCompleteWithoutDocumentReportsError()
{
    QFETCH(int, tab);
    QFETCH(QString, message);
    f->pages[tab].unloadDocument();
    emit f->pages[tab].pageLoaded(); // reaches the general error report, and the program goes on
    QCOMPARE(f->desktop.messages, QStringList{message});
}

void TestPageAccess::commandStateFollowsEachView()
{
    ControlStates& controls = f->form->controls;
    emit f->pages[0].navigationStateChanged(1, false);
    QVERIFY(!controls.isEnabled("forwardButton"));
    QVERIFY(controls.isEnabled("backButton"));
    QVERIFY(controls.isEnabled("refreshButton"));

    f->pages[0].setBusy(true);
    emit f->pages[0].navigationStateChanged(2, false);
    QVERIFY(!controls.isEnabled("backButton"));
    QVERIFY(!controls.isEnabled("refreshButton"));

    f->pages[0].setBusy(false);
    emit f->pages[0].navigationStateChanged(-1, false); // another command: only Refresh follows
    QVERIFY(controls.isEnabled("refreshButton"));
    QVERIFY(!controls.isEnabled("backButton"));
    emit f->pages[0].navigationStateChanged(1, true);
    QVERIFY(controls.isEnabled("forwardButton"));

    f->pages[1].setBusy(true);
    emit f->pages[1].navigationStateChanged(2, false);
    QVERIFY(!controls.isEnabled("newListBackButton"));
    QVERIFY(!controls.isEnabled("newListRefreshButton"));
    QVERIFY(controls.isEnabled("newListForwardButton"));
    QVERIFY(controls.isEnabled("refreshButton"));
}

void TestPageAccess::refreshAndResetUseTheTabsOwnView()
{
    f->form->refreshPage(Tab::NewList);
    QCOMPARE(f->pages[1].refreshes, 1);
    QCOMPARE(f->pages[0].refreshes, 0);
    f->form->refreshPage(Tab::CurrentList);
    QCOMPARE(f->pages[0].refreshes, 1);

    f->pages[0].setLocation("http://elsewhere/");
    f->form->resetPage(Tab::CurrentList);
    QCOMPARE(f->pages[0].navigations, QStringList{SiteFixture::kForm});
    QVERIFY(f->pages[1].navigations.isEmpty());
    f->form->resetPage(Tab::NewList);
    QCOMPARE(f->pages[1].navigations, QStringList{SiteFixture::kForm});
}

void TestPageAccess::deleteOnNewListSetsTheCarnival()
{
    f->fill(1, {{"Cars", "Classic", "12", "3"}, {"Boats & Ships", "Modern", "15", "4"}, {}});
    f->grid(1).setCurrentRow(0);
    f->form->deleteRow(Tab::NewList); // the last entry becomes current
    QCOMPARE(f->pages[1].chosenValue(f->forms[1].carnival), QString("15"));
    QCOMPARE(f->pages[0].totalCalls(), 0);
}

QTEST_GUILESS_MAIN(TestPageAccess)
#include "TestPageAccess.moc"
