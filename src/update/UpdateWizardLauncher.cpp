#include "update/UpdateWizardLauncher.h"

#include "update/UpdateEngine.h"
#include "update/UpdateWizardController.h"
#include "update/WizardView.h"

#include <QScopeGuard>

#include <utility>

UpdateWizardLauncher::UpdateWizardLauncher(UpdateEngine& engine, DialogFactory makeDialog)
    : WebUpdate(engine), m_makeDialog(std::move(makeDialog))
{}

void UpdateWizardLauncher::showUpdateWizard()
{
    if (!m_makeDialog)
        return;
    UpdateWizardController wizard(WebUpdate, Language ? *Language : UpdateWizardTexts(), AutoStart);
    const std::shared_ptr<WizardView> dialog = m_makeDialog(wizard);
    wizard.setView(*dialog);
    wizard.start();
    dialog->setFont(FontName, FontPointSize, FontBold);
    wizard.applyTexts();

    auto savedProgress =
        std::exchange(WebUpdate.OnFileProgress, [&wizard](const QString& file, qint64 pos, qint64 size) {
            wizard.WebUpdateFileProgress(file, pos, size);
        });
    auto savedCancel = std::exchange(WebUpdate.OnProgressCancel,
                                     [&wizard](bool& cancel) { wizard.WebUpdateCancel(cancel); });
    const auto restore = qScopeGuard([&] {
        WebUpdate.OnFileProgress = std::move(savedProgress);
        WebUpdate.OnProgressCancel = std::move(savedCancel);
        // However the dialog went, the connection does not outlive it.
        if (WebUpdate.Connected())
            WebUpdate.CloseInternetConnection();
    });
    wizard.CancelRequested = false;
    WebUpdate.Cancelled = false;

    dialog->setTitle(Caption);
    dialog->runModal();
}
