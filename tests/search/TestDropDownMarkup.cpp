#include "mock/FakePage.h"
#include "search/DropDownMarkup.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

char* toString(const DropDownOption& option)
{
    return QTest::toString(option.value + u'|' + option.text + (option.selected ? "|selected" : ""));
}

namespace {
QString selectMarkup(const QList<FakeOption>& options)
{
    FakeElement select;
    select.tag = QStringLiteral("select");
    select.attributes = {{"name", "id"}, {"id", "id"}};
    select.options = options;
    return FakePage::markupOf(select);
}

QString unescaped(QString text)
{
    return text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
}

// The plain way: every option by a pattern, then a lower-case comparison per option.
QList<DropDownOption> referenceMatching(const QString& markup, const QString& keyword)
{
    static const QRegularExpression option(
        QStringLiteral("<OPTION value=(\"[^\"]*\"|[^ >]*)( selected)?>([^<]*)</OPTION>"));
    QList<DropDownOption> found;
    if (keyword.isEmpty())
        return found;
    for (auto it = option.globalMatch(markup); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        QString value = match.captured(1);
        if (value.startsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        value = unescaped(value);
        const QString text = unescaped(match.captured(3));
        if (text.toLower().contains(keyword.toLower()) || value.toLower().contains(keyword.toLower()))
            found.append({value, text, match.capturedLength(2) > 0});
    }
    return found;
}

const QStringList kWords = {"Money", "money", "Makers", "Cars",     "&",    "<b>",        "Select", "OPTION",
                            "value", "id",    "12",     "selected", "Food", "\"quoted\"", "Über",   "blog"};

QList<FakeOption> generatedOptions(QRandomGenerator& random, int count)
{
    QList<FakeOption> options{{"0", "Select a carnival"}};
    for (int i = 0; i < count; ++i) {
        QStringList words;
        const int wordCount = random.bounded(1, 5);
        for (int w = 0; w < wordCount; ++w)
            words.append(kWords[random.bounded(kWords.size())]);
        QString value = QString::number(random.bounded(1, 5000));
        if (random.bounded(10) == 0)
            value += QStringLiteral(" x"); // a blank makes the writer quote the value
        options.append({value, words.join(u' '), false});
    }
    options[random.bounded(options.size())].selected = true;
    return options;
}
} // namespace

class TestDropDownMarkup final : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryOption();
    void matching_data();
    void matching();
    void matchingAgreesWithReferenceOnGeneratedDropDowns();
    void values();
};

void TestDropDownMarkup::readsEveryOption()
{
    const QString markup =
        QStringLiteral("<SELECT name=id onchange=\"fill('<OPTION value=9>x</OPTION>')\">"
                       "<OPTION value=0>Select</OPTION><OPTION value=12 selected>Cars</OPTION>"
                       "<OPTION value=\"a &amp; b\">Food &amp; Drink</OPTION>"
                       "<OPTION value=&quot;&#39;&amp;lt;>&lt;b&gt; &amp;amp; &copy;</OPTION>"
                       "<OPTION value=7>no end tag</SELECT>");
    // Values and texts are decoded alike, each reference once; unknown ones stay as written.
    const QList<DropDownOption> expected{{"0", "Select", false},
                                         {"12", "Cars", true},
                                         {"a & b", "Food & Drink", false},
                                         {"\"'&lt;", "<b> &amp; &copy;", false},
                                         {"7", "no end tag", false}};
    QCOMPARE(DropDownMarkup::options(markup), expected);
    QVERIFY(DropDownMarkup::options(QStringLiteral("<SELECT name=id></SELECT>")).isEmpty());
    QVERIFY(DropDownMarkup::options(QStringLiteral("<SELECT name=\"id")).isEmpty());
}

void TestDropDownMarkup::matching_data()
{
    QTest::addColumn<QList<FakeOption>>("options");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QList<DropDownOption>>("expected");

    const QList<FakeOption> carnivals{{"0", "Select a carnival"},
                                      {"12", "Money Makers"},
                                      {"123", "Cars and cars and more cars", true},
                                      {"40", "Food & Drink"},
                                      {"77", "Blog Carnival of Money"}};
    QTest::newRow("keyword in names, any letter case")
        << carnivals << "money"
        << QList<DropDownOption>{{"12", "Money Makers"}, {"77", "Blog Carnival of Money"}};
    QTest::newRow("keyword in a value only")
        << carnivals << "23" << QList<DropDownOption>{{"123", "Cars and cars and more cars", true}};
    QTest::newRow("several times in one option, chosen ref bare")
        << carnivals << "car"
        << QList<DropDownOption>{{"0", "Select a carnival"},
                                 {"123", "Cars and cars and more cars", true},
                                 {"77", "Blog Carnival of Money"}};
    QTest::newRow("name decoded") << carnivals << "&" << QList<DropDownOption>{{"40", "Food & Drink"}};
    QTest::newRow("references are not text") << carnivals << "amp" << QList<DropDownOption>{};
    QTest::newRow("empty keyword") << carnivals << "" << QList<DropDownOption>{};
    // The start tag and the option tags are markup, not carnivals.
    for (const char* keyword : {"id", "select", "option", "value=", "</", "name"}) {
        QTest::addRow("keyword only in markup: %s", keyword)
            << QList<FakeOption>{{"5", "Travel"}, {"6", "Gardens"}} << keyword << QList<DropDownOption>{};
    }
    QTest::newRow("keyword in every option")
        << QList<FakeOption>{{"1", "Blog A"}, {"2", "blog B"}, {"3", "BLOG C"}} << "blog"
        << QList<DropDownOption>{{"1", "Blog A"}, {"2", "blog B"}, {"3", "BLOG C"}};
}

void TestDropDownMarkup::matching()
{
    QFETCH(QList<FakeOption>, options);
    QFETCH(QString, keyword);
    QFETCH(QList<DropDownOption>, expected);
    QCOMPARE(DropDownMarkup::matching(selectMarkup(options), keyword), expected);
}

void TestDropDownMarkup::matchingAgreesWithReferenceOnGeneratedDropDowns()
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 40; ++round) {
        const QString markup = selectMarkup(generatedOptions(random, random.bounded(0, 300)));
        QStringList keywords = kWords;
        // Random pieces of the markup itself, tags and attributes included.
        for (int i = 0; i < 20; ++i) {
            const int at = random.bounded(markup.size());
            keywords.append(markup.mid(at, random.bounded(1, 8)).toLower());
        }
        for (const QString& keyword : keywords) {
            const QString lower = keyword.toLower();
            QCOMPARE(DropDownMarkup::matching(markup, lower), referenceMatching(markup, lower));
        }
    }
}

void TestDropDownMarkup::values()
{
    const QString markup =
        selectMarkup({{"0", "Select"}, {"123", "Cars 12"}, {"45", "Boats", true}, {"a&b", "Food"}});
    QCOMPARE(DropDownMarkup::values(markup), (QSet<QString>{"0", "123", "45", "a&b"}));
}

QTEST_GUILESS_MAIN(TestDropDownMarkup)
#include "TestDropDownMarkup.moc"
