#include "site/SqliteSubmissionHistory.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

namespace {
const QString kDriver = QStringLiteral("QSQLITE");
// SQLite's own words for a file that is not a database, or one whose pages are damaged.
const QStringList kDamagedSigns = {QStringLiteral("not a database"), QStringLiteral("malformed"),
                                   QStringLiteral("file is encrypted"), QStringLiteral("corrupt")};

// Each step takes the schema from the version before it to its own (index + 1).
const QList<QStringList> kMigrations = {
    {
        QStringLiteral("CREATE TABLE attempts ("
                       " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                       " time TEXT NOT NULL,"
                       " permalink TEXT NOT NULL,"
                       " post_title TEXT NOT NULL DEFAULT '',"
                       " carnival_ref TEXT NOT NULL,"
                       " carnival_name TEXT NOT NULL DEFAULT '',"
                       " category_ref TEXT NOT NULL DEFAULT '',"
                       " category_name TEXT NOT NULL DEFAULT '',"
                       " outcome TEXT NOT NULL,"
                       " reason TEXT NOT NULL DEFAULT '',"
                       " http_status INTEGER NOT NULL DEFAULT 0,"
                       " list_file TEXT NOT NULL DEFAULT '')"),
        QStringLiteral("CREATE INDEX attempts_by_permalink ON attempts (permalink, carnival_ref, id)"),
    },
};

QString nextConnectionName()
{
    static QAtomicInteger<int> serial;
    return QStringLiteral("vorlix-history-%1").arg(serial.fetchAndAddRelaxed(1) + 1);
}

// A null string binds as SQL NULL; the columns hold text, empty when there is none.
QString text(const QString& value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

bool looksDamaged(const QString& reason)
{
    for (const QString& sign : kDamagedSigns)
        if (reason.contains(sign, Qt::CaseInsensitive))
            return true;
    return false;
}

QString escapedLike(QString text)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('%'), QStringLiteral("\\%"))
        .replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + text + QLatin1Char('%');
}
} // namespace

SqliteSubmissionHistory::~SqliteSubmissionHistory()
{
    close();
}

QString SqliteSubmissionHistory::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("history.sqlite"));
}

bool SqliteSubmissionHistory::open(const QString& path)
{
    close();
    m_path = path;
    m_problem.clear();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_problem = QStringLiteral("The folder %1 cannot be created.").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QString reason;
    OpenResult result = tryOpen(&reason);
    if (result == OpenResult::Damaged) {
        close();
        const QString aside =
            path + QStringLiteral(".damaged-") +
            QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        // The write-ahead log and shared memory of a damaged database belong to it, not to the new one.
        const bool kept = QFile::rename(path, aside);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        if (!kept) {
            m_problem = QStringLiteral("The submission history %1 is damaged (%2) and cannot be moved aside.")
                            .arg(QDir::toNativeSeparators(path), reason);
            return false;
        }
        QString again;
        result = tryOpen(&again);
        if (result != OpenResult::Ok) {
            close();
            m_problem = QStringLiteral("The submission history %1 cannot be started: %2")
                            .arg(QDir::toNativeSeparators(path), again);
            return false;
        }
        m_problem = QStringLiteral("The submission history was damaged (%1). It was kept as %2 and a new "
                                   "history was started.")
                        .arg(reason, QDir::toNativeSeparators(aside));
        return true;
    }
    if (result == OpenResult::Failed) {
        close();
        m_problem = QStringLiteral("The submission history %1 cannot be opened: %2")
                        .arg(QDir::toNativeSeparators(path), reason);
        return false;
    }
    return true;
}

SqliteSubmissionHistory::OpenResult SqliteSubmissionHistory::tryOpen(QString* reason)
{
    if (!QSqlDatabase::isDriverAvailable(kDriver)) {
        *reason = QStringLiteral("the SQLite driver of Qt SQL is not installed (package libqt6sql6-sqlite)");
        return OpenResult::Failed;
    }
    m_connection = nextConnectionName();
    QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open()) {
        *reason = db.lastError().text();
        return looksDamaged(*reason) ? OpenResult::Damaged : OpenResult::Failed;
    }
    QSqlQuery query(db);
    // The first read of the file: a file that is not a database says so here.
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        *reason = query.lastError().text();
        return looksDamaged(*reason) ? OpenResult::Damaged : OpenResult::Failed;
    }
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.next()) {
        *reason = query.lastError().text();
        return looksDamaged(*reason) ? OpenResult::Damaged : OpenResult::Failed;
    }
    query.finish();
    // A crash of the program loses nothing committed; only the system's crash may lose the last commits.
    query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next()) {
        *reason = query.lastError().text();
        return looksDamaged(*reason) ? OpenResult::Damaged : OpenResult::Failed;
    }
    if (query.value(0).toString() != QLatin1String("ok")) {
        *reason = query.value(0).toString();
        return OpenResult::Damaged;
    }
    query.finish();
    if (!migrate(reason))
        return looksDamaged(*reason) ? OpenResult::Damaged : OpenResult::Failed;
    m_open = true;
    return OpenResult::Ok;
}

bool SqliteSubmissionHistory::migrate(QString* reason)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        *reason = query.lastError().text();
        return false;
    }
    int version = query.value(0).toInt();
    query.finish();
    if (version > kSchemaVersion) {
        *reason = QStringLiteral("it was written by a newer version of Vorlix Pro (schema %1)").arg(version);
        return false;
    }
    for (; version < kSchemaVersion; ++version) {
        // Each step is one transaction: a step cut short leaves the version before it.
        if (!db.transaction()) {
            *reason = db.lastError().text();
            return false;
        }
        for (const QString& statement : kMigrations[version]) {
            if (!query.exec(statement)) {
                *reason = query.lastError().text();
                db.rollback();
                return false;
            }
        }
        if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version + 1)) || !db.commit()) {
            *reason = query.lastError().isValid() ? query.lastError().text() : db.lastError().text();
            db.rollback();
            return false;
        }
    }
    return true;
}

void SqliteSubmissionHistory::close()
{
    m_open = false;
    if (m_connection.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
}

void SqliteSubmissionHistory::fail(const QString& what, const QString& reason)
{
    // A write that fails leaves the history readable; the next run's question says it is not recorded.
    m_problem = QStringLiteral("The submission history could not %1: %2").arg(what, reason);
}

qint64 SqliteSubmissionHistory::add(const SubmissionAttempt& attempt)
{
    if (!m_open)
        return 0;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral(
        "INSERT INTO attempts (time, permalink, post_title, carnival_ref, carnival_name, category_ref,"
        " category_name, outcome, reason, http_status, list_file) VALUES (?,?,?,?,?,?,?,?,?,?,?)"));
    const QDateTime time = attempt.time.isValid() ? attempt.time : QDateTime::currentDateTimeUtc();
    query.addBindValue(time.toUTC().toString(Qt::ISODateWithMs));
    query.addBindValue(text(attempt.permalink));
    query.addBindValue(text(attempt.postTitle));
    query.addBindValue(text(attempt.carnivalRef));
    query.addBindValue(text(attempt.carnivalName));
    query.addBindValue(text(attempt.categoryRef));
    query.addBindValue(text(attempt.categoryName));
    query.addBindValue(SubmissionAttempt::outcomeName(attempt.outcome));
    query.addBindValue(text(attempt.reason));
    query.addBindValue(attempt.httpStatus);
    query.addBindValue(text(attempt.listFile));
    if (!query.exec()) {
        fail(QStringLiteral("record an attempt"), query.lastError().text());
        return 0;
    }
    return query.lastInsertId().toLongLong();
}

void SqliteSubmissionHistory::finish(qint64 id, SubmissionAttempt::Outcome outcome, const QString& reason,
                                     int httpStatus)
{
    if (!m_open || id <= 0)
        return;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE attempts SET outcome = ?, reason = ?, http_status = ? WHERE id = ?"));
    query.addBindValue(SubmissionAttempt::outcomeName(outcome));
    query.addBindValue(text(reason));
    query.addBindValue(httpStatus);
    query.addBindValue(id);
    if (!query.exec())
        fail(QStringLiteral("record an outcome"), query.lastError().text());
}

QSet<QString> SqliteSubmissionHistory::submittedCarnivals(const QString& permalink)
{
    QSet<QString> refs;
    if (!m_open)
        return refs;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT DISTINCT carnival_ref FROM attempts WHERE permalink = ? AND outcome = 'submitted'"));
    query.addBindValue(permalink);
    if (query.exec())
        while (query.next())
            refs.insert(query.value(0).toString());
    return refs;
}

QSet<QString> SqliteSubmissionHistory::unknownCarnivals(const QString& permalink)
{
    QSet<QString> refs;
    if (!m_open)
        return refs;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    // The latest attempt of each carnival decides; an outcome after a pending one settles it.
    query.prepare(QStringLiteral("SELECT a.carnival_ref FROM attempts a WHERE a.permalink = ? AND a.outcome = 'pending'"
                                 " AND a.id = (SELECT MAX(b.id) FROM attempts b WHERE b.permalink = a.permalink"
                                 " AND b.carnival_ref = a.carnival_ref AND b.outcome <> 'skipped')"));
    query.addBindValue(permalink);
    if (query.exec())
        while (query.next())
            refs.insert(query.value(0).toString());
    return refs;
}

QList<SubmissionAttempt> SqliteSubmissionHistory::attempts(const QString& filter, qint64 beforeId, int limit)
{
    QList<SubmissionAttempt> list;
    if (!m_open)
        return list;
    QString sql = QStringLiteral("SELECT id, time, permalink, post_title, carnival_ref, carnival_name, category_ref,"
                                 " category_name, outcome, reason, http_status, list_file FROM attempts WHERE 1");
    if (beforeId > 0)
        sql += QStringLiteral(" AND id < :before");
    if (!filter.isEmpty())
        sql += QStringLiteral(" AND (permalink LIKE :f ESCAPE '\\' OR carnival_name LIKE :f ESCAPE '\\'"
                              " OR post_title LIKE :f ESCAPE '\\')");
    sql += QStringLiteral(" ORDER BY id DESC LIMIT :limit");
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(sql);
    if (beforeId > 0)
        query.bindValue(QStringLiteral(":before"), beforeId);
    if (!filter.isEmpty())
        query.bindValue(QStringLiteral(":f"), escapedLike(filter));
    query.bindValue(QStringLiteral(":limit"), limit);
    if (!query.exec())
        return list;
    while (query.next()) {
        SubmissionAttempt a;
        a.id = query.value(0).toLongLong();
        a.time = QDateTime::fromString(query.value(1).toString(), Qt::ISODateWithMs);
        a.permalink = query.value(2).toString();
        a.postTitle = query.value(3).toString();
        a.carnivalRef = query.value(4).toString();
        a.carnivalName = query.value(5).toString();
        a.categoryRef = query.value(6).toString();
        a.categoryName = query.value(7).toString();
        a.outcome = SubmissionAttempt::outcomeFromName(query.value(8).toString());
        a.reason = query.value(9).toString();
        a.httpStatus = query.value(10).toInt();
        a.listFile = query.value(11).toString();
        list.append(a);
    }
    return list;
}

qint64 SqliteSubmissionHistory::count()
{
    if (!m_open)
        return 0;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (query.exec(QStringLiteral("SELECT COUNT(*) FROM attempts")) && query.next())
        return query.value(0).toLongLong();
    return 0;
}
