#include "gui/HeadlessSubmit.h"

#include "gui/EventWait.h"

#include "gui/WebEngineBrowserView.h"
#include "lists/CarnivalList.h"
#include "lists/ListFile.h"
#include "platform/ControlNames.h"
#include "platform/ControlStates.h"
#include "platform/Desktop.h"
#include "platform/Network.h"
#include "site/FormTab.h"
#include "site/PageAccess.h"
#include "site/ScratchValues.h"
#include "site/SqliteSubmissionHistory.h"
#include "site/SubmitPage.h"
#include "site/Submitter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace {
constexpr int kFormTimeoutMs = 60000;

/// The desktop of a run without a window: messages are kept for the report, the starting question
/// is answered for the user (skip what was done, unless resubmitting), nothing is ever typed.
class HeadlessDesktop final : public Desktop
{
public:
    explicit HeadlessDesktop(bool resubmit) : m_resubmit(resubmit) {}

    QStringList messages;

    void showMessage(const QString& text) override { messages.append(text); }
    bool askYesNo(const QString&, const QString&, Icon) override { return true; }
    Answer ask(const QString&, const QString&, const QList<Answer>& buttons) override
    {
        // With a skip offered (Yes/No/Cancel): Yes skips, No sends again. Otherwise Yes starts.
        if (buttons.contains(Answer::Cancel))
            return m_resubmit ? Answer::No : Answer::Yes;
        return Answer::Yes;
    }
    QString openFileName(const QString&, const QList<FileFilter>&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QList<FileFilter>&, const QString&) override { return {}; }
    void processEvents() override { QCoreApplication::processEvents(); }
    void sleep(int milliseconds) override { waitForEvents(milliseconds); }
    int waitForEvents(int milliseconds) override { return waitForEventsUpTo(milliseconds); }
    bool isEscDown() const override { return false; }
    bool takeEscPress() override { return false; }
    QString focusedControl() const override { return {}; }
    void setFocus(const QString&) override {}
    bool openDocument(const QString&) override { return false; }
    void showHtmlDialog(const QString&) override {}

private:
    bool m_resubmit;
};

int badInput(std::FILE* err, const QString& reason)
{
    std::fprintf(err, "vorlix-pro --submit: %s\n", qUtf8Printable(reason));
    return 2;
}

QString oneLine(QString text)
{
    return text.replace(QStringLiteral("\n\n"), QStringLiteral(": "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}
} // namespace

int runHeadlessSubmit(const HeadlessSubmitOptions& options, std::FILE* out, std::FILE* err)
{
    if (options.permalink.trimmed().isEmpty())
        return badInput(err, QStringLiteral("no permalink: give --permalink URL"));
    CarnivalList grid(QStringLiteral("currentListGrid"));
    try {
        if (LoadFile(options.listFile, ListFile::kDelimiter, grid) == 0)
            return badInput(err, QStringLiteral("the list %1 holds no carnival").arg(options.listFile));
    } catch (const std::exception& error) {
        return badInput(err, QString::fromUtf8(error.what()));
    }
    int listed = 0;
    for (int row = 0; row < grid.rows(); ++row)
        listed += grid.cell(Column::CarnivalRef, row).isEmpty() ? 0 : 1;
    if (listed == 0)
        return badInput(err, QStringLiteral("the list %1 holds no carnival").arg(options.listFile));
    // As the window shows a loaded list: a blank row after the last carnival.
    if (!grid.isBlankRow(grid.rows() - 1))
        grid.setRows(grid.rows() + 1);

    HeadlessDesktop desktop(options.resubmit);
    SystemNetwork network;
    ControlStates controls(Controls::all());
    ScratchValues scratch;
    SqliteSubmissionHistory history;
    history.open(options.historyFile.isEmpty() ? SqliteSubmissionHistory::defaultPath()
                                               : options.historyFile);
    if (!history.problem().isEmpty())
        std::fprintf(err, "vorlix-pro --submit: %s\n", qUtf8Printable(history.problem()));
    WebEngineBrowserView view;
    PageAccess page(desktop, network, controls, scratch, SubmitPage::address(options.site));
    const FormTab tab{
        .view = view,
        .grid = grid,
        .countLabel = Controls::ListTotal,
        .addButton = Controls::AddItem,
        .backButton = Controls::Back,
        .forwardButton = Controls::Forward,
        .refreshButton = Controls::Refresh,
        .noDocumentError = QStringLiteral("The submission form is not an HTML document"),
    };
    Submitter submitter(page, desktop, controls, tab, history, [&] { return options.listFile; });

    // The form, with the post's fields filled in.
    {
        QEventLoop loop;
        bool finished = false;
        bool ok = false;
        QObject::connect(&view, &BrowserView::LoadFinished, &loop, [&](bool loadOk) {
            finished = true;
            ok = loadOk;
            loop.quit();
        });
        QTimer::singleShot(kFormTimeoutMs, &loop, &QEventLoop::quit);
        view.Navigate(page.address());
        if (!finished)
            loop.exec();
        if (!ok || !view.DocumentLoaded() || view.httpStatus() >= 400)
            return badInput(err, QStringLiteral("the directory at %1 is out of reach").arg(page.address()));
    }
    try {
        QList<QPair<QString, QString>> fields = options.fields;
        fields.prepend({QString::fromLatin1(SubmitPage::kPermalinkField), options.permalink});
        for (const auto& [name, value] : std::as_const(fields)) {
            const QList<Element> found = view.elementsNamed(name);
            if (found.isEmpty())
                return badInput(err, QStringLiteral("the form has no field \"%1\"").arg(name));
            for (const Element element : found)
                view.setAttribute(element, QStringLiteral("value"), value);
        }
    } catch (const std::exception& error) {
        return badInput(err, QStringLiteral("the form could not be filled in: ") +
                                 QString::fromUtf8(error.what()));
    }

    int number = 0;
    submitter.onRowEnded = [&](const Submitter::RowReport& row) {
        QString outcome;
        switch (row.outcome) {
        case Submitter::RowReport::Outcome::Submitted:
            outcome = QStringLiteral("submitted");
            break;
        case Submitter::RowReport::Outcome::Failed:
            outcome = QStringLiteral("failed (%1)").arg(row.reason);
            break;
        case Submitter::RowReport::Outcome::Skipped:
            outcome = QStringLiteral("skipped");
            break;
        }
        std::fprintf(out, "%d/%d %s: %s\n", ++number, listed, qUtf8Printable(row.carnival),
                     qUtf8Printable(outcome));
        std::fflush(out);
    };
    grid.setCurrentRow(0);
    try {
        submitter.autoSubmit();
    } catch (const std::exception& error) {
        return badInput(err, QString::fromUtf8(error.what()));
    }

    const Submitter::RunSummary& run = submitter.lastRun();
    if (run.end == Submitter::RunEnd::NotStarted)
        return badInput(err, desktop.messages.isEmpty()
                                 ? QStringLiteral("the run did not start")
                                 : oneLine(desktop.messages.join(QStringLiteral("; "))));
    int failed = 0;
    int skipped = 0;
    for (const Submitter::RowReport& row : run.rows) {
        failed += row.outcome == Submitter::RowReport::Outcome::Failed;
        skipped += row.outcome == Submitter::RowReport::Outcome::Skipped;
    }
    const int untried = listed - static_cast<int>(run.rows.size());
    std::fprintf(out, "%d submitted, %d failed, %d skipped%s\n", run.submitted, failed, skipped,
                 untried > 0 ? qUtf8Printable(QStringLiteral(", %1 not tried").arg(untried)) : "");
    if (!history.isOpen())
        std::fprintf(err, "vorlix-pro --submit: %s\n", qUtf8Printable(Submitter::kNotRecorded));
    if (run.end == Submitter::RunEnd::Failed)
        return badInput(err, QStringLiteral("the directory went out of reach during the run"));
    return failed > 0 || untried > 0 ? 1 : 0;
}
