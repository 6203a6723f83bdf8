#pragma once

#include "update/UpdateWizardTexts.h"

#include <QString>

#include <functional>
#include <memory>
#include <utility>

class UpdateWizardController;
class UpdateEngine;
class WizardView;

/// The update wizard component: its settings, and showUpdateWizard, which runs a fresh dialog
/// over the engine each time.
class UpdateWizardLauncher final
{
public:
    /// Makes the dialog for one run; the dialog forwards its events to the wizard it is given.
    /// The run lets go of it when the dialog has closed.
    using DialogFactory = std::function<std::shared_ptr<WizardView>(UpdateWizardController& wizard)>;

    UpdateWizardLauncher(UpdateEngine& engine, DialogFactory makeDialog);
    void setDialogFactory(DialogFactory makeDialog) { m_makeDialog = std::move(makeDialog); }

    UpdateEngine& WebUpdate;
    /// The check starts by itself when the dialog is first activated.
    bool AutoStart = true;
    /// Later pages wait for the user; going on by themselves is not offered.
    bool AutoRun = false;
    QString Caption = QStringLiteral("Vorlix Pro Update");
    QString FontName = QStringLiteral("Verdana");
    int FontPointSize = 9;
    bool FontBold = true;
    /// The texts; none means the defaults.
    const UpdateWizardTexts* Language = nullptr;

    /// Runs the wizard modally; returns when the dialog has closed. Does nothing without a dialog. A run
    /// starts with the engine's Cancelled cleared, so that an earlier cancelled run does not fail every later
    /// fetch.
    void showUpdateWizard();

private:
    DialogFactory m_makeDialog;
};
