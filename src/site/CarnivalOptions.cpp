#include "site/CarnivalOptions.h"

#include "lists/CarnivalList.h"
#include "lists/RowOperations.h"
#include "platform/ControlStates.h"
#include "platform/Desktop.h"
#include "site/BrowserView.h"
#include "site/FormTab.h"
#include "site/PageAccess.h"
#include "site/SubmitPage.h"

namespace {
const QString kCarnivalSelect = QString::fromLatin1(SubmitPage::kCarnivalSelect);
const QString kCategorySelect = QString::fromLatin1(SubmitPage::kCategorySelect);
const QString kValue = QStringLiteral("value");
const QString kNoCategory = QStringLiteral("No Category");
const QString kNoCategoryRef = QStringLiteral("0");

QString valueOf(BrowserView& view, Element element)
{
    const std::optional<QString> value = view.getAttribute(element, kValue);
    if (!value)
        throw PageError(QStringLiteral("The drop-down has no value"));
    return *value;
}

double numberOf(const QString& value)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        throw PageError(QStringLiteral("Not a number: ") + value);
    return number;
}

// A value read as a truth value: a number other than 0 is true, and so is the word "true".
bool truthOf(const QString& value)
{
    if (value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return numberOf(value) != 0;
}
} // namespace

CarnivalOptions::CarnivalOptions(PageAccess& page, Desktop& desktop, ControlStates& controls,
                                 bool& duplicateFound)
    : m_page(page), m_desktop(desktop), m_controls(controls), m_duplicateFound(duplicateFound)
{}

void CarnivalOptions::reportingPageErrors(const std::function<void()>& steps)
{
    try {
        steps();
    } catch (const std::exception&) {
        m_desktop.showMessage(SubmitPage::kPageErrorMessage);
    }
}

void CarnivalOptions::setCount(const FormTab& tab)
{
    m_controls.setText(tab.countLabel, QString::number(tab.grid.rows()));
}

void CarnivalOptions::addChosenCarnival(const FormTab& tab)
{
    if (tab.addErrorCoversChecks) {
        reportingPageErrors([&] {
            if (prepareAdd(tab))
                addChosen(tab);
        });
    } else if (prepareAdd(tab)) {
        reportingPageErrors([&] { addChosen(tab); });
    }
}

bool CarnivalOptions::prepareAdd(const FormTab& tab)
{
    CarnivalList& grid = tab.grid;
    if (grid.isBlankRow(grid.rows() - 1))
        deleteGridRow(grid, grid.rows() - 1, m_desktop);
    grid.setCurrentRow(0);
    if (!m_page.isOnline()) {
        m_desktop.showMessage(SubmitPage::kOfflineMessage);
        return false;
    }
    if (!m_page.onDefaultPage(tab.view)) {
        m_desktop.showMessage(SubmitPage::kNotDefaultPageMessage);
        return false;
    }
    return true;
}

void CarnivalOptions::addChosen(const FormTab& tab)
{
    const std::optional<Element> carnival = tab.view.getElementById(kCarnivalSelect);
    if (!carnival)
        throw PageError(QStringLiteral("The form has no carnival drop-down"));
    if (valueOf(tab.view, *carnival) == QLatin1String("0"))
        return; // nothing chosen
    const bool added = addCarnival(tab.view, tab.grid);
    if (m_duplicateFound) {
        m_duplicateFound = false;
        return;
    }
    // A category read without its carnival would land in whatever row is last.
    if (added)
        addCategories(tab.view, tab.grid);
    setCount(tab);
    m_duplicateFound = false;
}

bool CarnivalOptions::addCarnival(BrowserView& view, CarnivalList& grid)
{
    if (!m_page.isOnline()) {
        m_desktop.showMessage(
            QStringLiteral("There is no response from the website, check your internet connection"));
        return false;
    }
    ScratchValues& scratch = m_page.scratch();
    try {
        // An empty list takes its first carnival in its single row, any other list in a new last
        // row; a last row that holds an entry is never written over.
        const bool append = !grid.isBlankRow(grid.currentRow()) || !grid.isBlankRow(grid.rows() - 1);
        if (append)
            appendBlankRow(grid);
        grid.setCurrentRow(0);
        const int target = grid.rows() - 1;
        scratch.markup.clear();
        bool added = false;
        for (const Element select : view.elementsNamed(kCarnivalSelect)) {
            const QString value = valueOf(view, select);
            scratch.markup = view.outerHTML(select);
            const double number = numberOf(value);
            if (number == 0) {
                m_desktop.showMessage(QStringLiteral("no carnival"));
                grid.setCurrentRow(0);
                return false;
            }
            if (number > 0) {
                m_page.findChosenText(value);
                if (containsCarnival(grid, value)) {
                    m_desktop.showMessage(QStringLiteral("This carnival is already in the list"));
                    grid.setCurrentRow(target);
                    if (append)
                        deleteGridRow(grid, grid.rows(), m_desktop);
                    m_duplicateFound = true;
                    return false;
                }
                grid.setCell(Column::Carnival, target, scratch.chosenText);
                grid.setCell(Column::CarnivalRef, target, value);
                grid.setCurrentRow(target);
                added = true;
            }
        }
        return added;
    } catch (const std::exception&) {
        m_desktop.showMessage(QStringLiteral("Error in AddCarnival()"));
        return false;
    }
}

void CarnivalOptions::addCategories(BrowserView& view, CarnivalList& grid)
{
    ScratchValues& scratch = m_page.scratch();
    const int target = grid.rows() - 1;
    scratch.markup.clear();
    for (const Element select : view.elementsNamed(kCategorySelect)) {
        const QString value = valueOf(view, select);
        scratch.markup = view.outerHTML(select);
        if (truthOf(value)) {
            m_page.findChosenText(value);
            grid.setCell(Column::Category, target, scratch.chosenText);
            grid.setCell(Column::CategoryRef, target, value);
        } else {
            grid.setCell(Column::Category, target, kNoCategory);
            grid.setCell(Column::CategoryRef, target, kNoCategoryRef);
        }
    }
    if (grid.cell(Column::Category, target).isEmpty()) {
        grid.setCell(Column::Category, target, kNoCategory); // the page has no category drop-down
        grid.setCell(Column::CategoryRef, target, kNoCategoryRef);
        grid.setCurrentRow(target);
    } else {
        grid.setCurrentRow(target);
        scratch.chosenText.clear();
    }
}

void CarnivalOptions::changeCategory(const FormTab& tab)
{
    if (!m_page.isOnline()) {
        m_desktop.showMessage(SubmitPage::kOfflineMessage);
        return;
    }
    changeCategories(tab.view, tab.grid);
}

void CarnivalOptions::changeCategories(BrowserView& view, CarnivalList& grid)
{
    ScratchValues& scratch = m_page.scratch();
    reportingPageErrors([&] {
        const int row = grid.currentRow();
        for (const Element select : view.getElementsByTagName(QStringLiteral("select"))) {
            if (view.getAttribute(select, QStringLiteral("name")) == kCategorySelect) {
                const QString value = view.getAttribute(select, kValue).value_or(QString());
                grid.setCell(Column::CategoryRef, row, value);
                scratch.chosenText = value;
                scratch.markup = view.outerHTML(select);
                m_page.findChosenText(value);
                grid.setCell(Column::Category, row, scratch.chosenText);
            } else {
                // The last drop-down decides: one after the category drop-down overrides it.
                grid.setCell(Column::Category, row, kNoCategory);
            }
        }
    });
}

void CarnivalOptions::selectionChanged(const FormTab& tab)
{
    if (!m_page.isOnline())
        return;
    const bool addFocused = m_desktop.focusedControl() == tab.addButton;
    if (addFocused && !tab.addFocusSkipsOnlyCarnival)
        return;
    if (!m_page.onDefaultPage(tab.view)) {
        if (tab.selectionNavigatesBack)
            tab.view.Navigate(m_page.address());
        else
            m_desktop.showMessage(SubmitPage::kNotDefaultPageMessage);
        return;
    }
    const int row = tab.grid.currentRow();
    if (!addFocused)
        m_page.setCarnival(tab.grid.cell(Column::CarnivalRef, row), tab.view);
    m_page.setCategory(tab.grid.cell(Column::CategoryRef, row), tab.view, tab.grid);
}
