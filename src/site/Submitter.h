#pragma once

#include "site/BrowserView.h"
#include "site/FormTab.h"
#include "site/SubmissionHistory.h"

#include <QList>
#include <QPair>
#include <QString>

#include <functional>

class ControlStates;
class LoadWatch;
class PageAccess;
class Desktop;

/// Submitting the post in the first tab's form to the carnivals of its list: Auto Submit (checks,
/// one question, then the run from the current row to the last, abortable with Esc) and Manual
/// Submit of the selected row. Enter on the first tab is Auto Submit.
///
/// The run owns its rows: it takes them from the list as it starts, so that nothing the user does
/// during the run changes what it sends. Each row gets its own carnival and category, its answer's
/// HTTP status decides its outcome, and every attempt is written to the submission history (pending
/// before its click, its outcome after). The run waits in the event loop: the window stays live and
/// an Esc press, however short, ends it before its next click.
///
/// The run depends on the logic only (a view, a list, a desktop, control states), so that a driver
/// without any window can run it too.
class Submitter final
{
public:
    /// The least time between two submitted rows of a run.
    static constexpr int kPaceMs = 500;
    /// How long a submission waits for the view to load the answer.
    static constexpr int kAnswerTimeoutMs = 60000;
    /// The longest spell of waiting for events before the answer is looked at again.
    static constexpr int kPollMs = 5;
    /// The longest Retry-After of a 429 or 503 answer that the run waits for (once per row).
    static constexpr int kMaxRetryAfterSeconds = 120;

    static inline const QString kNothingInList = QStringLiteral("Nothing in List");
    static inline const QString kAborted = QStringLiteral("Auto Submit Aborted");
    static inline const QString kRunFailed =
        QStringLiteral("Exception error - unable to Auto Submit\n\n"
                       "Try clicking \"Reset Page\" button to return to the default web page");
    static inline const QString kPermalinkEmpty = QStringLiteral("The Permalink URL field is empty");
    static inline const QString kNoCarnivalInRow = QStringLiteral("The selected row holds no carnival");
    static inline const QString kCategoryGone = QStringLiteral("category no longer offered");
    static inline const QString kCarnivalGone = QStringLiteral("carnival no longer offered");
    static inline const QString kNotRecorded =
        QStringLiteral("The submission history is not available: this run will not be recorded.");
    /// "Finished Processing\n\nAuto Submit processed N items in list".
    static QString finishedMessage(int submitted);
    /// The status-bar line after a manual submission.
    static QString submittedStatus(const QString& carnival);
    /// "Submit <permalink> to N carnivals?"
    static QString startQuestion(const QString& permalink, int carnivals);
    /// "Submitting k of N: <carnival>"
    static QString progressStatus(int number, int total, const QString& carnival);
    /// "HTTP 500" and the like.
    static QString httpReason(int status);

    /// How a row of a run ended.
    struct RowReport
    {
        enum class Outcome
        {
            Submitted,
            Failed,
            Skipped
        };
        int number = 0; // 1 to total; 0 for a skipped row
        int total = 0;
        QString carnival;
        QString carnivalRef;
        Outcome outcome = Outcome::Submitted;
        QString reason;
    };
    enum class RunEnd
    {
        NotStarted, // a check failed, or the user said No or Cancel
        Finished,
        Aborted,
        Failed,
        Closed
    };
    /// What the last run did, row by row.
    struct RunSummary
    {
        RunEnd end = RunEnd::NotStarted;
        int total = 0; // the rows the run set out to submit
        int submitted = 0;
        QList<RowReport> rows;
    };

    /// tab is the first tab: its view shows the form, its grid is the current list. listFile names
    /// the list's file for the history (empty when it has none).
    Submitter(PageAccess& page, Desktop& desktop, ControlStates& controls, const FormTab& tab,
              SubmissionHistory& history, std::function<QString()> listFile = {});

    /// Auto Submit (the button and Enter): the permalink, connection, page and list checks, the
    /// starting question, then the run.
    void autoSubmit();
    /// The question and the run from the grid's current row to its last, without the checks. Throws
    /// PageError when the view holds no HTML document as it starts.
    void submitFromCurrentRow();
    /// Manual Submit: the connection, permalink and page checks, then the selected row alone.
    void manualSubmit();
    /// The window is closing: a submission under way ends at its next step, without a message, and
    /// none starts any more.
    void stopForClose() { m_closing = true; }
    /// A submission is under way.
    bool isSubmitting() const { return m_submitting; }

    const RunSummary& lastRun() const { return m_summary; }
    /// Called as each row of a run ends (skipped rows first, as the run starts).
    std::function<void(const RowReport&)> onRowEnded;

private:
    enum class Answer
    {
        Loaded,    // an answer below 400
        HttpError, // an answer of 400 or more
        Escaped,
        NotLoaded, // the load failed without an HTTP answer
        TimedOut,
        Closed
    };
    struct AnswerInfo
    {
        Answer answer = Answer::NotLoaded;
        int status = 0;
        int retryAfter = -1;
    };
    struct RunRow
    {
        int gridRow = 0;
        QString carnival;
        QString carnivalRef;
        QString category;
        QString categoryRef;
    };
    enum class RowEnd
    {
        Submitted,
        Failed,  // the row failed; the run goes on
        Aborted, // Esc
        RunFailed,
        Closed
    };

    bool autoSubmitChecksPass();
    bool manualSubmitChecksPass();
    bool permalinkFilled();
    bool askToStart(QList<RunRow>& rows, QList<RunRow>& skipped);
    void runRows(const QList<RunRow>& rows);
    RowEnd submitRow(const RunRow& row, int number, int total, QString& reason, int& status);
    bool waitPace(int milliseconds, bool countdown, const QString& carnival, int status);
    bool formReady();
    bool reloadForm();
    /// Writes the row's carnival and category into the form; empty when done, else the reason.
    /// button is the form's submit button, taken from the same document: a click on it fails if
    /// the page is replaced in between, rather than posting another page's form.
    QString writeRow(const RunRow& row, Element& button);
    QList<QPair<QString, QString>> readTextFields();
    /// Clicks the submit button and waits for the view to load the answer.
    AnswerInfo clickAndWait(Element button, bool escAborts);
    AnswerInfo waitForAnswer(const LoadWatch& watch, bool escAborts);
    void submitSelectedRow();
    void showRunState(bool visible);
    void setProgress(int done, int total);
    void report(const RunRow& row, int number, int total, RowReport::Outcome outcome, const QString& reason);
    void reportRunEnd();
    SubmissionAttempt attemptFor(const RunRow& row) const;

    PageAccess& m_page;
    Desktop& m_desktop;
    ControlStates& m_controls;
    FormTab m_tab;
    SubmissionHistory& m_history;
    std::function<QString()> m_listFile;
    bool m_submitting = false;
    bool m_closing = false;
    RunSummary m_summary;
    // The form's text fields as they stood when the run started, and the post they describe.
    QList<QPair<QString, QString>> m_fields;
    QString m_permalink;
    QString m_postTitle;
};
