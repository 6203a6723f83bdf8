#include "site/PageAccess.h"

#include "lists/CarnivalList.h"
#include "platform/ControlStates.h"
#include "platform/Desktop.h"
#include "platform/Network.h"
#include "site/FormTab.h"
#include "site/SubmitPage.h"
#include "site/TextSearch.h"

namespace {
const QString kCarnivalSelect = QString::fromLatin1(SubmitPage::kCarnivalSelect);
const QString kCategorySelect = QString::fromLatin1(SubmitPage::kCategorySelect);
const QString kValue = QStringLiteral("value");
const QString kOptionEnd = QStringLiteral("</OPTION>");
constexpr int kForwardCommand = 1;
constexpr int kBackCommand = 2;
} // namespace

PageAccess::PageAccess(Desktop& desktop, const Network& network, ControlStates& controls,
                       ScratchValues& scratch, QString address)
    : m_desktop(desktop), m_network(network), m_controls(controls), m_scratch(scratch),
      m_address(std::move(address))
{}

bool PageAccess::isOnline() const
{
    return m_network.isOnline(m_address);
}

bool PageAccess::onDefaultPage(BrowserView& view)
{
    m_scratch.chosenText = view.LocationURL();
    const bool onForm = m_scratch.chosenText == m_address;
    m_scratch.chosenText.clear();
    return onForm;
}

void PageAccess::findChosenText(const QString& value)
{
    try {
        const QString chosen = QStringLiteral("<OPTION value=") + value + QStringLiteral(" selected>");
        const QString& markup = m_scratch.markup;
        const int start = instr(1, markup, chosen);
        if (start <= 0)
            return;
        const int end = instr(start, markup, kOptionEnd);
        if (end <= 0)
            return; // an option cut off before its end tag: better nothing than a wrong name
        m_scratch.searchPosition = start - 2;
        const int textBegin = start - 2 + static_cast<int>(chosen.size());
        const int textEnd = end - 2;
        m_scratch.chosenText = decodeOptionText(markup.mid(textBegin, textEnd - textBegin));
        m_scratch.markup.clear();
    } catch (const std::exception&) {
        m_desktop.showMessage(QStringLiteral("There was an error in FindText()"));
    }
}

bool PageAccess::fireElementEvent(BrowserView& view, std::optional<Element> element, const QString& eventName)
{
    try {
        if (!element)
            throw PageError(QStringLiteral("No element to fire ") + eventName + QStringLiteral(" on"));
        view.FireEvent(*element, eventName);
        return true;
    } catch (const std::exception&) {
        m_desktop.showMessage(SubmitPage::kPageErrorMessage);
        return false;
    }
}

void PageAccess::setCarnival(const QString& ref, BrowserView& view)
{
    if (!isOnline())
        return;
    try {
        for (const Element select : view.elementsNamed(kCarnivalSelect))
            view.setAttribute(select, kValue, ref);
    } catch (const std::exception&) {
        m_desktop.showMessage(QStringLiteral("Exception error in SetCarnival()"));
    }
}

void PageAccess::setCategory(const QString& ref, BrowserView& view, const CarnivalList& grid)
{
    try {
        for (const Element select : view.elementsNamed(kCategorySelect))
            view.setAttribute(select, kValue, ref);
        // The carnival drop-down's handler is the one that brings the page up to date.
        fireElementEvent(view, view.getElementById(kCarnivalSelect), QStringLiteral("onchange"));
        m_desktop.setFocus(grid.objectName());
    } catch (const std::exception&) {
        m_desktop.showMessage(QStringLiteral("Exception error in SetCategory"));
    }
}

void PageAccess::pageLoaded(const FormTab& tab)
{
    if (!tab.view.DocumentLoaded())
        throw PageError(tab.noDocumentError);
    for (const Element select : tab.view.elementsNamed(kCarnivalSelect))
        tab.view.scrollIntoView(select, true);
}

void PageAccess::navigationStateChanged(const FormTab& tab, int command, bool enable)
{
    if (command == kForwardCommand)
        m_controls.setEnabled(tab.forwardButton, enable);
    else if (command == kBackCommand)
        m_controls.setEnabled(tab.backButton, enable);
    m_controls.setEnabled(tab.refreshButton, !tab.view.Busy());
}

void PageAccess::Refresh(const FormTab& tab)
{
    // Reloading the answer to a post would post the form again: load the form instead.
    if (tab.view.showsPostAnswer())
        tab.view.Navigate(m_address);
    else
        tab.view.Refresh();
}

void PageAccess::Reset(const FormTab& tab)
{
    tab.view.Navigate(m_address);
}
