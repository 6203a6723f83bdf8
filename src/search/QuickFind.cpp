#include "search/QuickFind.h"

#include "lists/CarnivalList.h"
#include "lists/RowOperations.h"
#include "platform/ControlStates.h"
#include "search/DropDownMarkup.h"
#include "search/QuickFinderControls.h"
#include "site/BrowserView.h"
#include "site/SubmitPage.h"

namespace {
// "Select a carnival" and the like: choosing it adds no carnival.
bool isPlaceholder(const DropDownOption& option)
{
    return option.value.isEmpty() || option.value == u"0";
}

// Each result goes into the trailing blank row, and a new blank row follows it.
void appendResults(CarnivalList& results, const QList<DropDownOption>& found)
{
    if (!results.isBlankRow(results.rows() - 1))
        appendBlankRow(results);
    const int first = results.rows() - 1;
    results.setRows(results.rows() + static_cast<int>(found.size()));
    for (int i = 0; i < found.size(); ++i) {
        results.setCell(QuickFinder::kNameColumn, first + i, found[i].text);
        results.setCell(QuickFinder::kRefColumn, first + i, found[i].value);
    }
}
} // namespace

std::optional<int> QuickFind(BrowserView& view, const QString& keyword, CarnivalList& results,
                             ControlStates& controls)
{
    const QList<Element> dropDowns = view.elementsNamed(QString::fromLatin1(SubmitPage::kCarnivalSelect));
    if (dropDowns.isEmpty())
        return std::nullopt;
    QList<DropDownOption> found = DropDownMarkup::matching(view.outerHTML(dropDowns.first()), keyword);
    found.removeIf(isPlaceholder);
    appendResults(results, found);
    const int count = static_cast<int>(found.size());
    controls.setText(QuickFinder::FoundResults, foundResultsText(count, keyword));
    results.setCurrentRow(results.rows() - count - 1);
    return count;
}

QString foundResultsText(int count, const QString& keyword)
{
    return QString::number(count) + QStringLiteral(" Results found for \"") + keyword + u'"';
}
