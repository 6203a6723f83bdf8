// The Auto Submit run without a window (vorlix-pro --submit), against the local directory.
#include "directory/CarnivalDirectory.h"
#include "gui/HeadlessSubmit.h"
#include "site/SqliteSubmissionHistory.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {
CarnivalCatalog threeCarnivals()
{
    return CarnivalCatalog::fromTsv("41\tOne Carnival\t51\tFirst\n"
                                    "41\tOne Carnival\t52\tSecond\n"
                                    "42\tTwo Carnival\t53\tThird\n"
                                    "43\tThree Carnival\t\t\n");
}

struct Output
{
    int code = -1;
    QStringList lines;
    QString errors;
};
} // namespace

class TestHeadlessSubmit final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        site = directory.start();
        QVERIFY(!site.isEmpty());
        list = folder.filePath("three.bcl");
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("One Carnival\tSecond\t41\t52\t\r\nTwo Carnival\tThird\t42\t53\t\r\n"
                   "Three Carnival\tNo Category\t43\t0\t\r\n");
    }
    void init()
    {
        directory.clearSubmissions();
        directory.clearFailures();
    }

    void submitsEveryRowWithItsCategory()
    {
        const Output out = run(options("h1"));
        QCOMPARE(out.code, 0);
        QCOMPARE(out.lines.mid(0, 3), (QStringList{"1/3 One Carnival: submitted", "2/3 Two Carnival: submitted",
                                                   "3/3 Three Carnival: submitted"}));
        QCOMPARE(out.lines.value(3), QString("3 submitted, 0 failed, 0 skipped"));
        const QList<Submission> posts = directory.submissions();
        QCOMPARE(posts.size(), 3);
        QCOMPARE(posts[0].category, qint64(52));
        QCOMPARE(posts[1].category, qint64(53));
        QCOMPARE(posts[0].postUrl, QString("http://blog.test/headless"));
        QCOMPARE(posts[0].fields.value("title"), QString("A title"));
    }

    void anHttpErrorIsNamedAndExitsOne()
    {
        directory.setFailure(42, 500);
        const Output out = run(options("h2"));
        QCOMPARE(out.code, 1);
        QVERIFY2(out.lines.contains("2/3 Two Carnival: failed (HTTP 500)"), qPrintable(out.lines.join("|")));
        QCOMPARE(out.lines.last(), QString("2 submitted, 1 failed, 0 skipped"));

        // Again: the two done are skipped without asking, the failed one is sent.
        directory.clearFailures();
        directory.clearSubmissions();
        const Output again = run(options("h2"));
        QCOMPARE(again.code, 0);
        QVERIFY(again.lines.contains("1/3 One Carnival: skipped"));
        QCOMPARE(again.lines.last(), QString("1 submitted, 0 failed, 2 skipped"));
        QCOMPARE(directory.submissions().size(), 1);

        // --resubmit sends them all.
        HeadlessSubmitOptions all = options("h2");
        all.resubmit = true;
        QCOMPARE(run(all).code, 0);
        QCOMPARE(directory.submissions().size(), 4);
    }

    void badInputExitsTwoWithTheReason_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing list") << "list" << "missing.bcl";
        QTest::newRow("no permalink") << "permalink" << "no permalink";
        QTest::newRow("directory out of reach") << "site" << "out of reach";
        QTest::newRow("unknown field") << "field" << "no field \"nonesuch\"";
    }
    void badInputExitsTwoWithTheReason()
    {
        QFETCH(QString, what);
        QFETCH(QString, reason);
        HeadlessSubmitOptions bad = options("h3");
        if (what == "list")
            bad.listFile = folder.filePath("missing.bcl");
        if (what == "permalink")
            bad.permalink.clear();
        if (what == "site")
            bad.site = "http://127.0.0.1:1";
        if (what == "field")
            bad.fields.append(QPair<QString, QString>("nonesuch", "x"));
        const Output out = run(bad);
        QCOMPARE(out.code, 2);
        QVERIFY2(out.errors.contains(reason), qPrintable(out.errors));
        QVERIFY(directory.submissions().isEmpty());
    }

private:
    HeadlessSubmitOptions options(const QString& history) const
    {
        HeadlessSubmitOptions o;
        o.listFile = list;
        o.permalink = "http://blog.test/headless";
        o.fields = {{"title", "A title"}};
        o.site = site;
        o.historyFile = folder.filePath(history + ".sqlite");
        return o;
    }
    static Output run(const HeadlessSubmitOptions& options)
    {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        Output result;
        result.code = runHeadlessSubmit(options, out, err);
        const auto read = [](std::FILE* file) {
            std::rewind(file);
            QByteArray bytes;
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
                bytes.append(buffer, qsizetype(n));
            std::fclose(file);
            return QString::fromUtf8(bytes);
        };
        result.lines = read(out).split('\n', Qt::SkipEmptyParts);
        result.errors = read(err);
        return result;
    }

    QTemporaryDir folder;
    CarnivalDirectory directory{threeCarnivals()};
    QString site;
    QString list;
};

QTEST_MAIN(TestHeadlessSubmit)
#include "TestHeadlessSubmit.moc"
