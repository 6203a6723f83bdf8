#pragma once

#include <QMetaObject>

class BrowserView;

/// Follows the loads of a view from the moment it is made: whether a load began since, and whether
/// the load begun last has ended. Made before an action that starts a load (a click on a submit
/// button), it cannot miss an answer that comes at once, and a load that was already under way
/// when it was made does not count.
class LoadWatch final
{
public:
    explicit LoadWatch(BrowserView& view);
    ~LoadWatch();
    LoadWatch(const LoadWatch&) = delete;
    LoadWatch& operator=(const LoadWatch&) = delete;

    /// A load began since the watch was made.
    bool started() const { return m_started; }
    /// The load begun last has ended (successfully or not).
    bool finished() const { return m_finished; }
    /// The ended load succeeded.
    bool ok() const { return m_ok; }
    /// The ended load's HTTP status (0: unknown) and Retry-After (-1: none), as the view reported them.
    int httpStatus() const { return m_httpStatus; }
    int retryAfterSeconds() const { return m_retryAfter; }

private:
    QMetaObject::Connection m_startConnection;
    QMetaObject::Connection m_finishConnection;
    bool m_started = false;
    bool m_finished = false;
    bool m_ok = false;
    int m_httpStatus = 0;
    int m_retryAfter = -1;
};
