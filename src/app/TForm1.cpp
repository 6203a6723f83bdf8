#include "app/TForm1.h"

#include "app/BuildConfig.h"
#include "app/Ui.h"
#include "lists/RowOperations.h"
#include "platform/VersionInfo.h"
#include "search/InactiveCheck.h"
#include "site/BrowserView.h"
#include "site/SubmitPage.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kHelpDocument = QStringLiteral("VorlixPro_Help.pdf");
const QString kClearQuestion = QStringLiteral(
    "Are you sure you want to clear the list?\n\nChanges are not permanent until you click \"Save\"");
const QString kStatusText =
    QStringLiteral("Vorlix Pro Blog Carnival Submitter - Copyright (c) Vorlix Software. "
                   "All rights reserved.");
constexpr int kEnter = 13;
} // namespace

TForm1::TForm1(Ui& ui, Network& network, BrowserView& view1, BrowserView& view2, AppSettings settings,
               QObject* parent)
    : QObject(parent), ui(ui), network(network), EmbeddedWB1(view1), EmbeddedWB2(view2),
      m_settings(std::move(settings))
{
    controls.setText(Controls::ListTotal, QStringLiteral("0"));
    controls.setText(Controls::NewListTotal, QStringLiteral("0"));
    controls.setText(Controls::ListName, QString());
    controls.setVisible(Controls::Submitting, false);
    controls.setVisible(Controls::Submitting2, false);
    WebUpdate1.URL = m_settings.updateUrl;
    connectViews();
}

QString TForm1::submitPageAddress() const
{
    return SubmitPage::address(m_settings.site);
}

bool TForm1::dispatch(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        ui.showMessage(QString::fromStdString(error.what()));
        return false;
    }
}

void TForm1::FormCreate()
{
    // An error stops start-up at its step; the window opens all the same.
    dispatch([this] {
        DuplicateFound = false;
        TestFile();
        setListTotal(AdvStringGrid1, Controls::ListTotal);
        EmbeddedWB1.Navigate(submitPageAddress());
        // The wizard runs modally before the window is first shown.
        if (WebUpdate1.IsUpdatePending())
            WebUpdateWizard1.ShowUpdateWizard();
        controls.setText(Controls::StatusBar, kStatusText);
    });
}

void TForm1::FormClose()
{
    m_submitter.stopForClose();
    dispatch([this] { WriteDat(); });
}

void TForm1::FormKeyPress(int character)
{
    if (character == kEnter && m_activeTab == 0)
        AutoSubmitCarnival();
}

void TForm1::FormHelpKey()
{
    ui.showMessage(QStringLiteral("F1 Pressed"));
    Help2Click();
}

void TForm1::spSkinPageControl1Change(int tab)
{
    m_activeTab = tab;
    emit quickFinderTargetChanged(tab == 0 ? QStringLiteral("Add to Current List")
                                           : QStringLiteral("Add to New List"));
}

void TForm1::spSkinPageControl1Enter()
{
    if (m_secondViewNavigated)
        return;
    m_secondViewNavigated = true;
    EmbeddedWB2.Navigate(submitPageAddress());
}

void TForm1::setListTotal(const CarnivalList& grid, const QString& label)
{
    controls.setText(label, QString::number(grid.rows()));
}

void TForm1::btnDeleteItemClick()
{
    if (AdvStringGrid1.isEmptyList())
        return;
    DeleteStringGridRow1(AdvStringGrid1, AdvStringGrid1.currentRow(), ui);
    setListTotal(AdvStringGrid1, Controls::ListTotal);
}

void TForm1::btnDeleteNewItemClick()
{
    if (AdvStringGrid2.isEmptyList())
        return;
    DeleteStringGridRow1(AdvStringGrid2, AdvStringGrid2.currentRow(), ui);
    if (AdvStringGrid2.rows() > 1)
        AdvStringGrid2.setCurrentRow(AdvStringGrid2.rows() - 2);
    SetCarnival(AdvStringGrid2.cell(Column::CarnivalRef, AdvStringGrid2.currentRow()), EmbeddedWB2);
    setListTotal(AdvStringGrid2, Controls::NewListTotal);
}

void TForm1::clearList(CarnivalList& grid, const QString& label)
{
    if (grid.rows() == 1)
        return;
    if (!ui.askYesNo(QStringLiteral("Vorlix Pro"), kClearQuestion, Ui::Icon::Warning))
        return;
    controls.setText(label, QStringLiteral("0"));
    ClearAllRows(grid, ui);
}

void TForm1::btnClearListClick()
{
    clearList(AdvStringGrid1, Controls::ListTotal);
}

void TForm1::btnClearNewListClick()
{
    clearList(AdvStringGrid2, Controls::NewListTotal);
}

void TForm1::btnShowInactivesClick()
{
    InactiveCheck(*this).btnShowInactivesClick();
}

void TForm1::Help2Click()
{
    const QString path = QDir::current().filePath(kHelpDocument);
    if (QFileInfo::exists(path))
        ui.openDocument(path);
    else
        ui.showMessage(
            QStringLiteral("The VorlixPro help file does not exist\r\nYou may need to reinstall VorlixPro"));
}

void TForm1::openLink(const QString& address)
{
    ui.openDocument(address); // the outcome is ignored: no browser, no message
}

void TForm1::FAQs1Click()
{
    openLink(QString::fromLatin1(BuildConfig::kMakerSite) + QStringLiteral("/VorlixPro/faqs.php"));
}

void TForm1::UsingVorlixProVideoTutorial1Click()
{
    openLink(QString::fromLatin1(BuildConfig::kMakerSite) + QStringLiteral("/VorlixPro/Tutorial.php"));
}

void TForm1::LeaveaTestimonial1Click()
{
    openLink(QString::fromLatin1(BuildConfig::kMakerSite) +
             QStringLiteral("/VorlixPro/SubmitTestimonial.php"));
}

void TForm1::InternetBusinessBlog1Click()
{
    openLink(QString::fromLatin1(BuildConfig::kBlogUrl));
}

QString TForm1::aboutVersionText() const
{
    return QStringLiteral("Version ") + GetAppVersion(m_settings.executable);
}

// --- Filled by the Parts that own these steps. ---

void TForm1::TestFile()
{
    listFiles.TestFile();
}

void TForm1::WriteDat()
{
    listFiles.WriteDat();
}

void TForm1::AutoSubmitCarnival()
{
    m_submitter.AutoSubmitCarnival();
}

void TForm1::SetCarnival(const QString& ref, BrowserView& view)
{
    m_page.SetCarnival(ref, view);
}

// --- The two tabs' views of the form. ---

FormTab TForm1::firstTab()
{
    return FormTab{
        .view = EmbeddedWB1,
        .grid = AdvStringGrid1,
        .countLabel = Controls::ListTotal,
        .addButton = QStringLiteral("btnAddItem"),
        .backButton = QStringLiteral("btnBack1"),
        .forwardButton = QStringLiteral("btnForward1"),
        .refreshButton = QStringLiteral("btnRefresh1"),
        .noDocumentError = QStringLiteral("Couldn't convert the EmbeddedWB1.Document to an IHTMLDocument2"),
        .addErrorCoversChecks = false,
        .selectionNavigatesBack = true,
        .addFocusSkipsOnlyCarnival = true,
    };
}

FormTab TForm1::secondTab()
{
    return FormTab{
        .view = EmbeddedWB2,
        .grid = AdvStringGrid2,
        .countLabel = Controls::NewListTotal,
        .addButton = QStringLiteral("btnAddNew"),
        .backButton = QStringLiteral("btnback2"),
        .forwardButton = QStringLiteral("btnForward2"),
        .refreshButton = QStringLiteral("btnRefresh2"),
        .noDocumentError = QStringLiteral("Couldn't convert the WebBrowser2.Document to an IHTMLDocument2"),
        .addErrorCoversChecks = true,
        .selectionNavigatesBack = false,
        .addFocusSkipsOnlyCarnival = false,
    };
}

// The views' events run as handlers: an error they do not trap reaches the general error report.
void TForm1::connectViews()
{
    connect(&EmbeddedWB1, &BrowserView::DocumentComplete, this,
            [this] { dispatch([this] { EmbeddedWB1DocumentComplete(); }); });
    connect(&EmbeddedWB2, &BrowserView::DocumentComplete, this,
            [this] { dispatch([this] { EmbeddedWB2DocumentComplete(); }); });
    connect(&EmbeddedWB1, &BrowserView::CommandStateChange, this, [this](int command, bool enable) {
        dispatch([=, this] { EmbeddedWB1CommandStateChange(command, enable); });
    });
    connect(&EmbeddedWB2, &BrowserView::CommandStateChange, this, [this](int command, bool enable) {
        dispatch([=, this] { EmbeddedWB2CommandStateChange(command, enable); });
    });
}
