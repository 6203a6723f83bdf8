#include "site/PageAccess.h"

#include "app/ControlStates.h"
#include "app/Ui.h"
#include "lists/CarnivalList.h"
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

PageAccess::PageAccess(Ui& ui, const Network& network, ControlStates& controls, ScratchValues& scratch,
                       QString address)
    : m_ui(ui), m_network(network), m_controls(controls), m_scratch(scratch), m_address(std::move(address))
{}

bool PageAccess::IsOnline() const
{
    return m_network.IsOnline(m_address);
}

bool PageAccess::OnDefaultPage(BrowserView& view)
{
    m_scratch.TextBoxTemp2 = view.LocationURL();
    const bool onForm = m_scratch.TextBoxTemp2 == m_address;
    m_scratch.TextBoxTemp2.clear();
    return onForm;
}

void PageAccess::FindText(const QString& value)
{
    try {
        const QString chosen = QStringLiteral("<OPTION value=") + value + QStringLiteral(" selected>");
        const QString& markup = m_scratch.RichEdit1;
        const int start = instr(1, markup, chosen);
        if (start <= 0)
            return;
        const int end = instr(start, markup, kOptionEnd);
        if (end <= 0)
            return; // an option cut off before its end tag: better nothing than a wrong name
        m_scratch.searchPosition = start - 2;
        const int textBegin = start - 2 + static_cast<int>(chosen.size());
        const int textEnd = end - 2;
        m_scratch.TextBoxTemp2 = decodeOptionText(markup.mid(textBegin, textEnd - textBegin));
        m_scratch.RichEdit1.clear();
    } catch (const std::exception&) {
        m_ui.showMessage(QStringLiteral("There was an error in FindText()"));
    }
}

bool PageAccess::FireElementEvent(BrowserView& view, std::optional<Element> element, const QString& eventName)
{
    try {
        if (!element)
            throw PageError(QStringLiteral("No element to fire ") + eventName + QStringLiteral(" on"));
        view.FireEvent(*element, eventName);
        return true;
    } catch (const std::exception&) {
        m_ui.showMessage(SubmitPage::kPageErrorMessage);
        return false;
    }
}

void PageAccess::SetCarnival(const QString& ref, BrowserView& view)
{
    if (!IsOnline())
        return;
    try {
        for (const Element select : view.elementsNamed(kCarnivalSelect))
            view.setAttribute(select, kValue, ref);
    } catch (const std::exception&) {
        m_ui.showMessage(QStringLiteral("Exception error in SetCarnival()"));
    }
}

void PageAccess::SetCategory(const QString& ref, BrowserView& view, const CarnivalList& grid)
{
    try {
        for (const Element select : view.elementsNamed(kCategorySelect))
            view.setAttribute(select, kValue, ref);
        // The carnival drop-down's handler is the one that brings the page up to date.
        FireElementEvent(view, view.getElementById(kCarnivalSelect), QStringLiteral("onchange"));
        m_ui.setFocus(grid.objectName());
    } catch (const std::exception&) {
        m_ui.showMessage(QStringLiteral("Exception error in SetCategory"));
    }
}

void PageAccess::DocumentComplete(const FormTab& tab)
{
    if (!tab.view.DocumentLoaded())
        throw PageError(tab.noDocumentError);
    for (const Element select : tab.view.elementsNamed(kCarnivalSelect))
        tab.view.scrollIntoView(select, true);
}

void PageAccess::CommandStateChange(const FormTab& tab, int command, bool enable)
{
    if (command == kForwardCommand)
        m_controls.setEnabled(tab.forwardButton, enable);
    else if (command == kBackCommand)
        m_controls.setEnabled(tab.backButton, enable);
    m_controls.setEnabled(tab.refreshButton, !tab.view.Busy());
}

void PageAccess::Refresh(const FormTab& tab)
{
    tab.view.Refresh();
}

void PageAccess::Reset(const FormTab& tab)
{
    tab.view.Navigate(m_address);
}
