#include "search/InactiveCheck.h"

#include "SearchFixture.h"
#include "site/SubmitPage.h"

#include <QTest>

namespace {
const QList<FakeOption> kOffered{
    {"0", "Select a carnival"}, {"123", "Carnival of Cars"}, {"20", "Top 12 Boats"}, {"45", "Money Makers"}};
const CarnivalEntry kCars{"Carnival of Cars", "No Category", "123", "0"};
const CarnivalEntry kMoney{"Money Makers", "Tips", "45", "7"};
const CarnivalEntry kExpired{"Old Twelve", "No Category", "12", "0"};
const CarnivalEntry kGone{"Gone Fishing", "Lakes", "99", "12"};
const QString kTitle = QStringLiteral("VorlixPro v3 - Inactive Carnivals");
const QString kNotLoaded = QStringLiteral(
    "The website appears to be offline, or has not finished loading\n\nCheck your internet connection");
} // namespace

class TestInactiveCheck final : public QObject
{
    Q_OBJECT

private slots:
    void guards_data();
    void guards();
    void allCurrentAsksNothing();
    void questionListsEveryInactiveEntry();
    void yesRemovesByCarnivalRefOnly();
    void noChangesNothing();
    void pageFailures_data();
    void pageFailures();
};

void TestInactiveCheck::guards_data()
{
    QTest::addColumn<bool>("online");
    QTest::addColumn<QList<CarnivalEntry>>("list");
    QTest::addColumn<QString>("message");

    QTest::newRow("offline") << false << QList<CarnivalEntry>{kExpired, kCars}
                             << "There is no response from the website, check your internet connection";
    QTest::newRow("one row holding an entry") << true << QList<CarnivalEntry>{kExpired} << "Nothing in List";
}

void TestInactiveCheck::guards()
{
    QFETCH(bool, online);
    QFETCH(QList<CarnivalEntry>, list);
    QFETCH(QString, message);
    SearchFixture f;
    f.loadForm(kOffered);
    f.network.online = online;
    SearchFixture::fill(f.form.currentList, list, false);

    f.form.checkInactives();

    QCOMPARE(f.desktop.messages, QStringList{message});
    QVERIFY(f.desktop.questions.isEmpty());
    QCOMPARE(SearchFixture::entries(f.form.currentList), list);
}

void TestInactiveCheck::allCurrentAsksNothing()
{
    SearchFixture f;
    f.loadForm(kOffered);
    SearchFixture::fill(f.form.currentList, {kCars, kMoney}); // the trailing blank row has no ref

    f.form.checkInactives();

    QCOMPARE(f.desktop.messages, QStringList{"All carnivals are current"});
    QVERIFY(f.desktop.questions.isEmpty());
    QCOMPARE(f.form.currentList.rows(), 3);
    QCOMPARE(f.form.currentList.currentRow(), 2);
}

// Ref 12 occurs inside the value 123 and inside a name ("Top 12 Boats"): no option has the value
// 12, so the carnival is expired. A single inactive entry keeps the plural wording; an empty name
// gives a bare "* ".
void TestInactiveCheck::questionListsEveryInactiveEntry()
{
    SearchFixture f;
    f.loadForm(kOffered);
    const CarnivalEntry nameless{"", "x", "77", "0"};
    SearchFixture::fill(f.form.currentList, {kExpired});
    SearchFixture::fill(f.form.newList, {kGone}); // the new list is never looked at

    f.form.checkInactives();
    QCOMPARE(f.desktop.questions.size(), 1);
    QCOMPARE(f.desktop.questions[0].title, kTitle);
    QCOMPARE(f.desktop.questions[0].icon, Desktop::Icon::Question);
    QCOMPARE(f.desktop.questions[0].text,
             QStringLiteral("Found 1 carnivals that are no longer valid: \n\n"
                            "* Old Twelve\r\n\nWould you like to remove them from "
                            "your list?"));

    SearchFixture::fill(f.form.currentList, {kCars, kGone, nameless, kExpired, kGone});
    f.form.checkInactives();
    QCOMPARE(f.desktop.questions.size(), 2);
    QCOMPARE(
        f.desktop.questions[1].text,
        QStringLiteral("Found 4 carnivals that are no longer valid: \n\n* Gone Fishing\r\n* \r\n"
                       "* Old Twelve\r\n* Gone Fishing\r\n\nWould you like to remove them from your list?"));
    QVERIFY(f.desktop.messages.isEmpty());
}

// Both entries of one expired carnival go; a row whose category ref equals an expired carnival's
// ref stays; the others keep their order.
void TestInactiveCheck::yesRemovesByCarnivalRefOnly()
{
    SearchFixture f;
    f.loadForm(kOffered);
    const CarnivalEntry categoryTwelve{"Carnival of Cars", "Twelve", "123", "12"};
    SearchFixture::fill(f.form.currentList, {categoryTwelve, kGone, kMoney, kGone, kExpired});
    f.desktop.answers.enqueue(true);

    f.form.checkInactives();

    QCOMPARE(f.desktop.questions.size(), 1);
    QVERIFY(f.desktop.questions[0].text.startsWith("Found 3 carnivals"));
    QCOMPARE(SearchFixture::entries(f.form.currentList),
             (QList<CarnivalEntry>{categoryTwelve, kMoney, CarnivalEntry{}}));
    QCOMPARE(f.form.controls.text(Controls::ListTotal), QStringLiteral("2"));
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestInactiveCheck::noChangesNothing()
{
    SearchFixture f;
    f.loadForm(kOffered);
    const QList<CarnivalEntry> list{kGone, kCars, kExpired};
    SearchFixture::fill(f.form.currentList, list, false);
    f.form.controls.setText(Controls::ListTotal, QStringLiteral("3"));

    f.form.checkInactives();
    f.form.checkInactives(); // the second run starts with empty working lists

    QCOMPARE(f.desktop.questions.size(), 2);
    QCOMPARE(f.desktop.questions[1].text, f.desktop.questions[0].text);
    QVERIFY(f.desktop.questions[1].text.startsWith("Found 2 carnivals"));
    QCOMPARE(SearchFixture::entries(f.form.currentList), list);
    QCOMPARE(f.form.controls.text(Controls::ListTotal), QStringLiteral("3"));
}

void TestInactiveCheck::pageFailures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("listTotal");

    QTest::newRow("no document") << "unload" << SubmitPage::kPageErrorMessage << "unchanged";
    QTest::newRow("another address") << "address" << SubmitPage::kNotDefaultPageMessage << "unchanged";
    QTest::newRow("no carnival drop-down") << "no id" << SubmitPage::kPageErrorMessage << "unchanged";
    QTest::newRow("markup unreadable") << "outerHTML" << kNotLoaded << "3";
}

void TestInactiveCheck::pageFailures()
{
    QFETCH(QString, failure);
    QFETCH(QString, message);
    QFETCH(QString, listTotal);
    SearchFixture f;
    f.loadForm(kOffered);
    if (failure == "unload")
        f.view1.unloadDocument();
    else if (failure == "address")
        f.view1.setLocation(f.form.submitPageAddress() + "?page=2");
    else if (failure == "no id")
        f.view1.element(f.view1.elementsNamed("id").first()).setAttribute("name", "carnival");
    else
        f.view1.failOperation(failure);
    const QList<CarnivalEntry> list{kGone, kCars, kExpired};
    SearchFixture::fill(f.form.currentList, list);
    f.form.currentList.setCurrentRow(1);
    f.form.controls.setText(Controls::ListTotal, QStringLiteral("unchanged"));

    f.form.checkInactives();

    QCOMPARE(f.desktop.messages, QStringList{message});
    QVERIFY(f.desktop.questions.isEmpty());
    QCOMPARE(SearchFixture::entries(f.form.currentList), list + QList<CarnivalEntry>{{}});
    QCOMPARE(f.form.controls.text(Controls::ListTotal), listTotal);
    if (listTotal == "unchanged")
        QCOMPARE(f.form.currentList.currentRow(), 1);
}

QTEST_GUILESS_MAIN(TestInactiveCheck)
#include "TestInactiveCheck.moc"
