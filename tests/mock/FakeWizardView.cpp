#include "mock/FakeWizardView.h"

#include "update/UpdateWizardController.h"

using namespace WizardControls;

namespace {
struct Handler
{
    WizardPage page;
    void (UpdateWizardController::*run)();
};

const QHash<QString, Handler>& handlers()
{
    static const QHash<QString, Handler> table = {
        {StartButton, {WizardPage::Start, &UpdateWizardController::startClicked}},
        {GetUpdateButton, {WizardPage::Version, &UpdateWizardController::getUpdateClicked}},
        {WhatsNewNextButton, {WizardPage::WhatsNew, &UpdateWizardController::whatsNewNextClicked}},
        {ViewNotesInEditor, {WizardPage::WhatsNew, &UpdateWizardController::viewNotesInEditor}},
        {AgreementNextButton, {WizardPage::Agreement, &UpdateWizardController::agreementNextClicked}},
        {AcceptRadio, {WizardPage::Agreement, &UpdateWizardController::acceptChosen}},
        {DeclineRadio, {WizardPage::Agreement, &UpdateWizardController::acceptChosen}},
        {ViewAgreementInEditor, {WizardPage::Agreement, &UpdateWizardController::viewAgreementInEditor}},
        {ComponentsNextButton, {WizardPage::Components, &UpdateWizardController::componentsNextClicked}},
        {CancelButton, {WizardPage::Download, &UpdateWizardController::cancelClicked}},
        {RestartButton, {WizardPage::End, &UpdateWizardController::restartClicked}},
    };
    return table;
}
} // namespace

void FakeWizardView::click(const QString& control)
{
    const auto handler = handlers().find(control);
    if (handler == handlers().end()) {
        faults.append(QStringLiteral("no handler for ") + control);
        return;
    }
    if (closed || page != handler->page || disabled.contains(control)) {
        faults.append(QStringLiteral("%1 clicked on page %2 while %3")
                          .arg(control)
                          .arg(static_cast<int>(page))
                          .arg(closed                       ? QStringLiteral("closed")
                               : disabled.contains(control) ? "disabled"
                                                            : "not shown"));
        return;
    }
    m_wizard.dispatch([this, run = handler->run] { (m_wizard.*run)(); });
}

void FakeWizardView::choose(const QString& radioButton)
{
    checked = radioButton;
    click(radioButton);
}

void FakeWizardView::tick(int item, bool ticked)
{
    if (page != WizardPage::Components || item >= items.size() || !items[item].changeable) {
        faults.append(QStringLiteral("item %1 cannot be changed").arg(item));
        return;
    }
    items[item].ticked = ticked;
}

void FakeWizardView::closeBox()
{
    if (!closed && m_wizard.mayClose())
        closed = true;
}

void FakeWizardView::showPage(WizardPage shown)
{
    page = shown;
    if (pages.isEmpty() || pages.last() != shown)
        pages.append(shown);
}

void FakeWizardView::setEnabled(const QString& control, bool enabled)
{
    if (enabled)
        disabled.remove(control);
    else
        disabled.insert(control);
}

void FakeWizardView::addComponent(const QString& text, bool ticked, bool changeable)
{
    items.append({text, ticked, changeable});
}

void FakeWizardView::setProgress(const QString& bar, qint64 maximum, qint64 position)
{
    progress[bar] = {maximum, position};
    if (bar == TotalProgress)
        totalPositions.append(position);
}

void FakeWizardView::setFont(const QString& family, int pointSize, bool bold)
{
    font = QStringLiteral("%1 %2%3").arg(family).arg(pointSize).arg(bold ? " bold" : "");
}

void FakeWizardView::runModal()
{
    shown = true;
    m_wizard.dispatch([this] { m_wizard.activated(); });
    while (!closed && !steps.isEmpty())
        steps.dequeue()(*this);
}
