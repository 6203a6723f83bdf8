#pragma once

#include "site/FormTab.h"

#include <QString>

class ControlStates;
class LoadWatch;
class PageAccess;
class Desktop;

/// Submitting the post in the first tab's form to the carnivals of its list: Auto Submit (checks,
/// then the run from the current row to the last, abortable with Esc), the run on its own (Enter),
/// and Manual Submit of the selected row.
///
/// Every submission waits for the view to finish loading the directory's answer before the next
/// carnival is written into the form, so that no carnival is written into a page that is being
/// replaced. While a submission is under way a second one does not start.
class Submitter final
{
public:
    /// The least time between two submitted rows of a run.
    static constexpr int kPaceMs = 500;
    /// How long a submission waits for the view to load the answer.
    static constexpr int kAnswerTimeoutMs = 60000;
    /// The longest spell of waiting for events before the answer is looked at again.
    static constexpr int kPollMs = 5;

    static inline const QString kNothingInList = QStringLiteral("Nothing in List");
    static inline const QString kAborted = QStringLiteral("Auto Submit Aborted");
    static inline const QString kRunFailed =
        QStringLiteral("Exception error - unable to Auto Submit\n\n"
                       "Try clicking \"Reset Page\" button to return to the default web page");
    static inline const QString kPermalinkEmpty = QStringLiteral("The Permalink URL field is empty");
    static inline const QString kNoCarnivalInRow = QStringLiteral("The selected row holds no carnival");
    /// "Finished Processing\n\nAuto Submit processed N items in list".
    static QString finishedMessage(int submitted);
    /// The status-bar line after a manual submission.
    static QString submittedStatus(const QString& carnival);

    /// tab is the first tab: its view shows the form, its grid is the current list.
    Submitter(PageAccess& page, Desktop& desktop, ControlStates& controls, const FormTab& tab);

    /// Auto Submit: the permalink, connection, page and list checks, then the run.
    void autoSubmit();
    /// The run from the grid's current row to its last. Throws PageError when the view holds no
    /// HTML document as it starts.
    void submitFromCurrentRow();
    /// Manual Submit: the connection, permalink and page checks, then the selected row alone.
    void manualSubmit();
    /// The window is closing: a submission under way ends at its next step, without a message, and
    /// none starts any more.
    void stopForClose() { m_closing = true; }

private:
    enum class RunEnd
    {
        Finished,
        Aborted,
        Failed,
        Closed
    };
    enum class Answer
    {
        Loaded,
        Escaped,
        NotLoaded,
        Closed
    };

    bool autoSubmitChecksPass();
    bool manualSubmitChecksPass();
    bool permalinkFilled();
    RunEnd submitRows(int& submitted);
    /// Clicks the submit button and waits for the view to load the answer.
    Answer clickAndWait(bool escAborts);
    Answer waitForAnswer(const LoadWatch& watch, bool escAborts);
    void submitSelectedRow();
    void showRunLabels(bool visible);
    void reportRunEnd(RunEnd end, int submitted);

    PageAccess& m_page;
    Desktop& m_desktop;
    ControlStates& m_controls;
    FormTab m_tab;
    bool m_submitting = false;
    bool m_closing = false;
};
