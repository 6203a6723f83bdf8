#pragma once

#include "platform/Desktop.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

/// The desktop as the logic sees it: Qt message boxes and file dialogs, the focus by object name,
/// and the Esc key's state tracked from the key events the application handles.
class QtDesktop final : public QObject, public Desktop
{
    Q_OBJECT

public:
    explicit QtDesktop(QObject* parent = nullptr);

    /// Owner of the boxes and the window whose controls the focus operations look up.
    void setWindow(QWidget* window) { m_window = window; }

    void showMessage(const QString& text) override;
    bool askYesNo(const QString& title, const QString& text, Icon icon) override;
    Answer ask(const QString& title, const QString& text, const QList<Answer>& buttons) override;
    QString openFileName(const QString& title, const QList<FileFilter>& filters,
                         const QString& folder) override;
    QString saveFileName(const QString& title, const QList<FileFilter>& filters,
                         const QString& folder) override;
    void processEvents() override;
    void sleep(int milliseconds) override;
    int waitForEvents(int milliseconds) override;
    bool isEscDown() const override { return m_escDown; }
    bool takeEscPress() override;
    QString focusedControl() const override;
    void setFocus(const QString& control) override;
    bool openDocument(const QString& pathOrUrl) override;
    void showHtmlDialog(const QString& address) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    bool m_escDown = false;
    bool m_escPressed = false;
};
