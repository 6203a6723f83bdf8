#pragma once

#include <QString>

#include <functional>

class BrowserView;
class CarnivalList;
class ControlStates;
class PageAccess;
class Ui;
struct FormTab;

/// Builds lists from the submission form and sets the form from a list: Add Item / Add, Change
/// Category and the selection handlers of both grids. One routine serves both tabs; a FormTab
/// carries the tab's view, list, controls and differences.
class CarnivalOptions final
{
public:
    /// duplicateFound is the main window's flag for a carnival found already in a list.
    CarnivalOptions(PageAccess& page, Ui& ui, ControlStates& controls, bool& duplicateFound);

    /// Add Item / Add: appends the carnival and category chosen in the tab's form to its list.
    void AddClick(const FormTab& tab);
    /// Appends the carnival chosen in the view's form to grid (into the single row of an empty
    /// list); false when it added none (offline, nothing chosen, already listed, an error).
    bool AddCarnival(BrowserView& view, CarnivalList& grid);
    /// Fills in the category of grid's last row from the view's form; throws on a page error.
    void AddCategories(BrowserView& view, CarnivalList& grid);

    /// Change Category: rewrites the category of the tab's current row from its form.
    void ChangeCategoryClick(const FormTab& tab);
    void ChangeCategories(BrowserView& view, CarnivalList& grid);

    /// The user moved the tab's list selection: set the form to the current row.
    void SelectionChanged(const FormTab& tab);

private:
    bool prepareAdd(const FormTab& tab);
    void addChosen(const FormTab& tab);
    void reportingPageErrors(const std::function<void()>& steps);
    void setCount(const FormTab& tab);

    PageAccess& m_page;
    Ui& m_ui;
    ControlStates& m_controls;
    bool& m_duplicateFound;
};
