#include "directory/CarnivalDirectory.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <httplib.h>

#include <future>

namespace {

const QByteArray kCatalog = "# ref\tname\tcategory ref\tcategory name\n"
                            "12\tCars & Trucks\t120\tSedans\n"
                            "12\tCars & Trucks\t121\tPickups\n"
                            "7\tCafé Société\n"
                            "305\t日本語ブログ\t3050\t初心者\n"
                            "40\tOld Times\t400\tMemories\n";

QString text(const std::string& body)
{
    return QString::fromUtf8(body.data(), static_cast<qsizetype>(body.size()));
}

// The option elements of the select whose start tag begins with selectStart.
QStringList optionsOf(const QString& page, const QString& selectStart)
{
    const qsizetype begin = page.indexOf(selectStart);
    const qsizetype end = page.indexOf(QLatin1String("</select>"), begin);
    if (begin < 0 || end < 0)
        return {};
    static const QRegularExpression option(QStringLiteral("<option [^>]*>[^<]*</option>"));
    QStringList options;
    for (const auto& match : option.globalMatch(page.mid(begin, end - begin)))
        options.append(match.captured());
    return options;
}

} // namespace

class TestCarnivalDirectory : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CarnivalDirectory> m_directory;
    std::unique_ptr<httplib::Client> m_client;

    httplib::Result post(const httplib::Params& params) { return m_client->Post("/bc/submit.php", params); }
    QJsonArray submissionsJson()
    {
        const auto result = m_client->Get("/bc/submissions.json");
        if (!result || result->status != 200)
            return {};
        return QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).array();
    }

private slots:
    void init()
    {
        m_directory = std::make_unique<CarnivalDirectory>(CarnivalCatalog::fromTsv(kCatalog));
        const QString base = m_directory->start(0);
        QVERIFY2(!base.isEmpty(), qPrintable(m_directory->errorString()));
        m_client = std::make_unique<httplib::Client>(base.toStdString());
    }

    void cleanup()
    {
        m_client.reset();
        m_directory.reset();
    }

    void startGivesLoopbackBaseUrlAndStopEndsService()
    {
        const QString base = m_directory->baseUrl();
        QVERIFY(QRegularExpression(QStringLiteral("^http://127\\.0\\.0\\.1:[1-9][0-9]*$"))
                    .match(base)
                    .hasMatch());
        QCOMPARE(m_directory->submitUrl(), base + QStringLiteral("/bc/submit.php"));
        QVERIFY(m_directory->isRunning());

        m_directory->stop();
        QVERIFY(!m_directory->isRunning());
        QVERIFY(m_directory->baseUrl().isEmpty());
        QVERIFY(!m_client->Get("/bc/submit.php"));

        QVERIFY(!m_directory->start(0).isEmpty());
        QCOMPARE(httplib::Client(m_directory->baseUrl().toStdString()).Get("/bc/submit.php")->status, 200);
    }

    void startOnAPortInUseFailsWithAReason()
    {
        const quint16 taken = m_directory->baseUrl().section(QLatin1Char(':'), -1).toUShort();
        CarnivalDirectory second(CarnivalCatalog::fromTsv(kCatalog));
        QVERIFY(second.start(taken).isEmpty());
        QVERIFY(second.errorString().contains(QString::number(taken)));
        QVERIFY(!second.isRunning());
    }

    void formHasTheElementsTheProgramRelieson()
    {
        const auto result = m_client->Get("/bc/submit.php");
        QVERIFY(result);
        QCOMPARE(result->status, 200);
        QVERIFY(result->get_header_value("Content-Type").starts_with("text/html"));
        const QString page = text(result->body);

        QVERIFY(page.startsWith(QLatin1String("<!DOCTYPE html>")));
        QVERIFY(page.contains(QLatin1String("<form method=\"post\" action=\"/bc/submit.php\">")));
        const QStringList carnivals =
            optionsOf(page, QStringLiteral("<select name=\"id\" id=\"id\" onchange=\""));
        QCOMPARE(carnivals, QStringList({
                                QStringLiteral("<option value=\"0\" selected>Select a carnival</option>"),
                                QStringLiteral("<option value=\"12\">Cars &amp; Trucks</option>"),
                                QStringLiteral("<option value=\"7\">Café Société</option>"),
                                QStringLiteral("<option value=\"305\">日本語ブログ</option>"),
                                QStringLiteral("<option value=\"40\">Old Times</option>"),
                            }));
        const QStringList categories = optionsOf(page, QStringLiteral("<select name=\"category\""));
        QCOMPARE(categories,
                 QStringList({
                     QStringLiteral("<option value=\"0\" selected>No category</option>"),
                     QStringLiteral("<option value=\"120\" data-carnival=\"12\">Sedans</option>"),
                     QStringLiteral("<option value=\"121\" data-carnival=\"12\">Pickups</option>"),
                     QStringLiteral("<option value=\"3050\" data-carnival=\"305\">初心者</option>"),
                     QStringLiteral("<option value=\"400\" data-carnival=\"40\">Memories</option>"),
                 }));
        for (const char* field : {"blog_name", "blog_url", "title", "post_url", "author", "email"})
            QVERIFY2(
                page.contains(QStringLiteral("<input type=\"text\" name=\"%1\"").arg(QLatin1String(field))),
                field);
        QVERIFY(page.contains(QLatin1String("<textarea name=\"excerpt\"")));
        QVERIFY(page.contains(QLatin1String("<input type=\"submit\" id=\"btn\" value=\"Submit\">")));

        // The drop-down leads the form, and the form stands inside the page, not at its end.
        const qsizetype select = page.indexOf(QLatin1String("name=\"id\""));
        QVERIFY(select < page.indexOf(QLatin1String("name=\"blog_name\"")));
        QVERIFY(page.indexOf(QLatin1String("</form>")) <
                page.indexOf(QLatin1String("Submission guidelines")));
        QVERIFY(page.indexOf(QLatin1String("name=\"id\"")) == page.lastIndexOf(QLatin1String("name=\"id\"")));
    }

    void postRecordsEveryFieldAndAnswersTheFormKeptAndConfirmed()
    {
        const httplib::Params params{
            {"id", "12"},
            {"category", "121"},
            {"blog_name", "Motor & Más"},
            {"blog_url", "http://motor.example/"},
            {"title", "Ten \"quiet\" pickups <2024>"},
            {"post_url", "http://motor.example/2024/pickups?a=1&b=2"},
            {"author", "Zoë"},
            {"email", "zoe@motor.example"},
            {"excerpt", "Line one\nLine two + more"},
        };
        const QDateTime before = QDateTime::currentDateTimeUtc();
        const auto result = post(params);
        QVERIFY(result);
        QCOMPARE(result->status, 200);
        const QString page = text(result->body);

        QVERIFY(page.contains(QLatin1String("<option value=\"12\" selected>Cars &amp; Trucks</option>")));
        QVERIFY(page.contains(
            QLatin1String("<option value=\"121\" data-carnival=\"12\" selected>Pickups</option>")));
        QVERIFY(page.contains(QLatin1String("<option value=\"0\">Select a carnival</option>")));
        QVERIFY(page.contains(QLatin1String("value=\"Ten &quot;quiet&quot; pickups &lt;2024&gt;\"")));
        QVERIFY(page.contains(QLatin1String("value=\"http://motor.example/2024/pickups?a=1&amp;b=2\"")));
        QVERIFY(page.contains(QLatin1String(">Line one\nLine two + more</textarea>")));
        QVERIFY(page.contains(QLatin1String("<p id=\"notice\" class=\"notice\">")));
        QVERIFY(page.contains(QLatin1String("submitted to Cars &amp; Trucks, category Pickups.")));

        const QList<Submission> recorded = m_directory->submissions();
        QCOMPARE(recorded.size(), 1);
        QCOMPARE(recorded[0].carnival, 12);
        QCOMPARE(recorded[0].category, 121);
        QCOMPARE(recorded[0].postUrl, QStringLiteral("http://motor.example/2024/pickups?a=1&b=2"));
        QVERIFY(recorded[0].time >= before.addMSecs(-1) &&
                recorded[0].time <= QDateTime::currentDateTimeUtc());
        QCOMPARE(recorded[0].fields.size(), params.size());
        for (const auto& [name, value] : params)
            QCOMPARE(recorded[0].fields.value(QString::fromStdString(name)), text(value));
    }

    void postWithoutCategoryRecordsCategoryZero()
    {
        const auto result = post({{"id", "7"}, {"post_url", "http://a.example/p"}});
        QCOMPARE(result->status, 200);
        QVERIFY(text(result->body).contains(QStringLiteral("submitted to Café Société.")));
        QCOMPARE(m_directory->submissions().size(), 1);
        QCOMPARE(m_directory->submissions()[0].category, 0);
    }

    void postNotRecorded_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("notice");

        QTest::newRow("no carnival field")
            << "title=Kept&post_url=http%3A%2F%2Fa.example%2Fp" << 400 << "names no carnival";
        QTest::newRow("empty carnival") << "id=&title=Kept" << 400 << "not a carnival ref";
        QTest::newRow("word") << "id=abc&title=Kept" << 400 << "not a carnival ref";
        QTest::newRow("negative") << "id=-12&title=Kept" << 400 << "not a carnival ref";
        QTest::newRow("fraction") << "id=12.5&title=Kept" << 400 << "not a carnival ref";
        QTest::newRow("category word") << "id=12&category=cars&title=Kept" << 400 << "not a category ref";
        QTest::newRow("nothing chosen") << "id=0&title=Kept" << 200 << "Please select a carnival";
        QTest::newRow("unknown carnival") << "id=999&title=Kept" << 404 << "does not exist or has expired";
    }

    void postNotRecorded()
    {
        QFETCH(QString, body);
        QFETCH(int, status);
        QFETCH(QString, notice);

        const auto result =
            m_client->Post("/bc/submit.php", body.toStdString(), "application/x-www-form-urlencoded");
        QVERIFY(result);
        QCOMPARE(result->status, status);
        const QString page = text(result->body);
        QVERIFY2(page.contains(notice), qPrintable(page.left(2000)));
        QVERIFY(
            page.contains(QLatin1String("<input type=\"text\" name=\"title\" id=\"title\" value=\"Kept\">")));
        QVERIFY(m_directory->submissions().isEmpty());
        QCOMPARE(submissionsJson().size(), 0);
    }

    void unknownRequestsGet404_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("path");

        QTest::newRow("root") << "GET"
                              << "/";
        QTest::newRow("other page") << "GET"
                                    << "/bc/index.php";
        QTest::newRow("form path with a trailing slash") << "GET"
                                                         << "/bc/submit.php/";
        QTest::newRow("updates without a folder") << "GET"
                                                  << "/21214/updates/control.txt";
        QTest::newRow("delete the form") << "DELETE"
                                         << "/bc/submit.php";
        QTest::newRow("post the list") << "POST"
                                       << "/bc/submissions.json";
    }

    void unknownRequestsGet404()
    {
        QFETCH(QString, method);
        QFETCH(QString, path);

        const std::string target = path.toStdString();
        const auto result = method == QLatin1String("GET")      ? m_client->Get(target)
                            : method == QLatin1String("DELETE") ? m_client->Delete(target)
                                                                : m_client->Post(target, "x=1", "text/plain");
        QVERIFY(result);
        QCOMPARE(result->status, 404);
        QVERIFY(m_directory->submissions().isEmpty());
    }

    void expiredCarnivalsAreNotOfferedNorAccepted()
    {
        QCOMPARE(m_directory->expire({40, 5555}), QList<qint64>{5555});

        const QString page = text(m_client->Get("/bc/submit.php")->body);
        QVERIFY(!page.contains(QLatin1String("Old Times")));
        QVERIFY(!page.contains(QLatin1String("data-carnival=\"40\"")));
        QVERIFY(page.contains(QLatin1String("<option value=\"12\">Cars &amp; Trucks</option>")));

        const auto result = post({{"id", "40"}, {"category", "400"}, {"post_url", "http://a.example/p"}});
        QCOMPARE(result->status, 404);
        QVERIFY(m_directory->submissions().isEmpty());
        QVERIFY(m_directory->catalog().find(40)->expired);
    }

    void chosenCarnivalsAnswerWithAnHttpError()
    {
        m_directory->setFailure(12, 500);
        m_directory->setFailure(305, 503, 30, 1); // once, then as usual

        auto result = post({{"id", "12"}, {"category", "0"}, {"post_url", "http://a.example/p"}});
        QCOMPARE(result->status, 500);
        QVERIFY(text(result->body).contains(QLatin1String("Error 500")));
        QVERIFY(!text(result->body).contains(QLatin1String("id=\"btn\"")));
        QVERIFY(!result->has_header("Retry-After"));
        result = post({{"id", "305"}, {"category", "3050"}, {"post_url", "http://a.example/p"}});
        QCOMPARE(result->status, 503);
        QCOMPARE(result->get_header_value("Retry-After"), std::string("30"));
        QCOMPARE(post({{"id", "305"}, {"category", "3050"}, {"post_url", "http://a.example/p"}})->status, 200);
        QCOMPARE(post({{"id", "7"}})->status, 200);

        // Each post is recorded with the status it was answered with.
        const QList<Submission> posts = m_directory->submissions();
        QCOMPARE(posts.size(), 4);
        QCOMPARE(posts[0].status, 500);
        QCOMPARE(posts[1].status, 503);
        QCOMPARE(posts[2].status, 200);
        QVERIFY(m_client->Get("/bc/submissions.json")->body.find("\"status\":500") != std::string::npos);

        m_directory->clearFailures();
        QCOMPARE(post({{"id", "12"}})->status, 200);
    }

    void submissionsJsonListsOldestFirstAndDeleteEmptiesIt()
    {
        QCOMPARE(
            post({{"id", "305"}, {"category", "3050"}, {"post_url", "http://a.example/1"}, {"title", "Ichi"}})
                ->status,
            200);
        QCOMPARE(post({{"id", "12"}, {"post_url", "http://a.example/2"}})->status, 200);

        const QJsonArray list = submissionsJson();
        QCOMPARE(list.size(), 2);
        const QJsonObject first = list[0].toObject();
        QCOMPARE(first.value("carnival").toInteger(), 305);
        QCOMPARE(first.value("category").toInteger(), 3050);
        QCOMPARE(first.value("post_url").toString(), QStringLiteral("http://a.example/1"));
        QCOMPARE(first.value("fields").toObject().value("title").toString(), QStringLiteral("Ichi"));
        QVERIFY(QDateTime::fromString(first.value("time").toString(), Qt::ISODateWithMs).isValid());
        QCOMPARE(list[1].toObject().value("carnival").toInteger(), 12);
        QCOMPARE(list[1].toObject().value("category").toInteger(), 0);

        const auto deleted = m_client->Delete("/bc/submissions.json");
        QVERIFY(deleted);
        QCOMPARE(deleted->status, 200);
        QCOMPARE(submissionsJson().size(), 0);
        QVERIFY(m_directory->submissions().isEmpty());

        post({{"id", "7"}});
        m_directory->clearSubmissions();
        QCOMPARE(submissionsJson().size(), 0);
    }

    void updatesFolderServesItsFilesOnly()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QDir(root.path()).mkpath(QStringLiteral("updates/sub"));
        const QString updates = root.filePath(QStringLiteral("updates"));
        QByteArray binary;
        for (int i = 0; i < 70000; ++i)
            binary.append(static_cast<char>(i * 7));
        const auto write = [](const QString& path, const QByteArray& data) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
        };
        QVERIFY(write(updates + QStringLiteral("/wusetup.ex_"), binary));
        QVERIFY(write(updates + QStringLiteral("/sub/control.txt"), "[Update]\n"));
        QVERIFY(write(root.filePath(QStringLiteral("secret.txt")), "secret"));
        m_directory->setUpdatesFolder(updates);

        const auto file = m_client->Get("/21214/updates/wusetup.ex_");
        QVERIFY(file);
        QCOMPARE(file->status, 200);
        QCOMPARE(file->get_header_value("Content-Length"), std::to_string(binary.size()));
        QCOMPARE(QByteArray::fromStdString(file->body), binary);
        QCOMPARE(m_client->Get("/21214/updates/sub/control.txt")->body, std::string("[Update]\n"));

        for (const char* path :
             {"/21214/updates/missing.txt", "/21214/updates/sub", "/21214/updates/../secret.txt",
              "/21214/updates/%2e%2e/secret.txt", "/21214/updates/sub/../../secret.txt"}) {
            const auto missing = m_client->Get(path);
            QVERIFY2(missing && missing->status == 404, path);
        }

        m_directory->setUpdatesFolder(QString());
        QCOMPARE(m_client->Get("/21214/updates/wusetup.ex_")->status, 404);
    }

    void slowAnswerRecordsAtOnceAndStopDoesNotWaitForIt()
    {
        m_directory->setAnswerDelay(60000);
        auto answer = std::async(std::launch::async, [this] { return post({{"id", "12"}}); });
        QTRY_COMPARE_WITH_TIMEOUT(m_directory->submissions().size(), 1, 5000);
        QCOMPARE(answer.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);

        QElapsedTimer stopping;
        stopping.start();
        m_directory->stop();
        QVERIFY(stopping.elapsed() < 10000);
        answer.wait();
    }
};

QTEST_GUILESS_MAIN(TestCarnivalDirectory)
#include "TestCarnivalDirectory.moc"
