#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

/// Waits in the event loop up to the given time and handles the events that came; returns the
/// milliseconds it took. Waiting in the loop, not sleeping between passes: the browser engine's
/// work comes through the event loop and stalls while the thread sleeps.
inline int waitForEventsUpTo(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(milliseconds);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return static_cast<int>(clock.elapsed());
}
