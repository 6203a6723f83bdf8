#pragma once

#include "update/ReleaseInstaller.h"
#include "update/TWebUpdateWizardLanguage.h"

#include <QList>
#include <QString>

#include <functional>

class TWebUpdate;
class Ui;
class WizardView;

/// The update wizard dialog's logic: its pages and the handlers of its buttons, driving the
/// update engine. The dialog (a WizardView) shows what this sets and forwards the user's clicks.
///
/// Pages: 0 start, 1 version, 2 release notes, 3 agreement, 4 components, 5 download, 6 end.
/// While the engine works (a transfer, the start pause) the user can only cancel or close; a close
/// then waits until the step has ended, so the connection is never closed under a transfer.
class TWUWIZ final
{
public:
    TWUWIZ(TWebUpdate& engine, const TWebUpdateWizardLanguage& language, bool autoStart);

    void setView(WizardView& view) { m_view = &view; }
    TWebUpdate& engine() const { return m_engine; }
    const TWebUpdateWizardLanguage& texts() const { return m_texts; }

    /// Runs a handler; an error it does not trap is shown with its text and the wizard goes on.
    void dispatch(const std::function<void()>& handler);

    /// Sets every caption from the language.
    void applyTexts();

    // Handlers of the dialog.
    void FormCreate();
    void FormActivate();
    /// The close box: true when the dialog may close now. During an engine step the dialog closes
    /// once the step has ended.
    bool FormCloseQuery();
    void StartButtonClick();
    void ControlButtonClick();
    void NewButtonClick();
    void RAcceptClick();
    void EULAButtonClick();
    void FilesButtonClick();
    void CancelButtonClick() { CancelRequested = true; }
    void RestartButtonClick();
    void ViewinNotepad1Click();
    void ViewinNotepad2Click();

    // The engine's callbacks while the wizard runs.
    void WebUpdateFileProgress(const QString& fileName, qint64 pos, qint64 size);
    void WebUpdateCancel(bool& cancel) { cancel = CancelRequested; }

    /// Closes the engine's connection and the dialog.
    void CloseWizard();

    bool CancelRequested = false;
    /// How long activation waits, handling events, before it starts the check.
    int PauseMs = 350;

    /// For each item of the component list, the position of its file in the engine's FileList.
    const QList<int>& componentFiles() const { return m_componentFiles; }
    bool isClosed() const { return m_closed; }

private:
    class EngineStep;

    void Pause();
    void showVersionPage();
    QString versionText(bool byDate) const;
    bool showAgreement();
    void chooseComponents(bool afterAgreement);
    void fillComponentList(bool tickByPreselect);
    void StartDownloads();
    void showEndPage();
    void offerButton(const QString& button);
    bool endIfClosedDuringStep();
    void viewInNotepad(const QString& memo, const QString& fileName);

    TWebUpdate& m_engine;
    ReleaseInstaller m_release;
    Ui& m_ui;
    WizardView* m_view = nullptr;
    TWebUpdateWizardLanguage m_texts;
    bool m_autoStart;
    QList<int> m_componentFiles;
    bool m_activated = false;
    int m_engineSteps = 0;
    bool m_closePending = false;
    bool m_closed = false;
};
