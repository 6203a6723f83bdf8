#include "app/MainController.h"
#include "mock/FakeDesktop.h"
#include "mock/FakeNetwork.h"
#include "mock/FakePage.h"
#include "site/SubmitPage.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kSite = "http://127.0.0.1:8123";
const QStringList kDetailFields = {"blog_name", "blog_url", "author", "email"};
const QMap<QString, QString> kTyped = {
    {"blog_name", "Mile Markers"}, {"blog_url", "http://miles.test"},
    {"author", "Ann Ode"},         {"email", "ann@miles.test"},
    {"title", "My trip"},          {"post_url", "http://miles.test/trip"},
};

// The first tab's form as the directory serves it: the post's fields, empty unless given.
void loadForm(FakePage& page, const QString& address, const QMap<QString, QString>& values = {})
{
    page.loadSubmissionForm(address);
    for (const char* name : {"blog_name", "blog_url", "title", "author", "email"})
        page.addField(name, values.value(name));
    if (values.contains("post_url"))
        page.setAttribute(page.elementsNamed("post_url").first(), "value", values.value("post_url"));
}

QString field(FakePage& page, const QString& name)
{
    return page.GetFieldValue(name);
}

struct Program
{
    explicit Program(const QString& detailsFile = {})
    {
        if (!detailsFile.isEmpty())
            form.postDetails.keepIn(detailsFile);
        // Every navigation loads the form afresh, empty, and reports the load.
        view1.onNavigate = [this](const QString& address) { loadForm(view1, address); };
    }
    QString address() const { return SubmitPage::address(kSite); }
    void load(const QMap<QString, QString>& values = {})
    {
        loadForm(view1, address(), values);
        emit view1.pageLoaded();
    }
    void reloadThroughTheNavigation() { emit view1.pageLoaded(); }
    void type(const QMap<QString, QString>& values)
    {
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            view1.setAttribute(view1.elementsNamed(it.key()).first(), "value", it.value());
    }

    FakeDesktop desktop;
    FakeNetwork network;
    FakePage view1;
    FakePage view2;
    MainController form{desktop, network, view1, view2, AppSettings{kSite, {}, {}}};
};
} // namespace

/// The post's details are typed once: remembered from the form, filled into a form that loads empty.
class TestPostDetails final : public QObject
{
    Q_OBJECT

private slots:
    void resetAndRefreshGiveTheDetailsBack_data()
    {
        QTest::addColumn<bool>("reset");
        QTest::newRow("Reset Page") << true;
        QTest::newRow("Refresh") << false;
    }
    void resetAndRefreshGiveTheDetailsBack()
    {
        QFETCH(bool, reset);
        Program program;
        program.load();
        program.type(kTyped);
        if (reset) {
            program.form.resetPage(Tab::CurrentList);
        } else {
            program.form.refreshPage(Tab::CurrentList);
            loadForm(program.view1, program.address()); // the reload comes back empty
        }
        program.reloadThroughTheNavigation();

        for (const QString& name : kDetailFields)
            QCOMPARE(field(program.view1, name), kTyped.value(name));
        // What changes with every post is never carried over.
        QCOMPARE(field(program.view1, "title"), QString());
        QCOMPARE(field(program.view1, "post_url"), QString());
        QVERIFY(program.desktop.messages.isEmpty());
    }

    void theDetailsSurviveTheProgram()
    {
        QTemporaryDir folder;
        const QString file = folder.filePath("config/post-details.json");
        {
            Program first(file);
            first.load();
            first.type(kTyped);
            first.form.close();
        }
        QFile stored(file);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        const QByteArray bytes = stored.readAll();
        QVERIFY(bytes.contains("Mile Markers"));
        QVERIFY(!bytes.contains("My trip"));

        Program next(file);
        next.load();
        for (const QString& name : kDetailFields)
            QCOMPARE(field(next.view1, name), kTyped.value(name));
    }

    void aFilledFormIsRememberedNotOverwritten()
    {
        Program program;
        program.load();
        program.type(kTyped);
        program.form.resetPage(Tab::CurrentList);
        program.reloadThroughTheNavigation();

        // The directory's answer to a post keeps what was posted: that is taken, nothing is filled.
        QMap<QString, QString> answered = kTyped;
        answered["blog_name"] = "Renamed Blog";
        answered["email"] = QString();
        program.load(answered);
        QCOMPARE(field(program.view1, "email"), QString());
        QCOMPARE(program.form.postDetails.values().value("blog_name"), QString("Renamed Blog"));
        QCOMPARE(program.form.postDetails.values().value("email"), kTyped.value("email"));
    }

    void anotherPageIsNeitherReadNorFilled()
    {
        Program program;
        program.load();
        program.type(kTyped);
        program.form.resetPage(Tab::CurrentList);

        program.view1.loadEmptyDocument(kSite + "/elsewhere.html");
        program.view1.addField("blog_name", "Not mine");
        program.view1.addField("author", QString());
        emit program.view1.pageLoaded();
        program.form.resetPage(Tab::CurrentList);
        QCOMPARE(program.form.postDetails.values().value("blog_name"), kTyped.value("blog_name"));

        program.view1.loadEmptyDocument(kSite + "/elsewhere.html");
        program.view1.addField("author", QString());
        emit program.view1.pageLoaded();
        QCOMPARE(field(program.view1, "author"), QString());
    }
};

QTEST_GUILESS_MAIN(TestPostDetails)
#include "TestPostDetails.moc"
