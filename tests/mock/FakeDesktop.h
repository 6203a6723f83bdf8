#pragma once

#include "platform/Desktop.h"

#include <QQueue>
#include <QStringList>

#include <functional>

/// A scripted Ui: records every message and question, answers questions and file dialogs from
/// queues (No and cancel when a queue is empty), and keeps the focus and the Esc key as set.
class FakeDesktop final : public Desktop
{
public:
    struct Question
    {
        QString title;
        QString text;
        Icon icon;
    };

    void showMessage(const QString& text) override { messages.append(text); }
    bool askYesNo(const QString& title, const QString& text, Icon icon) override;
    /// Recorded among the questions; answered from choices (defaultChoice when that queue is empty).
    Answer ask(const QString& title, const QString& text, const QList<Answer>& buttons) override;
    QString openFileName(const QString& title, const QList<FileFilter>& filters,
                         const QString& folder) override;
    QString saveFileName(const QString& title, const QList<FileFilter>& filters,
                         const QString& folder) override;
    void processEvents() override;
    void sleep(int milliseconds) override { sleptMs += milliseconds; }
    /// One pass of event handling that takes the whole time asked for; it counts in waitedMs.
    int waitForEvents(int milliseconds) override;
    bool isEscDown() const override { return escDown; }
    bool takeEscPress() override
    {
        const bool pressed = escPressed || escDown;
        escPressed = false;
        return pressed;
    }
    QString focusedControl() const override { return focus; }
    void setFocus(const QString& control) override { focus = control; }
    bool openDocument(const QString& pathOrUrl) override;
    void showHtmlDialog(const QString& address) override { htmlDialogs.append(address); }

    QStringList messages;
    QList<Question> questions;
    QQueue<bool> answers;
    QQueue<Answer> choices;
    /// The answer when choices is empty (Cancel when the question does not offer it).
    Answer defaultChoice = Answer::Cancel;
    QQueue<QString> fileNames;
    QStringList dialogTitles;
    QList<QList<FileFilter>> dialogFilters;
    QStringList dialogFolders; // where each file dialog started: a folder, or a file it offered
    QStringList openedDocuments;
    QStringList htmlDialogs;
    bool openDocumentResult = true;
    QString focus;
    bool escDown = false;
    bool escPressed = false; // a press already released, remembered until taken
    int sleptMs = 0;
    int waitedMs = 0;
    int eventPasses = 0;
    /// Runs on every processEvents, to act as the user would between two steps of a handler.
    std::function<void()> onProcessEvents;
};
