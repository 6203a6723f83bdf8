#include "gui/WebEngineBrowserView.h"
#include "gui/WebTestSupport.h"

#include "directory/CarnivalDirectory.h"

#include "TestPaths.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <functional>
#include <memory>

using WebTestSupport::navigateAndWait;
using WebTestSupport::waitForLoad;

namespace {

CarnivalCatalog testCatalog()
{
    CarnivalCatalog catalog;
    catalog.add({12,
                 QStringLiteral("Cars & Trucks"),
                 {{501, QStringLiteral("Sedans")}, {502, QStringLiteral("Vans")}}});
    catalog.add({13, QStringLiteral("Garden <Gnomes>"), {{601, QStringLiteral("Roses")}}});
    catalog.add({14, QStringLiteral("Café Crème"), {}});
    return catalog;
}

// Two forms holding the same field, a field outside any form, a drop-down whose values need quotes
// and a button whose handler keeps the page busy.
QString fieldsPage()
{
    QFile file(QString::fromUtf8(TestPaths::kData) + QStringLiteral("/browserview/fields.html"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestWebEngineBrowserView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void operationsWithoutDocumentRaise();
    void loadReportsExactLocationAndCompletion();
    void carnivalMarkupMarksChosenOption_data();
    void carnivalMarkupMarksChosenOption();
    void settingValueFiresNoChangeButFireEventRunsHandler();
    void lookUpsAndAttributes();
    void clickOnSubmitButtonPostsTheForm();
    void historyAvailabilityFollowsNavigation();
    void fieldValueLastMatchWins();
    void markupQuotesValuesThatNeedIt();
    void markupFollowsChangesThePageMakes();
    void markupOfEveryKindOfDropDown_data();
    void markupOfEveryKindOfDropDown();
    void slowPageAnswerTimesOut();
    void scrollIntoViewMovesElementToTop();
    void nonHtmlAndFailedLoadsHoldNoDocument();
    void answersReportTheirHttpStatus();

private:
    std::unique_ptr<WebEngineBrowserView> makeView() const;
    void loadForm();
    void loadFieldsPage();
    Element only(const QList<Element>& elements) const;

    CarnivalDirectory m_directory{testCatalog()};
    QWebEngineProfile* m_profile = nullptr;
    std::unique_ptr<WebEngineBrowserView> m_view;
    QString m_submitUrl;
};

void TestWebEngineBrowserView::initTestCase()
{
    QVERIFY2(!m_directory.start().isEmpty(), qPrintable(m_directory.errorString()));
    m_submitUrl = m_directory.submitUrl();
    m_profile = new QWebEngineProfile(this); // off the record: the tests leave nothing on disk
    m_view = makeView();
}

void TestWebEngineBrowserView::cleanupTestCase()
{
    m_view.reset();
    m_directory.stop();
}

std::unique_ptr<WebEngineBrowserView> TestWebEngineBrowserView::makeView() const
{
    auto view = std::make_unique<WebEngineBrowserView>(m_profile);
    view->widget()->resize(800, 600);
    view->widget()->show();
    return view;
}

void TestWebEngineBrowserView::loadForm()
{
    QVERIFY(navigateAndWait(*m_view, m_submitUrl));
}

void TestWebEngineBrowserView::loadFieldsPage()
{
    const QString html = fieldsPage();
    QVERIFY(!html.isEmpty());
    QVERIFY(waitForLoad(*m_view,
                        [&] { m_view->widget()->setHtml(html, QUrl(m_directory.baseUrl() + "/fields")); }));
}

Element TestWebEngineBrowserView::only(const QList<Element>& elements) const
{
    if (elements.size() != 1)
        throw PageError(QStringLiteral("expected one element, found %1").arg(elements.size()));
    return elements.first();
}

void TestWebEngineBrowserView::operationsWithoutDocumentRaise()
{
    const auto fresh = makeView();
    QVERIFY(!fresh->DocumentLoaded());
    QVERIFY(!fresh->Busy());
    const QList<std::function<void()>> operations{
        [&] { fresh->elementsNamed(QStringLiteral("id")); },
        [&] { fresh->getElementById(QStringLiteral("btn")); },
        [&] { fresh->GetFieldValue(QStringLiteral("post_url")); },
        [&] { fresh->outerHTML(Element{1}); },
        [&] { fresh->click(Element{1}); },
    };
    for (const auto& operation : operations)
        QVERIFY_THROWS_EXCEPTION(PageError, operation());
}

void TestWebEngineBrowserView::loadReportsExactLocationAndCompletion()
{
    QSignalSpy started(m_view.get(), &BrowserView::LoadStarted);
    QSignalSpy complete(m_view.get(), &BrowserView::pageLoaded);
    const QString url = m_submitUrl + QStringLiteral("?from=test&x=1");
    QVERIFY(navigateAndWait(*m_view, url));
    QCOMPARE(m_view->LocationURL(), url);
    QVERIFY(!m_view->Busy());
    QVERIFY(m_view->DocumentLoaded());
    QCOMPARE(started.size(), 1);
    QCOMPARE(complete.size(), 1);
}

void TestWebEngineBrowserView::carnivalMarkupMarksChosenOption_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("chosenValue");
    QTest::addColumn<QString>("options");

    QTest::newRow("as loaded") << QString() << "0"
                               << "<OPTION value=0 selected>Select a carnival</OPTION>"
                                  "<OPTION value=12>Cars &amp; Trucks</OPTION>"
                                  "<OPTION value=13>Garden &lt;Gnomes&gt;</OPTION>"
                                  "<OPTION value=14>Café Crème</OPTION>";
    QTest::newRow("ampersand name") << "12"
                                    << "12"
                                    << "<OPTION value=0>Select a carnival</OPTION>"
                                       "<OPTION value=12 selected>Cars &amp; Trucks</OPTION>"
                                       "<OPTION value=13>Garden &lt;Gnomes&gt;</OPTION>"
                                       "<OPTION value=14>Café Crème</OPTION>";
    QTest::newRow("markup in name") << "13"
                                    << "13"
                                    << "<OPTION value=0>Select a carnival</OPTION>"
                                       "<OPTION value=12>Cars &amp; Trucks</OPTION>"
                                       "<OPTION value=13 selected>Garden &lt;Gnomes&gt;</OPTION>"
                                       "<OPTION value=14>Café Crème</OPTION>";
    QTest::newRow("no such option") << "999"
                                    << ""
                                    << "<OPTION value=0>Select a carnival</OPTION>"
                                       "<OPTION value=12>Cars &amp; Trucks</OPTION>"
                                       "<OPTION value=13>Garden &lt;Gnomes&gt;</OPTION>"
                                       "<OPTION value=14>Café Crème</OPTION>";
}

void TestWebEngineBrowserView::carnivalMarkupMarksChosenOption()
{
    QFETCH(QString, value);
    QFETCH(QString, chosenValue);
    QFETCH(QString, options);
    loadForm();
    const Element carnival = only(m_view->elementsNamed(QStringLiteral("id")));
    if (!value.isNull())
        m_view->setAttribute(carnival, QStringLiteral("value"), value);
    QCOMPARE(m_view->getAttribute(carnival, QStringLiteral("value")), chosenValue);
    QCOMPARE(m_view->outerHTML(carnival),
             QStringLiteral("<SELECT name=id id=id onchange=showCategories(this)>") + options +
                 QStringLiteral("</SELECT>"));
}

void TestWebEngineBrowserView::settingValueFiresNoChangeButFireEventRunsHandler()
{
    loadForm();
    const Element carnival = only(m_view->elementsNamed(QStringLiteral("id")));
    const Element category = only(m_view->elementsNamed(QStringLiteral("category")));
    const QString value = QStringLiteral("value");

    // Roses belongs to carnival 13; the page's script would drop it for carnival 12, had it run.
    m_view->setAttribute(category, value, QStringLiteral("601"));
    m_view->setAttribute(carnival, value, QStringLiteral("12"));
    QCOMPARE(m_view->getAttribute(category, value), QStringLiteral("601"));

    m_view->FireEvent(carnival, QStringLiteral("onchange"));
    QCOMPARE(m_view->getAttribute(category, value), QStringLiteral("0"));

    // A category of the chosen carnival survives the script.
    m_view->setAttribute(category, value, QStringLiteral("502"));
    m_view->FireEvent(carnival, QStringLiteral("onchange"));
    QCOMPARE(m_view->getAttribute(category, value), QStringLiteral("502"));

    QVERIFY_THROWS_EXCEPTION(PageError, m_view->FireEvent(carnival, QStringLiteral("change")));
}

void TestWebEngineBrowserView::lookUpsAndAttributes()
{
    loadForm();
    const QList<Element> selects = m_view->getElementsByTagName(QStringLiteral("select"));
    QCOMPARE(selects.size(), 2);
    const Element carnival = only(m_view->elementsNamed(QStringLiteral("id")));
    QCOMPARE(selects.first(), carnival);
    QCOMPARE(m_view->getElementById(QStringLiteral("id")), carnival);
    QCOMPARE(m_view->getElementById(QStringLiteral("category")), selects.last());
    QVERIFY(m_view->getElementById(QStringLiteral("btn")).has_value());
    QCOMPARE(m_view->getElementById(QStringLiteral("nothing")), std::nullopt);
    QVERIFY(m_view->elementsNamed(QStringLiteral("nothing")).isEmpty());

    QCOMPARE(m_view->getAttribute(carnival, QStringLiteral("name")), QStringLiteral("id"));
    QCOMPARE(m_view->getAttribute(carnival, QStringLiteral("onchange")),
             QStringLiteral("showCategories(this)"));
    QCOMPARE(m_view->getAttribute(carnival, QStringLiteral("data-missing")), std::nullopt);

    const Element button = *m_view->getElementById(QStringLiteral("btn"));
    QVERIFY(m_view->outerHTML(button).startsWith(QStringLiteral("<input type=\"submit\" id=\"btn\"")));
}

void TestWebEngineBrowserView::clickOnSubmitButtonPostsTheForm()
{
    loadForm();
    m_directory.clearSubmissions();
    const QString value = QStringLiteral("value");
    const QString permalink = QStringLiteral("http://blog.example/2024/05/a-post?x=1&y=2");
    const Element carnival = only(m_view->elementsNamed(QStringLiteral("id")));
    m_view->setAttribute(only(m_view->elementsNamed(QStringLiteral("post_url"))), value, permalink);
    m_view->setAttribute(carnival, value, QStringLiteral("12"));
    m_view->FireEvent(carnival, QStringLiteral("onchange"));
    m_view->setAttribute(only(m_view->elementsNamed(QStringLiteral("category"))), value,
                         QStringLiteral("502"));
    QCOMPARE(m_view->GetFieldValue(QStringLiteral("post_url")), permalink);
    QCOMPARE(m_view->fieldValues({QStringLiteral("post_url"), QStringLiteral("nonesuch"), QStringLiteral("id")}),
             (QStringList{permalink, QString(), QStringLiteral("12")}));

    const Element button = *m_view->getElementById(QStringLiteral("btn"));
    QVERIFY(waitForLoad(*m_view, [&] { m_view->click(button); }));

    const QList<Submission> submissions = m_directory.submissions();
    QCOMPARE(submissions.size(), 1);
    QCOMPARE(submissions.first().carnival, 12);
    QCOMPARE(submissions.first().category, 502);
    QCOMPARE(submissions.first().postUrl, permalink);
    QCOMPARE(m_view->LocationURL(), m_submitUrl);
    QCOMPARE(m_view->GetFieldValue(QStringLiteral("post_url")), permalink);

    // Handles of the replaced page lead nowhere, not to the new page's elements.
    QVERIFY_THROWS_EXCEPTION(PageError, m_view->outerHTML(carnival));
    QVERIFY(only(m_view->elementsNamed(QStringLiteral("id"))) != carnival);
}

// QtWebEngine 6.4: an answer of 400 or more comes as a load in the HTTP status domain, its status
// the error code; the run reads it to tell a failed submission from a made one.
void TestWebEngineBrowserView::answersReportTheirHttpStatus()
{
    loadForm();
    QCOMPARE(m_view->httpStatus(), 200);
    QVERIFY(!m_view->showsPostAnswer());
    QCOMPARE(m_view->retryAfterSeconds(), -1); // the engine shows no response headers

    // A post answered with an error page: its status, whatever the load's own flag says.
    m_directory.setFailure(12, 500);
    m_view->setAttribute(only(m_view->elementsNamed(QStringLiteral("id"))), QStringLiteral("value"),
                         QStringLiteral("12"));
    waitForLoad(*m_view, [&] { m_view->click(*m_view->getElementById(QStringLiteral("btn"))); });
    QCOMPARE(m_view->httpStatus(), 500);
    QVERIFY(m_view->showsPostAnswer());
    m_directory.clearFailures();

    // A plain page not found, with a body.
    waitForLoad(*m_view, [&] { m_view->Navigate(m_directory.baseUrl() + QStringLiteral("/no/such/page")); });
    QCOMPARE(m_view->httpStatus(), 404);
    QVERIFY(!m_view->showsPostAnswer());

    // A post that is answered: 200 and an answer to a post, which the form's address shows.
    loadForm();
    QVERIFY(waitForLoad(*m_view, [&] { m_view->click(*m_view->getElementById(QStringLiteral("btn"))); }));
    QCOMPARE(m_view->httpStatus(), 200);
    QVERIFY(m_view->showsPostAnswer());
    QCOMPARE(m_view->LocationURL(), m_submitUrl);
    loadForm();
    QVERIFY(!m_view->showsPostAnswer());
}

void TestWebEngineBrowserView::historyAvailabilityFollowsNavigation()
{
    const auto view = makeView();
    QSignalSpy states(view.get(), &BrowserView::navigationStateChanged);
    const auto lastState = [&](int command) {
        for (qsizetype i = states.size() - 1; i >= 0; --i) {
            if (states.at(i).at(0).toInt() == command)
                return states.at(i).at(1).toBool();
        }
        throw PageError(QStringLiteral("no state for command %1").arg(command));
    };

    QVERIFY(navigateAndWait(*view, m_submitUrl));
    QCOMPARE(lastState(1), false);
    QCOMPARE(lastState(2), false);

    QVERIFY(navigateAndWait(*view, m_submitUrl + QStringLiteral("?second")));
    QCOMPARE(lastState(1), false);
    QCOMPARE(lastState(2), true);

    QVERIFY(waitForLoad(*view, [&] { view->widget()->back(); }));
    QCOMPARE(view->LocationURL(), m_submitUrl);
    QCOMPARE(lastState(1), true);
    QCOMPARE(lastState(2), false);
}

void TestWebEngineBrowserView::fieldValueLastMatchWins()
{
    loadFieldsPage();
    QCOMPARE(m_view->GetFieldValue(QStringLiteral("post_url")), QStringLiteral("second"));
    QCOMPARE(m_view->GetFieldValue(QStringLiteral("other")), QStringLiteral("x"));
    QCOMPARE(m_view->GetFieldValue(QStringLiteral("missing")), QString());
    QCOMPARE(m_view->GetFieldValue(QStringLiteral("sizes")), QString());
}

void TestWebEngineBrowserView::markupQuotesValuesThatNeedIt()
{
    loadFieldsPage();
    const Element sizes = only(m_view->elementsNamed(QStringLiteral("sizes")));
    const QString start = QStringLiteral("<SELECT name=sizes style=\"width: 9em\">");
    QCOMPARE(m_view->outerHTML(sizes),
             start + QStringLiteral("<OPTION value=\"\" selected>None</OPTION>"
                                    "<OPTION value=\"a b\">A &amp; B</OPTION>"
                                    "<OPTION value=\"x&quot;y\">Q</OPTION></SELECT>"));
    m_view->setAttribute(sizes, QStringLiteral("value"), QStringLiteral("x\"y"));
    QCOMPARE(m_view->getAttribute(sizes, QStringLiteral("value")), QStringLiteral("x\"y"));
    QVERIFY(m_view->outerHTML(sizes).endsWith(
        QStringLiteral("<OPTION value=\"x&quot;y\" selected>Q</OPTION></SELECT>")));
}

// Drop-down markup is kept between reads; every change the page's own script makes must show.
void TestWebEngineBrowserView::markupFollowsChangesThePageMakes()
{
    loadFieldsPage();
    const Element sizes = only(m_view->elementsNamed(QStringLiteral("sizes")));
    const auto pageScript = [this](const QString& script) {
        QEventLoop loop;
        m_view->widget()->page()->runJavaScript(script, [&](const QVariant&) { loop.quit(); });
        loop.exec();
    };
    const QString before = m_view->outerHTML(sizes);
    QVERIFY(before.contains(QStringLiteral(">A &amp; B<")));

    pageScript(QStringLiteral("document.getElementsByName('sizes')[0].options[1].text = 'A < B';"));
    QVERIFY(m_view->outerHTML(sizes).contains(QStringLiteral("<OPTION value=\"a b\">A &lt; B</OPTION>")));

    pageScript(QStringLiteral("document.getElementsByName('sizes')[0].add(new Option('Big', 'xl'));"));
    QVERIFY(m_view->outerHTML(sizes).endsWith(QStringLiteral("<OPTION value=xl>Big</OPTION></SELECT>")));

    pageScript(QStringLiteral("document.getElementsByName('sizes')[0].options[3].value = 'xxl';"));
    QVERIFY(m_view->outerHTML(sizes).endsWith(QStringLiteral("<OPTION value=xxl>Big</OPTION></SELECT>")));

    pageScript(QStringLiteral("document.getElementsByName('sizes')[0].selectedIndex = 3;"));
    QVERIFY(m_view->outerHTML(sizes).endsWith(
        QStringLiteral("<OPTION value=xxl selected>Big</OPTION></SELECT>")));
    QVERIFY(m_view->outerHTML(sizes).startsWith(
        QStringLiteral("<SELECT name=sizes style=\"width: 9em\"><OPTION value=\"\">None")));

    pageScript(QStringLiteral("document.getElementsByName('sizes')[0].name = 'sizes2';"));
    QVERIFY(m_view->outerHTML(sizes).startsWith(QStringLiteral("<SELECT name=sizes2 ")));
}

// Plain drop-downs are rewritten from the browser's serialisation, others read option by option;
// both must give the same form.
void TestWebEngineBrowserView::markupOfEveryKindOfDropDown_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("markup");
    QTest::newRow("plain, chosen by attribute")
        << R"(<select name=s><option value="1">A</option>\n <option value="2" selected>B &amp; C</option></select>)"
        << "<SELECT name=s><OPTION value=1>A</OPTION><OPTION value=2 selected>B &amp; C</OPTION></SELECT>";
    QTest::newRow("value with an angle bracket")
        << R"(<select name=s><option value="a>b">A</option></select>)"
        << R"(<SELECT name=s><OPTION value="a>b" selected>A</OPTION></SELECT>)";
    QTest::newRow("text that looks like markup")
        << R"(<select name=s><option value="1"> selected="" &lt;OPTION </option><option value=2>x</option></select>)"
        << R"(<SELECT name=s><OPTION value=1 selected> selected="" &lt;OPTION </OPTION><OPTION value=2>x</OPTION></SELECT>)";
    QTest::newRow("option without a value")
        << R"(<select name=s><option>Only text</option></select>)"
        << "<SELECT name=s><OPTION value=\"Only text\" selected>Only text</OPTION></SELECT>";
    QTest::newRow("option group and a disabled option")
        << R"(<select name=s><optgroup label=G><option value=1 disabled>A</option><option value=2 selected>B</option></optgroup></select>)"
        << "<SELECT name=s><OPTION value=1>A</OPTION><OPTION value=2 selected>B</OPTION></SELECT>";
    QTest::newRow("no-break space in text")
        << "<select name=s><option value=1>A&nbsp;B</option></select>"
        << QString("<SELECT name=s><OPTION value=1 selected>A") + QChar(0xA0) + "B</OPTION></SELECT>";
    QTest::newRow("several chosen")
        << R"(<select name=s multiple><option value=1 selected>A</option><option value=2>B</option><option value=3 selected>C</option></select>)"
        << "<SELECT name=s multiple=\"\"><OPTION value=1 selected>A</OPTION><OPTION value=2>B</OPTION>"
           "<OPTION value=3 selected>C</OPTION></SELECT>";
    QTest::newRow("empty") << "<select name=s></select>"
                           << "<SELECT name=s></SELECT>";
}

void TestWebEngineBrowserView::markupOfEveryKindOfDropDown()
{
    QFETCH(QString, html);
    QFETCH(QString, markup);
    QVERIFY(waitForLoad(*m_view, [&] {
        m_view->widget()->setHtml("<html><body>" + html + "</body></html>",
                                  QUrl(m_directory.baseUrl() + "/kinds"));
    }));
    QCOMPARE(m_view->outerHTML(only(m_view->elementsNamed(QStringLiteral("s")))), markup);
}

void TestWebEngineBrowserView::slowPageAnswerTimesOut()
{
    loadFieldsPage();
    const Element busy = *m_view->getElementById(QStringLiteral("busy"));
    m_view->setAnswerTimeout(300);
    QVERIFY_THROWS_EXCEPTION(PageError, m_view->click(busy));
    m_view->setAnswerTimeout(WebEngineBrowserView::kDefaultAnswerTimeoutMs);
    // The late answer of the timed-out call must not be taken for the next call's.
    QCOMPARE(m_view->GetFieldValue(QStringLiteral("other")), QStringLiteral("x"));
}

void TestWebEngineBrowserView::scrollIntoViewMovesElementToTop()
{
    loadForm();
    QWebEnginePage* page = m_view->widget()->page();
    m_view->scrollIntoView(*m_view->getElementById(QStringLiteral("btn")), true);
    QTRY_VERIFY(page->scrollPosition().y() > 200);
    const qreal belowForm = page->scrollPosition().y();
    m_view->scrollIntoView(only(m_view->elementsNamed(QStringLiteral("id"))), true);
    QTRY_VERIFY(page->scrollPosition().y() < belowForm - 100);
}

void TestWebEngineBrowserView::nonHtmlAndFailedLoadsHoldNoDocument()
{
    QSignalSpy complete(m_view.get(), &BrowserView::pageLoaded);
    QVERIFY(navigateAndWait(*m_view, m_directory.baseUrl() + QStringLiteral("/bc/submissions.json")));
    QVERIFY(!m_view->DocumentLoaded());
    QVERIFY_THROWS_EXCEPTION(PageError, m_view->elementsNamed(QStringLiteral("id")));

    QVERIFY(!navigateAndWait(*m_view, QStringLiteral("http://127.0.0.1:1/bc/submit.php")));
    QVERIFY(!m_view->DocumentLoaded());
    QVERIFY_THROWS_EXCEPTION(PageError, m_view->GetFieldValue(QStringLiteral("post_url")));
    QCOMPARE(complete.size(), 0);
}

QTEST_MAIN(TestWebEngineBrowserView)
#include "TestWebEngineBrowserView.moc"
