#pragma once

#include "app/AppSettings.h"
#include "app/ControlStates.h"
#include "lists/CarnivalList.h"
#include "lists/ListFiles.h"
#include "platform/Folders.h"
#include "site/CarnivalOptions.h"
#include "site/FormTab.h"
#include "site/PageAccess.h"
#include "site/ScratchValues.h"
#include "site/SubmitPage.h"
#include "site/Submitter.h"
#include "update/TWebUpdate.h"
#include "update/TWebUpdateWizard.h"

#include <QObject>
#include <QString>

#include <functional>

class BrowserView;
class Network;
class Ui;

/// The main window's logic: its state, its start-up and close, and the handlers its controls and
/// menus call. The window in gui/ shows this state and forwards the user's events here.
class TForm1 final : public QObject
{
    Q_OBJECT

public:
    TForm1(Ui& ui, Network& network, BrowserView& view1, BrowserView& view2, AppSettings settings,
           QObject* parent = nullptr);

    Ui& ui;
    Network& network;
    BrowserView& EmbeddedWB1;
    BrowserView& EmbeddedWB2;
    CarnivalList AdvStringGrid1{QStringLiteral("AdvStringGrid1")};
    CarnivalList AdvStringGrid2{QStringLiteral("AdvStringGrid2")};
    ControlStates controls;
    bool DuplicateFound = false;
    ScratchValues scratch;
    ListFiles listFiles{ui, AdvStringGrid1, AdvStringGrid2, controls};
    SystemFolders folders;
    TWebUpdate WebUpdate1{ui, network, folders};
    /// Runs over a dialog that the windows provide; without one it shows nothing.
    TWebUpdateWizard WebUpdateWizard1{WebUpdate1, nullptr};

    const AppSettings& settings() const { return m_settings; }
    /// The submission form's address.
    QString submitPageAddress() const;

    /// Runs a handler; an error it does not trap ends it and is shown with its text (the general
    /// error report). Returns false when the handler ended with an error.
    bool dispatch(const std::function<void()>& handler);

    // Start-up and close.
    void FormCreate();
    void FormClose();

    // Keys: a typed character (seen before the focused control) and F1.
    void FormKeyPress(int character);
    void FormHelpKey();
    int activeTab() const { return m_activeTab; }
    void spSkinPageControl1Change(int tab);
    void spSkinPageControl1Enter();

    // Lists.
    void btnDeleteItemClick();
    void btnDeleteNewItemClick();
    void btnClearListClick();
    void btnClearNewListClick();
    void btnOpenListClick() { listFiles.btnOpenListClick(); }
    void btnSaveClick() { listFiles.btnSaveClick(); }
    void btnSaveNewListClick() { listFiles.btnSaveNewListClick(); }

    // Search: Check Inactives, and both Quick Finder buttons.
    void btnShowInactivesClick();
    void btnQuickFindClick() { emit showQuickFinderRequested(); }

    // Help, links, About.
    void Help2Click();
    void FAQs1Click();
    void UsingVorlixProVideoTutorial1Click();
    void LeaveaTestimonial1Click();
    void InternetBusinessBlog1Click();
    void ManuallyCheckforUpdates1Click() { WebUpdateWizard1.ShowUpdateWizard(); }
    QString aboutVersionText() const;

    // Filled by the Parts that own them.
    void TestFile();
    void WriteDat();
    void AutoSubmitCarnival();
    void SetCarnival(const QString& ref, BrowserView& view);

    // Carnival and category options; each tab's view of the form and its buttons.
    PageAccess& pageAccess() { return m_page; }
    void btnAddItemClick() { m_options.AddClick(m_tab1); }
    void btnAddNewClick() { m_options.AddClick(m_tab2); }
    void btnChangeCatClick() { m_options.ChangeCategoryClick(m_tab1); }
    void btnChangeNewCatClick() { m_options.ChangeCategoryClick(m_tab2); }
    void AdvStringGrid1SelectionChanged() { m_options.SelectionChanged(m_tab1); }
    void AdvStringGrid2SelectionChanged() { m_options.SelectionChanged(m_tab2); }
    void EmbeddedWB1DocumentComplete() { m_page.DocumentComplete(m_tab1); }
    void EmbeddedWB2DocumentComplete() { m_page.DocumentComplete(m_tab2); }
    void EmbeddedWB1CommandStateChange(int command, bool enable)
    {
        m_page.CommandStateChange(m_tab1, command, enable);
    }
    void EmbeddedWB2CommandStateChange(int command, bool enable)
    {
        m_page.CommandStateChange(m_tab2, command, enable);
    }
    // Submitting the post to the current list's carnivals.
    void btnAutoSubmitClick() { m_submitter.btnAutoSubmitClick(); }
    void btnManualSubmitClick() { m_submitter.btnManualSubmitClick(); }
    void btnRefresh1Click() { m_page.Refresh(m_tab1); }
    void btnRefresh2Click() { m_page.Refresh(m_tab2); }
    void btnReset1Click() { m_page.Reset(m_tab1); }
    void btnReset2Click() { m_page.Reset(m_tab2); }

signals:
    /// The Quick Finder window's add-button caption changed with the active tab.
    void quickFinderTargetChanged(const QString& caption);
    /// Help > About and the two Quick Finder buttons ask the windows to show themselves.
    void showAboutRequested();
    void showQuickFinderRequested();

private:
    void setListTotal(const CarnivalList& grid, const QString& label);
    void clearList(CarnivalList& grid, const QString& label);
    void openLink(const QString& address);

    AppSettings m_settings;
    int m_activeTab = 0;
    bool m_secondViewNavigated = false;

    FormTab firstTab();
    FormTab secondTab();
    void connectViews();
    PageAccess m_page{ui, network, controls, scratch, SubmitPage::address(m_settings.site)};
    CarnivalOptions m_options{m_page, ui, controls, DuplicateFound};
    FormTab m_tab1{firstTab()};
    FormTab m_tab2{secondTab()};
    Submitter m_submitter{m_page, ui, controls, m_tab1};
};

/// Object names of the controls whose state the logic sets.
namespace Controls {
inline const QString ListTotal = QStringLiteral("TextLabelListTotal");
inline const QString NewListTotal = QStringLiteral("spSkinTextLabel7");
inline const QString ListName = QStringLiteral("TextLabelCarnList");
inline const QString StatusBar = QStringLiteral("StatusBar1");
inline const QString Submitting = QStringLiteral("LabelSubmitting");
inline const QString Submitting2 = QStringLiteral("LabelSubmitting2");
} // namespace Controls
