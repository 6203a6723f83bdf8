#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

/// An error raised by a page operation: no document, a page still loading, an element gone.
class PageError : public std::runtime_error
{
public:
    explicit PageError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

/// A handle to an element of the document a view shows. Valid until the view loads another page.
struct Element
{
    quint64 id = 0;
    friend bool operator==(Element, Element) = default;
};

/// The operations the logic uses of an embedded browser view and its HTML document. Every
/// operation may throw PageError. Elements are met in document order.
class BrowserView : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    /// Starts loading url and returns at once.
    virtual void Navigate(const QString& url) = 0;
    /// Reloads the shown page.
    virtual void Refresh() = 0;
    /// Address of the shown page, exactly as the view reports it.
    virtual QString LocationURL() const = 0;
    /// True while a page loads.
    virtual bool Busy() const = 0;
    /// True when the view holds an HTML document.
    virtual bool DocumentLoaded() const = 0;
    /// Value of the field named name in any form; the last match wins; empty when there is none.
    virtual QString GetFieldValue(const QString& name) = 0;
    /// GetFieldValue of each name, in one go where the view can.
    virtual QStringList fieldValues(const QStringList& names)
    {
        QStringList values;
        for (const QString& name : names)
            values.append(GetFieldValue(name));
        return values;
    }

    /// Every element of the document whose attribute "name" equals name exactly, in one look-up.
    virtual QList<Element> elementsNamed(const QString& name) = 0;
    /// Every element with the tag name, in document order.
    virtual QList<Element> getElementsByTagName(const QString& tag) = 0;
    /// The first element whose id or name equals key.
    virtual std::optional<Element> getElementById(const QString& key) = 0;

    /// The attribute as the page holds it now ("value" of a drop-down: its chosen option's value).
    virtual std::optional<QString> getAttribute(Element element, const QString& name) = 0;
    /// On a drop-down, "value" chooses the option with that value; no event fires.
    virtual void setAttribute(Element element, const QString& name, const QString& value) = 0;
    /// The element's markup; a drop-down in the form `<SELECT ...><OPTION value=1 selected>A</OPTION>...`.
    virtual QString outerHTML(Element element) = 0;
    /// As a user's click: a submit button submits its form.
    virtual void click(Element element) = 0;
    /// Runs the element's handler for the named event, such as "onchange".
    virtual void FireEvent(Element element, const QString& eventName) = 0;
    virtual void scrollIntoView(Element element, bool alignToTop) = 0;

    /// The HTTP status of the answer whose load ended last (also when the load itself reported a
    /// failure); 0 when none is known (no HTTP answer, a load from the cache, or a view that cannot
    /// tell). Valid when LoadFinished is emitted.
    virtual int httpStatus() const { return 0; }
    /// That answer's Retry-After in seconds; -1 when it has none or the view cannot tell.
    virtual int retryAfterSeconds() const { return -1; }
    /// The shown page is the answer to a posted form: reloading it would post the form again.
    virtual bool showsPostAnswer() const { return false; }

signals:
    /// Command 1: forward navigation became possible or not; 2: the same for back.
    void navigationStateChanged(int command, bool enable);
    /// A document finished loading.
    void pageLoaded();
    /// A page load began (a navigation, a reload or a submitted form).
    void LoadStarted();
    /// The load begun last ended, successfully or not.
    void LoadFinished(bool ok);
};
