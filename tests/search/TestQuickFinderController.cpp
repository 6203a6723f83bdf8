#include "search/QuickFinderController.h"

#include "SearchFixture.h"
#include "search/QuickFinderControls.h"

#include <QSignalSpy>
#include <QTest>

namespace {
const QList<FakeOption> kCarnivals{{"0", "Select a carnival"}, {"11", "Blog A"}, {"12", "Money Makers"},
                                   {"13", "Blog B"},           {"14", "Blog C"}, {"15", "Blog D"},
                                   {"16", "Food & Blogs"}};

struct Finder : SearchFixture
{
    QuickFinderController& quick = form.quickFinder;

    Finder() { loadForm(kCarnivals); }

    void find(const QString& typed)
    {
        quick.keywordEdited(typed);
        quick.find();
    }
    QStringList names() const
    {
        QStringList all;
        for (int row = 0; row < quick.results.rows(); ++row)
            all.append(quick.results.cell(QuickFinder::kNameColumn, row));
        return all;
    }
    QString found() const { return quick.controls.text(QuickFinder::FoundResults); }
    QString resultCount() const { return quick.controls.text(QuickFinder::ResultCount); }
    void select(int current, int other)
    {
        quick.results.setCurrentRow(current);
        quick.setSelectionSpan(current, other);
    }
};

CarnivalEntry added(const QString& name, const QString& ref)
{
    return {name, QStringLiteral("No Category"), ref, QStringLiteral("0")};
}
} // namespace

class TestQuickFinderController final : public QObject
{
    Q_OBJECT

private slots:
    void initialState();
    void keywordIsLowerCased();
    void findAddsUpOverSearches();
    void findWithoutResults_data();
    void findWithoutResults();
    void placeholdersAreNeverResultsAndNamesAreDecoded();
    void findWithoutCarnivalDropDownChangesNothing();
    void findOnUnreadablePageIsReported();
    void addSelection_data();
    void addSelection();
    void addGoesToActiveTabsList();
    void addMarksDuplicatesAndNests();
    void addOnBlankRowDoesNothing();
    void deleteRowOnOnlyResult();
    void trailingBlankRowIsNeverDeleted();
    void fullStopDeletesCurrentRow();
    void closeKeepsOnlyTheKeyword();
};

void TestQuickFinderController::initialState()
{
    Finder f;
    QCOMPARE(f.quick.results.rows(), 1);
    QCOMPARE(f.quick.results.columns(), QuickFinder::kResultColumns);
    QCOMPARE(f.quick.controls.text(QuickFinder::AddButton), QStringLiteral("Add to Current List"));
    QCOMPARE(f.quick.controls.text(QuickFinder::ResultCount), QStringLiteral("0"));
    QCOMPARE(f.quick.controls.text(QuickFinder::TotalLabel), QStringLiteral("Total Results: "));
    QCOMPARE(f.quick.controls.text(QuickFinder::KeywordLabel), QStringLiteral("Enter Keyword Here:"));

    f.form.tabChanged(1);
    QCOMPARE(f.quick.controls.text(QuickFinder::AddButton), QStringLiteral("Add to New List"));
    f.form.tabChanged(0);
    QCOMPARE(f.quick.controls.text(QuickFinder::AddButton), QStringLiteral("Add to Current List"));

    f.quick.activated();
    QCOMPARE(f.desktop.focus, QuickFinder::Keyword);
}

void TestQuickFinderController::keywordIsLowerCased()
{
    Finder f;
    f.quick.keywordEdited(QStringLiteral("MoNEY"));
    QCOMPARE(f.quick.keyword(), QStringLiteral("money"));
    QCOMPARE(f.quick.controls.text(QuickFinder::Keyword), QStringLiteral("money"));

    f.quick.keywordKeyTyped('a'); // only Enter searches
    QCOMPARE(f.quick.results.rows(), 1);
    f.quick.keywordKeyTyped(13);
    QCOMPARE(f.names(), (QStringList{"Money Makers", ""}));
    QCOMPARE(f.quick.results.cell(QuickFinder::kRefColumn, 0), QStringLiteral("12"));
}

void TestQuickFinderController::findAddsUpOverSearches()
{
    Finder f;
    f.find(QStringLiteral("money"));
    f.find(QStringLiteral("Blog"));

    QCOMPARE(f.names(),
             (QStringList{"Money Makers", "Blog A", "Blog B", "Blog C", "Blog D", "Food & Blogs", ""}));
    QCOMPARE(f.found(), QStringLiteral("5 Results found for \"blog\""));
    QCOMPARE(f.resultCount(), QStringLiteral("6"));
    QCOMPARE(f.quick.results.currentRow(), 1);
    QCOMPARE(f.quick.selectionTop(), 1);
    QCOMPARE(f.quick.selectionBottom(), 1);
}

void TestQuickFinderController::findWithoutResults_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("found");

    QTest::newRow("empty") << ""
                           << "0 Results found for \"\"";
    QTest::newRow("only in the start tag") << "name"
                                           << "0 Results found for \"name\"";
    QTest::newRow("only in the drop-down's name") << "id"
                                                  << "0 Results found for \"id\"";
}

void TestQuickFinderController::findWithoutResults()
{
    QFETCH(QString, keyword);
    QFETCH(QString, found);
    Finder f;
    f.find(keyword);
    QCOMPARE(f.names(), QStringList{""});
    QCOMPARE(f.found(), found);
    QCOMPARE(f.resultCount(), QStringLiteral("0"));
    QCOMPARE(f.quick.results.currentRow(), 0);
}

// "Select a carnival" (value "0") and an option without a value add no carnival to a list.
void TestQuickFinderController::placeholdersAreNeverResultsAndNamesAreDecoded()
{
    Finder f;
    f.loadForm(
        {{"0", "Select a carnival"}, {"", "Carnival without a value"}, {"21", "Travel & Money carnival"}});
    f.find(QStringLiteral("carnival"));
    QCOMPARE(f.names(), (QStringList{"Travel & Money carnival", ""}));
    QCOMPARE(f.found(), QStringLiteral("1 Results found for \"carnival\""));
    QCOMPARE(f.resultCount(), QStringLiteral("1"));
    f.find(QStringLiteral("select"));
    QCOMPARE(f.found(), QStringLiteral("0 Results found for \"select\""));
    f.select(0, 0);
    f.quick.addSelectedResults();
    QCOMPARE(SearchFixture::entries(f.form.currentList),
             (QList<CarnivalEntry>{added("Travel & Money carnival", "21"), {}}));
    QCOMPARE(f.form.controls.text(Controls::ListTotal), QStringLiteral("1"));
}

void TestQuickFinderController::findWithoutCarnivalDropDownChangesNothing()
{
    Finder f;
    f.find(QStringLiteral("money"));
    f.view1.loadEmptyDocument(f.form.submitPageAddress());
    f.view1.addSelect(QStringLiteral("category"), {{"1", "Money"}});
    f.find(QStringLiteral("money"));
    QCOMPARE(f.names(), (QStringList{"Money Makers", ""}));
    QCOMPARE(f.found(), QStringLiteral("1 Results found for \"money\""));
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestQuickFinderController::findOnUnreadablePageIsReported()
{
    Finder f;
    f.view1.failOperation(QStringLiteral("outerHTML"));
    f.find(QStringLiteral("money"));
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.names(), QStringList{""});
    QCOMPARE(f.found(), QString());
}

// Results: Blog A (row 0) .. Blog D (row 3), Food & Blogs (row 4), blank row 5.
void TestQuickFinderController::addSelection_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("other");
    QTest::addColumn<bool>("listEndsBlank");
    QTest::addColumn<QList<CarnivalEntry>>("addedRows");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("currentAfter");

    QTest::newRow("downward, list ends blank")
        << 1 << 2 << true << QList<CarnivalEntry>{added("Blog B", "13"), added("Blog C", "14")}
        << QStringList{"Blog A", "Blog D", "Food & Blogs", ""} << 1;
    QTest::newRow("downward, list ends with an entry")
        << 1 << 2 << false << QList<CarnivalEntry>{added("Blog B", "13"), added("Blog C", "14")}
        << QStringList{"Blog A", "Blog D", "Food & Blogs", ""} << 1;
    // Started at the bottom: the add works from the current row down, n rows in all.
    QTest::newRow("upward") << 2 << 1 << true
                            << QList<CarnivalEntry>{added("Blog C", "14"), added("Blog D", "15")}
                            << QStringList{"Blog A", "Blog B", "Food & Blogs", ""} << 2;
    QTest::newRow("reaching the blank row")
        << 3 << 5 << true << QList<CarnivalEntry>{added("Blog D", "15"), added("Food & Blogs", "16")}
        << QStringList{"Blog A", "Blog B", "Blog C", ""} << 3;
}

void TestQuickFinderController::addSelection()
{
    QFETCH(int, current);
    QFETCH(int, other);
    QFETCH(bool, listEndsBlank);
    QFETCH(QList<CarnivalEntry>, addedRows);
    QFETCH(QStringList, left);
    QFETCH(int, currentAfter);
    Finder f;
    const CarnivalEntry existing{"Travel", "Asia", "30", "2"};
    SearchFixture::fill(f.form.currentList, {existing}, listEndsBlank);
    f.find(QStringLiteral("blog"));
    f.select(current, other);

    f.quick.addSelectedResults();

    QCOMPARE(SearchFixture::entries(f.form.currentList),
             QList<CarnivalEntry>{existing} + addedRows + QList<CarnivalEntry>{{}});
    QCOMPARE(f.form.controls.text(Controls::ListTotal), QString::number(addedRows.size() + 1));
    QCOMPARE(f.names(), left);
    QCOMPARE(f.resultCount(), QString::number(left.size() - 1));
    QCOMPARE(f.quick.results.currentRow(), currentAfter);
    QCOMPARE(f.desktop.focus, QuickFinder::Results);
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestQuickFinderController::addGoesToActiveTabsList()
{
    Finder f;
    f.form.tabChanged(1);
    f.find(QStringLiteral("money"));
    f.select(0, 0);
    f.quick.addSelectedResults();
    QCOMPARE(SearchFixture::entries(f.form.newList), (QList<CarnivalEntry>{added("Money Makers", "12"), {}}));
    QCOMPARE(f.form.controls.text(Controls::NewListTotal), QStringLiteral("1"));
    QVERIFY(f.form.currentList.isEmptyList());
}

void TestQuickFinderController::addMarksDuplicatesAndNests()
{
    Finder f;
    const CarnivalEntry categoryTwelve{"Travel", "Twelve", "30", "12"}; // the category ref is no carnival
    SearchFixture::fill(f.form.currentList, {categoryTwelve, added("Blog B", "13")});
    f.find(QStringLiteral("money"));
    f.find(QStringLiteral("blog b"));
    f.select(0, 1);
    f.quick.addSelectedResults(); // Money Makers goes, then Blog B moves up and is marked

    QCOMPARE(f.names(), (QStringList{"THIS CARNIVAL ALREADY IN LIST (Blog B)", ""}));
    QCOMPARE(f.quick.results.currentRow(), 1);
    QCOMPARE(f.form.currentList.entry(2), added("Money Makers", "12"));

    f.select(0, 0);
    f.quick.addSelectedResults();
    QCOMPARE(f.names(),
             (QStringList{"THIS CARNIVAL ALREADY IN LIST (THIS CARNIVAL ALREADY IN LIST (Blog B))", ""}));
    QCOMPARE(f.form.currentList.rows(), 4);
}

void TestQuickFinderController::addOnBlankRowDoesNothing()
{
    Finder f;
    f.quick.addSelectedResults();
    f.find(QStringLiteral("blog"));
    f.select(5, 0);
    f.quick.addSelectedResults();
    QVERIFY(f.form.currentList.isEmptyList());
    QCOMPARE(f.quick.results.rows(), 6);
}

void TestQuickFinderController::deleteRowOnOnlyResult()
{
    Finder f;
    f.find(QStringLiteral("money"));
    f.quick.deleteCurrentResult();
    QCOMPARE(f.names(), QStringList{""});
    QCOMPARE(f.resultCount(), QStringLiteral("0"));
    QCOMPARE(f.found(), QString());
}

// The next search writes into the trailing blank row: removing it would let a result overwrite
// the last one.
void TestQuickFinderController::trailingBlankRowIsNeverDeleted()
{
    Finder f;
    f.find(QStringLiteral("money"));
    f.select(1, 1);
    f.quick.deleteCurrentResult();
    f.quick.resultsKeyTyped('.');
    QCOMPARE(f.names(), (QStringList{"Money Makers", ""}));
    QCOMPARE(f.found(), QStringLiteral("1 Results found for \"money\""));
    f.find(QStringLiteral("food"));
    QCOMPARE(f.names(), (QStringList{"Money Makers", "Food & Blogs", ""}));
}

void TestQuickFinderController::fullStopDeletesCurrentRow()
{
    Finder f;
    f.find(QStringLiteral("blog"));
    f.select(2, 2);
    f.quick.resultsKeyTyped(',');
    QCOMPARE(f.quick.results.rows(), 6);
    f.quick.resultsKeyTyped('.');
    QCOMPARE(f.names(), (QStringList{"Blog A", "Blog B", "Blog D", "Food & Blogs", ""}));
    QCOMPARE(f.resultCount(), QStringLiteral("4"));
    QCOMPARE(f.desktop.focus, QuickFinder::Results);
}

void TestQuickFinderController::closeKeepsOnlyTheKeyword()
{
    Finder f;
    QSignalSpy hidden(&f.quick, &QuickFinderController::hideRequested);
    f.find(QStringLiteral("Blog"));
    f.quick.closeFinder();
    QCOMPARE(hidden.size(), 1);
    QCOMPARE(f.names(), QStringList{""});
    QCOMPARE(f.found(), QString());
    QCOMPARE(f.resultCount(), QStringLiteral("0"));
    QCOMPARE(f.quick.keyword(), QStringLiteral("blog"));
}

QTEST_GUILESS_MAIN(TestQuickFinderController)
#include "TestQuickFinderController.moc"
