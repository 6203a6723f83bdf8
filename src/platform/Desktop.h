#pragma once

#include <QList>
#include <QString>

#include <exception>
#include <functional>

/// What the logic asks of the desktop. The windows implement it with Qt widgets; tests use a
/// scripted fake that records every message and answers questions from a queue.
class Desktop
{
public:
    enum class Icon
    {
        None,
        Information,
        Warning,
        Question
    };

    /// The buttons of a question, and the one the user chose.
    enum class Answer
    {
        Yes,
        No,
        Save,
        Discard,
        Cancel
    };

    struct FileFilter
    {
        QString description;
        QString pattern;
    };

    virtual ~Desktop() = default;

    /// Runs a handler; an error it does not trap ends it and is shown with its text (the general
    /// error report), and the program goes on. Returns false when the handler ended with an error.
    bool runReportingErrors(const std::function<void()>& handler)
    {
        try {
            handler();
            return true;
        } catch (const std::exception& error) {
            showMessage(QString::fromStdString(error.what()));
            return false;
        }
    }

    /// A plain message box titled with the application title "Vorlix Pro", with an OK button.
    virtual void showMessage(const QString& text) = 0;
    /// A Yes/No box with the given title and icon, Yes being the default; true when Yes was chosen.
    virtual bool askYesNo(const QString& title, const QString& text, Icon icon) = 0;
    /// A question with the given buttons, the first being the default; Esc and the close box give
    /// Cancel when it is offered.
    virtual Answer ask(const QString& title, const QString& text, const QList<Answer>& buttons) = 0;
    /// A file open dialog; empty when cancelled. The first filter is selected.
    virtual QString openFileName(const QString& title, const QList<FileFilter>& filters,
                                 const QString& folder) = 0;
    /// A file save dialog; empty when cancelled. The first filter is selected.
    virtual QString saveFileName(const QString& title, const QList<FileFilter>& filters,
                                 const QString& folder) = 0;

    /// Handles the pending events once, user input included.
    virtual void processEvents() = 0;
    /// Sleeps the user-interface thread without handling events.
    virtual void sleep(int milliseconds) = 0;
    /// Waits up to the given time for events and handles those that came, user input included;
    /// returns the milliseconds it took.
    virtual int waitForEvents(int milliseconds) = 0;
    /// The Esc key's state as of the last input event handled.
    virtual bool isEscDown() const = 0;
    /// True when Esc was pressed since the last call (or is down now); forgets the press. A press
    /// is remembered until it is taken, however short it was.
    virtual bool takeEscPress() = 0;

    /// Object name of the control that has the keyboard focus; empty when none of ours has it.
    virtual QString focusedControl() const = 0;
    /// Gives the named control the keyboard focus.
    virtual void setFocus(const QString& control) = 0;

    /// Opens a document or an address with the desktop's default handler; false when that failed.
    virtual bool openDocument(const QString& pathOrUrl) = 0;
    /// Shows the page at address in a modal dialog with a web view; returns when it is closed.
    virtual void showHtmlDialog(const QString& address) = 0;
};
