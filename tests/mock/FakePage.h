#pragma once

// FakePage: an in-memory browser view for the logic tests. It models one document as a flat list of
// elements in document order (tag, attributes in their written order, options of a drop-down, the
// form a field belongs to, a handler per event name such as "onclick" or "onchange"), the view's
// address, Busy and DocumentLoaded, and it records what the logic did to it: the addresses it
// navigated to, the reloads, the elements scrolled into view, the clicks, the fired events and a
// call count per operation. A drop-down's outerHTML is written in the old engine's form that the
// logic parses. Operations throw PageError when there is no document, on an element marked as
// failing, on an operation marked as failing, and on a handle from a document since replaced.
// Navigate does not load anything: it records the address and makes it the view's address, and
// the optional onNavigate hook may then load a document as a real load would.

#include "site/BrowserView.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

struct FakeOption
{
    QString value;
    QString text;
    bool selected = false;
};

struct FakeElement
{
    QString tag; // lower case: "select", "input", "button", "a", ...
    QList<QPair<QString, QString>> attributes;
    QList<FakeOption> options;
    QString form; // the form a field belongs to; empty when it stands outside any form
    QHash<QString, std::function<void()>> handlers;
    bool failing = false; // every operation on it throws PageError

    std::optional<QString> attribute(const QString& name) const;
    void setAttribute(const QString& name, const QString& value);
};

/// The options and fields of the submission form that FakePage::loadSubmissionForm builds.
struct FakeForm
{
    QList<FakeOption> carnivals{{"0", "Select a carnival"}, {"12", "Cars"}, {"15", "Boats & Ships"}};
    QList<FakeOption> categories{{"0", "No category"}, {"3", "Classic"}, {"4", "Modern"}};
    bool hasCategory = true;
    QString postUrl;
};

/// Handles to the submission form's elements; category is {} when the form has none.
struct FakeFormHandles
{
    Element carnival;
    Element category;
    Element postUrl;
    Element button;
};

class FakePage final : public BrowserView
{
public:
    using BrowserView::BrowserView;

    // --- The document ---
    /// Replaces the document by an empty one at address; earlier handles go stale.
    void loadEmptyDocument(const QString& address);
    /// Removes the document: every document operation throws PageError.
    void unloadDocument();
    /// Appends an element in document order and returns its handle. A drop-down without a chosen
    /// option gets its first option chosen, as a page does on load.
    Element add(FakeElement element);
    Element addSelect(const QString& name, const QList<FakeOption>& options, const QString& form = "form1");
    Element addField(const QString& name, const QString& value, const QString& form = "form1");
    /// Loads the submission form at address: carnival drop-down named and id'd "id", category
    /// drop-down named "category" (unless left out), field "post_url" and submit button "btn".
    FakeFormHandles loadSubmissionForm(const QString& address, const FakeForm& form = {});

    FakeElement& element(Element handle);
    const FakeElement& element(Element handle) const;
    /// The value of a drop-down's chosen option; empty when none is chosen.
    QString chosenValue(Element select) const;

    // --- Failures ---
    /// Makes the named operation ("outerHTML", "getAttribute", ...) throw PageError from now on.
    void failOperation(const QString& operation) { m_failingOperations.insert(operation); }
    void failElement(Element handle) { element(handle).failing = true; }

    // --- View state the tests set ---
    void setLocation(const QString& address) { m_location = address; }
    void setBusy(bool busy) { m_busy = busy; }
    /// Called by Navigate after it recorded the address, to load a document if the test wants one.
    std::function<void(const QString& address)> onNavigate;
    /// The HTTP answer the view reports for the load that ends next (the test emits LoadFinished):
    /// its status (0: none known) and Retry-After in seconds (-1: none). A click on a submit button
    /// makes the page one that answered a post until the next Navigate.
    void setHttpAnswer(int status, int retryAfter = -1)
    {
        m_httpStatus = status;
        m_retryAfter = retryAfter;
    }
    bool postAnswered = false;

    // --- What the logic did ---
    int calls(const QString& operation) const { return m_calls.value(operation); }
    int totalCalls() const;
    QStringList navigations;
    int refreshes = 0;
    QList<Element> scrolled;
    QList<Element> clicked;
    QList<QPair<Element, QString>> firedEvents;

    // --- BrowserView ---
    void Navigate(const QString& url) override;
    void Refresh() override;
    QString LocationURL() const override;
    bool Busy() const override;
    bool DocumentLoaded() const override;
    QString GetFieldValue(const QString& name) override;
    QList<Element> elementsNamed(const QString& name) override;
    QList<Element> getElementsByTagName(const QString& tag) override;
    std::optional<Element> getElementById(const QString& key) override;
    std::optional<QString> getAttribute(Element element, const QString& name) override;
    void setAttribute(Element element, const QString& name, const QString& value) override;
    QString outerHTML(Element element) override;
    void click(Element element) override;
    void FireEvent(Element element, const QString& eventName) override;
    void scrollIntoView(Element element, bool alignToTop) override;
    int httpStatus() const override { return m_httpStatus; }
    int retryAfterSeconds() const override { return m_retryAfter; }
    bool showsPostAnswer() const override { return postAnswered; }

    /// The old engine's markup of an element (a drop-down with its options).
    static QString markupOf(const FakeElement& element);

private:
    void enter(const QString& operation) const;
    void enterDocument(const QString& operation) const;
    FakeElement& live(Element handle, const QString& operation);
    Element handleOf(int index) const;

    QList<FakeElement> m_elements;
    bool m_hasDocument = false;
    quint64 m_generation = 1;
    QString m_location;
    bool m_busy = false;
    int m_httpStatus = 0;
    int m_retryAfter = -1;
    QSet<QString> m_failingOperations;
    mutable QHash<QString, int> m_calls;
};
