#include "update/UpdateWizardController.h"

#include "platform/Desktop.h"
#include "update/UpdateEngine.h"
#include "update/WizardView.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>

using namespace WizardControls;

namespace {
constexpr int kVersionLabelWidth = 300;
constexpr int kPauseSliceMs = 50;
} // namespace

/// Marks the time the engine works and handles events meanwhile: buttons wait and a close waits
/// for its end.
class UpdateWizardController::EngineStep final
{
public:
    explicit EngineStep(UpdateWizardController& wizard) : m_wizard(wizard) { ++m_wizard.m_engineSteps; }
    ~EngineStep() { --m_wizard.m_engineSteps; }
    EngineStep(const EngineStep&) = delete;
    EngineStep& operator=(const EngineStep&) = delete;

private:
    UpdateWizardController& m_wizard;
};

UpdateWizardController::UpdateWizardController(UpdateEngine& engine, const UpdateWizardTexts& language,
                                               bool autoStart)
    : m_engine(engine), m_release(engine), m_desktop(engine.desktop()), m_texts(language),
      m_autoStart(autoStart)
{}

void UpdateWizardController::dispatch(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        m_desktop.showMessage(QString::fromStdString(error.what()));
    }
}

void UpdateWizardController::applyTexts()
{
    const std::pair<const QString&, const QString&> captions[] = {
        {WelcomeLabel, m_texts.Welcome},
        {StartButton, m_texts.StartButton},
        {GetUpdateButton, m_texts.GetUpdateButton},
        {WhatsNewLabel, m_texts.WhatsNew},
        {WhatsNewNextButton, m_texts.NextButton},
        {AgreementLabel, m_texts.License},
        {AcceptRadio, m_texts.AcceptLicense},
        {DeclineRadio, m_texts.NotAcceptLicense},
        {AgreementNextButton, m_texts.NextButton},
        {ComponentsLabel, m_texts.ComponentsAvail},
        {ComponentsNextButton, m_texts.NextButton},
        {DownloadLabel, m_texts.DownloadingFiles},
        {DownloadingLabel, m_texts.CurrentProgress},
        {TotalLabel, m_texts.TotalProgress},
        {CancelButton, m_texts.CancelButton},
        {EndLabel, m_texts.UpdateComplete},
        {RestartLabel, m_texts.RestartInfo},
        {RestartButton, m_texts.RestartButton},
        {ViewNotesInEditor, m_texts.WhatsNewPopup},
        {ViewAgreementInEditor, m_texts.LicensePopup},
    };
    for (const auto& [control, text] : captions)
        m_view->setText(control, text);
}

void UpdateWizardController::start()
{
    m_view->showPage(WizardPage::Start);
    m_view->setEnabled(GetUpdateButton, false);
    m_view->setEnabled(AgreementNextButton, false);
    CancelRequested = false;
}

// Only the first activation starts the check: coming back to the dialog from another window
// must not start it again in the middle of a later page or a download.
void UpdateWizardController::activated()
{
    if (m_activated || m_closed)
        return;
    m_activated = true;
    m_view->setFocus(StartButton);
    if (!m_autoStart)
        return;
    m_view->showPage(WizardPage::Version);
    Pause();
    if (!endIfClosedDuringStep())
        startClicked();
}

void UpdateWizardController::Pause()
{
    EngineStep step(*this);
    // Waiting in the event loop, not sleeping: the browser views go on loading meanwhile.
    QElapsedTimer timer;
    timer.start();
    int waited = 0;
    while (waited < PauseMs && timer.elapsed() < PauseMs)
        waited += m_desktop.waitForEvents(std::min(kPauseSliceMs, PauseMs - waited));
}

bool UpdateWizardController::mayClose()
{
    if (m_engineSteps > 0) {
        m_closePending = true;
        return false;
    }
    m_engine.CloseInternetConnection();
    m_closed = true;
    return true;
}

void UpdateWizardController::CloseWizard()
{
    m_engine.CloseInternetConnection();
    m_closed = true;
    m_view->closeDialog();
}

bool UpdateWizardController::endIfClosedDuringStep()
{
    if (m_closePending && !m_closed)
        CloseWizard();
    return m_closed;
}

void UpdateWizardController::offerButton(const QString& button)
{
    m_view->setEnabled(button, true);
    m_view->setFocus(button);
}

void UpdateWizardController::startClicked()
{
    if (m_engineSteps > 0 || m_closed)
        return;
    m_view->setBusy(true);
    m_view->setEnabled(StartButton, false);
    m_view->setEnabled(GetUpdateButton, false);
    m_view->setText(ViewNotesInEditor, m_texts.WhatsNewPopup);
    m_view->setText(ViewAgreementInEditor, m_texts.LicensePopup);
    const bool connected = m_engine.OpenInternetConnection() == ConnectionOpen::Connected;
    m_view->setBusy(false);
    if (!connected) {
        CloseWizard();
        return;
    }
    m_engine.connectionErrors = ConnectionErrors::Silent;
    showVersionPage();
}

void UpdateWizardController::showVersionPage()
{
    bool fetched = false;
    {
        EngineStep step(*this);
        fetched = m_engine.FetchControlFile();
    }
    if (endIfClosedDuringStep())
        return;
    m_view->showPage(WizardPage::Version);
    QString text = m_engine.ControlFileUnverified ? m_texts.NotVerified
                                                  : m_texts.CannotConnect + u'\n' + m_texts.NoUpdateOnServer;
    bool offered = false;
    if (fetched) {
        const UpdateVerdict verdict = m_engine.EvaluateUpdate();
        offered = verdict != UpdateVerdict::NoUpdate;
        if (verdict == UpdateVerdict::NoUpdate)
            text = m_texts.NoNewVersionAvail;
        else if (verdict == UpdateVerdict::NewerByDate || verdict == UpdateVerdict::NewerByVersion)
            text = versionText(verdict == UpdateVerdict::NewerByDate);
        else
            text = m_texts.NewVersionAvail;
    }
    m_view->setText(VersionInfoLabel, text);
    m_view->setText(GetUpdateButton, offered ? m_texts.GetUpdateButton : m_texts.ExitButton);
    m_view->setWidth(VersionInfoLabel, kVersionLabelWidth);
    m_view->fitButton(GetUpdateButton);
    offerButton(GetUpdateButton);
}

QString UpdateWizardController::versionText(bool byDate) const
{
    const QLocale locale;
    QString current = m_engine.LocalVersionText;
    QString offered = m_engine.NewVersionText;
    if (byDate) {
        current = locale.toString(m_engine.InstalledDate.date(), QLocale::ShortFormat);
        offered = locale.toString(m_engine.ReleaseDate.date(), QLocale::ShortFormat);
        if (m_engine.ReleaseDate.time() != QTime(0, 0))
            offered += u' ' + locale.toString(m_engine.ReleaseDate.time(), QLocale::LongFormat);
    }
    return m_texts.NewVersionFound + QStringLiteral(" :\n") + m_texts.CurrentVersion + QStringLiteral(" : ") +
           current + u'\n' + m_texts.NewVersion + QStringLiteral(" : ") + offered + QStringLiteral("\n\n") +
           m_engine.UpdateDescription;
}

void UpdateWizardController::getUpdateClicked()
{
    if (m_engineSteps > 0 || m_closed)
        return;
    m_view->setEnabled(GetUpdateButton, false);
    if (m_view->text(GetUpdateButton) == m_texts.ExitButton || !m_release.RunPreDownloadActions()) {
        CloseWizard();
        return;
    }
    QStringList notes;
    {
        EngineStep step(*this);
        notes = m_release.FetchWhatsNewText();
    }
    if (endIfClosedDuringStep())
        return;
    if (!notes.isEmpty()) {
        m_view->setLines(WhatsNewMemo, notes);
        m_view->showPage(WizardPage::WhatsNew);
        offerButton(WhatsNewNextButton);
        return;
    }
    if (!showAgreement())
        chooseComponents(false);
}

void UpdateWizardController::whatsNewNextClicked()
{
    if (m_engineSteps > 0 || m_closed)
        return;
    if (!showAgreement())
        chooseComponents(false);
}

bool UpdateWizardController::showAgreement()
{
    QStringList agreement;
    {
        EngineStep step(*this);
        agreement = m_release.FetchAgreementText();
    }
    if (endIfClosedDuringStep())
        return true;
    if (agreement.isEmpty())
        return false;
    m_view->setLines(AgreementMemo, agreement);
    m_view->showPage(WizardPage::Agreement);
    return true;
}

void UpdateWizardController::acceptChosen()
{
    const bool accepted = m_view->isChecked(AcceptRadio);
    if (!accepted && !m_view->isChecked(DeclineRadio))
        return;
    m_view->setEnabled(AgreementNextButton, true);
    m_view->setText(AgreementNextButton, accepted ? m_texts.NextButton : m_texts.ExitButton);
    m_view->fitButton(AgreementNextButton);
}

void UpdateWizardController::agreementNextClicked()
{
    if (m_engineSteps > 0 || m_closed)
        return;
    if (m_view->isChecked(AcceptRadio))
        chooseComponents(true);
    else if (m_view->isChecked(DeclineRadio))
        CloseWizard();
}

// After an agreement the control file's preselection decides the ticks, and an empty list goes
// straight to the downloads; otherwise every item is ticked and an empty list is reported.
void UpdateWizardController::chooseComponents(bool afterAgreement)
{
    m_engine.LoadFileList();
    m_engine.FilterFileList();
    fillComponentList(afterAgreement);
    if (!afterAgreement && m_engine.FileList.isEmpty()) {
        m_desktop.showMessage(m_texts.NoFilesFound);
        CloseWizard();
        return;
    }
    if (m_view->componentCount() == 0) {
        StartDownloads();
        return;
    }
    m_view->showPage(WizardPage::Components);
    offerButton(ComponentsNextButton);
}

// A mandatory file is always ticked: it could not be ticked again by the user.
void UpdateWizardController::fillComponentList(bool tickByPreselect)
{
    m_view->clearComponents();
    m_componentFiles.clear();
    const QList<UpdateFileEntry>& files = m_engine.FileList.items;
    for (int i = 0; i < files.size(); ++i) {
        const UpdateFileEntry& file = files[i];
        if (file.Hidden)
            continue;
        const bool ticked = !tickByPreselect || file.Preselect || file.Mandatory;
        m_view->addComponent(file.Description, ticked, !file.Mandatory);
        m_componentFiles.append(i);
    }
}

void UpdateWizardController::componentsNextClicked()
{
    if (m_engineSteps > 0 || m_closed)
        return;
    QList<UpdateFileEntry>& files = m_engine.FileList.items;
    for (UpdateFileEntry& file : files)
        file.Selected = true;
    for (int item = 0; item < m_componentFiles.size(); ++item) {
        UpdateFileEntry& file = files[m_componentFiles[item]];
        if (!file.Mandatory && !m_view->isComponentTicked(item))
            file.Selected = false;
    }
    files.removeIf([](const UpdateFileEntry& file) { return !file.Selected; });
    m_componentFiles.clear();
    if (files.isEmpty()) {
        m_desktop.showMessage(m_texts.NoFilesFound);
        CloseWizard();
        return;
    }
    StartDownloads();
}

void UpdateWizardController::StartDownloads()
{
    m_view->setText(FileLabel, QString());
    m_view->setProgress(FileProgress, 0, 0);
    m_view->setProgress(TotalProgress, 0, 0);
    m_view->showPage(WizardPage::Download);
    offerButton(CancelButton);
    m_view->setBusy(true);
    {
        EngineStep step(*this);
        if (!m_release.DownloadFileList()) {
            m_view->setBusy(false);
            m_engine.Cancelled = true;
            m_desktop.showMessage(m_texts.FailedDownload);
        }
        m_release.RunPostDownloadActions();
        m_view->setBusy(false);
    }
    if (endIfClosedDuringStep())
        return;
    if (m_engine.Cancelled) {
        CloseWizard();
        return;
    }
    m_engine.CloseInternetConnection();
    showEndPage();
}

void UpdateWizardController::showEndPage()
{
    m_view->showPage(WizardPage::End);
    if (m_engine.RestartNeeded()) {
        m_view->setText(RestartButton, m_texts.RestartButton);
        m_view->setText(RestartLabel, m_texts.RestartInfo);
    } else {
        m_view->setText(RestartButton, m_texts.ExitButton);
        m_view->fitButton(RestartButton);
        m_view->setText(RestartLabel, QString());
    }
    offerButton(RestartButton);
}

void UpdateWizardController::restartClicked()
{
    if (m_engineSteps > 0 || m_closed)
        return;
    if (m_engine.RestartNeeded())
        m_engine.RestartThroughUpdater();
    else
        CloseWizard();
}

void UpdateWizardController::WebUpdateFileProgress(const QString& fileName, qint64 pos, qint64 size)
{
    const UpdateFileList& list = m_engine.FileList;
    m_view->setText(FileLabel, QFileInfo(fileName).fileName());
    m_view->setProgress(FileProgress, size, pos);
    m_view->setProgress(TotalProgress, list.TotalFileSize(), list.CompletedFileSize() + pos);
    m_desktop.processEvents();
}

void UpdateWizardController::viewNotesInEditor()
{
    viewInNotepad(WhatsNewMemo, QStringLiteral("whatsnew.txt"));
}

void UpdateWizardController::viewAgreementInEditor()
{
    viewInNotepad(AgreementMemo, QStringLiteral("eula.txt"));
}

void UpdateWizardController::viewInNotepad(const QString& memo, const QString& fileName)
{
    const QString path = m_engine.TempFolder() + fileName;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return;
    const QStringList lines = m_view->lines(memo);
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + '\n';
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    if (written)
        m_desktop.openDocument(path);
}
