#include "gui/QtDesktop.h"

#include "gui/EventWait.h"

#include "gui/WebEngineBrowserView.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace {
QString filterText(const QList<Desktop::FileFilter>& filters)
{
    QStringList parts;
    for (const Desktop::FileFilter& filter : filters)
        parts.append(filter.description.contains('(') ? filter.description
                                                      : filter.description + " (" + filter.pattern + ")");
    return parts.join(QStringLiteral(";;"));
}

QMessageBox::Icon messageIcon(Desktop::Icon icon)
{
    switch (icon) {
    case Desktop::Icon::Information:
        return QMessageBox::Information;
    case Desktop::Icon::Warning:
        return QMessageBox::Warning;
    case Desktop::Icon::Question:
        return QMessageBox::Question;
    case Desktop::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A box belongs to the modal dialog in front (the update wizard runs before the main window shows).
QWidget* boxOwner(QWidget* window)
{
    QWidget* modal = QApplication::activeModalWidget();
    return modal ? modal : window;
}

bool isOurControlName(const QString& name)
{
    return !name.isEmpty() && !name.startsWith(QStringLiteral("qt_"));
}
} // namespace

QtDesktop::QtDesktop(QObject* parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

bool QtDesktop::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && !key->isAutoRepeat()) {
            m_escDown = event->type() == QEvent::KeyPress;
            m_escPressed = m_escPressed || m_escDown;
        }
        // A held key's repeats must not close a box the moment it opens (the box that says the
        // run was aborted by that very key).
        if (key->isAutoRepeat() && event->type() == QEvent::KeyPress) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && qobject_cast<QMessageBox*>(widget->window()))
                return true;
        }
    } else if (event->type() == QEvent::ApplicationDeactivate) {
        m_escDown = false; // a release we will never see
    }
    return QObject::eventFilter(watched, event);
}

bool QtDesktop::takeEscPress()
{
    const bool pressed = m_escPressed || m_escDown;
    m_escPressed = false;
    return pressed;
}

void QtDesktop::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vorlix Pro"), text, QMessageBox::Ok,
                    boxOwner(m_window));
    box.exec();
}

bool QtDesktop::askYesNo(const QString& title, const QString& text, Icon icon)
{
    QMessageBox box(messageIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No, boxOwner(m_window));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

Desktop::Answer QtDesktop::ask(const QString& title, const QString& text, const QList<Answer>& buttons)
{
    static const QList<std::pair<Answer, QMessageBox::StandardButton>> kButtons = {
        {Answer::Yes, QMessageBox::Yes},       {Answer::No, QMessageBox::No},
        {Answer::Save, QMessageBox::Save},     {Answer::Discard, QMessageBox::Discard},
        {Answer::Cancel, QMessageBox::Cancel},
    };
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, boxOwner(m_window));
    for (const Answer answer : buttons)
        for (const auto& [which, standard] : kButtons)
            if (which == answer)
                box.addButton(standard);
    for (const auto& [which, standard] : kButtons)
        if (!buttons.isEmpty() && which == buttons.first())
            box.setDefaultButton(standard);
    const int chosen = box.exec();
    for (const auto& [which, standard] : kButtons)
        if (chosen == standard)
            return which;
    return Answer::Cancel;
}

QString QtDesktop::openFileName(const QString& title, const QList<FileFilter>& filters, const QString& folder)
{
    return QFileDialog::getOpenFileName(m_window, title, folder, filterText(filters));
}

QString QtDesktop::saveFileName(const QString& title, const QList<FileFilter>& filters, const QString& folder)
{
    // The logic asks before it replaces another file, after it has added the extension.
    return QFileDialog::getSaveFileName(m_window, title, folder, filterText(filters), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void QtDesktop::processEvents()
{
    QCoreApplication::processEvents();
}

void QtDesktop::sleep(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

int QtDesktop::waitForEvents(int milliseconds)
{
    return waitForEventsUpTo(milliseconds);
}

QString QtDesktop::focusedControl() const
{
    for (QWidget* widget = QApplication::focusWidget(); widget; widget = widget->parentWidget()) {
        if (isOurControlName(widget->objectName()))
            return widget->objectName();
    }
    return {};
}

void QtDesktop::setFocus(const QString& control)
{
    if (!m_window)
        return;
    if (auto* widget = m_window->findChild<QWidget*>(control))
        widget->setFocus(Qt::OtherFocusReason);
}

bool QtDesktop::openDocument(const QString& pathOrUrl)
{
    const QUrl url = QFileInfo::exists(pathOrUrl) ? QUrl::fromLocalFile(pathOrUrl) : QUrl(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

void QtDesktop::showHtmlDialog(const QString& address)
{
    WebEngineBrowserView view;
    QDialog dialog(boxOwner(m_window));
    dialog.setObjectName(QStringLiteral("HtmlDialog"));
    dialog.setWindowTitle(QStringLiteral("Vorlix Pro"));
    dialog.resize(640, 480);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    view.widget()->setAccessibleName(QStringLiteral("Page from the update"));
    layout->addWidget(view.widget());
    // A page alone shows no way out but Esc: a Close button says it.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    buttons->setContentsMargins(8, 0, 8, 8);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    view.Navigate(address);
    dialog.exec();
}
