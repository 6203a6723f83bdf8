#pragma once

#include <QString>
#include <QStringList>

/// The update wizard's dialog as its logic (TWUWIZ) drives it. Controls are named by their
/// object names (WizardControls); the dialog forwards the user's clicks to the logic.
class WizardView
{
public:
    virtual ~WizardView() = default;

    /// Shows the page with this index (0 to 6); pages have no visible tabs.
    virtual void showPage(int index) = 0;
    virtual int currentPage() const = 0;

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

    // The component list, CheckListBox1.
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

/// The wizard's pages, in the order the dialog holds them.
enum WizardPage
{
    StartPage,
    VersionPage,
    WhatsNewPage,
    AgreementPage,
    ComponentsPage,
    DownloadPage,
    EndPage
};

/// The object names of the wizard's controls.
namespace WizardControls {
inline const QString WelcomeLabel = QStringLiteral("WelcomeLabel");
inline const QString StartButton = QStringLiteral("StartButton");
inline const QString VersionInfoLabel = QStringLiteral("VersionInfoLabel");
inline const QString ControlButton = QStringLiteral("ControlButton");
inline const QString Label1 = QStringLiteral("Label1");
inline const QString WhatsNewMemo = QStringLiteral("WhatsNewMemo");
inline const QString ViewinNotepad1 = QStringLiteral("ViewinNotepad1");
inline const QString NewButton = QStringLiteral("NewButton");
inline const QString Label2 = QStringLiteral("Label2");
inline const QString EULAMemo = QStringLiteral("EULAMemo");
inline const QString ViewinNotepad2 = QStringLiteral("ViewinNotepad2");
inline const QString RAccept = QStringLiteral("RAccept");
inline const QString RNoAccept = QStringLiteral("RNoAccept");
inline const QString EULAButton = QStringLiteral("EULAButton");
inline const QString Label3 = QStringLiteral("Label3");
inline const QString CheckListBox1 = QStringLiteral("CheckListBox1");
inline const QString FilesButton = QStringLiteral("FilesButton");
inline const QString Label4 = QStringLiteral("Label4");
inline const QString Label5 = QStringLiteral("Label5");
inline const QString FileLabel = QStringLiteral("FileLabel");
inline const QString FileProgress = QStringLiteral("FileProgress");
inline const QString Label6 = QStringLiteral("Label6");
inline const QString TotalProgress = QStringLiteral("TotalProgress");
inline const QString CancelButton = QStringLiteral("CancelButton");
inline const QString Label7 = QStringLiteral("Label7");
inline const QString Label8 = QStringLiteral("Label8");
inline const QString RestartButton = QStringLiteral("RestartButton");
} // namespace WizardControls
