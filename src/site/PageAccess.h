#pragma once

#include "site/BrowserView.h"
#include "site/ScratchValues.h"

#include <QString>

#include <optional>

class CarnivalList;
class ControlStates;
class Network;
class Desktop;
struct FormTab;

/// Access to the submission form shown in a view: the connection and default-page checks, reading
/// the chosen option out of a drop-down's markup, choosing a carnival and a category, and the
/// handlers that keep each view and its navigation buttons in order.
class PageAccess final
{
public:
    /// address is the submission form's one address.
    PageAccess(Desktop& desktop, const Network& network, ControlStates& controls, ScratchValues& scratch,
               QString address);

    const QString& address() const { return m_address; }
    ScratchValues& scratch() { return m_scratch; }

    /// The connection check, asked about the form's address.
    bool isOnline() const;
    /// True when the view shows exactly the form's address, letter case included.
    bool onDefaultPage(BrowserView& view);

    /// Puts into chosenText the text of the option with this value that the markup in markup
    /// marks chosen. When there is none, every scratch value keeps what it holds.
    void findChosenText(const QString& value);
    /// Fires the named event on element; false (after the page-error message) when that failed
    /// or there is no element.
    bool fireElementEvent(BrowserView& view, std::optional<Element> element, const QString& eventName);
    /// Chooses ref in the view's carnival drop-down, without a change event. Offline: nothing.
    void setCarnival(const QString& ref, BrowserView& view);
    /// Chooses ref in the view's category drop-down, runs the carnival drop-down's change handler,
    /// and gives grid the keyboard focus.
    void setCategory(const QString& ref, BrowserView& view, const CarnivalList& grid);

    /// After a load: scrolls every carnival drop-down to the top of the view. Throws the tab's
    /// error text when the view holds no document.
    void pageLoaded(const FormTab& tab);
    /// Command 1 is forward, 2 is back; "Refresh" follows the view's Busy state on every change.
    void navigationStateChanged(const FormTab& tab, int command, bool enable);
    void Refresh(const FormTab& tab);
    /// Takes the tab's view back to the form.
    void Reset(const FormTab& tab);

private:
    Desktop& m_desktop;
    const Network& m_network;
    ControlStates& m_controls;
    ScratchValues& m_scratch;
    QString m_address;
};
