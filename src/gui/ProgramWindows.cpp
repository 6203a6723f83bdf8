#include "gui/ProgramWindows.h"

#include "app/MainController.h"
#include "gui/AboutBox.h"
#include "gui/HistoryWindow.h"
#include "gui/MainWindow.h"
#include "gui/QtDesktop.h"
#include "gui/QuickFinderWindow.h"
#include "gui/UpdateWizardDialog.h"
#include "gui/WebEngineBrowserView.h"
#include "platform/Network.h"
#include "search/QuickFinderController.h"

#include <QWebEngineView>

ProgramWindows::ProgramWindows(const AppSettings& settings)
    : m_desktop(std::make_unique<QtDesktop>()), m_network(std::make_unique<SystemNetwork>()),
      m_view1(std::make_unique<WebEngineBrowserView>()), m_view2(std::make_unique<WebEngineBrowserView>())
{
    m_form = std::make_unique<MainController>(*m_desktop, *m_network, *m_view1, *m_view2, settings);
    m_window = std::make_unique<MainWindow>(*m_form, m_view1->widget(), m_view2->widget());
    m_desktop->setWindow(m_window.get());
    // At start-up the wizard comes before the main window and so stands on its own.
    m_form->updateWizard.setDialogFactory([this](
                                              UpdateWizardController& wizard) -> std::shared_ptr<WizardView> {
        return std::make_shared<UpdateWizardDialog>(wizard, m_window->isVisible() ? m_window.get() : nullptr);
    });

    m_about = new AboutBox([this] { return m_form->aboutVersionText(); }, m_window.get());
    QObject::connect(m_form.get(), &MainController::showAboutRequested, m_about, [this] {
        m_about->show();
        m_about->raise();
        m_about->activateWindow();
    });

    m_quickFinder = new QuickFinderWindow(
        m_form->quickFinder, [this](const std::function<void()>& handler) { m_form->dispatch(handler); },
        m_window.get());
    QObject::connect(m_form.get(), &MainController::showQuickFinderRequested, m_quickFinder,
                     &QuickFinderWindow::showInFront);
    QObject::connect(m_form.get(), &MainController::showHistoryRequested, m_window.get(),
                     [this] { historyWindow().showInFront(); });
}

// The views' widgets belong to the window; the window goes first so that they are not deleted twice.
ProgramWindows::~ProgramWindows()
{
    m_window.reset();
}

void ProgramWindows::start()
{
    m_form->start();
    m_window->show();
}

HistoryWindow& ProgramWindows::historyWindow()
{
    if (!m_history)
        m_history = new HistoryWindow(m_form->history, *m_desktop, m_window.get());
    return *m_history;
}

QuickFinderController& ProgramWindows::quickFinder()
{
    return m_form->quickFinder;
}
