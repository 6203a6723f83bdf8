#pragma once

#include "app/AppSettings.h"
#include "lists/CarnivalList.h"
#include "lists/ListFiles.h"
#include "platform/ControlNames.h"
#include "platform/ControlStates.h"
#include "platform/Folders.h"
#include "search/QuickFinderController.h"
#include "site/CarnivalOptions.h"
#include "site/FormTab.h"
#include "site/PageAccess.h"
#include "site/PostDetails.h"
#include "site/ScratchValues.h"
#include "site/SqliteSubmissionHistory.h"
#include "site/SubmitPage.h"
#include "site/Submitter.h"
#include "update/UpdateEngine.h"
#include "update/UpdateWizardLauncher.h"

#include <QObject>
#include <QString>

#include <functional>

class BrowserView;
class Network;
class Desktop;

/// The main window's logic: its state, its start-up and close, and the handlers its controls and
/// menus call. The window in gui/ shows this state and forwards the user's events here.
class MainController final : public QObject
{
    Q_OBJECT

public:
    MainController(Desktop& desktop, Network& network, BrowserView& view1, BrowserView& view2,
                   AppSettings settings, QObject* parent = nullptr);
    /// With the given folders instead of the system's.
    MainController(Desktop& desktop, Network& network, BrowserView& view1, BrowserView& view2,
                   AppSettings settings, const Folders& folders, QObject* parent = nullptr);

    Desktop& desktop;
    Network& network;
    BrowserView& currentListView;
    BrowserView& newListView;
    CarnivalList currentList{QStringLiteral("currentListGrid")};
    CarnivalList newList{QStringLiteral("newListGrid")};
    ControlStates controls{Controls::all()};
    bool duplicateFound = false;
    ScratchValues scratch;
    const Folders& folders;
    ListFiles listFiles{desktop, currentList, newList, controls, folders};
    /// The post's details that the first tab's form gets back whenever it loads empty.
    PostDetails postDetails;
    UpdateEngine updateEngine{desktop, network, folders};
    /// Runs over a dialog that the windows provide; without one it shows nothing.
    UpdateWizardLauncher updateWizard{updateEngine, nullptr};
    /// The Quick Finder's logic; Add fills the list of the active tab.
    QuickFinderController quickFinder{desktop, currentListView, scratch,
                                      [this] { return quickFinderTarget(); }};

    const AppSettings& settings() const { return m_settings; }
    /// The submission form's address.
    QString submitPageAddress() const;

    /// Runs a handler; an error it does not trap ends it and is shown with its text (the general
    /// error report). Returns false when the handler ended with an error.
    bool dispatch(const std::function<void()>& handler);

    // Start-up and close.
    void start();
    /// Before the window closes: offers to save the lists' changes; false keeps the window open.
    bool confirmClose();
    void close();

    // Keys: a typed character (seen before the focused control) and F1.
    void keyTyped(int character);
    void helpKeyPressed();
    int activeTab() const { return m_activeTab; }
    void tabChanged(int tab);
    void tabsFocused();

    // Lists.
    void deleteRow(Tab tab);
    void clearList(Tab tab);
    void openList();
    void saveCurrentList() { listFiles.saveCurrentList(); }
    void saveNewList() { listFiles.saveNewList(); }
    /// File > Save and Save As act on the active tab's list.
    void saveActiveList();
    void saveActiveListAs();

    // Search: Check Inactives, and both Quick Finder buttons.
    void checkInactives();
    void showQuickFinder() { emit showQuickFinderRequested(); }

    // Help, links, About.
    void openHelp();
    void openFaqs();
    void openVideoTutorial();
    void openTestimonialPage();
    void openBlog();
    void checkForUpdates() { updateWizard.showUpdateWizard(); }
    QString aboutVersionText() const;

    void reopenLastList() { listFiles.reopenLastList(); }
    void saveState() { listFiles.saveState(); }
    /// Opens the submission history at path (the user's data folder when empty); a history that
    /// cannot be opened, or was found damaged and started afresh, is said once, with the reason.
    void openHistory(const QString& path = {});
    /// File > Submission History...
    void showHistory() { emit showHistoryRequested(); }
    void submitFromCurrentRow()
    {
        rememberPostDetails();
        m_submitter.submitFromCurrentRow();
    }
    void setCarnival(const QString& ref, BrowserView& view) { m_page.setCarnival(ref, view); }

    // Carnival and category options; each tab's view of the form and its buttons.
    PageAccess& pageAccess() { return m_page; }
    void addChosenCarnival(Tab tab) { m_options.addChosenCarnival(formTab(tab)); }
    void changeCategory(Tab tab) { m_options.changeCategory(formTab(tab)); }
    /// During a run the first tab's selection moves only the highlight: the form is the run's.
    void selectionChanged(Tab tab)
    {
        if (tab == Tab::CurrentList && m_submitter.isSubmitting())
            return;
        m_options.selectionChanged(formTab(tab));
    }
    void pageLoaded(Tab tab) { m_page.pageLoaded(formTab(tab)); }
    void navigationStateChanged(Tab tab, int command, bool enable)
    {
        m_page.navigationStateChanged(formTab(tab), command, enable);
    }
    void refreshPage(Tab tab);
    void resetPage(Tab tab);

    // Submitting the post to the current list's carnivals.
    void autoSubmit()
    {
        rememberPostDetails();
        m_submitter.autoSubmit();
    }
    void manualSubmit()
    {
        rememberPostDetails();
        m_submitter.manualSubmit();
    }
    Submitter& submitter() { return m_submitter; }
    /// Every submission attempt; closed (recording nothing) until start() or openHistory() opens it.
    SqliteSubmissionHistory history;

signals:
    /// The Quick Finder window's add-button caption changed with the active tab.
    void quickFinderTargetChanged(const QString& caption);
    /// Help > About and the two Quick Finder buttons ask the windows to show themselves.
    void showAboutRequested();
    void showQuickFinderRequested();
    /// File > Submission History... asks the windows to show the history.
    void showHistoryRequested();

private:
    void loadStartList();
    void setListTotal(const CarnivalList& grid, const QString& label);
    void openLink(const QString& address);
    void rememberPostDetails();
    void firstViewLoaded();

    AppSettings m_settings;
    int m_activeTab = 0;
    bool m_secondViewNavigated = false;
    /// The "Create a New List" view loads the form once, when the tabs first take the focus or
    /// its tab is first shown.
    void loadSecondView();

    QuickFinderController::Target quickFinderTarget();
    FormTab firstTab();
    FormTab secondTab();
    const FormTab& formTab(Tab tab) const { return tab == Tab::CurrentList ? m_tab1 : m_tab2; }
    void connectViews();
    PageAccess m_page{desktop, network, controls, scratch, SubmitPage::address(m_settings.site)};
    CarnivalOptions m_options{m_page, desktop, controls, duplicateFound};
    FormTab m_tab1{firstTab()};
    FormTab m_tab2{secondTab()};
    Submitter m_submitter{m_page, desktop, controls,
                          m_tab1, history, [this] { return listFiles.listFile().value_or(QString()); }};
};
