#include "platform/Process.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

void TerminateApplication()
{
    auto* application = QCoreApplication::instance();
    if (!application)
        return;
    // Inside the main loop this closes the windows (the main window's close saves its state) and
    // ends the loop; before it, it does nothing, which the connection below makes up for.
    QCoreApplication::quit();
    QCoreApplication::exit(0);
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, application,
                         [] { QCoreApplication::exit(0); });
}
