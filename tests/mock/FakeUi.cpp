#include "mock/FakeUi.h"

#include <QCoreApplication>

bool FakeUi::askYesNo(const QString& title, const QString& text, Icon icon)
{
    questions.append({title, text, icon});
    return !answers.isEmpty() && answers.dequeue();
}

QString FakeUi::openFileName(const QString& title, const QList<FileFilter>& filters, const QString&)
{
    dialogTitles.append(title);
    dialogFilters.append(filters);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QString FakeUi::saveFileName(const QString& title, const QList<FileFilter>& filters, const QString&)
{
    dialogTitles.append(title);
    dialogFilters.append(filters);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

void FakeUi::processEvents()
{
    ++eventPasses;
    QCoreApplication::processEvents();
    if (onProcessEvents)
        onProcessEvents();
}

int FakeUi::waitForEvents(int milliseconds)
{
    waitedMs += milliseconds;
    processEvents();
    return milliseconds;
}

bool FakeUi::openDocument(const QString& pathOrUrl)
{
    openedDocuments.append(pathOrUrl);
    return openDocumentResult;
}
