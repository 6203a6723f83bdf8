#pragma once

#include <QString>

class BrowserView;
class CarnivalList;

/// The main window's two tabs: the current list with the form it submits, and the new list.
enum class Tab
{
    CurrentList,
    NewList
};

/// One tab of the main window as the form operations see it: its view of the submission form, its
/// list, its controls, and the few points where the two tabs behave differently.
struct FormTab
{
    BrowserView& view;
    CarnivalList& grid;
    QString countLabel;    // the list-size label the add updates
    QString addButton;     // the add button, whose focus suppresses setting the form from the list
    QString backButton;    // "<<"
    QString forwardButton; // ">>"
    QString refreshButton;
    QString noDocumentError; // raised when a completed load left no HTML document

    /// The page-error message of Add covers its list and page checks too, not only the reading.
    bool addErrorCoversChecks = false;
    /// Selecting a row while the view is off the form brings it back silently (else: a message).
    bool selectionNavigatesBack = false;
    /// The add button's focus skips only the carnival when a row is selected (else: everything).
    bool addFocusSkipsOnlyCarnival = false;
};
