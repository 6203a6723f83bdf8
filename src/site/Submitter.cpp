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

#include <algorithm>

namespace {
const QString kPermalinkField = QString::fromLatin1(SubmitPage::kPermalinkField);
const QString kSubmitButton = QString::fromLatin1(SubmitPage::kSubmitButton);

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

Submitter::Submitter(PageAccess& page, Desktop& desktop, ControlStates& controls, const FormTab& tab)
    : m_page(page), m_desktop(desktop), m_controls(controls), m_tab(tab)
{}

// --- Auto Submit ---

void Submitter::autoSubmit()
{
    // A second start while the run handles events would write into the page the run is waiting for.
    if (m_submitting || m_closing)
        return;
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
    if (!m_tab.view.DocumentLoaded())
        throw PageError(m_tab.noDocumentError);
    SubmittingScope scope(m_submitting);
    showRunLabels(true);
    int submitted = 0;
    const RunEnd end = submitRows(submitted);
    showRunLabels(false);
    reportRunEnd(end, submitted);
}

Submitter::RunEnd Submitter::submitRows(int& submitted)
{
    CarnivalList& grid = m_tab.grid;
    const int last = grid.rows() - 1;
    try {
        for (;;) {
            const int row = grid.currentRow();
            const QString ref = grid.cell(Column::CarnivalRef, row);
            // A blank row has no carnival to submit to: sending it would post a form without one.
            if (!ref.isEmpty()) {
                m_page.setCarnival(ref, m_tab.view);
                if (m_tab.view.DocumentLoaded()) {
                    m_desktop.sleep(kPaceMs);
                    m_desktop.processEvents();
                    if (m_closing)
                        return RunEnd::Closed;
                    const Answer answer = clickAndWait(true);
                    if (answer == Answer::Escaped)
                        return RunEnd::Aborted;
                    if (answer == Answer::NotLoaded)
                        return RunEnd::Failed;
                    if (answer == Answer::Closed)
                        return RunEnd::Closed;
                    ++submitted;
                }
            }
            // Rows deleted while events were handled shorten the run rather than end it past the list.
            if (row >= std::min(last, grid.rows() - 1))
                return RunEnd::Finished;
            grid.setCurrentRow(row + 1);
        }
    } catch (const std::exception&) {
        return RunEnd::Failed;
    }
}

Submitter::Answer Submitter::clickAndWait(bool escAborts)
{
    const std::optional<Element> button = m_tab.view.getElementById(kSubmitButton);
    if (!button)
        throw PageError(QStringLiteral("The form has no submit button"));
    // Watching before the click: an answer that loads at once must not be missed.
    const LoadWatch watch(m_tab.view);
    m_tab.view.click(*button);
    return waitForAnswer(watch, escAborts);
}

Submitter::Answer Submitter::waitForAnswer(const LoadWatch& watch, bool escAborts)
{
    // Both clocks bound the wait: the real one, and the time the waits report (all a scripted Ui gives).
    QElapsedTimer clock;
    clock.start();
    int waited = 0;
    for (;;) {
        if (m_closing)
            return Answer::Closed;
        if (escAborts && m_desktop.isEscDown())
            return Answer::Escaped;
        if (watch.finished())
            return watch.ok() ? Answer::Loaded : Answer::NotLoaded;
        if (waited >= kAnswerTimeoutMs || clock.elapsed() >= kAnswerTimeoutMs)
            return Answer::NotLoaded;
        waited += m_desktop.waitForEvents(kPollMs);
    }
}

void Submitter::showRunLabels(bool visible)
{
    m_controls.setVisible(Controls::Submitting, visible);
    m_controls.setVisible(Controls::Submitting2, visible);
}

void Submitter::reportRunEnd(RunEnd end, int submitted)
{
    switch (end) {
    case RunEnd::Finished:
        m_desktop.showMessage(finishedMessage(submitted));
        return;
    case RunEnd::Aborted:
        m_desktop.showMessage(kAborted);
        return;
    case RunEnd::Failed:
        m_desktop.showMessage(kRunFailed);
        return;
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
    const CarnivalEntry entry = m_tab.grid.entry(m_tab.grid.currentRow());
    if (entry.carnivalRef.isEmpty()) {
        m_desktop.showMessage(kNoCarnivalInRow);
        return;
    }
    SubmittingScope scope(m_submitting);
    try {
        // The form may no longer hold what the selection wrote into it: write the row again.
        m_page.setCarnival(entry.carnivalRef, m_tab.view);
        m_page.setCategory(entry.categoryRef, m_tab.view, m_tab.grid);
        const Answer answer = clickAndWait(false);
        if (answer == Answer::Loaded)
            m_controls.setText(Controls::StatusBar, submittedStatus(entry.carnival));
        if (answer == Answer::Loaded || answer == Answer::Closed)
            return;
    } catch (const std::exception&) {
        // reported below, as a page that did not answer
    }
    m_desktop.showMessage(SubmitPage::kPageErrorMessage);
}
