#pragma once

#include "app/AppSettings.h"

#include <memory>

class AboutBox;
class MainWindow;
class QtUi;
class QuickFinderWindow;
class TForm2;
class SystemNetwork;
class TForm1;
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

    TForm1& form() { return *m_form; }
    MainWindow& mainWindow() { return *m_window; }
    AboutBox& aboutBox() { return *m_about; }
    WebEngineBrowserView& view1() { return *m_view1; }
    WebEngineBrowserView& view2() { return *m_view2; }
    QtUi& ui() { return *m_ui; }
    TForm2& quickFinder() { return *m_form2; }
    QuickFinderWindow& quickFinderWindow() { return *m_quickFinder; }

private:
    std::unique_ptr<QtUi> m_ui;
    std::unique_ptr<SystemNetwork> m_network;
    std::unique_ptr<WebEngineBrowserView> m_view1;
    std::unique_ptr<WebEngineBrowserView> m_view2;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<MainWindow> m_window;
    AboutBox* m_about = nullptr;
    std::unique_ptr<TForm2> m_form2;
    QuickFinderWindow* m_quickFinder = nullptr;
};
