#include "site/Submitter.h"

#include "lists/CarnivalList.h"
#include "platform/ControlNames.h"
#include "platform/ControlStates.h"
#include "platform/Desktop.h"
#include "site/BrowserView.h"
#include "site/LoadWatch.h"
#include "site/PageAccess.h"
#include "site/SubmitPage.h"

#include <QElapsedTimer>
#include <QSet>

#include <algorithm>

namespace {
const QString kPermalinkField = QString::fromLatin1(SubmitPage::kPermalinkField);
const QString kTitleField = QString::fromLatin1(SubmitPage::kTitleField);
const QString kSubmitButton = QString::fromLatin1(SubmitPage::kSubmitButton);
const QString kCarnivalSelect = QString::fromLatin1(SubmitPage::kCarnivalSelect);
const QString kCategorySelect = QString::fromLatin1(SubmitPage::kCategorySelect);
const QString kValue = QStringLiteral("value");
const QString kTitle = QStringLiteral("Vorlix Pro");
// The input types whose value the user types; the run keeps them across error answers.
const QSet<QString> kTextTypes = {QString(),           QStringLiteral("text"), QStringLiteral("email"),
                                  QStringLiteral("url"), QStringLiteral("search"), QStringLiteral("tel"),
                                  QStringLiteral("number")};

/// Marks a submission as under way for as long as it lasts, whichever way it ends.
class SubmittingScope final
{
public:
    explicit SubmittingScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~SubmittingScope() { m_flag = false; }
    SubmittingScope(const SubmittingScope&) = delete;
    SubmittingScope& operator=(const SubmittingScope&) = delete;

private:
    bool& m_flag;
};

bool noCategory(const QString& ref)
{
    return ref.isEmpty() || ref == QLatin1String("0");
}

QString joinedNames(const QStringList& names)
{
    return names.join(QStringLiteral(", "));
}
} // namespace

QString Submitter::finishedMessage(int submitted)
{
    return QStringLiteral("Finished Processing\n\nAuto Submit processed ") + QString::number(submitted) +
           QStringLiteral(" items in list");
}

QString Submitter::submittedStatus(const QString& carnival)
{
    return QStringLiteral("Submitted to ") + carnival;
}

QString Submitter::startQuestion(const QString& permalink, int carnivals)
{
    return QStringLiteral("Submit %1 to %2 carnival%3?")
        .arg(permalink)
        .arg(carnivals)
        .arg(carnivals == 1 ? QString() : QStringLiteral("s"));
}

QString Submitter::progressStatus(int number, int total, const QString& carnival)
{
    return QStringLiteral("Submitting %1 of %2: %3").arg(number).arg(total).arg(carnival);
}

QString Submitter::httpReason(int status)
{
    return QStringLiteral("HTTP ") + QString::number(status);
}

Submitter::Submitter(PageAccess& page, Desktop& desktop, ControlStates& controls, const FormTab& tab,
                     SubmissionHistory& history, std::function<QString()> listFile)
    : m_page(page), m_desktop(desktop), m_controls(controls), m_tab(tab), m_history(history),
      m_listFile(std::move(listFile))
{}

// --- Auto Submit ---

void Submitter::autoSubmit()
{
    // A second start while the run handles events would write into the page the run is waiting for.
    if (m_submitting || m_closing)
        return;
    m_summary = RunSummary{};
    if (autoSubmitChecksPass())
        submitFromCurrentRow();
}

bool Submitter::autoSubmitChecksPass()
{
    try {
        if (!permalinkFilled()) {
            m_desktop.showMessage(kPermalinkEmpty);
            return false;
        }
        if (!m_page.isOnline()) {
            m_desktop.showMessage(SubmitPage::kOfflineMessage);
            return false;
        }
        if (!m_page.onDefaultPage(m_tab.view)) {
            m_desktop.showMessage(SubmitPage::kNotDefaultPageMessage);
            return false;
        }
        if (m_tab.grid.rows() <= 1) {
            m_desktop.showMessage(kNothingInList);
            return false;
        }
        return true;
    } catch (const std::exception&) {
        m_desktop.showMessage(SubmitPage::kPageErrorMessage);
        return false;
    }
}

bool Submitter::permalinkFilled()
{
    return !m_tab.view.GetFieldValue(kPermalinkField).isEmpty();
}

void Submitter::submitFromCurrentRow()
{
    if (m_submitting || m_closing)
        return;
    m_summary = RunSummary{};
    if (!m_tab.view.DocumentLoaded())
        throw PageError(m_tab.noDocumentError);
    SubmittingScope scope(m_submitting);

    // The run's rows, taken now: what the user does to the list during the run changes none of them.
    QList<RunRow> rows;
    const CarnivalList& grid = m_tab.grid;
    for (int row = std::max(0, grid.currentRow()); row < grid.rows(); ++row) {
        const CarnivalEntry entry = grid.entry(row);
        // A blank row has no carnival to submit to: sending it would post a form without one.
        if (!entry.carnivalRef.isEmpty())
            rows.append({row, entry.carnival, entry.carnivalRef, entry.category, entry.categoryRef});
    }
    m_permalink = m_tab.view.GetFieldValue(kPermalinkField);
    m_postTitle = m_tab.view.GetFieldValue(kTitleField);
    m_fields = readTextFields();

    QList<RunRow> skipped;
    if (!rows.isEmpty() && !askToStart(rows, skipped))
        return;
    m_summary.total = static_cast<int>(rows.size());
    for (const RunRow& row : std::as_const(skipped)) {
        SubmissionAttempt attempt = attemptFor(row);
        attempt.outcome = SubmissionAttempt::Outcome::Skipped;
        attempt.reason = QStringLiteral("already submitted");
        m_history.add(attempt);
        report(row, 0, m_summary.total, RowReport::Outcome::Skipped, attempt.reason);
    }
    // A press made before the run (or the Esc that closed the question) is not one that stops it.
    m_desktop.takeEscPress();
    showRunState(true);
    runRows(rows);
    showRunState(false);
    reportRunEnd();
}

bool Submitter::askToStart(QList<RunRow>& rows, QList<RunRow>& skipped)
{
    const QSet<QString> done = m_history.submittedCarnivals(m_permalink);
    const QSet<QString> unknown = m_history.unknownCarnivals(m_permalink);
    QSet<QString> doneRefs;
    QStringList unknownNames;
    for (const RunRow& row : std::as_const(rows)) {
        if (done.contains(row.carnivalRef))
            doneRefs.insert(row.carnivalRef);
        else if (unknown.contains(row.carnivalRef) && !unknownNames.contains(row.carnival))
            unknownNames.append(row.carnival);
    }
    QString text = startQuestion(m_permalink, static_cast<int>(rows.size()));
    if (!doneRefs.isEmpty())
        text += QStringLiteral("\n\nIt was already submitted to %1 of them.").arg(doneRefs.size());
    if (!unknownNames.isEmpty())
        text += QStringLiteral("\n\nThe outcome of an earlier submission to %1 is unknown: it may have "
                               "been submitted.")
                    .arg(joinedNames(unknownNames));
    const bool offerSkip = !doneRefs.isEmpty() || !unknownNames.isEmpty();
    if (offerSkip)
        text += QStringLiteral(" Skip those?");
    if (!m_history.isOpen())
        text += QStringLiteral("\n\n") + kNotRecorded;

    const QList<Desktop::Answer> buttons =
        offerSkip ? QList<Desktop::Answer>{Desktop::Answer::Yes, Desktop::Answer::No, Desktop::Answer::Cancel}
                  : QList<Desktop::Answer>{Desktop::Answer::Yes, Desktop::Answer::No};
    const Desktop::Answer answer = m_desktop.ask(kTitle, text, buttons);
    if (answer == Desktop::Answer::Cancel || (!offerSkip && answer != Desktop::Answer::Yes))
        return false;
    if (offerSkip && answer == Desktop::Answer::Yes) {
        QList<RunRow> kept;
        for (const RunRow& row : std::as_const(rows)) {
            if (doneRefs.contains(row.carnivalRef) || unknownNames.contains(row.carnival))
                skipped.append(row);
            else
                kept.append(row);
        }
        rows = kept;
    }
    return true;
}

void Submitter::runRows(const QList<RunRow>& rows)
{
    CarnivalList& grid = m_tab.grid;
    const int total = static_cast<int>(rows.size());
    setProgress(0, total);
    try {
        for (int i = 0; i < total; ++i) {
            const RunRow& row = rows[i];
            // The highlight follows the run; the user's clicks move it but not the run.
            if (row.gridRow < grid.rows())
                grid.setCurrentRow(row.gridRow);
            m_controls.setText(Controls::StatusBar, progressStatus(i + 1, total, row.carnival));
            QString reason;
            int status = 0;
            const RowEnd end = submitRow(row, i + 1, total, reason, status);
            switch (end) {
            case RowEnd::Submitted:
                ++m_summary.submitted;
                report(row, i + 1, total, RowReport::Outcome::Submitted, QString());
                break;
            case RowEnd::Failed:
                report(row, i + 1, total, RowReport::Outcome::Failed, reason);
                break;
            case RowEnd::Aborted:
                m_summary.end = RunEnd::Aborted;
                return;
            case RowEnd::RunFailed:
                report(row, i + 1, total, RowReport::Outcome::Failed, reason);
                m_summary.end = RunEnd::Failed;
                return;
            case RowEnd::Closed:
                m_summary.end = RunEnd::Closed;
                return;
            }
            setProgress(i + 1, total);
        }
        // A finished run leaves the list's last row current, as it always did.
        if (grid.rows() > 0)
            grid.setCurrentRow(grid.rows() - 1);
        m_summary.end = RunEnd::Finished;
    } catch (const std::exception&) {
        m_summary.end = RunEnd::Failed;
    }
}

Submitter::RowEnd Submitter::submitRow(const RunRow& row, int number, int total, QString& reason, int& status)
{
    bool retried = false;
    int pageChanges = 0;
    for (;;) {
        // The pace: the event loop runs, the view keeps working, an Esc press is seen.
        if (!waitPace(kPaceMs, false, row.carnival, 0))
            return m_closing ? RowEnd::Closed : RowEnd::Aborted;
        if (!formReady() && !reloadForm()) {
            reason = QStringLiteral("the submission form could not be loaded again");
            return m_closing ? RowEnd::Closed : RowEnd::RunFailed;
        }
        if (m_closing)
            return RowEnd::Closed;
        if (m_desktop.takeEscPress())
            return RowEnd::Aborted;
        Element button;
        try {
            reason = writeRow(row, button);
        } catch (const PageError&) {
            // The page was replaced while the row was written: write it into the new one.
            if (++pageChanges < 3)
                continue;
            throw;
        }
        if (!reason.isEmpty()) {
            SubmissionAttempt attempt = attemptFor(row);
            attempt.outcome = SubmissionAttempt::Outcome::Failed;
            attempt.reason = reason;
            m_history.add(attempt);
            return RowEnd::Failed;
        }
        // Written before the click: a crash from here on leaves the attempt pending, "outcome unknown".
        const qint64 id = m_history.add(attemptFor(row));
        AnswerInfo answer;
        try {
            answer = clickAndWait(button, true);
        } catch (const PageError&) {
            // The page was replaced after the row was written: nothing was sent. Write it again.
            m_history.finish(id, SubmissionAttempt::Outcome::Failed, QStringLiteral("not sent: the page changed"), 0);
            if (++pageChanges < 3)
                continue;
            throw;
        }
        status = answer.status;
        switch (answer.answer) {
        case Answer::Loaded:
            m_history.finish(id, SubmissionAttempt::Outcome::Submitted, QString(), answer.status);
            return RowEnd::Submitted;
        case Answer::HttpError: {
            reason = httpReason(answer.status);
            const bool busy = answer.status == 429 || answer.status == 503;
            if (busy && !retried && answer.retryAfter >= 0 && answer.retryAfter <= kMaxRetryAfterSeconds) {
                m_history.finish(id, SubmissionAttempt::Outcome::Failed,
                                 reason + QStringLiteral(", tried again"), answer.status);
                retried = true;
                if (!waitPace(answer.retryAfter * 1000, true, row.carnival, answer.status))
                    return m_closing ? RowEnd::Closed : RowEnd::Aborted;
                m_controls.setText(Controls::StatusBar, progressStatus(number, total, row.carnival));
                continue;
            }
            m_history.finish(id, SubmissionAttempt::Outcome::Failed, reason, answer.status);
            return RowEnd::Failed;
        }
        case Answer::NotLoaded:
            // Nothing answered: the post did not reach the directory, which is out of reach.
            reason = QStringLiteral("no answer");
            m_history.finish(id, SubmissionAttempt::Outcome::Failed, reason, 0);
            return RowEnd::RunFailed;
        case Answer::TimedOut:
            // The post may have arrived: its outcome stays unknown.
            reason = QStringLiteral("no answer within %1 s").arg(kAnswerTimeoutMs / 1000);
            return RowEnd::RunFailed;
        case Answer::Escaped:
            return RowEnd::Aborted; // sent, its answer not awaited: outcome unknown
        case Answer::Closed:
            return RowEnd::Closed;
        }
        return RowEnd::RunFailed;
    }
}

bool Submitter::waitPace(int milliseconds, bool countdown, const QString& carnival, int status)
{
    // Both clocks bound the wait: the real one, and the time the waits report (all a scripted Ui gives).
    QElapsedTimer clock;
    clock.start();
    int waited = 0;
    int shownSeconds = -1;
    while (waited < milliseconds && clock.elapsed() < milliseconds) {
        if (m_closing || m_desktop.takeEscPress())
            return false;
        if (countdown) {
            const int left = (milliseconds - std::max<int>(waited, int(clock.elapsed())) + 999) / 1000;
            if (left != shownSeconds) {
                shownSeconds = left;
                m_controls.setText(Controls::StatusBar,
                                   QStringLiteral("%1 is busy (%2): trying again in %3 s (Esc aborts)")
                                       .arg(carnival, httpReason(status))
                                       .arg(left));
            }
        }
        waited += m_desktop.waitForEvents(std::min(countdown ? 100 : 50, milliseconds - waited));
    }
    return !m_closing && !m_desktop.takeEscPress();
}

QList<QPair<QString, QString>> Submitter::readTextFields()
{
    QList<QPair<QString, QString>> fields;
    QSet<QString> seen;
    BrowserView& view = m_tab.view;
    const auto keep = [&](Element element) {
        const QString name = view.getAttribute(element, QStringLiteral("name")).value_or(QString());
        if (name.isEmpty() || seen.contains(name))
            return;
        seen.insert(name);
        fields.append({name, view.GetFieldValue(name)});
    };
    for (const Element input : view.getElementsByTagName(QStringLiteral("input"))) {
        const QString type = view.getAttribute(input, QStringLiteral("type")).value_or(QString()).toLower();
        if (kTextTypes.contains(type))
            keep(input);
    }
    for (const Element area : view.getElementsByTagName(QStringLiteral("textarea")))
        keep(area);
    return fields;
}

bool Submitter::formReady()
{
    BrowserView& view = m_tab.view;
    try {
        if (view.Busy() || !view.DocumentLoaded() || !m_page.onDefaultPage(view) ||
            !view.getElementById(kSubmitButton))
            return false;
        QStringList names;
        QStringList values;
        for (const auto& [name, value] : std::as_const(m_fields)) {
            names.append(name);
            values.append(value);
        }
        return names.isEmpty() || view.fieldValues(names) == values;
    } catch (const std::exception&) {
        return false;
    }
}

bool Submitter::reloadForm()
{
    BrowserView& view = m_tab.view;
    {
        const LoadWatch watch(view);
        view.Navigate(m_page.address());
        const AnswerInfo answer = waitForAnswer(watch, true);
        if (answer.answer != Answer::Loaded)
            return false;
    }
    try {
        // What the user typed, back into the fresh form.
        for (const auto& [name, value] : std::as_const(m_fields))
            for (const Element element : view.elementsNamed(name))
                view.setAttribute(element, kValue, value);
    } catch (const std::exception&) {
        return false;
    }
    return formReady();
}

QString Submitter::writeRow(const RunRow& row, Element& button)
{
    BrowserView& view = m_tab.view;
    const std::optional<Element> submit = view.getElementById(kSubmitButton);
    if (!submit)
        throw PageError(QStringLiteral("The form has no submit button"));
    button = *submit;
    const QList<Element> carnivals = view.elementsNamed(kCarnivalSelect);
    for (const Element select : carnivals)
        view.setAttribute(select, kValue, row.carnivalRef);
    if (carnivals.isEmpty() || view.getAttribute(carnivals.first(), kValue).value_or(QString()) != row.carnivalRef)
        return kCarnivalGone;
    const QList<Element> categories = view.elementsNamed(kCategorySelect);
    for (const Element select : categories)
        view.setAttribute(select, kValue, noCategory(row.categoryRef) ? QStringLiteral("0") : row.categoryRef);
    // The carnival drop-down's handler brings the page up to date; it drops a category that is not
    // the carnival's.
    view.FireEvent(carnivals.first(), QStringLiteral("onchange"));
    if (noCategory(row.categoryRef))
        return QString();
    if (categories.isEmpty() || view.getAttribute(categories.first(), kValue).value_or(QString()) != row.categoryRef)
        return kCategoryGone;
    return QString();
}

Submitter::AnswerInfo Submitter::clickAndWait(Element button, bool escAborts)
{
    // Watching before the click: an answer that loads at once must not be missed.
    const LoadWatch watch(m_tab.view);
    m_tab.view.click(button);
    return waitForAnswer(watch, escAborts);
}

Submitter::AnswerInfo Submitter::waitForAnswer(const LoadWatch& watch, bool escAborts)
{
    QElapsedTimer clock;
    clock.start();
    int waited = 0;
    for (;;) {
        if (m_closing)
            return {Answer::Closed};
        if (escAborts && m_desktop.takeEscPress())
            return {Answer::Escaped};
        if (watch.finished()) {
            const int status = watch.httpStatus();
            if (status >= 400)
                return {Answer::HttpError, status, watch.retryAfterSeconds()};
            return {watch.ok() ? Answer::Loaded : Answer::NotLoaded, status, -1};
        }
        if (waited >= kAnswerTimeoutMs || clock.elapsed() >= kAnswerTimeoutMs)
            return {Answer::TimedOut};
        waited += m_desktop.waitForEvents(kPollMs);
    }
}

void Submitter::showRunState(bool visible)
{
    m_controls.setVisible(Controls::Submitting, visible);
    m_controls.setVisible(Controls::Submitting2, visible);
    m_controls.setVisible(Controls::SubmitProgress, visible);
}

void Submitter::setProgress(int done, int total)
{
    m_controls.setText(Controls::SubmitProgress, QStringLiteral("%1/%2").arg(done).arg(total));
}

SubmissionAttempt Submitter::attemptFor(const RunRow& row) const
{
    SubmissionAttempt attempt;
    attempt.time = QDateTime::currentDateTimeUtc();
    attempt.permalink = m_permalink;
    attempt.postTitle = m_postTitle;
    attempt.carnivalRef = row.carnivalRef;
    attempt.carnivalName = row.carnival;
    attempt.categoryRef = row.categoryRef;
    attempt.categoryName = row.category;
    attempt.listFile = m_listFile ? m_listFile() : QString();
    return attempt;
}

void Submitter::report(const RunRow& row, int number, int total, RowReport::Outcome outcome,
                       const QString& reason)
{
    RowReport rowReport{number, total, row.carnival, row.carnivalRef, outcome, reason};
    m_summary.rows.append(rowReport);
    if (onRowEnded)
        onRowEnded(rowReport);
}

void Submitter::reportRunEnd()
{
    QString notSubmitted;
    int failed = 0;
    for (const RowReport& row : std::as_const(m_summary.rows)) {
        if (row.outcome != RowReport::Outcome::Failed)
            continue;
        ++failed;
        notSubmitted += QStringLiteral("\n* %1 (%2)").arg(row.carnival, row.reason);
    }
    if (m_summary.end != RunEnd::Closed)
        m_controls.setText(Controls::StatusBar,
                           QStringLiteral("Auto Submit: %1 of %2 submitted").arg(m_summary.submitted).arg(m_summary.total));
    switch (m_summary.end) {
    case RunEnd::Finished:
        m_desktop.showMessage(finishedMessage(m_summary.submitted) +
                              (failed > 0 ? QStringLiteral("\n\nNot submitted:") + notSubmitted : QString()));
        return;
    case RunEnd::Aborted:
        m_desktop.showMessage(kAborted);
        return;
    case RunEnd::Failed:
        m_desktop.showMessage(kRunFailed);
        return;
    case RunEnd::NotStarted:
    case RunEnd::Closed:
        return; // the window is gone; a box now would only hold up the program's end
    }
}

// --- Manual Submit ---

void Submitter::manualSubmit()
{
    if (m_submitting || m_closing)
        return;
    if (manualSubmitChecksPass())
        submitSelectedRow();
}

bool Submitter::manualSubmitChecksPass()
{
    // The connection comes first here, unlike Auto Submit.
    if (!m_page.isOnline()) {
        m_desktop.showMessage(SubmitPage::kOfflineMessage);
        return false;
    }
    try {
        if (!permalinkFilled()) {
            m_desktop.showMessage(kPermalinkEmpty);
            return false;
        }
        if (!m_page.onDefaultPage(m_tab.view)) {
            m_desktop.showMessage(SubmitPage::kNotDefaultPageMessage);
            return false;
        }
        return true;
    } catch (const std::exception&) {
        m_desktop.showMessage(SubmitPage::kPageErrorMessage);
        return false;
    }
}

void Submitter::submitSelectedRow()
{
    const int gridRow = m_tab.grid.currentRow();
    const CarnivalEntry entry = m_tab.grid.entry(gridRow);
    if (entry.carnivalRef.isEmpty()) {
        m_desktop.showMessage(kNoCarnivalInRow);
        return;
    }
    const RunRow row{gridRow, entry.carnival, entry.carnivalRef, entry.category, entry.categoryRef};
    SubmittingScope scope(m_submitting);
    try {
        m_permalink = m_tab.view.GetFieldValue(kPermalinkField);
        m_postTitle = m_tab.view.GetFieldValue(kTitleField);
        // The form may no longer hold what the selection wrote into it: write the row again.
        Element button;
        const QString notWritten = writeRow(row, button);
        if (!notWritten.isEmpty()) {
            SubmissionAttempt attempt = attemptFor(row);
            attempt.outcome = SubmissionAttempt::Outcome::Failed;
            attempt.reason = notWritten;
            m_history.add(attempt);
            m_controls.setText(Controls::StatusBar,
                               QStringLiteral("Not submitted to %1 (%2)").arg(entry.carnival, notWritten));
            m_desktop.showMessage(QStringLiteral("Not submitted:\n* %1 (%2)").arg(entry.carnival, notWritten));
            return;
        }
        m_desktop.setFocus(m_tab.grid.objectName());
        const qint64 id = m_history.add(attemptFor(row));
        const AnswerInfo answer = clickAndWait(button, false);
        if (answer.answer == Answer::Loaded) {
            m_history.finish(id, SubmissionAttempt::Outcome::Submitted, QString(), answer.status);
            m_controls.setText(Controls::StatusBar, submittedStatus(entry.carnival));
            return;
        }
        if (answer.answer == Answer::HttpError) {
            const QString reason = httpReason(answer.status);
            m_history.finish(id, SubmissionAttempt::Outcome::Failed, reason, answer.status);
            m_controls.setText(Controls::StatusBar,
                               QStringLiteral("Not submitted to %1 (%2)").arg(entry.carnival, reason));
            m_desktop.showMessage(QStringLiteral("Not submitted:\n* %1 (%2)").arg(entry.carnival, reason));
            return;
        }
        if (answer.answer == Answer::NotLoaded)
            m_history.finish(id, SubmissionAttempt::Outcome::Failed, QStringLiteral("no answer"), 0);
        if (answer.answer == Answer::Closed)
            return;
    } catch (const std::exception&) {
        // reported below, as a page that did not answer
    }
    m_desktop.showMessage(SubmitPage::kPageErrorMessage);
}
