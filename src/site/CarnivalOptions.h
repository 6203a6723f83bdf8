#pragma once

#include <QString>

#include <functional>

class BrowserView;
class CarnivalList;
class ControlStates;
class PageAccess;
class Desktop;
struct FormTab;

/// Builds lists from the submission form and sets the form from a list: Add Item / Add, Change
/// Category and the selection handlers of both grids. One routine serves both tabs; a FormTab
/// carries the tab's view, list, controls and differences.
class CarnivalOptions final
{
public:
    /// duplicateFound is the main window's flag for a carnival found already in a list.
    CarnivalOptions(PageAccess& page, Desktop& desktop, ControlStates& controls, bool& duplicateFound);

    /// Add Item / Add: appends the carnival and category chosen in the tab's form to its list.
    void addChosenCarnival(const FormTab& tab);
    /// Appends the carnival chosen in the view's form to grid (into the single row of an empty
    /// list); false when it added none (offline, nothing chosen, already listed, an error).
    bool addCarnival(BrowserView& view, CarnivalList& grid);
    /// Fills in the category of grid's last row from the view's form; throws on a page error.
    void addCategories(BrowserView& view, CarnivalList& grid);

    /// Change Category: rewrites the category of the tab's current row from its form.
    void changeCategory(const FormTab& tab);
    void changeCategories(BrowserView& view, CarnivalList& grid);

    /// The user moved the tab's list selection: set the form to the current row.
    void selectionChanged(const FormTab& tab);

private:
    bool prepareAdd(const FormTab& tab);
    void addChosen(const FormTab& tab);
    void reportingPageErrors(const std::function<void()>& steps);
    void setCount(const FormTab& tab);

    PageAccess& m_page;
    Desktop& m_desktop;
    ControlStates& m_controls;
    bool& m_duplicateFound;
};
