#include "search/TForm2.h"

#include "app/TForm1.h"
#include "app/Ui.h"
#include "lists/RowOperations.h"
#include "search/QuickFind.h"
#include "search/QuickFinderControls.h"

#include <algorithm>

namespace {
constexpr int kEnter = 13;
constexpr int kFullStop = 46;
const QString kAlreadyInList = QStringLiteral("THIS CARNIVAL ALREADY IN LIST (");
} // namespace

TForm2::TForm2(TForm1& mainForm, QObject* parent)
    : QObject(parent), StringGrid1(QuickFinder::Results), m_form1(mainForm)
{
    StringGrid1.setColumns(QuickFinder::kResultColumns);
    controls.setText(QuickFinder::KeywordLabel, QStringLiteral("Enter Keyword Here:"));
    controls.setText(QuickFinder::Keyword, QString());
    controls.setText(QuickFinder::FindButton, QStringLiteral("Find"));
    controls.setText(QuickFinder::DeleteRowButton, QStringLiteral("Delete Row"));
    controls.setText(QuickFinder::ClearAllButton, QStringLiteral("Clear All"));
    controls.setText(QuickFinder::CloseButton, QStringLiteral("Close"));
    controls.setText(QuickFinder::TotalLabel, QStringLiteral("Total Results: "));
    controls.setText(QuickFinder::GroupBox, QuickFinder::kGroupCaption);
    controls.setText(QuickFinder::FoundResults, QString());
    controls.setText(QuickFinder::ResultCount, QStringLiteral("0"));
    controls.setText(QuickFinder::AddButton,
                     m_form1.activeTab() == 0 ? QuickFinder::kAddToCurrentList : QuickFinder::kAddToNewList);
    connect(&m_form1, &TForm1::quickFinderTargetChanged, this,
            [this](const QString& caption) { controls.setText(QuickFinder::AddButton, caption); });
}

QString TForm2::keyword() const
{
    return controls.text(QuickFinder::Keyword);
}

void TForm2::TextBoxKeywordChange(const QString& text)
{
    controls.setText(QuickFinder::Keyword, text.toLower());
}

void TForm2::setSelectionSpan(int first, int last)
{
    const int lastRow = StringGrid1.rows() - 1;
    m_selectionTop = std::clamp(std::min(first, last), 0, lastRow);
    m_selectionBottom = std::clamp(std::max(first, last), 0, lastRow);
}

void TForm2::collapseSelection()
{
    m_selectionTop = m_selectionBottom = StringGrid1.currentRow();
}

void TForm2::setResultCount()
{
    controls.setText(QuickFinder::ResultCount, QString::number(StringGrid1.rows() - 1));
}

bool TForm2::isTrailingBlankRow(int row) const
{
    return row == StringGrid1.rows() - 1 && StringGrid1.isBlankRow(row);
}

void TForm2::btnFindClick()
{
    m_form1.dispatch([this] { Find(); });
}

void TForm2::TextBoxKeywordKeyPress(int character)
{
    if (character == kEnter)
        btnFindClick();
}

void TForm2::Find()
{
    StringGrid1.setCurrentRow(StringGrid1.rows() - 1);
    collapseSelection();
    QuickFind(m_form1.EmbeddedWB1, keyword(), StringGrid1, controls);
    collapseSelection();
    setResultCount();
}

void TForm2::spSkinButton1Click()
{
    m_form1.dispatch([this] { Add(); });
}

// Works downward from the current row: an added result leaves the grid and the next one moves up
// into the current row; a result already in the list is marked and stepped over. The added rows
// are taken out in one pass at the end, so a large selection costs no more than one pass per row.
void TForm2::Add()
{
    if (StringGrid1.isBlankRow(StringGrid1.currentRow()))
        return;
    const int count = m_selectionBottom - m_selectionTop + 1;
    const bool toCurrentList = m_form1.activeTab() == 0;
    CarnivalList& target = toCurrentList ? m_form1.AdvStringGrid1 : m_form1.AdvStringGrid2;
    const QString& countLabel = toCurrentList ? Controls::ListTotal : Controls::NewListTotal;
    QList<int> added;
    int row = StringGrid1.currentRow();
    for (int i = 0; i < count && !StringGrid1.isBlankRow(row); ++i) {
        if (addResult(row, target, countLabel))
            added.append(row);
        // Either way the next result is handled next; the last row is the blank one.
        if (row < StringGrid1.rows() - 1)
            ++row;
    }
    removeResults(added);
    StringGrid1.setCurrentRow(row - static_cast<int>(added.size()));
    collapseSelection();
}

// True when the result went to the target list; false when the list holds it already.
bool TForm2::addResult(int row, CarnivalList& target, const QString& countLabel)
{
    const QString name = StringGrid1.cell(QuickFinder::kNameColumn, row);
    const QString ref = StringGrid1.cell(QuickFinder::kRefColumn, row);
    if (FindDupes(target, ref)) {
        StringGrid1.setCell(QuickFinder::kNameColumn, row, kAlreadyInList + name + u')');
        return false;
    }
    if (!target.isBlankRow(target.rows() - 1))
        AppendBlankRow(target);
    target.setEntry(target.rows() - 1, {name, QStringLiteral("No Category"), ref, QStringLiteral("0")});
    AppendBlankRow(target);
    m_form1.controls.setText(countLabel, QString::number(target.rows() - 1));
    return true;
}

// Takes out the given rows (ascending), moving the rows below them up, as DeleteRows would one by one.
void TForm2::removeResults(const QList<int>& rows)
{
    if (rows.isEmpty())
        return;
    int next = 0;
    int write = rows.first();
    for (int read = rows.first(); read < StringGrid1.rows(); ++read) {
        if (next < rows.size() && rows[next] == read) {
            ++next;
            continue;
        }
        for (int column = 0; column < StringGrid1.columns(); ++column)
            StringGrid1.setCell(column, write, StringGrid1.cell(column, read));
        ++write;
    }
    StringGrid1.setRows(write);
    m_form1.ui.setFocus(QuickFinder::Results);
    setResultCount();
}

void TForm2::DeleteRows(int r)
{
    if (r < 0 || r >= StringGrid1.rows() || isTrailingBlankRow(r))
        return;
    DeleteStringGridRow1(StringGrid1, r, m_form1.ui);
    setResultCount();
}

void TForm2::spSkinButton4Click()
{
    const int row = StringGrid1.currentRow();
    if (isTrailingBlankRow(row))
        return;
    DeleteRows(row);
    if (StringGrid1.rows() <= 1)
        ClearCells();
    if (controls.text(QuickFinder::ResultCount) == QStringLiteral("0"))
        controls.setText(QuickFinder::FoundResults, QString());
    collapseSelection();
}

void TForm2::StringGrid1KeyPress(int character)
{
    if (character != kFullStop)
        return;
    DeleteRows(StringGrid1.currentRow());
    collapseSelection();
}

void TForm2::ClearCells()
{
    StringGrid1.setRows(1);
    for (int column = 0; column < StringGrid1.columns(); ++column)
        StringGrid1.setCell(column, 0, QString());
    StringGrid1.setCurrentRow(0);
    collapseSelection();
    m_form1.scratch.RichEdit1.clear();
    controls.setText(QuickFinder::ResultCount, QStringLiteral("0"));
    controls.setText(QuickFinder::FoundResults, QString());
}

void TForm2::btnClearAllClick()
{
    ClearCells();
}

void TForm2::spSkinButton3Click()
{
    ClearCells();
    emit hideRequested();
}

void TForm2::FormActivate()
{
    m_form1.ui.setFocus(QuickFinder::Keyword);
}
