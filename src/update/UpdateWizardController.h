#pragma once

#include "update/ReleaseInstaller.h"
#include "update/UpdateWizardTexts.h"

#include <QList>
#include <QString>

#include <functional>

class UpdateEngine;
class Desktop;
class WizardView;

/// The update wizard dialog's logic: its pages and the handlers of its buttons, driving the
/// update engine. The dialog (a WizardView) shows what this sets and forwards the user's clicks.
///
/// Pages: 0 start, 1 version, 2 release notes, 3 agreement, 4 components, 5 download, 6 end.
/// While the engine works (a transfer, the start pause) the user can only cancel or close; a close
/// then waits until the step has ended, so the connection is never closed under a transfer.
class UpdateWizardController final
{
public:
    UpdateWizardController(UpdateEngine& engine, const UpdateWizardTexts& language, bool autoStart);

    void setView(WizardView& view) { m_view = &view; }
    UpdateEngine& engine() const { return m_engine; }
    const UpdateWizardTexts& texts() const { return m_texts; }

    /// Runs a handler; an error it does not trap is shown with its text and the wizard goes on.
    void dispatch(const std::function<void()>& handler);

    /// Sets every caption from the language.
    void applyTexts();

    // Handlers of the dialog.
    void start();
    void activated();
    /// The close box: true when the dialog may close now. During an engine step the dialog closes
    /// once the step has ended.
    bool mayClose();
    void startClicked();
    void getUpdateClicked();
    void whatsNewNextClicked();
    void acceptChosen();
    void agreementNextClicked();
    void componentsNextClicked();
    void cancelClicked() { CancelRequested = true; }
    void restartClicked();
    void viewNotesInEditor();
    void viewAgreementInEditor();

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

    UpdateEngine& m_engine;
    ReleaseInstaller m_release;
    Desktop& m_desktop;
    WizardView* m_view = nullptr;
    UpdateWizardTexts m_texts;
    bool m_autoStart;
    QList<int> m_componentFiles;
    bool m_activated = false;
    int m_engineSteps = 0;
    bool m_closePending = false;
    bool m_closed = false;
};
