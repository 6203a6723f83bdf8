#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

class BrowserView;
class CarnivalList;
class ControlStates;
class Desktop;
class PageAccess;

/// Check Inactives: compares every entry of the current list with the carnivals that the
/// submission form in the first tab's view offers now, reports the entries whose carnival it no
/// longer offers and, when the user agrees, removes them. It reads the page as it is shown and
/// loads nothing. A carnival counts as offered only when some option's value equals its ref.
class InactiveCheck final
{
public:
    InactiveCheck(Desktop& desktop, PageAccess& page, BrowserView& view, CarnivalList& list,
                  ControlStates& controls)
        : m_desktop(desktop), m_page(page), m_view(view), m_list(list), m_controls(controls)
    {}

    /// The button's handler: the connection and list-size guards, then the check.
    void checkInactives();
    /// One check of the current list against the page of the first tab's view.
    void checkCarnivals();

    /// The question asked before removal, one "* name" line per inactive entry.
    static QString questionText(const QStringList& reportLines);

private:
    struct Findings
    {
        QStringList reportLines;
        QStringList refs;
    };

    bool onSubmitPage();
    Findings findInactive(const QSet<QString>& offered);
    void removeRows(const QStringList& refs);
    void setListTotal();

    Desktop& m_desktop;
    PageAccess& m_page;
    BrowserView& m_view;
    CarnivalList& m_list;
    ControlStates& m_controls;
};
