#pragma once

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>

/// One attempt to submit a post to a carnival, as the history keeps it.
struct SubmissionAttempt
{
    enum class Outcome
    {
        Pending,   // written just before the click; still so at the next start: outcome unknown
        Submitted, // the answer came with an HTTP status below 400
        Failed,    // an error answer, no answer, or the row could not be sent
        Skipped    // already submitted, left out of a run by the user's choice
    };

    qint64 id = 0;
    QDateTime time; // UTC
    QString permalink;
    QString postTitle;
    QString carnivalRef;
    QString carnivalName;
    QString categoryRef;
    QString categoryName;
    Outcome outcome = Outcome::Pending;
    QString reason;
    int httpStatus = 0; // 0: none known
    QString listFile;

    /// "submitted", "failed", "skipped" or "pending", as stored.
    static QString outcomeName(Outcome outcome);
    static Outcome outcomeFromName(const QString& name);
    /// As the user reads it: a pending attempt is "outcome unknown".
    static QString outcomeText(Outcome outcome);
};

/// The record of every submission attempt, by Auto Submit or Manual Submit. Each write is its own
/// transaction, so an attempt written as pending before its click survives a crash.
///
/// A history that could not be opened records nothing and answers every question with nothing;
/// problem() says why.
class SubmissionHistory
{
public:
    virtual ~SubmissionHistory() = default;

    /// False when the history is not available (this run is not recorded).
    virtual bool isOpen() const = 0;
    /// Why the history is not available, or what happened to it when it was opened; empty when all is well.
    virtual QString problem() const = 0;

    /// Writes the attempt (its outcome as given, usually pending) and returns its id; 0 when not recorded.
    virtual qint64 add(const SubmissionAttempt& attempt) = 0;
    /// Gives the attempt its outcome.
    virtual void finish(qint64 id, SubmissionAttempt::Outcome outcome, const QString& reason, int httpStatus) = 0;

    /// Refs of the carnivals this permalink was successfully submitted to.
    virtual QSet<QString> submittedCarnivals(const QString& permalink) = 0;
    /// Refs of the carnivals whose latest attempt with this permalink is still pending (outcome unknown).
    virtual QSet<QString> unknownCarnivals(const QString& permalink) = 0;

    /// Attempts newest first, older than beforeId (0: from the newest), at most limit of them, whose
    /// permalink, carnival name or post title holds filter (any letter case; empty matches all).
    virtual QList<SubmissionAttempt> attempts(const QString& filter, qint64 beforeId, int limit) = 0;
};
