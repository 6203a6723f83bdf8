#pragma once

#include "lists/CarnivalList.h"
#include "platform/ControlStates.h"

#include <QObject>
#include <QString>

#include <functional>

class BrowserView;
class Desktop;
struct ScratchValues;

/// The Quick Finder window's logic: a keyword search over the submission form's carnivals whose
/// results the user sifts and adds to the list of the main window's active tab. The window in
/// gui/ shows the results grid and the control states and forwards the user's events here.
///
/// The results grid always ends with one blank row, which the next search writes into.
class QuickFinderController final : public QObject
{
    Q_OBJECT

public:
    /// The list that Add writes into (the main window's active tab) and the label that counts it.
    struct Target
    {
        CarnivalList& list;
        ControlStates& controls;
        QString countLabel;
    };

    /// view shows the submission form that the search reads; target names the list Add fills.
    QuickFinderController(Desktop& desktop, BrowserView& view, ScratchValues& scratch,
                          std::function<Target()> target, QObject* parent = nullptr);

    /// The add button's caption follows the main window's active tab.
    void setAddCaption(const QString& caption);

    /// The results grid (results): carnival name in column 0, ref in column 1.
    CarnivalList results;
    /// Captions and labels by object name (QuickFinderControls.h), the keyword box's text included.
    ControlStates controls;

    QString keyword() const;
    /// The keyword box's text after the user typed or pasted into it; its letters are kept in
    /// lower case, and the box follows the state "keywordBox".
    void keywordEdited(const QString& text);

    /// The user's selection in the results grid spans rows first to last (in either order). Call
    /// it after the grid's current row (the row where the selection began) has been set. The
    /// handlers below collapse the span to the current row whenever they move that row.
    void setSelectionSpan(int first, int last);
    int selectionTop() const { return m_selectionTop; }
    int selectionBottom() const { return m_selectionBottom; }

    // Handlers. Errors they do not trap go to the main window's general error report.
    void find();
    /// Enter (13) runs Find.
    void keywordKeyTyped(int character);
    /// Add: the selected results go to the list of the main window's active tab.
    void addSelectedResults();
    /// Delete Row.
    void deleteCurrentResult();
    /// The full stop deletes the current result.
    void resultsKeyTyped(int character);
    void clearAllResults();
    /// Close: empties the results and asks the window to hide; the keyword stays.
    void closeFinder();
    void activated();

    /// Removes result row r; the trailing blank row and rows outside the grid are left alone.
    void deleteResultRow(int r);
    /// The results become a single blank row and both result labels are reset.
    void clearResults();

signals:
    void hideRequested();

private:
    void Find();
    void Add();
    bool addResult(int row, const Target& to);
    void removeResults(const QList<int>& rows);
    bool isTrailingBlankRow(int row) const;
    void setResultCount();
    void collapseSelection();

    Desktop& m_desktop;
    BrowserView& m_view;
    ScratchValues& m_scratch;
    std::function<Target()> m_target;
    int m_selectionTop = 0;
    int m_selectionBottom = 0;
};
