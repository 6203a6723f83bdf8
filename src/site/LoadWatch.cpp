#include "site/LoadWatch.h"

#include "site/BrowserView.h"

LoadWatch::LoadWatch(BrowserView& view)
{
    m_startConnection = QObject::connect(&view, &BrowserView::LoadStarted, [this] {
        // A newer load replaces the one we were waiting for; its end is the one that counts.
        m_started = true;
        m_finished = false;
    });
    m_finishConnection = QObject::connect(&view, &BrowserView::LoadFinished, [this, &view](bool ok) {
        if (!m_started)
            return; // the end of a load that began before we were watching
        m_finished = true;
        m_ok = ok;
        m_httpStatus = view.httpStatus();
        m_retryAfter = view.retryAfterSeconds();
    });
}

LoadWatch::~LoadWatch()
{
    QObject::disconnect(m_startConnection);
    QObject::disconnect(m_finishConnection);
}
