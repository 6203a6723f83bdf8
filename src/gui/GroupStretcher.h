#pragma once

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

/// Lets a tab's group box grow with the window: the group widens by what the window gains in width
/// and takes a share of what it gains in height; inside it the grid takes the extra room, the
/// controls beside the grid's right edge move right with it and those below it move down. At the
/// size the window first shows with, everything stands where it was placed.
class GroupStretcher final : public QObject
{
public:
    /// Records the group's controls where they stand now; call once they are all placed.
    GroupStretcher(QWidget* group, QWidget* grid, QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitGroupToWindow();
    void placeControls();

    struct Anchor
    {
        QPoint start;
        bool movesRight = false; // stands beside or under the grid's right edge
        bool movesDown = false;  // stands below the grid
    };

    QWidget* m_group;
    QWidget* m_grid;
    QWidget* m_window;
    QSize m_startSize;
    QSize m_startWindowSize;
    QRect m_gridStart;
    QHash<QWidget*, Anchor> m_anchors;
};
