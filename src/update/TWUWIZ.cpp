#include "update/TWUWIZ.h"

#include "app/Ui.h"
#include "update/TWebUpdate.h"
#include "update/WizardView.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

using namespace WizardControls;

namespace {
constexpr int kVersionLabelWidth = 300;
constexpr int kPauseSliceMs = 10;
} // namespace

/// Marks the time the engine works and handles events meanwhile: buttons wait and a close waits
/// for its end.
class TWUWIZ::EngineStep final
{
public:
    explicit EngineStep(TWUWIZ& wizard) : m_wizard(wizard) { ++m_wizard.m_engineSteps; }
    ~EngineStep() { --m_wizard.m_engineSteps; }
    EngineStep(const EngineStep&) = delete;
    EngineStep& operator=(const EngineStep&) = delete;

private:
    TWUWIZ& m_wizard;
};

TWUWIZ::TWUWIZ(TWebUpdate& engine, const TWebUpdateWizardLanguage& language, bool autoStart)
    : m_engine(engine), m_release(engine), m_ui(engine.ui()), m_texts(language), m_autoStart(autoStart)
{}

void TWUWIZ::dispatch(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        m_ui.showMessage(QString::fromStdString(error.what()));
    }
}

void TWUWIZ::applyTexts()
{
    const std::pair<const QString&, const QString&> captions[] = {
        {WelcomeLabel, m_texts.Welcome},
        {StartButton, m_texts.StartButton},
        {ControlButton, m_texts.GetUpdateButton},
        {Label1, m_texts.WhatsNew},
        {NewButton, m_texts.NextButton},
        {Label2, m_texts.License},
        {RAccept, m_texts.AcceptLicense},
        {RNoAccept, m_texts.NotAcceptLicense},
        {EULAButton, m_texts.NextButton},
        {Label3, m_texts.ComponentsAvail},
        {FilesButton, m_texts.NextButton},
        {Label4, m_texts.DownloadingFiles},
        {Label5, m_texts.CurrentProgress},
        {Label6, m_texts.TotalProgress},
        {CancelButton, m_texts.CancelButton},
        {Label7, m_texts.UpdateComplete},
        {Label8, m_texts.RestartInfo},
        {RestartButton, m_texts.RestartButton},
        {ViewinNotepad1, m_texts.WhatsNewPopup},
        {ViewinNotepad2, m_texts.LicensePopup},
    };
    for (const auto& [control, text] : captions)
        m_view->setText(control, text);
}

void TWUWIZ::FormCreate()
{
    m_view->showPage(StartPage);
    m_view->setEnabled(ControlButton, false);
    m_view->setEnabled(EULAButton, false);
    CancelRequested = false;
}

// Only the first activation starts the check: coming back to the dialog from another window
// must not start it again in the middle of a later page or a download.
void TWUWIZ::FormActivate()
{
    if (m_activated || m_closed)
        return;
    m_activated = true;
    m_view->setFocus(StartButton);
    if (!m_autoStart)
        return;
    m_view->showPage(VersionPage);
    Pause();
    if (!endIfClosedDuringStep())
        StartButtonClick();
}

void TWUWIZ::Pause()
{
    EngineStep step(*this);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < PauseMs) {
        m_ui.processEvents();
        m_ui.sleep(kPauseSliceMs);
    }
}

bool TWUWIZ::FormCloseQuery()
{
    if (m_engineSteps > 0) {
        m_closePending = true;
        return false;
    }
    m_engine.CloseInternetConnection();
    m_closed = true;
    return true;
}

void TWUWIZ::CloseWizard()
{
    m_engine.CloseInternetConnection();
    m_closed = true;
    m_view->closeDialog();
}

bool TWUWIZ::endIfClosedDuringStep()
{
    if (m_closePending && !m_closed)
        CloseWizard();
    return m_closed;
}

void TWUWIZ::offerButton(const QString& button)
{
    m_view->setEnabled(button, true);
    m_view->setFocus(button);
}

void TWUWIZ::StartButtonClick()
{
    if (m_engineSteps > 0 || m_closed)
        return;
    m_view->setBusy(true);
    m_view->setEnabled(StartButton, false);
    m_view->setEnabled(ControlButton, false);
    m_view->setText(ViewinNotepad1, m_texts.WhatsNewPopup);
    m_view->setText(ViewinNotepad2, m_texts.LicensePopup);
    const bool connected = m_engine.OpenInternetConnection() == ioConnected;
    m_view->setBusy(false);
    if (!connected) {
        CloseWizard();
        return;
    }
    m_engine.UpdateUpdate = wuuSilent;
    showVersionPage();
}

void TWUWIZ::showVersionPage()
{
    bool fetched = false;
    {
        EngineStep step(*this);
        fetched = m_engine.FetchControlFile();
    }
    if (endIfClosedDuringStep())
        return;
    m_view->showPage(VersionPage);
    QString text = m_texts.CannotConnect + u'\n' + m_texts.NoUpdateOnServer;
    bool offered = false;
    if (fetched) {
        const UpdateVerdict verdict = m_engine.EvaluateUpdate();
        offered = verdict != uvNoUpdate;
        if (verdict == uvNoUpdate)
            text = m_texts.NoNewVersionAvail;
        else if (verdict == uvNewerByDate || verdict == uvNewerByVersion)
            text = versionText(verdict == uvNewerByDate);
        else
            text = m_texts.NewVersionAvail;
    }
    m_view->setText(VersionInfoLabel, text);
    m_view->setText(ControlButton, offered ? m_texts.GetUpdateButton : m_texts.ExitButton);
    m_view->setWidth(VersionInfoLabel, kVersionLabelWidth);
    m_view->fitButton(ControlButton);
    offerButton(ControlButton);
}

QString TWUWIZ::versionText(bool byDate) const
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

void TWUWIZ::ControlButtonClick()
{
    if (m_engineSteps > 0 || m_closed)
        return;
    m_view->setEnabled(ControlButton, false);
    if (m_view->text(ControlButton) == m_texts.ExitButton || !m_release.RunPreDownloadActions()) {
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
        m_view->showPage(WhatsNewPage);
        offerButton(NewButton);
        return;
    }
    if (!showAgreement())
        chooseComponents(false);
}

void TWUWIZ::NewButtonClick()
{
    if (m_engineSteps > 0 || m_closed)
        return;
    if (!showAgreement())
        chooseComponents(false);
}

bool TWUWIZ::showAgreement()
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
    m_view->setLines(EULAMemo, agreement);
    m_view->showPage(AgreementPage);
    return true;
}

void TWUWIZ::RAcceptClick()
{
    const bool accepted = m_view->isChecked(RAccept);
    if (!accepted && !m_view->isChecked(RNoAccept))
        return;
    m_view->setEnabled(EULAButton, true);
    m_view->setText(EULAButton, accepted ? m_texts.NextButton : m_texts.ExitButton);
    m_view->fitButton(EULAButton);
}

void TWUWIZ::EULAButtonClick()
{
    if (m_engineSteps > 0 || m_closed)
        return;
    if (m_view->isChecked(RAccept))
        chooseComponents(true);
    else if (m_view->isChecked(RNoAccept))
        CloseWizard();
}

// After an agreement the control file's preselection decides the ticks, and an empty list goes
// straight to the downloads; otherwise every item is ticked and an empty list is reported.
void TWUWIZ::chooseComponents(bool afterAgreement)
{
    m_engine.LoadFileList();
    m_engine.FilterFileList();
    fillComponentList(afterAgreement);
    if (!afterAgreement && m_engine.FileList.isEmpty()) {
        m_ui.showMessage(m_texts.NoFilesFound);
        CloseWizard();
        return;
    }
    if (m_view->componentCount() == 0) {
        StartDownloads();
        return;
    }
    m_view->showPage(ComponentsPage);
    offerButton(FilesButton);
}

// A mandatory file is always ticked: it could not be ticked again by the user.
void TWUWIZ::fillComponentList(bool tickByPreselect)
{
    m_view->clearComponents();
    m_componentFiles.clear();
    const QList<TFileDescription>& files = m_engine.FileList.items;
    for (int i = 0; i < files.size(); ++i) {
        const TFileDescription& file = files[i];
        if (file.Hidden)
            continue;
        const bool ticked = !tickByPreselect || file.Preselect || file.Mandatory;
        m_view->addComponent(file.Description, ticked, !file.Mandatory);
        m_componentFiles.append(i);
    }
}

void TWUWIZ::FilesButtonClick()
{
    if (m_engineSteps > 0 || m_closed)
        return;
    QList<TFileDescription>& files = m_engine.FileList.items;
    for (TFileDescription& file : files)
        file.Selected = true;
    for (int item = 0; item < m_componentFiles.size(); ++item) {
        TFileDescription& file = files[m_componentFiles[item]];
        if (!file.Mandatory && !m_view->isComponentTicked(item))
            file.Selected = false;
    }
    files.removeIf([](const TFileDescription& file) { return !file.Selected; });
    m_componentFiles.clear();
    if (files.isEmpty()) {
        m_ui.showMessage(m_texts.NoFilesFound);
        CloseWizard();
        return;
    }
    StartDownloads();
}

void TWUWIZ::StartDownloads()
{
    m_view->setText(FileLabel, QString());
    m_view->setProgress(FileProgress, 0, 0);
    m_view->setProgress(TotalProgress, 0, 0);
    m_view->showPage(DownloadPage);
    offerButton(CancelButton);
    m_view->setBusy(true);
    {
        EngineStep step(*this);
        if (!m_release.DownloadFileList()) {
            m_view->setBusy(false);
            m_engine.Cancelled = true;
            m_ui.showMessage(m_texts.FailedDownload);
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

void TWUWIZ::showEndPage()
{
    m_view->showPage(EndPage);
    if (m_engine.RestartNeeded()) {
        m_view->setText(RestartButton, m_texts.RestartButton);
        m_view->setText(Label8, m_texts.RestartInfo);
    } else {
        m_view->setText(RestartButton, m_texts.ExitButton);
        m_view->fitButton(RestartButton);
        m_view->setText(Label8, QString());
    }
    offerButton(RestartButton);
}

void TWUWIZ::RestartButtonClick()
{
    if (m_engineSteps > 0 || m_closed)
        return;
    if (m_engine.RestartNeeded())
        m_engine.RestartThroughUpdater();
    else
        CloseWizard();
}

void TWUWIZ::WebUpdateFileProgress(const QString& fileName, qint64 pos, qint64 size)
{
    const TFileList& list = m_engine.FileList;
    m_view->setText(FileLabel, QFileInfo(fileName).fileName());
    m_view->setProgress(FileProgress, size, pos);
    m_view->setProgress(TotalProgress, list.TotalFileSize(), list.CompletedFileSize() + pos);
    m_ui.processEvents();
}

void TWUWIZ::ViewinNotepad1Click()
{
    viewInNotepad(WhatsNewMemo, QStringLiteral("whatsnew.txt"));
}

void TWUWIZ::ViewinNotepad2Click()
{
    viewInNotepad(EULAMemo, QStringLiteral("eula.txt"));
}

void TWUWIZ::viewInNotepad(const QString& memo, const QString& fileName)
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
        m_ui.openDocument(path);
}
