#include "site/SubmissionHistory.h"

QString SubmissionAttempt::outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Pending:
        return QStringLiteral("pending");
    case Outcome::Submitted:
        return QStringLiteral("submitted");
    case Outcome::Failed:
        return QStringLiteral("failed");
    case Outcome::Skipped:
        return QStringLiteral("skipped");
    }
    return QStringLiteral("pending");
}

SubmissionAttempt::Outcome SubmissionAttempt::outcomeFromName(const QString& name)
{
    if (name == QLatin1String("submitted"))
        return Outcome::Submitted;
    if (name == QLatin1String("failed"))
        return Outcome::Failed;
    if (name == QLatin1String("skipped"))
        return Outcome::Skipped;
    return Outcome::Pending;
}

QString SubmissionAttempt::outcomeText(Outcome outcome)
{
    return outcome == Outcome::Pending ? QStringLiteral("outcome unknown") : outcomeName(outcome);
}
