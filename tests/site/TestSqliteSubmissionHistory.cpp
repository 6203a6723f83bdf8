// The submission history against real SQLite files in temporary folders: no mock of SQLite.
#include "site/SqliteSubmissionHistory.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
using Outcome = SubmissionAttempt::Outcome;

SubmissionAttempt attempt(const QString& permalink, const QString& carnivalRef, const QString& name = {})
{
    SubmissionAttempt a;
    a.permalink = permalink;
    a.postTitle = QStringLiteral("My post");
    a.carnivalRef = carnivalRef;
    a.carnivalName = name.isEmpty() ? QStringLiteral("Carnival ") + carnivalRef : name;
    a.categoryRef = QStringLiteral("7");
    a.categoryName = QStringLiteral("Gardens");
    a.listFile = QStringLiteral("/home/me/five.bcl");
    return a;
}

// Runs statements on the file through a connection of the test's own.
QVariant sql(const QString& path, const QStringList& statements)
{
    QVariant last;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test-side"));
        db.setDatabaseName(path);
        if (!db.open())
            return {};
        QSqlQuery query(db);
        for (const QString& statement : statements)
            if (query.exec(statement) && query.next())
                last = query.value(0);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test-side"));
    return last;
}
} // namespace

class TestSqliteSubmissionHistory final : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }

    void recordsAttemptsWithTheirOutcome()
    {
        SqliteSubmissionHistory history;
        QVERIFY2(history.open(path()), qPrintable(history.problem()));
        QVERIFY(history.problem().isEmpty());
        const qint64 id = history.add(attempt("http://b/p", "12", "Beta"));
        QVERIFY2(id > 0, qPrintable(history.problem()));
        QCOMPARE(history.attempts({}, 0, 10).first().outcome, Outcome::Pending);
        history.finish(id, Outcome::Submitted, {}, 200);

        const SubmissionAttempt a = history.attempts({}, 0, 10).first();
        QCOMPARE(a.id, id);
        QCOMPARE(a.permalink, QString("http://b/p"));
        QCOMPARE(a.postTitle, QString("My post"));
        QCOMPARE(a.carnivalRef, QString("12"));
        QCOMPARE(a.carnivalName, QString("Beta"));
        QCOMPARE(a.categoryRef, QString("7"));
        QCOMPARE(a.categoryName, QString("Gardens"));
        QCOMPARE(a.outcome, Outcome::Submitted);
        QCOMPARE(a.httpStatus, 200);
        QCOMPARE(a.listFile, QString("/home/me/five.bcl"));
        QCOMPARE(a.time.timeSpec(), Qt::UTC);
        QVERIFY(qAbs(a.time.secsTo(QDateTime::currentDateTimeUtc())) < 60);
    }

    void keepsWhatWasWrittenAcrossOpens()
    {
        {
            SqliteSubmissionHistory history;
            QVERIFY(history.open(path()));
            history.finish(history.add(attempt("p", "1")), Outcome::Submitted, {}, 200);
            history.finish(history.add(attempt("p", "2")), Outcome::Failed, "HTTP 500", 500);
            history.add(attempt("p", "3")); // a crash right after the click: pending
        }
        SqliteSubmissionHistory again;
        QVERIFY(again.open(path()));
        QCOMPARE(again.count(), 3);
        QCOMPARE(again.submittedCarnivals("p"), QSet<QString>{"1"});
        QCOMPARE(again.unknownCarnivals("p"), QSet<QString>{"3"});
        QCOMPARE(again.attempts({}, 0, 1).first().outcome, Outcome::Pending);
        QCOMPARE(SubmissionAttempt::outcomeText(Outcome::Pending), QString("outcome unknown"));
        QCOMPARE(again.submittedCarnivals("other"), QSet<QString>{});
    }

    void aLaterOutcomeSettlesAnUnknownOne()
    {
        SqliteSubmissionHistory history;
        QVERIFY(history.open(path()));
        history.add(attempt("p", "3"));
        QCOMPARE(history.unknownCarnivals("p"), QSet<QString>{"3"});
        history.finish(history.add(attempt("p", "3")), Outcome::Failed, "HTTP 500", 500);
        QCOMPARE(history.unknownCarnivals("p"), QSet<QString>{});
    }

    void writesInWalModeWithAVersionedSchema()
    {
        {
            SqliteSubmissionHistory history;
            QVERIFY(history.open(path()));
            history.add(attempt("p", "1"));
        }
        QCOMPARE(sql(path(), {"PRAGMA journal_mode"}).toString(), QString("wal"));
        QCOMPARE(sql(path(), {"PRAGMA user_version"}).toInt(), SqliteSubmissionHistory::kSchemaVersion);
    }

    void aHistoryOfANewerVersionIsLeftAlone()
    {
        {
            SqliteSubmissionHistory history;
            QVERIFY(history.open(path()));
        }
        sql(path(), {"PRAGMA user_version = 99"});
        SqliteSubmissionHistory history;
        QVERIFY(!history.open(path()));
        QVERIFY(!history.isOpen());
        QVERIFY2(history.problem().contains("newer version"), qPrintable(history.problem()));
        QCOMPARE(history.add(attempt("p", "1")), 0);
        QVERIFY(history.attempts({}, 0, 10).isEmpty());
        QCOMPARE(sql(path(), {"PRAGMA user_version"}).toInt(), 99);
    }

    void aDamagedHistoryIsKeptAsideAndAFreshOneStarted()
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("this is not a database, only some text that looks like nothing\n").repeated(200));
        file.close();

        SqliteSubmissionHistory history;
        QVERIFY(history.open(path()));
        QVERIFY(history.isOpen());
        QVERIFY2(history.problem().contains("kept as"), qPrintable(history.problem()));
        const QStringList aside = QDir(folder.path()).entryList({"history.sqlite.damaged-*"});
        QCOMPARE(aside.size(), 1);
        QVERIFY(history.problem().contains(aside.first()));
        QVERIFY(history.add(attempt("p", "1")) > 0);
        QCOMPARE(history.count(), 1);
    }

    void anUnwritableFolderIsSaid()
    {
        // A folder that cannot be made: its parent is a file.
        QFile blocker(folder.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        SqliteSubmissionHistory history;
        QVERIFY(!history.open(folder.filePath("blocker/sub/history.sqlite")));
        QVERIFY2(history.problem().contains("cannot be created"), qPrintable(history.problem()));
        QVERIFY(history.submittedCarnivals("p").isEmpty());
    }

    void aLockedHistoryIsSaid()
    {
        // Another program holds the file (an older history in the rollback journal) locked.
        const QString name = QStringLiteral("locker");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path());
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec("CREATE TABLE t (x)"));
            QVERIFY(query.exec("BEGIN EXCLUSIVE"));
            QVERIFY(query.exec("INSERT INTO t VALUES (1)"));

            SqliteSubmissionHistory history;
            QVERIFY(!history.open(path()));
            QVERIFY2(history.problem().contains("locked"), qPrintable(history.problem()));
            QVERIFY(QFile::exists(path())); // not taken for a damaged one
            QVERIFY(QDir(folder.path()).entryList({"*.damaged-*"}).isEmpty());
            query.exec("ROLLBACK");
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    void filtersAndPagesNewestFirst()
    {
        SqliteSubmissionHistory history;
        QVERIFY(history.open(path()));
        for (int i = 1; i <= 25; ++i) {
            SubmissionAttempt a = attempt(QString("http://blog/%1").arg(i), QString::number(i));
            a.postTitle = i % 5 == 0 ? "Gardening 100%" : "Cooking";
            history.add(a);
        }
        const QList<SubmissionAttempt> first = history.attempts({}, 0, 10);
        QCOMPARE(first.size(), 10);
        QCOMPARE(first.first().carnivalRef, QString("25"));
        const QList<SubmissionAttempt> next = history.attempts({}, first.last().id, 10);
        QCOMPARE(next.first().carnivalRef, QString("15"));
        QCOMPARE(history.attempts("gardening", 0, 100).size(), 5);    // title, any letter case
        QCOMPARE(history.attempts("Carnival 17", 0, 100).size(), 1);  // carnival name
        QCOMPARE(history.attempts("blog/2", 0, 100).size(), 7);       // permalink: 2, 20-25
        QCOMPARE(history.attempts("100%", 0, 100).size(), 5);         // % is a letter, not a wildcard
        QCOMPARE(history.attempts("0_", 0, 100).size(), 0);           // so is _
    }

    void theDefaultPathFollowsXdgDataHome()
    {
        qputenv("XDG_DATA_HOME", folder.path().toUtf8());
        QVERIFY2(SqliteSubmissionHistory::defaultPath().startsWith(folder.path() + "/"),
                 qPrintable(SqliteSubmissionHistory::defaultPath()));
        QVERIFY(SqliteSubmissionHistory::defaultPath().endsWith("/history.sqlite"));
    }

private:
    QString path() const { return dir->filePath("history.sqlite"); }
    std::unique_ptr<QTemporaryDir> dir;
    struct Folder
    {
        const std::unique_ptr<QTemporaryDir>& d;
        QString path() const { return d->path(); }
        QString filePath(const QString& name) const { return d->filePath(name); }
    } folder{dir};
};

QTEST_GUILESS_MAIN(TestSqliteSubmissionHistory)
#include "TestSqliteSubmissionHistory.moc"
