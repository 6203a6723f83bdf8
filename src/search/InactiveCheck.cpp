#include "search/InactiveCheck.h"

#include "lists/CarnivalList.h"
#include "lists/RowOperations.h"
#include "platform/ControlNames.h"
#include "platform/ControlStates.h"
#include "platform/Desktop.h"
#include "search/DropDownMarkup.h"
#include "site/BrowserView.h"
#include "site/PageAccess.h"
#include "site/SubmitPage.h"

namespace {
const QString kNoResponse =
    QStringLiteral("There is no response from the website, check your internet connection");
const QString kNothingInList = QStringLiteral("Nothing in List");
const QString kAllCurrent = QStringLiteral("All carnivals are current");
const QString kQuestionTitle = QStringLiteral("VorlixPro v3 - Inactive Carnivals");
const QString kNotLoaded = QStringLiteral(
    "The website appears to be offline, or has not finished loading\n\nCheck your internet connection");
} // namespace

void InactiveCheck::checkInactives()
{
    if (!m_page.isOnline()) {
        m_desktop.showMessage(kNoResponse);
        return;
    }
    if (m_list.rows() < 2) {
        m_desktop.showMessage(kNothingInList);
        return;
    }
    checkCarnivals();
}

// Preparation: the view must hold a document, and that document must be the form itself.
bool InactiveCheck::onSubmitPage()
{
    bool loaded = false;
    try {
        loaded = m_view.DocumentLoaded();
        if (loaded && !m_page.onDefaultPage(m_view)) {
            m_desktop.showMessage(SubmitPage::kNotDefaultPageMessage);
            return false;
        }
    } catch (const PageError&) {
        loaded = false;
    }
    if (!loaded)
        m_desktop.showMessage(SubmitPage::kPageErrorMessage);
    return loaded;
}

void InactiveCheck::checkCarnivals()
{
    BrowserView& view = m_view;
    if (!onSubmitPage())
        return;
    try {
        const QList<Element> dropDowns = view.elementsNamed(QString::fromLatin1(SubmitPage::kCarnivalSelect));
        // Without the carnival drop-down there is nothing to compare with: every entry would
        // look expired.
        if (dropDowns.isEmpty()) {
            m_desktop.showMessage(SubmitPage::kPageErrorMessage);
            return;
        }
        const Findings findings = findInactive(DropDownMarkup::values(view.outerHTML(dropDowns.first())));
        if (findings.reportLines.isEmpty()) {
            m_desktop.showMessage(kAllCurrent);
            return;
        }
        if (!m_desktop.askYesNo(kQuestionTitle, questionText(findings.reportLines), Desktop::Icon::Question))
            return;
        removeRows(findings.refs);
        setListTotal();
    } catch (const PageError&) {
        setListTotal();
        m_desktop.showMessage(kNotLoaded);
    }
}

// Each row becomes current in turn; rows without a ref (the trailing blank row) are skipped.
InactiveCheck::Findings InactiveCheck::findInactive(const QSet<QString>& offered)
{
    Findings findings;
    CarnivalList& grid = m_list;
    for (int row = 0; row < grid.rows(); ++row) {
        grid.setCurrentRow(row);
        const QString ref = grid.cell(Column::CarnivalRef, row);
        if (ref.isEmpty() || offered.contains(ref))
            continue;
        findings.reportLines.append(QStringLiteral("* ") + grid.cell(Column::Carnival, row));
        findings.refs.append(ref);
    }
    return findings;
}

QString InactiveCheck::questionText(const QStringList& reportLines)
{
    QString text = QStringLiteral("Found ") + QString::number(reportLines.size()) +
                   QStringLiteral(" carnivals that are no longer valid: ") + QStringLiteral("\n\n");
    for (const QString& line : reportLines)
        text += line + QStringLiteral("\r\n");
    return text + QStringLiteral("\n") + QStringLiteral("Would you like to remove them from your list?");
}

// Each lookup finds the first remaining row of that carnival, so repeated entries all go.
void InactiveCheck::removeRows(const QStringList& refs)
{
    CarnivalList& grid = m_list;
    for (const QString& ref : refs) {
        if (selectRowByRef(grid, ref))
            deleteGridRow(grid, grid.currentRow(), m_desktop);
    }
}

void InactiveCheck::setListTotal()
{
    m_controls.setText(Controls::ListTotal, QString::number(m_list.carnivalCount()));
}
