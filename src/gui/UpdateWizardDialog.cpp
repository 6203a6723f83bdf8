#include "gui/UpdateWizardDialog.h"

#include "gui/WizardPicture.h"
#include "update/UpdateWizardController.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>

#include <limits>

using namespace WizardControls;

namespace {
constexpr QSize kClientSize(474, 284);
constexpr QRect kBillboard(9, 27, 116, 201);
constexpr QRect kPageControl(136, 8, 329, 265);
constexpr QRect kPageButton(224, 224, 91, 25);
constexpr QRect kMemo(0, 24, 313, 193);
constexpr int kBarWidth = 313;
constexpr int kBarHeight = 17;
constexpr int kLabelWidth = 313;
constexpr int kButtonPadding = 16;

QLabel* addLabel(QWidget* page, const QString& name, QPoint at, int width = kLabelWidth)
{
    auto* label = new QLabel(page);
    label->setObjectName(name);
    label->setGeometry(at.x(), at.y(), width, label->fontMetrics().height() + 2);
    return label;
}

/// A label that wraps its words and grows downward with its text.
QLabel* addWrappedLabel(QWidget* page, const QString& name, const QRect& box)
{
    auto* label = new QLabel(page);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(box);
    return label;
}

void growToText(QLabel* label)
{
    if (label->wordWrap())
        label->resize(label->width(), std::max(label->height(), label->heightForWidth(label->width())));
}

QProgressBar* addBar(QWidget* page, const QString& name, int y)
{
    auto* bar = new QProgressBar(page);
    bar->setObjectName(name);
    bar->setGeometry(0, y, kBarWidth, kBarHeight);
    bar->setTextVisible(false);
    bar->setRange(0, 1);
    bar->setValue(0);
    return bar;
}
} // namespace

UpdateWizardDialog::UpdateWizardDialog(UpdateWizardController& wizard, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_wizard(wizard)
{
    setObjectName(QStringLiteral("updateWizardDialog"));
    setFixedSize(kClientSize);
    setModal(true);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);
    build();
}

UpdateWizardDialog::~UpdateWizardDialog()
{
    setBusy(false);
}

void UpdateWizardDialog::build()
{
    auto* billboard = new QLabel(this);
    billboard->setObjectName(QStringLiteral("Billboard"));
    billboard->setGeometry(kBillboard);
    billboard->setScaledContents(true);
    billboard->setPixmap(WizardPicture::render(kBillboard.size()));

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("wizardPages"));
    m_pages->setGeometry(kPageControl);

    QWidget* start = addPage(QStringLiteral("TabSheet1"));
    addWrappedLabel(start, WelcomeLabel, QRect(0, 24, kLabelWidth, 60));
    addButton(start, StartButton, &UpdateWizardController::startClicked);
    qobject_cast<QPushButton*>(control(StartButton))->setDefault(true);

    QWidget* version = addPage(QStringLiteral("TabSheet2"));
    addWrappedLabel(version, VersionInfoLabel, QRect(0, 16, 305, 85));
    addButton(version, GetUpdateButton, &UpdateWizardController::getUpdateClicked);

    QWidget* notes = addPage(QStringLiteral("TabSheet3"));
    addLabel(notes, WhatsNewLabel, {0, 8});
    addMemo(notes, WhatsNewMemo, ViewNotesInEditor, &UpdateWizardController::viewNotesInEditor);
    addButton(notes, WhatsNewNextButton, &UpdateWizardController::whatsNewNextClicked);

    QWidget* agreement = addPage(QStringLiteral("TabSheet4"));
    addLabel(agreement, AgreementLabel, {0, 8});
    addMemo(agreement, AgreementMemo, ViewAgreementInEditor, &UpdateWizardController::viewAgreementInEditor);
    for (const auto& [name, y] : {std::pair{AcceptRadio, 220}, {DeclineRadio, 238}}) {
        auto* radio = new QRadioButton(agreement);
        radio->setObjectName(name);
        radio->setGeometry(1, y, 224, kBarHeight);
        connect(radio, &QRadioButton::clicked, this, [this] { run(&UpdateWizardController::acceptChosen); });
    }
    addButton(agreement, AgreementNextButton, &UpdateWizardController::agreementNextClicked);

    QWidget* components = addPage(QStringLiteral("TabSheet5"));
    addLabel(components, ComponentsLabel, {0, 8});
    m_components = new QListWidget(components);
    m_components->setObjectName(ComponentList);
    m_components->setGeometry(kMemo);
    m_components->setSelectionMode(QAbstractItemView::NoSelection);
    m_components->setUniformItemSizes(true);
    addButton(components, ComponentsNextButton, &UpdateWizardController::componentsNextClicked);

    QWidget* download = addPage(QStringLiteral("TabSheet6"));
    addLabel(download, DownloadLabel, {0, 8});
    addLabel(download, DownloadingLabel, {0, 56}, 150);
    addLabel(download, FileLabel, {152, 56}, kLabelWidth - 152);
    addBar(download, FileProgress, 80);
    addLabel(download, TotalLabel, {0, 136});
    addBar(download, TotalProgress, 160);
    addButton(download, CancelButton, &UpdateWizardController::cancelClicked);

    QWidget* end = addPage(QStringLiteral("TabSheet7"));
    addWrappedLabel(end, EndLabel, QRect(0, 8, kLabelWidth, 40));
    addWrappedLabel(end, RestartLabel, QRect(0, 96, kLabelWidth, 40));
    addButton(end, RestartButton, &UpdateWizardController::restartClicked);
}

QWidget* UpdateWizardDialog::addPage(const QString& name)
{
    auto* page = new QWidget(m_pages);
    page->setObjectName(name);
    m_pages->addWidget(page);
    return page;
}

void UpdateWizardDialog::addButton(QWidget* page, const QString& name,
                                   void (UpdateWizardController::*handler)())
{
    auto* button = new QPushButton(page);
    button->setObjectName(name);
    button->setGeometry(kPageButton);
    connect(button, &QPushButton::clicked, this, [this, handler] { run(handler); });
}

void UpdateWizardDialog::addMemo(QWidget* page, const QString& name, const QString& action,
                                 void (UpdateWizardController::*handler)())
{
    auto* memo = new QPlainTextEdit(page);
    memo->setObjectName(name);
    memo->setGeometry(kMemo);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* item = new QAction(memo);
    item->setObjectName(action);
    memo->addAction(item);
    connect(item, &QAction::triggered, this, [this, handler] { run(handler); });
}

void UpdateWizardDialog::run(void (UpdateWizardController::*handler)())
{
    m_wizard.dispatch([this, handler] { (m_wizard.*handler)(); });
}

QWidget* UpdateWizardDialog::control(const QString& name) const
{
    return findChild<QWidget*>(name);
}

void UpdateWizardDialog::showPage(WizardPage page)
{
    m_pages->setCurrentIndex(static_cast<int>(page));
}

WizardPage UpdateWizardDialog::currentPage() const
{
    return static_cast<WizardPage>(m_pages->currentIndex());
}

void UpdateWizardDialog::setText(const QString& name, const QString& text)
{
    if (auto* action = findChild<QAction*>(name)) {
        action->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(control(name))) {
        label->setText(text);
        growToText(label);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control(name))) {
        button->setText(text);
    }
}

QString UpdateWizardDialog::text(const QString& name) const
{
    if (auto* action = findChild<QAction*>(name))
        return action->text();
    if (auto* label = qobject_cast<QLabel*>(control(name)))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control(name)))
        return button->text();
    return {};
}

void UpdateWizardDialog::setEnabled(const QString& name, bool enabled)
{
    if (QWidget* widget = control(name))
        widget->setEnabled(enabled);
}

bool UpdateWizardDialog::isEnabled(const QString& name) const
{
    const QWidget* widget = control(name);
    return widget && widget->isEnabled();
}

void UpdateWizardDialog::setFocus(const QString& name)
{
    if (QWidget* widget = control(name))
        widget->setFocus(Qt::OtherFocusReason);
}

void UpdateWizardDialog::setWidth(const QString& name, int width)
{
    QWidget* widget = control(name);
    if (!widget)
        return;
    widget->resize(width, widget->height());
    if (auto* label = qobject_cast<QLabel*>(widget))
        growToText(label);
}

void UpdateWizardDialog::fitButton(const QString& name)
{
    auto* button = qobject_cast<QAbstractButton*>(control(name));
    if (!button)
        return;
    const QRect old = button->geometry();
    const int width =
        std::max(old.width(), button->fontMetrics().horizontalAdvance(button->text()) + kButtonPadding);
    button->setGeometry(old.right() + 1 - width, old.y(), width, old.height());
}

void UpdateWizardDialog::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void UpdateWizardDialog::setLines(const QString& memo, const QStringList& lines)
{
    if (auto* edit = qobject_cast<QPlainTextEdit*>(control(memo)))
        edit->setPlainText(lines.join(u'\n'));
}

QStringList UpdateWizardDialog::lines(const QString& memo) const
{
    const auto* edit = qobject_cast<const QPlainTextEdit*>(control(memo));
    return edit ? edit->toPlainText().split(u'\n') : QStringList();
}

bool UpdateWizardDialog::isChecked(const QString& radioButton) const
{
    const auto* radio = qobject_cast<const QRadioButton*>(control(radioButton));
    return radio && radio->isChecked();
}

void UpdateWizardDialog::clearComponents()
{
    m_components->clear();
}

// A mandatory item is ticked for good and shown greyed.
void UpdateWizardDialog::addComponent(const QString& text, bool ticked, bool changeable)
{
    auto* item = new QListWidgetItem(text, m_components);
    item->setFlags(changeable ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::NoItemFlags);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

int UpdateWizardDialog::componentCount() const
{
    return m_components->count();
}

bool UpdateWizardDialog::isComponentTicked(int item) const
{
    const QListWidgetItem* entry = m_components->item(item);
    return entry && entry->checkState() == Qt::Checked;
}

// The bar counts in int: large sizes are scaled down together.
void UpdateWizardDialog::setProgress(const QString& name, qint64 maximum, qint64 position)
{
    auto* bar = qobject_cast<QProgressBar*>(control(name));
    if (!bar)
        return;
    qint64 scale = 1;
    while (maximum / scale > std::numeric_limits<int>::max())
        scale *= 2;
    // A bar without a known length stays empty rather than turning into a busy indicator.
    bar->setRange(0, maximum > 0 ? int(maximum / scale) : 1);
    bar->setValue(maximum > 0 ? int(std::clamp(position, qint64(0), maximum) / scale) : 0);
}

void UpdateWizardDialog::setTitle(const QString& title)
{
    setWindowTitle(title);
}

void UpdateWizardDialog::setFont(const QString& family, int pointSize, bool bold)
{
    QDialog::setFont(QFont(family, pointSize, bold ? QFont::Bold : QFont::Normal));
    // Single-line labels take the new font's height; wrapped ones grow with their text.
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->pixmap().isNull() && !label->wordWrap())
            label->resize(label->width(), label->fontMetrics().height() + 2);
        growToText(label);
    }
}

void UpdateWizardDialog::runModal()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    exec();
}

void UpdateWizardDialog::closeDialog()
{
    m_closing = true;
    setBusy(false);
    QDialog::reject();
}

void UpdateWizardDialog::reject()
{
    if (m_closing || m_wizard.mayClose()) {
        m_closing = true;
        QDialog::reject();
    }
}

// The wizard starts its check once the dialog is on the screen and its loop runs.
void UpdateWizardDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_activationQueued)
        return;
    m_activationQueued = true;
    QTimer::singleShot(0, this, [this] { run(&UpdateWizardController::activated); });
}
