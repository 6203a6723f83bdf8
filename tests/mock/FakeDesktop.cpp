#include "mock/FakeDesktop.h"

#include <QCoreApplication>

bool FakeDesktop::askYesNo(const QString& title, const QString& text, Icon icon)
{
    questions.append({title, text, icon});
    return !answers.isEmpty() && answers.dequeue();
}

QString FakeDesktop::openFileName(const QString& title, const QList<FileFilter>& filters, const QString&)
{
    dialogTitles.append(title);
    dialogFilters.append(filters);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QString FakeDesktop::saveFileName(const QString& title, const QList<FileFilter>& filters, const QString&)
{
    dialogTitles.append(title);
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
