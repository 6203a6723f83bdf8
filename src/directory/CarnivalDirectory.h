#pragma once

#include "directory/CarnivalCatalog.h"
#include "directory/Submission.h"

#include <QList>
#include <QString>

#include <memory>

/// The local carnival directory: an HTTP server on 127.0.0.1 that serves the submission form at
/// "/bc/submit.php" and records what is posted to it.
///
/// Requests it answers:
/// - GET  /bc/submit.php        the form (carnivals that have not expired).
/// - POST /bc/submit.php        records a submission and answers the form again with the fields,
///                              carnival and category kept and a line naming the carnival. No
///                              carnival field, or refs that are not whole numbers: 400. Carnival
///                              0: the form asks for a carnival. Unknown or expired carnival: 404.
///                              Nothing is recorded in those cases; the answer keeps the fields.
///                              A carnival given a failure (setFailure) is recorded with that
///                              status and answered with an error page of that status (and a
///                              Retry-After header when one is set), not the form.
/// - GET  /bc/submissions.json  the submissions, oldest first: [{"carnival": 12, "category": 0,
///                              "post_url": "...", "time": "ISO 8601 UTC", "fields": {...}}].
/// - DELETE /bc/submissions.json  empties the list.
/// - GET  /21214/updates/NAME   the file NAME of the updates folder (404 when absent or unset).
/// Anything else: 404.
///
/// Every member may be called from any thread; requests are answered on the server's own threads.
class CarnivalDirectory final
{
public:
    explicit CarnivalDirectory(CarnivalCatalog catalog = CarnivalCatalog::sample());
    ~CarnivalDirectory();
    CarnivalDirectory(const CarnivalDirectory&) = delete;
    CarnivalDirectory& operator=(const CarnivalDirectory&) = delete;

    /// Listens on 127.0.0.1:port (0 = any free port) and returns the base URL
    /// "http://127.0.0.1:PORT". On failure returns an empty string; errorString() says why.
    /// A running directory is stopped first.
    QString start(quint16 port = 0);
    /// Stops listening; returns when no request is being answered any more.
    void stop();
    bool isRunning() const;
    /// "http://127.0.0.1:PORT" while running, else empty.
    QString baseUrl() const;
    /// The form's address while running, else empty.
    QString submitUrl() const;
    QString errorString() const;

    QList<Submission> submissions() const;
    void clearSubmissions();

    /// Replaces the carnivals the form offers.
    void setCatalog(const CarnivalCatalog& catalog);
    CarnivalCatalog catalog() const;
    /// Marks carnivals expired; returns the refs the catalog does not know.
    QList<qint64> expire(const QList<qint64>& refs);

    /// Serves the files of dir under "/21214/updates/"; an empty dir serves nothing.
    void setUpdatesFolder(const QString& dir);
    /// Answers every POST only after ms milliseconds (the submission is recorded at once).
    void setAnswerDelay(int ms);
    /// Answers posts to the carnival ref with the HTTP status (400 to 599) and an error page, with
    /// "Retry-After: retryAfterSeconds" when that is not negative; times > 0 fails only that many
    /// posts, then the carnival answers as usual again. A status of 0 removes the failure.
    void setFailure(qint64 ref, int status, int retryAfterSeconds = -1, int times = -1);
    void clearFailures();

private:
    class Server;
    std::unique_ptr<Server> m_server;
};
