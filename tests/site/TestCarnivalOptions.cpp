#include "SiteFixture.h"
#include "site/SubmitPage.h"

#include <QTest>

// Add Item / Add, Change Category and the selection handlers, on both tabs where they share a
// routine (column "tab": 0 the current list with currentListView, 1 the new list with newListView).
class TestCarnivalOptions final : public QObject
{
    Q_OBJECT

private slots:
    void init() { f = std::make_unique<SiteFixture>(); }

    void addBuildsRows_data();
    void addBuildsRows();
    void addStopsOnChecks_data();
    void addStopsOnChecks();
    void addDuplicateLeavesList_data();
    void addDuplicateLeavesList();
    void addWithoutCategoryDropDown();
    void addSkipsCategoryWhenNoCarnivalAdded();
    void addNeverOverwritesLastEntry();
    void addErrors_data();
    void addErrors();
    void pageErrorDuringChecksDiffersByTab();

    void changeCategory_data();
    void changeCategory();
    void changeCategoryOfflineAndErrors();

    void selectionOnForm_data();
    void selectionOnForm();
    void selectionWithAddButtonFocused();
    void selectionOffForm();
    void selectionOffline();
    void selectingBlankRowClearsForm();

private:
    void add(int tab)
    {
        tab == 0 ? f->form->addChosenCarnival(Tab::CurrentList) : f->form->addChosenCarnival(Tab::NewList);
    }
    void changeCategory(int tab)
    {
        tab == 0 ? f->form->changeCategory(Tab::CurrentList) : f->form->changeCategory(Tab::NewList);
    }
    void select(int tab)
    {
        tab == 0 ? f->form->selectionChanged(Tab::CurrentList) : f->form->selectionChanged(Tab::NewList);
    }
    static void addTabRows() { QTest::addColumn<int>("tab"); }

    std::unique_ptr<SiteFixture> f;
};

using Rows = QList<CarnivalEntry>;

const CarnivalEntry kA{"Alpha", "No Category", "5", "0"};
const CarnivalEntry kCars{"Cars", "Classic", "12", "3"};
const CarnivalEntry kBoats{"Boats & Ships", "Modern", "15", "4"};

void TestCarnivalOptions::addBuildsRows_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<Rows>("before");
    QTest::addColumn<QString>("carnival");
    QTest::addColumn<QString>("category");
    QTest::addColumn<Rows>("after");

    for (int tab : {0, 1}) {
        const QByteArray t = tab == 0 ? "current list: " : "new list: ";
        QTest::newRow(t + "empty list fills its single row") << tab << Rows{{}} << "12"
                                                             << "3" << Rows{kCars};
        QTest::newRow(t + "trailing blank row replaced") << tab << Rows{kA, {}} << "15"
                                                         << "4" << Rows{kA, kBoats};
        QTest::newRow(t + "list without blank row grows") << tab << Rows{kA, kCars} << "15"
                                                          << "4" << Rows{kA, kCars, kBoats};
        QTest::newRow(t + "category 0") << tab << Rows{kA, {}} << "12"
                                        << "0" << Rows{kA, {"Cars", "No Category", "12", "0"}};
    }
}

void TestCarnivalOptions::addBuildsRows()
{
    QFETCH(int, tab);
    QFETCH(Rows, before);
    QFETCH(QString, carnival);
    QFETCH(QString, category);
    QFETCH(Rows, after);
    f->fill(tab, before);
    f->choose(tab, carnival, category);

    add(tab);
    QCOMPARE(f->rows(tab), after);
    QCOMPARE(f->grid(tab).currentRow(), after.size() - 1);
    QCOMPARE(f->countLabel(tab), QString::number(after.size()));
    QCOMPARE(f->desktop.messages, QStringList{});
    QVERIFY(!f->form->duplicateFound);
    QCOMPARE(f->form->scratch.chosenText, QString());
    QCOMPARE(f->pages[1 - tab].totalCalls(), 0);
    QCOMPARE(f->grid(1 - tab).rows(), 1);
}

void TestCarnivalOptions::addStopsOnChecks_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("online");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("message");

    for (int tab : {0, 1}) {
        const QByteArray t = tab == 0 ? "current list: " : "new list: ";
        QTest::newRow(t + "nothing chosen") << tab << true << SiteFixture::kForm << "";
        QTest::newRow(t + "offline") << tab << false << SiteFixture::kForm << SubmitPage::kOfflineMessage;
        QTest::newRow(t + "off the form")
            << tab << true << SiteFixture::kForm + "?id=12" << SubmitPage::kNotDefaultPageMessage;
    }
}

void TestCarnivalOptions::addStopsOnChecks()
{
    QFETCH(int, tab);
    QFETCH(bool, online);
    QFETCH(QString, location);
    QFETCH(QString, message);
    f->fill(tab, {kA, {}});
    f->network.online = online;
    f->pages[tab].setLocation(location);
    f->choose(tab, message.isEmpty() ? "0" : "12", "3");

    add(tab);
    QCOMPARE(f->rows(tab), Rows{kA}); // only the trailing blank row went
    QCOMPARE(f->grid(tab).currentRow(), 0);
    QCOMPARE(f->desktop.messages, message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(f->countLabel(tab), QString("0"));
}

void TestCarnivalOptions::addDuplicateLeavesList_data()
{
    addTabRows();
    QTest::newRow("current list") << 0;
    QTest::newRow("new list") << 1;
}

void TestCarnivalOptions::addDuplicateLeavesList()
{
    QFETCH(int, tab);
    f->fill(tab, {kCars, kA, {}});
    f->choose(tab, "12", "4");

    add(tab);
    QCOMPARE(f->rows(tab), (Rows{kCars, kA}));
    QCOMPARE(f->desktop.messages, QStringList{"This carnival is already in the list"});
    QVERIFY(!f->form->duplicateFound);
    QCOMPARE(f->countLabel(tab), QString("0"));
    QCOMPARE(f->pages[tab].calls("outerHTML"), 1); // no category was read
}

void TestCarnivalOptions::addWithoutCategoryDropDown()
{
    FakeForm withoutCategory;
    withoutCategory.hasCategory = false;
    f->forms[1] = f->pages[1].loadSubmissionForm(SiteFixture::kForm, withoutCategory);
    f->choose(1, "15", "");

    add(1);
    QCOMPARE(f->rows(1), (Rows{{"Boats & Ships", "No Category", "15", "0"}}));
    QCOMPARE(f->desktop.messages, QStringList{});
}

// A carnival that was not added must not have a category written into whatever row is last.
void TestCarnivalOptions::addSkipsCategoryWhenNoCarnivalAdded()
{
    f->fill(0, {kCars, {}});
    f->choose(0, "15", "4");
    f->network.online = false;
    f->network.answers.enqueue(true); // the handler's check passes, the connection is gone for the add

    add(0);
    QCOMPARE(f->rows(0), Rows{kCars});
    QCOMPARE(f->desktop.messages,
             QStringList{"There is no response from the website, check your internet connection"});

    // A value that reads as 0 without being "0": "no carnival", and no category either.
    f->desktop.messages.clear();
    f->network.online = true;
    f->pages[0].element(f->forms[0].carnival).options.append(FakeOption{"00", "Zero"});
    f->choose(0, "00", "4");
    add(0);
    QCOMPARE(f->rows(0), (Rows{kCars, {}}));
    QCOMPARE(f->desktop.messages, QStringList{"no carnival"});
    QCOMPARE(f->grid(0).currentRow(), 0);
}

void TestCarnivalOptions::addNeverOverwritesLastEntry()
{
    f->fill(0, {{}, kA});
    f->choose(0, "12", "3");
    add(0);
    QCOMPARE(f->rows(0), (Rows{{}, kA, kCars}));
}

void TestCarnivalOptions::addErrors_data()
{
    addTabRows();
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("carnival");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("message");
    QTest::addColumn<Rows>("after");

    for (int tab : {0, 1}) {
        const QByteArray t = tab == 0 ? "current list: " : "new list: ";
        QTest::newRow(t + "carnival markup fails") << tab << "markup"
                                                   << "12"
                                                   << "3"
                                                   << "Error in AddCarnival()" << Rows{kA, {}};
        QTest::newRow(t + "carnival value not a number") << tab << ""
                                                         << "abc"
                                                         << "3"
                                                         << "Error in AddCarnival()" << Rows{kA, {}};
        QTest::newRow(t + "category markup fails")
            << tab << "category"
            << "12"
            << "3" << SubmitPage::kPageErrorMessage << Rows{kA, {"Cars", "", "12", ""}};
        QTest::newRow(t + "category value neither number nor truth word")
            << tab << ""
            << "12"
            << "x" << SubmitPage::kPageErrorMessage << Rows{kA, {"Cars", "", "12", ""}};
        QTest::newRow(t + "no carnival drop-down") << tab << "nodocument"
                                                   << "12"
                                                   << "3" << SubmitPage::kPageErrorMessage << Rows{kA};
    }
}

void TestCarnivalOptions::addErrors()
{
    QFETCH(int, tab);
    QFETCH(QString, failing);
    QFETCH(QString, carnival);
    QFETCH(QString, category);
    QFETCH(QString, message);
    QFETCH(Rows, after);
    FakePage& page = f->pages[tab];
    page.element(f->forms[tab].carnival).options.append(FakeOption{"abc", "Letters"});
    page.element(f->forms[tab].category).options.append(FakeOption{"x", "Odd"});
    f->fill(tab, {kA, {}});
    f->choose(tab, carnival, category);
    if (failing == "markup")
        page.failOperation("outerHTML");
    else if (failing == "category")
        page.failElement(f->forms[tab].category);
    else if (failing == "nodocument")
        page.loadEmptyDocument(SiteFixture::kForm);

    QVERIFY(f->form->dispatch([&] { add(tab); })); // trapped: nothing reaches the general report
    QCOMPARE(f->desktop.messages, QStringList{message});
    QCOMPARE(f->rows(tab), after);
    QVERIFY(!f->form->duplicateFound);
}

// The new list's add reports a page error in its checks with the standard message; the current
// list's add leaves it to the general error report.
void TestCarnivalOptions::pageErrorDuringChecksDiffersByTab()
{
    f->pages[0].failOperation("LocationURL");
    f->pages[1].failOperation("LocationURL");
    QVERIFY(!f->form->dispatch([&] { add(0); }));
    QCOMPARE(f->desktop.messages, QStringList{"LocationURL failed"});

    f->desktop.messages.clear();
    QVERIFY(f->form->dispatch([&] { add(1); }));
    QCOMPARE(f->desktop.messages, QStringList{SubmitPage::kPageErrorMessage});
}

void TestCarnivalOptions::changeCategory_data()
{
    addTabRows();
    QTest::addColumn<QStringList>("selectsAfterForm"); // names of drop-downs appended after the form
    QTest::addColumn<CarnivalEntry>("row");

    for (int tab : {0, 1}) {
        const QByteArray t = tab == 0 ? "current list: " : "new list: ";
        QTest::newRow(t + "category last")
            << tab << QStringList{} << CarnivalEntry{"Cars", "Modern", "12", "4"};
        QTest::newRow(t + "another drop-down last")
            << tab << QStringList{"sort"} << CarnivalEntry{"Cars", "No Category", "12", "4"};
        QTest::newRow(t + "unnamed drop-down last")
            << tab << QStringList{""} << CarnivalEntry{"Cars", "No Category", "12", "4"};
    }
}

void TestCarnivalOptions::changeCategory()
{
    QFETCH(int, tab);
    QFETCH(QStringList, selectsAfterForm);
    QFETCH(CarnivalEntry, row);
    for (const QString& name : selectsAfterForm) {
        FakeElement select;
        select.tag = "select";
        if (!name.isEmpty())
            select.attributes = {{"name", name}};
        select.options = {{"1", "Newest"}};
        f->pages[tab].add(select);
    }
    f->fill(tab, {kA, kCars, {}});
    f->grid(tab).setCurrentRow(1);
    f->choose(tab, "15", "4"); // nothing compares the form's carnival with the row's

    changeCategory(tab);
    QCOMPARE(f->rows(tab), (Rows{kA, row, {}}));
    QCOMPARE(f->desktop.messages, QStringList{});
}

void TestCarnivalOptions::changeCategoryOfflineAndErrors()
{
    f->fill(0, {kCars, {}});
    f->network.online = false;
    changeCategory(0);
    QCOMPARE(f->desktop.messages, QStringList{SubmitPage::kOfflineMessage});
    QCOMPARE(f->pages[0].totalCalls(), 0);

    // No category drop-down: only the carnival drop-down decides, and the ref stays.
    f->desktop.messages.clear();
    f->network.online = true;
    f->pages[1].loadEmptyDocument(SiteFixture::kForm);
    f->pages[1].addSelect("id", {{"12", "Cars"}});
    f->fill(1, {kCars});
    changeCategory(1);
    QCOMPARE(f->rows(1), (Rows{{"Cars", "No Category", "12", "3"}}));

    f->pages[1].unloadDocument();
    changeCategory(1);
    QCOMPARE(f->desktop.messages, QStringList{SubmitPage::kPageErrorMessage});
}

void TestCarnivalOptions::selectionOnForm_data()
{
    addTabRows();
    QTest::addColumn<QString>("grid");
    QTest::newRow("current list") << 0 << "currentListGrid";
    QTest::newRow("new list") << 1 << "newListGrid";
}

void TestCarnivalOptions::selectionOnForm()
{
    QFETCH(int, tab);
    QFETCH(QString, grid);
    FakePage& page = f->pages[tab];
    QString carnivalWhenFired;
    page.element(f->forms[tab].carnival).handlers["onchange"] = [&] {
        carnivalWhenFired = page.chosenValue(f->forms[tab].carnival);
    };
    f->fill(tab, {kCars, kBoats, {}});
    f->grid(tab).setCurrentRow(1);

    select(tab);
    QCOMPARE(page.chosenValue(f->forms[tab].carnival), QString("15"));
    QCOMPARE(page.chosenValue(f->forms[tab].category), QString("4"));
    QCOMPARE(carnivalWhenFired, QString("15"));
    QCOMPARE(f->desktop.focus, grid);
    QCOMPARE(f->desktop.messages, QStringList{});
    QCOMPARE(f->pages[1 - tab].totalCalls(), 0);
}

void TestCarnivalOptions::selectionWithAddButtonFocused()
{
    // Current list: the carnival stays, the category is still set.
    f->fill(0, {kCars, kBoats});
    f->grid(0).setCurrentRow(1);
    f->desktop.focus = "addItemButton";
    select(0);
    QCOMPARE(f->pages[0].chosenValue(f->forms[0].carnival), QString("0"));
    QCOMPARE(f->pages[0].chosenValue(f->forms[0].category), QString("4"));

    // New list: nothing at all.
    f->fill(1, {kCars, kBoats});
    f->grid(1).setCurrentRow(1);
    f->desktop.focus = "addNewButton";
    select(1);
    QCOMPARE(f->pages[1].totalCalls(), 0);
    QCOMPARE(f->desktop.messages, QStringList{});
}

void TestCarnivalOptions::selectionOffForm()
{
    // Current list: the view goes back to the form, silently; the form is set by the next selection.
    f->fill(0, {kCars, kBoats});
    f->pages[0].setLocation("http://dir.test:8080/bc/thanks.php");
    select(0);
    QCOMPARE(f->pages[0].navigations, QStringList{SiteFixture::kForm});
    QCOMPARE(f->pages[0].chosenValue(f->forms[0].carnival), QString("0"));
    QCOMPARE(f->desktop.messages, QStringList{});

    // New list: a message, and the view stays where it is.
    f->fill(1, {kCars, kBoats});
    f->pages[1].setLocation("http://dir.test:8080/bc/thanks.php");
    select(1);
    QCOMPARE(f->desktop.messages, QStringList{SubmitPage::kNotDefaultPageMessage});
    QVERIFY(f->pages[1].navigations.isEmpty());
    QCOMPARE(f->pages[1].chosenValue(f->forms[1].carnival), QString("0"));
}

void TestCarnivalOptions::selectionOffline()
{
    f->fill(0, {kCars});
    f->fill(1, {kCars});
    f->network.online = false;
    f->pages[0].setLocation("http://elsewhere/");
    select(0);
    select(1);
    QCOMPARE(f->pages[0].totalCalls() + f->pages[1].totalCalls(), 0);
    QCOMPARE(f->desktop.messages, QStringList{});
}

void TestCarnivalOptions::selectingBlankRowClearsForm()
{
    f->fill(0, {kCars, {}});
    f->grid(0).setCurrentRow(1);
    select(0);
    QCOMPARE(f->pages[0].chosenValue(f->forms[0].carnival), QString());
    QCOMPARE(f->pages[0].chosenValue(f->forms[0].category), QString());
}

QTEST_GUILESS_MAIN(TestCarnivalOptions)
#include "TestCarnivalOptions.moc"
