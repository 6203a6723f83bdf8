#pragma once

#include "site/BrowserView.h"

#include <QSignalSpy>
#include <QString>

#include <functional>

// Waiting for real browser views in end-to-end tests.
namespace WebTestSupport {

// QtWebEngine's first start takes seconds; a loopback page loads well within this.
inline constexpr int kLoadTimeoutMs = 30000;

/// Runs start, which begins a load in view, and waits until the view reports the load finished.
/// Returns the load's ok flag; false when nothing finished within timeoutMs.
inline bool waitForLoad(BrowserView& view, const std::function<void()>& start, int timeoutMs = kLoadTimeoutMs)
{
    QSignalSpy finished(&view, &BrowserView::LoadFinished);
    start();
    if (finished.isEmpty() && !finished.wait(timeoutMs))
        return false;
    return finished.constLast().at(0).toBool();
}

/// Navigates view to url and waits until the load finished; the load's ok flag.
inline bool navigateAndWait(BrowserView& view, const QString& url, int timeoutMs = kLoadTimeoutMs)
{
    return waitForLoad(
        view, [&] { view.Navigate(url); }, timeoutMs);
}

} // namespace WebTestSupport
