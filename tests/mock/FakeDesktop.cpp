#include "mock/FakeDesktop.h"

#include <stdexcept>

#include <QCoreApplication>

bool FakeDesktop::askYesNo(const QString& title, const QString& text, Icon icon)
{
    questions.append({title, text, icon});
    return !answers.isEmpty() && answers.dequeue();
}

QString FakeDesktop::openFileName(const QString& title, const QList<FileFilter>& filters,
                                  const QString& folder)
{
    dialogTitles.append(title);
    dialogFolders.append(folder);
    dialogFilters.append(filters);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QString FakeDesktop::saveFileName(const QString& title, const QList<FileFilter>& filters,
                                  const QString& folder)
{
    dialogTitles.append(title);
    dialogFolders.append(folder);
    dialogFilters.append(filters);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

void FakeDesktop::processEvents()
{
    ++eventPasses;
    QCoreApplication::processEvents();
    if (onProcessEvents)
        onProcessEvents();
}

int FakeDesktop::waitForEvents(int milliseconds)
{
    waitedMs += milliseconds;
    processEvents();
    return milliseconds;
}

bool FakeDesktop::openDocument(const QString& pathOrUrl)
{
    openedDocuments.append(pathOrUrl);
    return openDocumentResult;
}

Desktop::Answer FakeDesktop::ask(const QString& title, const QString& text, const QList<Answer>& buttons)
{
    questions.append({title, text, Icon::Question});
    if (choices.isEmpty())
        return buttons.contains(defaultChoice) ? defaultChoice : Answer::Cancel;
    const Answer answer = choices.dequeue();
    if (!buttons.contains(answer))
        throw std::logic_error("The scripted answer is not among the question's buttons");
    return answer;
}
