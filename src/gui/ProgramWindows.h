#pragma once

#include "app/AppSettings.h"

#include <memory>

class AboutBox;
class HistoryWindow;
class MainWindow;
class QtDesktop;
class QuickFinderWindow;
class QuickFinderController;
class SystemNetwork;
class MainController;
class WebEngineBrowserView;

/// Everything the program shows, created in the program's order: the main window (with its logic
/// and browser views), the About box, the Quick Finder window. The program and the end-to-end tests
/// build the same windows through it.
class ProgramWindows final
{
public:
    explicit ProgramWindows(const AppSettings& settings);
    ~ProgramWindows();

    /// Runs the main window's start-up, then shows it.
    void start();

    MainController& form() { return *m_form; }
    MainWindow& mainWindow() { return *m_window; }
    AboutBox& aboutBox() { return *m_about; }
    WebEngineBrowserView& view1() { return *m_view1; }
    WebEngineBrowserView& view2() { return *m_view2; }
    QtDesktop& desktop() { return *m_desktop; }
    QuickFinderController& quickFinder();
    QuickFinderWindow& quickFinderWindow() { return *m_quickFinder; }
    /// File > Submission History...'s window, made when first asked for.
    HistoryWindow& historyWindow();

private:
    std::unique_ptr<QtDesktop> m_desktop;
    std::unique_ptr<SystemNetwork> m_network;
    std::unique_ptr<WebEngineBrowserView> m_view1;
    std::unique_ptr<WebEngineBrowserView> m_view2;
    std::unique_ptr<MainController> m_form;
    std::unique_ptr<MainWindow> m_window;
    AboutBox* m_about = nullptr;
    QuickFinderWindow* m_quickFinder = nullptr;
    HistoryWindow* m_history = nullptr;
};
