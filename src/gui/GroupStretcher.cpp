#include "gui/GroupStretcher.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace {
// Of the height the window gains, the grid takes this part and the browser view the rest.
constexpr int kGridShare = 3;
} // namespace

GroupStretcher::GroupStretcher(QWidget* group, QWidget* grid, QWidget* window)
    : QObject(group), m_group(group), m_grid(grid), m_window(window), m_startSize(group->size()),
      m_gridStart(grid->geometry())
{
    for (QObject* child : group->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget == grid || widget->isWindow())
            continue;
        const QRect at = widget->geometry();
        m_anchors.insert(widget,
                         {at.topLeft(), at.right() >= m_gridStart.right(), at.top() > m_gridStart.bottom()});
    }
    group->installEventFilter(this);
    window->installEventFilter(this);
}

bool GroupStretcher::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Show && !m_startWindowSize.isValid())
            m_startWindowSize = m_window->size();
        else if (event->type() == QEvent::Resize)
            fitGroupToWindow();
    } else if (watched == m_group && event->type() == QEvent::Resize) {
        placeControls();
    }
    return QObject::eventFilter(watched, event);
}

void GroupStretcher::fitGroupToWindow()
{
    if (!m_startWindowSize.isValid())
        return;
    const int dx = std::max(0, m_window->width() - m_startWindowSize.width());
    const int dy = std::max(0, m_window->height() - m_startWindowSize.height());
    m_group->setFixedSize(m_startSize.width() + dx, m_startSize.height() + dy / kGridShare);
}

void GroupStretcher::placeControls()
{
    const int dx = std::max(0, m_group->width() - m_startSize.width());
    const int dy = std::max(0, m_group->height() - m_startSize.height());
    m_grid->setGeometry(m_gridStart.adjusted(0, 0, dx, dy));
    for (auto it = m_anchors.cbegin(); it != m_anchors.cend(); ++it) {
        const Anchor& anchor = it.value();
        it.key()->move(anchor.start + QPoint(anchor.movesRight ? dx : 0, anchor.movesDown ? dy : 0));
    }
}
