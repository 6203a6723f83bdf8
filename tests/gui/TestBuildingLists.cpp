#include "ProgramHarness.h"
#include "gui/CarnivalGridView.h"

#include <QPushButton>

namespace {
CarnivalCatalog catalog()
{
    return CarnivalCatalog::fromTsv("36446\tAnime News & Views\t919583\tGuest Posts\n"
                                    "36446\tAnime News & Views\t501088\tPhotos\n"
                                    "71744\tAnime Showcase\t173342\t初心者\n"
                                    "71744\tAnime Showcase\t712165\tInterviews\n"
                                    "94459\t100% Pure Fitness Carnival\t\t\n");
}

// Chooses a carnival and a category in the page as a user would: the carnival's change script
// offers its categories.
void choose(BrowserView& view, const QString& carnival, const QString& category)
{
    const Element select = *view.getElementById("id");
    view.setAttribute(select, "value", carnival);
    view.FireEvent(select, "onchange");
    view.setAttribute(view.elementsNamed("category").first(), "value", category);
}

QString chosen(BrowserView& view, const QString& name)
{
    return view.getAttribute(view.elementsNamed(name).first(), "value").value_or(QString());
}
} // namespace

class TestBuildingLists final : public QObject
{
    Q_OBJECT

private slots:
    void addFromTheFormOfEachTabThenSelectARowToSetTheForm_data()
    {
        QTest::addColumn<int>("tab");
        QTest::newRow("Submit to Blog Carnivals") << 0;
        QTest::newRow("Create a New List") << 1;
    }

    void addFromTheFormOfEachTabThenSelectARowToSetTheForm()
    {
        QFETCH(int, tab);
        ProgramHarness program(catalog());
        QVERIFY(program.start());
        QVERIFY(program.loadSecondView());
        program.window().pageControl()->setCurrentIndex(tab);
        BrowserView& view =
            tab == 0 ? static_cast<BrowserView&>(program.windows->view1()) : program.windows->view2();
        CarnivalList& list = tab == 0 ? program.form().currentList : program.form().newList;
        auto* add = program.window().findChild<QPushButton*>(tab == 0 ? "addItemButton" : "addNewButton");

        choose(view, "71744", "173342");
        add->click();
        choose(view, "94459", "0");
        add->click();
        choose(view, "36446", "501088");
        add->click();
        QVERIFY2(program.boxes.texts.isEmpty(), qPrintable(program.boxes.texts.join(" / ")));
        QCOMPARE(list.rows(), 3);
        QCOMPARE(list.entry(0).carnival, QString("Anime Showcase"));
        QCOMPARE(list.entry(0).category, QString("初心者"));
        QCOMPARE(list.entry(0).categoryRef, QString("173342"));
        QCOMPARE(list.entry(1).category, QString("No Category"));
        QCOMPARE(list.entry(1).categoryRef, QString("0"));
        QCOMPARE(list.entry(2).carnival, QString("Anime News & Views"));
        QCOMPARE(list.entry(2).carnivalRef, QString("36446"));

        choose(view, "36446", "501088");
        add->click();
        QCOMPARE(program.boxes.texts, QStringList{"This carnival is already in the list"});
        QCOMPARE(list.rows(), 3);

        CarnivalGridView* grid = tab == 0 ? program.window().grid1() : program.window().grid2();
        grid->setFocus();
        list.setCurrentRow(1);
        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(list.currentRow(), 0);
        QCOMPARE(chosen(view, "id"), QString("71744"));
        QCOMPARE(chosen(view, "category"), QString("173342"));
    }
};

QTEST_MAIN(TestBuildingLists)
#include "TestBuildingLists.moc"
