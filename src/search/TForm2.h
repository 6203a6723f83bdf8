#pragma once

#include "app/ControlStates.h"
#include "lists/CarnivalList.h"

#include <QObject>
#include <QString>

class TForm1;

/// The Quick Finder window's logic: a keyword search over the submission form's carnivals whose
/// results the user sifts and adds to the list of the main window's active tab. The window in
/// gui/ shows the results grid and the control states and forwards the user's events here.
///
/// The results grid always ends with one blank row, which the next search writes into.
class TForm2 final : public QObject
{
    Q_OBJECT

public:
    explicit TForm2(TForm1& mainForm, QObject* parent = nullptr);

    /// The results grid (StringGrid1): carnival name in column 0, ref in column 1.
    CarnivalList StringGrid1;
    /// Captions and labels by object name (QuickFinderControls.h), the keyword box's text included.
    ControlStates controls;

    QString keyword() const;
    /// The keyword box's text after the user typed or pasted into it; its letters are kept in
    /// lower case, and the box follows the state "TextBoxKeyword".
    void TextBoxKeywordChange(const QString& text);

    /// The user's selection in the results grid spans rows first to last (in either order). Call
    /// it after the grid's current row (the row where the selection began) has been set. The
    /// handlers below collapse the span to the current row whenever they move that row.
    void setSelectionSpan(int first, int last);
    int selectionTop() const { return m_selectionTop; }
    int selectionBottom() const { return m_selectionBottom; }

    // Handlers. Errors they do not trap go to the main window's general error report.
    void btnFindClick();
    /// Enter (13) runs Find.
    void TextBoxKeywordKeyPress(int character);
    /// Add: the selected results go to the list of the main window's active tab.
    void spSkinButton1Click();
    /// Delete Row.
    void spSkinButton4Click();
    /// The full stop deletes the current result.
    void StringGrid1KeyPress(int character);
    void btnClearAllClick();
    /// Close: empties the results and asks the window to hide; the keyword stays.
    void spSkinButton3Click();
    void FormActivate();

    /// Removes result row r; the trailing blank row and rows outside the grid are left alone.
    void DeleteRows(int r);
    /// The results become a single blank row and both result labels are reset.
    void ClearCells();

signals:
    void hideRequested();

private:
    void Find();
    void Add();
    bool addResult(int row, CarnivalList& target, const QString& countLabel);
    void removeResults(const QList<int>& rows);
    bool isTrailingBlankRow(int row) const;
    void setResultCount();
    void collapseSelection();

    TForm1& m_form1;
    int m_selectionTop = 0;
    int m_selectionBottom = 0;
};
