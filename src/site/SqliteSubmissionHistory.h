#pragma once

#include "site/SubmissionHistory.h"

#include <QString>

/// The submission history in a SQLite database (Qt SQL, QSQLITE driver), in WAL mode, its schema
/// versioned with PRAGMA user_version and migrated forward on open.
///
/// A file that is not a database (or a damaged one) is kept aside as "<name>.damaged-<UTC time>"
/// and a fresh history is started; problem() then says so. A locked file, an unwritable folder or
/// a history written by a newer version leave it closed, problem() giving the reason.
class SqliteSubmissionHistory final : public SubmissionHistory
{
public:
    /// The schema version this program writes.
    static constexpr int kSchemaVersion = 1;

    SqliteSubmissionHistory() = default;
    ~SqliteSubmissionHistory() override;
    SqliteSubmissionHistory(const SqliteSubmissionHistory&) = delete;
    SqliteSubmissionHistory& operator=(const SqliteSubmissionHistory&) = delete;

    /// The history file in the user's data folder (QStandardPaths::AppDataLocation, which honours
    /// XDG_DATA_HOME): ".../history.sqlite".
    static QString defaultPath();

    /// Opens (or creates) the history at path; false when it could not, problem() saying why.
    bool open(const QString& path);
    void close();
    QString path() const { return m_path; }

    bool isOpen() const override { return m_open; }
    QString problem() const override { return m_problem; }
    qint64 add(const SubmissionAttempt& attempt) override;
    void finish(qint64 id, SubmissionAttempt::Outcome outcome, const QString& reason, int httpStatus) override;
    QSet<QString> submittedCarnivals(const QString& permalink) override;
    QSet<QString> unknownCarnivals(const QString& permalink) override;
    QList<SubmissionAttempt> attempts(const QString& filter, qint64 beforeId, int limit) override;

    /// The number of attempts recorded.
    qint64 count();

private:
    enum class OpenResult
    {
        Ok,
        Damaged,
        Failed
    };
    OpenResult tryOpen(QString* reason);
    bool migrate(QString* reason);
    void fail(const QString& what, const QString& reason);

    QString m_connection;
    QString m_path;
    QString m_problem;
    bool m_open = false;
};
