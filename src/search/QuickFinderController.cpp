#include "search/QuickFinderController.h"

#include "lists/CarnivalList.h"
#include "lists/RowOperations.h"
#include "platform/Desktop.h"
#include "search/QuickFind.h"
#include "search/QuickFinderControls.h"
#include "site/ScratchValues.h"

#include <algorithm>

namespace {
constexpr int kEnter = 13;
constexpr int kFullStop = 46;
const QString kAlreadyInList = QStringLiteral("THIS CARNIVAL ALREADY IN LIST (");
} // namespace

QuickFinderController::QuickFinderController(Desktop& desktop, BrowserView& view, ScratchValues& scratch,
                                             std::function<Target()> target, QObject* parent)
    : QObject(parent), results(QuickFinder::Results), controls(QuickFinder::all()), m_desktop(desktop),
      m_view(view), m_scratch(scratch), m_target(std::move(target))
{
    results.setColumns(QuickFinder::kResultColumns);
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
    controls.setText(QuickFinder::AddButton, QuickFinder::kAddToCurrentList);
}

void QuickFinderController::setAddCaption(const QString& caption)
{
    controls.setText(QuickFinder::AddButton, caption);
}

QString QuickFinderController::keyword() const
{
    return controls.text(QuickFinder::Keyword);
}

void QuickFinderController::keywordEdited(const QString& text)
{
    controls.setText(QuickFinder::Keyword, text.toLower());
}

void QuickFinderController::setSelectionSpan(int first, int last)
{
    const int lastRow = results.rows() - 1;
    m_selectionTop = std::clamp(std::min(first, last), 0, lastRow);
    m_selectionBottom = std::clamp(std::max(first, last), 0, lastRow);
}

void QuickFinderController::collapseSelection()
{
    m_selectionTop = m_selectionBottom = results.currentRow();
}

void QuickFinderController::setResultCount()
{
    controls.setText(QuickFinder::ResultCount, QString::number(results.rows() - 1));
}

bool QuickFinderController::isTrailingBlankRow(int row) const
{
    return row == results.rows() - 1 && results.isBlankRow(row);
}

void QuickFinderController::find()
{
    m_desktop.runReportingErrors([this] { Find(); });
}

void QuickFinderController::keywordKeyTyped(int character)
{
    if (character == kEnter)
        find();
}

void QuickFinderController::Find()
{
    results.setCurrentRow(results.rows() - 1);
    collapseSelection();
    QuickFind(m_view, keyword(), results, controls);
    collapseSelection();
    setResultCount();
}

void QuickFinderController::addSelectedResults()
{
    m_desktop.runReportingErrors([this] { Add(); });
}

// Works downward from the current row: an added result leaves the grid and the next one moves up
// into the current row; a result already in the list is marked and stepped over. The added rows
// are taken out in one pass at the end, so a large selection costs no more than one pass per row.
void QuickFinderController::Add()
{
    if (results.isBlankRow(results.currentRow()))
        return;
    const int count = m_selectionBottom - m_selectionTop + 1;
    const Target target = m_target();
    QList<int> added;
    int row = results.currentRow();
    for (int i = 0; i < count && !results.isBlankRow(row); ++i) {
        if (addResult(row, target))
            added.append(row);
        // Either way the next result is handled next; the last row is the blank one.
        if (row < results.rows() - 1)
            ++row;
    }
    removeResults(added);
    results.setCurrentRow(row - static_cast<int>(added.size()));
    collapseSelection();
}

// True when the result went to the target list; false when the list holds it already.
bool QuickFinderController::addResult(int row, const Target& to)
{
    CarnivalList& target = to.list;
    const QString name = results.cell(QuickFinder::kNameColumn, row);
    const QString ref = results.cell(QuickFinder::kRefColumn, row);
    if (containsCarnival(target, ref)) {
        results.setCell(QuickFinder::kNameColumn, row, kAlreadyInList + name + u')');
        return false;
    }
    if (!target.isBlankRow(target.rows() - 1))
        appendBlankRow(target);
    target.setEntry(target.rows() - 1, {name, QStringLiteral("No Category"), ref, QStringLiteral("0")});
    appendBlankRow(target);
    to.controls.setText(to.countLabel, QString::number(target.carnivalCount()));
    return true;
}

// Takes out the given rows (ascending), moving the rows below them up, as deleteResultRow would one by one.
void QuickFinderController::removeResults(const QList<int>& rows)
{
    if (rows.isEmpty())
        return;
    int next = 0;
    int write = rows.first();
    for (int read = rows.first(); read < results.rows(); ++read) {
        if (next < rows.size() && rows[next] == read) {
            ++next;
            continue;
        }
        for (int column = 0; column < results.columns(); ++column)
            results.setCell(column, write, results.cell(column, read));
        ++write;
    }
    results.setRows(write);
    m_desktop.setFocus(QuickFinder::Results);
    setResultCount();
}

void QuickFinderController::deleteResultRow(int r)
{
    if (r < 0 || r >= results.rows() || isTrailingBlankRow(r))
        return;
    deleteGridRow(results, r, m_desktop);
    setResultCount();
}

void QuickFinderController::deleteCurrentResult()
{
    const int row = results.currentRow();
    if (isTrailingBlankRow(row))
        return;
    deleteResultRow(row);
    if (results.rows() <= 1)
        clearResults();
    if (controls.text(QuickFinder::ResultCount) == QStringLiteral("0"))
        controls.setText(QuickFinder::FoundResults, QString());
    collapseSelection();
}

void QuickFinderController::resultsKeyTyped(int character)
{
    if (character != kFullStop)
        return;
    deleteResultRow(results.currentRow());
    collapseSelection();
}

void QuickFinderController::clearResults()
{
    results.setRows(1);
    for (int column = 0; column < results.columns(); ++column)
        results.setCell(column, 0, QString());
    results.setCurrentRow(0);
    collapseSelection();
    m_scratch.markup.clear();
    controls.setText(QuickFinder::ResultCount, QStringLiteral("0"));
    controls.setText(QuickFinder::FoundResults, QString());
}

void QuickFinderController::clearAllResults()
{
    clearResults();
}

void QuickFinderController::closeFinder()
{
    clearResults();
    emit hideRequested();
}

void QuickFinderController::activated()
{
    m_desktop.setFocus(QuickFinder::Keyword);
}
