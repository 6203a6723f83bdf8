#pragma once

#include <QString>
#include <QStringList>

/// The update wizard's dialog as its logic (UpdateWizardController) drives it. Controls are named by their
/// object names (WizardControls); the dialog forwards the user's clicks to the logic.
/// The wizard's pages, in the order the dialog holds them.
enum class WizardPage
{
    Start,
    Version,
    WhatsNew,
    Agreement,
    Components,
    Download,
    End
};

class WizardView
{
public:
    virtual ~WizardView() = default;

    /// Shows the page with this index (0 to 6); pages have no visible tabs.
    virtual void showPage(WizardPage page) = 0;
    virtual WizardPage currentPage() const = 0;

    /// The caption of a button, label, radio button or context-menu item.
    virtual void setText(const QString& control, const QString& text) = 0;
    virtual QString text(const QString& control) const = 0;
    virtual void setEnabled(const QString& control, bool enabled) = 0;
    virtual bool isEnabled(const QString& control) const = 0;
    virtual void setFocus(const QString& control) = 0;
    virtual void setWidth(const QString& control, int width) = 0;
    /// Widens the button to its caption plus 16 pixels when that is wider; the right edge stays.
    virtual void fitButton(const QString& button) = 0;
    /// The hourglass cursor while the wizard works.
    virtual void setBusy(bool busy) = 0;

    virtual void setLines(const QString& memo, const QStringList& lines) = 0;
    virtual QStringList lines(const QString& memo) const = 0;
    virtual bool isChecked(const QString& radioButton) const = 0;

    // The component list, ComponentList.
    virtual void clearComponents() = 0;
    /// A mandatory item is shown ticked and cannot be changed.
    virtual void addComponent(const QString& text, bool ticked, bool changeable) = 0;
    virtual int componentCount() const = 0;
    virtual bool isComponentTicked(int item) const = 0;

    virtual void setProgress(const QString& bar, qint64 maximum, qint64 position) = 0;

    /// The dialog's title and font.
    virtual void setTitle(const QString& title) = 0;
    virtual void setFont(const QString& family, int pointSize, bool bold) = 0;
    /// Shows the dialog modally, centred on the screen; returns when it has closed.
    virtual void runModal() = 0;
    /// Closes the dialog without asking the logic again.
    virtual void closeDialog() = 0;
};

/// The object names of the wizard's controls.
namespace WizardControls {
inline const QString WelcomeLabel = QStringLiteral("welcomeLabel");
inline const QString StartButton = QStringLiteral("startButton");
inline const QString VersionInfoLabel = QStringLiteral("versionInfoLabel");
inline const QString GetUpdateButton = QStringLiteral("getUpdateButton");
inline const QString WhatsNewLabel = QStringLiteral("whatsNewLabel");
inline const QString WhatsNewMemo = QStringLiteral("whatsNewMemo");
inline const QString ViewNotesInEditor = QStringLiteral("viewNotesInEditorButton");
inline const QString WhatsNewNextButton = QStringLiteral("whatsNewNextButton");
inline const QString AgreementLabel = QStringLiteral("agreementLabel");
inline const QString AgreementMemo = QStringLiteral("agreementMemo");
inline const QString ViewAgreementInEditor = QStringLiteral("viewAgreementInEditorButton");
inline const QString AcceptRadio = QStringLiteral("acceptRadio");
inline const QString DeclineRadio = QStringLiteral("declineRadio");
inline const QString AgreementNextButton = QStringLiteral("agreementNextButton");
inline const QString ComponentsLabel = QStringLiteral("componentsLabel");
inline const QString ComponentList = QStringLiteral("componentList");
inline const QString ComponentsNextButton = QStringLiteral("componentsNextButton");
inline const QString DownloadLabel = QStringLiteral("downloadLabel");
inline const QString DownloadingLabel = QStringLiteral("downloadingLabel");
inline const QString FileLabel = QStringLiteral("fileLabel");
inline const QString FileProgress = QStringLiteral("fileProgress");
inline const QString TotalLabel = QStringLiteral("totalLabel");
inline const QString TotalProgress = QStringLiteral("totalProgress");
inline const QString CancelButton = QStringLiteral("cancelButton");
inline const QString EndLabel = QStringLiteral("endLabel");
inline const QString RestartLabel = QStringLiteral("restartLabel");
inline const QString RestartButton = QStringLiteral("restartButton");
} // namespace WizardControls
