#pragma once

// The real program for end-to-end tests: the local carnival directory on a free loopback port and the
// program's windows pointed at it, in a working folder of the test's own. Message boxes are answered
// by a closer that records their texts.

#include "WebTestSupport.h"
#include "app/MainController.h"
#include "directory/CarnivalDirectory.h"
#include "gui/MainWindow.h"
#include "gui/ProgramWindows.h"
#include "gui/WebEngineBrowserView.h"
#include "lists/StateFile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QQueue>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

/// One entry of a list file that an end-to-end test starts with.
struct ListRow
{
    QString carnival;
    QString category;
    qint64 carnivalRef;
    qint64 categoryRef;
};

/// Writes rows as the list file at path (UTF-8 with a byte-order mark, every field followed by a
/// TAB) and names it in the state file, so that start-up loads it.
inline void writeRememberedList(const QString& path, const QList<ListRow>& rows)
{
    QByteArray bytes("\xEF\xBB\xBF");
    for (const ListRow& row : rows) {
        const QStringList fields = {row.carnival, row.category, QString::number(row.carnivalRef),
                                    QString::number(row.categoryRef)};
        bytes += (fields.join('\t') + "\t\r\n").toUtf8();
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    StateFile::write(path);
}

/// Answers every modal message box as it appears: Yes/No from a queue (Yes when empty), a
/// Save/Discard/Cancel question from choices (Cancel when empty), else OK. A box it should leave
/// open for a while (to picture it) waits while holdOpen says so.
class MessageBoxCloser final : public QObject
{
public:
    MessageBoxCloser()
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { closeOpenBox(); });
        m_timer.start();
    }

    QStringList texts;
    QStringList titles;
    QQueue<bool> answers;
    QQueue<QMessageBox::StandardButton> choices;
    /// Called with each box before it is answered (a picture of it, say).
    std::function<void(QMessageBox*)> onBox;
    std::function<bool(QMessageBox*)> holdOpen;

private:
    void closeOpenBox()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        if (holdOpen && holdOpen(box))
            return;
        texts.append(box->text());
        titles.append(box->windowTitle());
        if (onBox)
            onBox(box);
        QAbstractButton* button = box->button(QMessageBox::Ok);
        if (!button && box->button(QMessageBox::Save)) {
            button = box->button(choices.isEmpty() ? QMessageBox::Cancel : choices.dequeue());
        } else if (!button) {
            const bool yes = answers.isEmpty() || answers.dequeue();
            button = box->button(yes ? QMessageBox::Yes : QMessageBox::No);
        }
        if (button)
            button->click();
    }

    QTimer m_timer;
};

class ProgramHarness
{
public:
    /// Starts the directory (answerDelayMs slows its answers to a POST) and the windows, whose update
    /// control file is updatePath on the directory (none when empty), signed with updateKey (none
    /// when empty), with listFile as the list named on the command line (none when empty).
    explicit ProgramHarness(const CarnivalCatalog& catalog = CarnivalCatalog::sample(), int answerDelayMs = 0,
                            const QString& updatePath = {}, const QString& updateKey = {},
                            const QString& listFile = {})
        : directory(catalog), m_previousFolder(QDir::currentPath())
    {
        QDir::setCurrent(folder.path());
        // The submission history lives in the test's own data folder, never the user's.
        qputenv("XDG_DATA_HOME", QDir(folder.path()).filePath(QStringLiteral("data")).toUtf8());
        directory.setAnswerDelay(answerDelayMs);
        site = directory.start();
        const QString updateUrl = updatePath.isEmpty() ? QString() : site + updatePath;
        windows = std::make_unique<ProgramWindows>(
            AppSettings{site, updateUrl, QCoreApplication::applicationFilePath(), updateKey, listFile});
    }

    ~ProgramHarness()
    {
        windows.reset();
        directory.stop();
        QDir::setCurrent(m_previousFolder);
    }

    /// Runs start-up and waits for the form in the first tab's view; false when it did not come.
    bool start()
    {
        QSignalSpy reported(&windows->view1(), &BrowserView::pageLoaded);
        const bool loaded = WebTestSupport::waitForLoad(windows->view1(), [this] { windows->start(); });
        // The form's own load handlers run once the load is reported; a test that acts before they
        // end would run its steps inside their page operations.
        if (loaded && reported.isEmpty())
            reported.wait(WebTestSupport::kLoadTimeoutMs);
        return loaded && windows->view1().DocumentLoaded();
    }

    /// Waits for the second tab's form, navigating it if start-up has not yet.
    bool loadSecondView()
    {
        if (windows->view2().DocumentLoaded())
            return true;
        return WebTestSupport::waitForLoad(windows->view2(), [this] { windows->form().tabsFocused(); }) &&
               windows->view2().DocumentLoaded();
    }

    MainController& form() { return windows->form(); }
    MainWindow& window() { return windows->mainWindow(); }
    QString submitUrl() const { return directory.submitUrl(); }

    QTemporaryDir folder;
    CarnivalDirectory directory;
    QString site;
    MessageBoxCloser boxes;
    std::unique_ptr<ProgramWindows> windows;

private:
    QString m_previousFolder;
};
