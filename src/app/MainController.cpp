#include "app/MainController.h"

#include "app/BuildConfig.h"
#include "app/HelpDocument.h"
#include "lists/RowOperations.h"
#include "platform/Desktop.h"
#include "platform/VersionInfo.h"
#include "search/InactiveCheck.h"
#include "site/BrowserView.h"
#include "site/SubmitPage.h"

#include <QDir>

namespace {
const QString kClearQuestion = QStringLiteral(
    "Are you sure you want to clear the list?\n\nChanges are not permanent until you click \"Save\"");
const QString kStatusText =
    QStringLiteral("Vorlix Pro Blog Carnival Submitter - Copyright (c) Vorlix Software. "
                   "All rights reserved.");
constexpr int kEnter = 13;

const Folders& systemFolders()
{
    static const SystemFolders folders; // holds no state: one serves every window
    return folders;
}
} // namespace

MainController::MainController(Desktop& desktop, Network& network, BrowserView& view1, BrowserView& view2,
                               AppSettings settings, QObject* parent)
    : MainController(desktop, network, view1, view2, std::move(settings), systemFolders(), parent)
{}

MainController::MainController(Desktop& desktop, Network& network, BrowserView& view1, BrowserView& view2,
                               AppSettings settings, const Folders& folders, QObject* parent)
    : QObject(parent), desktop(desktop), network(network), currentListView(view1), newListView(view2),
      folders(folders), m_settings(std::move(settings))
{
    controls.setText(Controls::ListTotal, QStringLiteral("0"));
    controls.setText(Controls::NewListTotal, QStringLiteral("0"));
    controls.setText(Controls::ListName, QString());
    controls.setVisible(Controls::Submitting, false);
    controls.setVisible(Controls::Submitting2, false);
    controls.setVisible(Controls::SubmitProgress, false);
    updateEngine.URL = m_settings.updateUrl;
    updateEngine.UpdateKey = m_settings.updateKey;
    connectViews();
}

QString MainController::submitPageAddress() const
{
    return SubmitPage::address(m_settings.site);
}

bool MainController::dispatch(const std::function<void()>& handler)
{
    return desktop.runReportingErrors(handler);
}

QuickFinderController::Target MainController::quickFinderTarget()
{
    const FormTab& tab = formTab(m_activeTab == 0 ? Tab::CurrentList : Tab::NewList);
    return {tab.grid, controls, tab.countLabel};
}

void MainController::start()
{
    // An error stops start-up at its step; the window opens all the same.
    dispatch([this] {
        duplicateFound = false;
        if (!history.isOpen())
            openHistory();
        loadStartList();
        setListTotal(currentList, Controls::ListTotal);
        currentListView.Navigate(submitPageAddress());
        // The wizard runs modally before the window is first shown.
        if (updateEngine.IsUpdatePending())
            updateWizard.showUpdateWizard();
        controls.setText(Controls::StatusBar, kStatusText);
    });
}

bool MainController::confirmClose()
{
    bool closing = false;
    dispatch([this, &closing] { closing = listFiles.offerToSaveChanges(); });
    return closing;
}

// A list named on the command line takes the state file's place; one that cannot be read is
// said, and the state file's list opens instead.
void MainController::loadStartList()
{
    if (m_settings.listFile.isEmpty() || !listFiles.openListAtStart(m_settings.listFile))
        reopenLastList();
}

void MainController::close()
{
    m_submitter.stopForClose();
    rememberPostDetails();
    dispatch([this] { saveState(); });
}

void MainController::openHistory(const QString& path)
{
    history.open(path.isEmpty() ? SqliteSubmissionHistory::defaultPath() : path);
    if (!history.problem().isEmpty())
        desktop.showMessage(history.problem());
}

void MainController::keyTyped(int character)
{
    // Enter is the Auto Submit button, its checks included.
    if (character == kEnter && m_activeTab == 0)
        autoSubmit();
}

void MainController::helpKeyPressed()
{
    desktop.showMessage(QStringLiteral("F1 Pressed"));
    openHelp();
}

void MainController::tabChanged(int tab)
{
    m_activeTab = tab;
    // Without the keyboard focus at start (focus stealing prevented), the tab is first shown blank.
    if (tab == 1)
        loadSecondView();
    const QString caption =
        tab == 0 ? QStringLiteral("Add to Current List") : QStringLiteral("Add to New List");
    quickFinder.setAddCaption(caption);
    emit quickFinderTargetChanged(caption);
}

void MainController::tabsFocused()
{
    loadSecondView();
}

void MainController::loadSecondView()
{
    if (m_secondViewNavigated)
        return;
    m_secondViewNavigated = true;
    newListView.Navigate(submitPageAddress());
}

void MainController::setListTotal(const CarnivalList& grid, const QString& label)
{
    controls.setText(label, QString::number(grid.carnivalCount()));
}

// An opened list sets the form to its first row, as selecting that row does.
void MainController::openList()
{
    if (listFiles.openList() && !currentList.isBlankRow(currentList.currentRow()))
        selectionChanged(Tab::CurrentList);
}

void MainController::saveActiveList()
{
    m_activeTab == 0 ? listFiles.saveCurrentList() : listFiles.saveNewList();
}

void MainController::saveActiveListAs()
{
    m_activeTab == 0 ? listFiles.saveCurrentListAs() : listFiles.saveNewListAs();
}

// Only the form's own fields are the post's details; a page that cannot be read keeps what was.
void MainController::rememberPostDetails()
{
    try {
        if (currentListView.LocationURL() == submitPageAddress())
            postDetails.remember(currentListView);
    } catch (const PageError&) {
    }
}

void MainController::firstViewLoaded()
{
    pageLoaded(Tab::CurrentList);
    if (currentListView.LocationURL() == submitPageAddress())
        postDetails.pageLoaded(currentListView);
}

void MainController::refreshPage(Tab tab)
{
    if (tab == Tab::CurrentList)
        rememberPostDetails();
    m_page.Refresh(formTab(tab));
}

void MainController::resetPage(Tab tab)
{
    if (tab == Tab::CurrentList)
        rememberPostDetails();
    m_page.Reset(formTab(tab));
}

void MainController::deleteRow(Tab tab)
{
    const FormTab& form = formTab(tab);
    CarnivalList& grid = form.grid;
    if (grid.isEmptyList())
        return;
    deleteGridRow(grid, grid.currentRow(), desktop);
    if (tab == Tab::NewList) {
        // The new list keeps the form on the row that takes the deleted one's place.
        if (grid.rows() > 1)
            grid.setCurrentRow(grid.rows() - 2);
        setCarnival(grid.cell(Column::CarnivalRef, grid.currentRow()), form.view);
    }
    setListTotal(grid, form.countLabel);
}

void MainController::clearList(Tab tab)
{
    const FormTab& form = formTab(tab);
    if (form.grid.rows() == 1)
        return;
    if (!desktop.askYesNo(QStringLiteral("Vorlix Pro"), kClearQuestion, Desktop::Icon::Warning))
        return;
    controls.setText(form.countLabel, QStringLiteral("0"));
    clearAllRows(form.grid, desktop);
}

void MainController::checkInactives()
{
    InactiveCheck(desktop, m_page, currentListView, currentList, controls).checkInactives();
}

void MainController::openHelp()
{
    const QString path = HelpDocument::find(folders);
    if (!path.isEmpty()) {
        if (!desktop.openDocument(path))
            desktop.showMessage(
                QStringLiteral("No program could open the help document.\n\nOpen it by hand:\n") +
                QDir::toNativeSeparators(path));
    } else
        desktop.showMessage(
            QStringLiteral("The VorlixPro help file does not exist\r\nYou may need to reinstall VorlixPro"));
}

void MainController::openLink(const QString& address)
{
    if (!desktop.openDocument(address))
        desktop.showMessage(
            QStringLiteral("No web browser could open the page.\n\nOpen this address by hand:\n") + address);
}

void MainController::openFaqs()
{
    openLink(QString::fromLatin1(BuildConfig::kMakerSite) + QStringLiteral("/VorlixPro/faqs.php"));
}

void MainController::openVideoTutorial()
{
    openLink(QString::fromLatin1(BuildConfig::kMakerSite) + QStringLiteral("/VorlixPro/Tutorial.php"));
}

void MainController::openTestimonialPage()
{
    openLink(QString::fromLatin1(BuildConfig::kMakerSite) +
             QStringLiteral("/VorlixPro/SubmitTestimonial.php"));
}

void MainController::openBlog()
{
    openLink(QString::fromLatin1(BuildConfig::kBlogUrl));
}

QString MainController::aboutVersionText() const
{
    return QStringLiteral("Version ") + GetAppVersion(m_settings.executable);
}

// --- The two tabs' views of the form. ---

FormTab MainController::firstTab()
{
    return FormTab{
        .view = currentListView,
        .grid = currentList,
        .countLabel = Controls::ListTotal,
        .addButton = Controls::AddItem,
        .backButton = Controls::Back,
        .forwardButton = Controls::Forward,
        .refreshButton = Controls::Refresh,
        .noDocumentError = QStringLiteral("Couldn't convert the EmbeddedWB1.Document to an IHTMLDocument2"),
        .addErrorCoversChecks = false,
        .selectionNavigatesBack = true,
        .addFocusSkipsOnlyCarnival = true,
    };
}

FormTab MainController::secondTab()
{
    return FormTab{
        .view = newListView,
        .grid = newList,
        .countLabel = Controls::NewListTotal,
        .addButton = Controls::AddNew,
        .backButton = Controls::NewListBack,
        .forwardButton = Controls::NewListForward,
        .refreshButton = Controls::NewListRefresh,
        .noDocumentError = QStringLiteral("Couldn't convert the WebBrowser2.Document to an IHTMLDocument2"),
        .addErrorCoversChecks = true,
        .selectionNavigatesBack = false,
        .addFocusSkipsOnlyCarnival = false,
    };
}

// The views' events run as handlers: an error they do not trap reaches the general error report.
void MainController::connectViews()
{
    connect(&currentListView, &BrowserView::pageLoaded, this,
            [this] { dispatch([this] { firstViewLoaded(); }); });
    connect(&newListView, &BrowserView::pageLoaded, this,
            [this] { dispatch([this] { pageLoaded(Tab::NewList); }); });
    connect(&currentListView, &BrowserView::navigationStateChanged, this, [this](int command, bool enable) {
        dispatch([=, this] { navigationStateChanged(Tab::CurrentList, command, enable); });
    });
    connect(&newListView, &BrowserView::navigationStateChanged, this, [this](int command, bool enable) {
        dispatch([=, this] { navigationStateChanged(Tab::NewList, command, enable); });
    });
}
