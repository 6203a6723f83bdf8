#include "mock/FakePage.h"

#include <QTest>

// The fake page stands in for the real view in every logic test, so its markup and value rules
// must match the old engine's form that the logic parses.
class TestFakePage final : public QObject
{
    Q_OBJECT

private slots:
    void selectMarkup_data();
    void selectMarkup();
    void settingValueChoosesOptionWithoutEvent();
    void lookupsFollowDocumentOrder();
    void fieldValueLastMatchWins();
    void failuresThrowPageError();
    void navigationRecordsAddress();
};

void TestFakePage::selectMarkup_data()
{
    QTest::addColumn<QList<FakeOption>>("options");
    QTest::addColumn<QString>("markup");

    QTest::newRow("first chosen on load")
        << QList<FakeOption>{{"0", "Select a carnival"}, {"12", "Cars"}}
        << "<SELECT name=id id=id><OPTION value=0 selected>Select a carnival</OPTION>"
           "<OPTION value=12>Cars</OPTION></SELECT>";
    QTest::newRow("marked option chosen, text escaped")
        << QList<FakeOption>{{"0", "Select"}, {"15", "Boats & <Ships>", true}}
        << "<SELECT name=id id=id><OPTION value=0>Select</OPTION>"
           "<OPTION value=15 selected>Boats &amp; &lt;Ships&gt;</OPTION></SELECT>";
    QTest::newRow("value with a blank quoted")
        << QList<FakeOption>{{"a b", "AB"}}
        << "<SELECT name=id id=id><OPTION value=\"a b\" selected>AB</OPTION></SELECT>";
    QTest::newRow("no options") << QList<FakeOption>{} << "<SELECT name=id id=id></SELECT>";
}

void TestFakePage::selectMarkup()
{
    QFETCH(QList<FakeOption>, options);
    QFETCH(QString, markup);
    FakePage page;
    const Element select = page.addSelect("id", options);
    QCOMPARE(page.outerHTML(select), markup);
}

void TestFakePage::settingValueChoosesOptionWithoutEvent()
{
    FakePage page;
    const FakeFormHandles form = page.loadSubmissionForm("http://h/bc/submit.php");
    int changes = 0;
    page.element(form.carnival).handlers["onchange"] = [&] { ++changes; };

    page.setAttribute(form.carnival, "value", "15");
    QCOMPARE(page.getAttribute(form.carnival, "value"), QString("15"));
    QVERIFY(page.outerHTML(form.carnival).contains("<OPTION value=15 selected>Boats &amp; Ships</OPTION>"));
    QVERIFY(page.outerHTML(form.carnival).contains("<OPTION value=0>Select a carnival</OPTION>"));

    page.setAttribute(form.carnival, "value", "99");
    QCOMPARE(page.getAttribute(form.carnival, "value"), QString());
    QVERIFY(!page.outerHTML(form.carnival).contains("selected"));
    QCOMPARE(changes, 0);

    page.FireEvent(form.carnival, "onchange");
    QCOMPARE(changes, 1);
    QCOMPARE(page.firedEvents.size(), 1);
}

void TestFakePage::lookupsFollowDocumentOrder()
{
    FakePage page;
    const FakeFormHandles form = page.loadSubmissionForm("http://h/bc/submit.php");
    const Element second = page.addSelect("id", {{"1", "Other"}});
    QCOMPARE(page.elementsNamed("id"), (QList<Element>{form.carnival, second}));
    QCOMPARE(page.elementsNamed("ID"), QList<Element>{});
    QCOMPARE(page.getElementsByTagName("SELECT"), (QList<Element>{form.carnival, form.category, second}));
    QCOMPARE(page.getElementById("btn"), std::optional<Element>(form.button));
    QCOMPARE(page.getElementById("category"), std::optional<Element>(form.category));
    QCOMPARE(page.getElementById("none"), std::nullopt);
    QCOMPARE(page.getAttribute(form.button, "name"), std::nullopt);
    QCOMPARE(page.calls("elementsNamed"), 2);
}

void TestFakePage::fieldValueLastMatchWins()
{
    FakePage page;
    page.loadSubmissionForm("http://h/bc/submit.php", FakeForm{.postUrl = "http://blog/a"});
    QCOMPARE(page.GetFieldValue("post_url"), QString("http://blog/a"));
    page.addField("post_url", "http://blog/b", "form2");
    page.addField("post_url", "outside", QString());
    QCOMPARE(page.GetFieldValue("post_url"), QString("http://blog/b"));
    QCOMPARE(page.GetFieldValue("missing"), QString());
}

void TestFakePage::failuresThrowPageError()
{
    FakePage page;
    QVERIFY_THROWS_EXCEPTION(PageError, page.elementsNamed("id"));

    const FakeFormHandles form = page.loadSubmissionForm("http://h/bc/submit.php");
    page.failElement(form.category);
    QVERIFY_THROWS_EXCEPTION(PageError, page.outerHTML(form.category));
    QCOMPARE(page.outerHTML(form.carnival).left(8), QString("<SELECT "));

    page.failOperation("getAttribute");
    QVERIFY_THROWS_EXCEPTION(PageError, page.getAttribute(form.carnival, "value"));

    page.loadSubmissionForm("http://h/bc/submit.php");
    QVERIFY_THROWS_EXCEPTION(PageError, page.outerHTML(form.carnival)); // a handle of the old page
    page.unloadDocument();
    QVERIFY(!page.DocumentLoaded());
    QVERIFY_THROWS_EXCEPTION(PageError, page.getElementById("id"));
}

void TestFakePage::navigationRecordsAddress()
{
    FakePage page;
    page.onNavigate = [&](const QString& address) { page.loadSubmissionForm(address); };
    page.Navigate("http://h/bc/submit.php");
    QCOMPARE(page.navigations, QStringList{"http://h/bc/submit.php"});
    QCOMPARE(page.LocationURL(), QString("http://h/bc/submit.php"));
    QCOMPARE(page.elementsNamed("id").size(), 1);
    page.Refresh();
    QCOMPARE(page.refreshes, 1);
}

QTEST_GUILESS_MAIN(TestFakePage)
#include "TestFakePage.moc"
