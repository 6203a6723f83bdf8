#include "gui/WebEngineBrowserView.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QTimer>
#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <functional>
#include <memory>

namespace {

// Our scripts run in their own world: the page's scripts neither see nor disturb the handle
// registry, while events we dispatch still reach the page's own handlers.
constexpr quint32 kScriptWorld = QWebEngineScript::ApplicationWorld;
constexpr int kWakeIntervalMs = 50;

// A page that never opens another window: Ctrl+N, target=_blank and window.open stay in the view.
// It tells whether the main frame's navigation posts a form (or may: a move through the history).
class SingleWindowPage final : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;
    std::function<void(bool posts)> onMainFrameNavigation;

protected:
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (isMainFrame && type != NavigationTypeReload && onMainFrameNavigation)
            onMainFrameNavigation(type == NavigationTypeFormSubmitted || type == NavigationTypeBackForward);
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
};

// Opens every operation's script. Expects the constants A (arguments) and next (first free handle
// number) in front of it; the operation's own statements follow in OP, closed by kPrologueEnd.
const char* const kPrologue = R"JS(
const R = window.__vx || (window.__vx = { map: new Map(), ids: new WeakMap(), markup: new WeakMap() });
const fail = (text) => { throw { vxFail: text }; };
const handle = (el) => {
    let id = R.ids.get(el);
    if (id === undefined) { id = next++; R.ids.set(el, id); R.map.set(id, el); }
    return id;
};
const element = (id) => {
    const el = R.map.get(id);
    if (!el || !el.isConnected) fail('The element is no longer on the page.');
    return el;
};
const hasValue = (el) => el instanceof HTMLSelectElement || el instanceof HTMLInputElement
    || el instanceof HTMLTextAreaElement || el instanceof HTMLButtonElement || el instanceof HTMLOptionElement;
const quoted = (v) => (v !== '' && !/[\s"'<>=`&]/.test(v)) ? v
    : '"' + v.replace(/&/g, '&amp;').replace(/"/g, '&quot;') + '"';
const escaped = (t) => /[&<>]/.test(t) ? t.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;') : t;
// A drop-down's markup is kept as pieces, one per option ('value=...>text</OPTION>' after an empty
// first piece), without the chosen mark; any change under the drop-down (options, values, texts,
// attributes) drops them. The chosen option is not a mutation, so it is read on every call.
const optionPieces = (s) => {
    let kept = R.markup.get(s);
    if (kept && (kept.stale || kept.observer.takeRecords().length > 0)) {
        kept.observer.disconnect();
        kept = undefined;
    }
    if (kept)
        return kept.pieces;
    kept = { stale: false };
    kept.observer = new MutationObserver(() => { kept.stale = true; });
    kept.observer.observe(s, { attributes: true, childList: true, subtree: true, characterData: true });
    kept.pieces = plainPieces(s) || piecesByOption(s);
    R.markup.set(s, kept);
    return kept.pieces;
};
// The usual drop-down (options with a value and text only, nothing else inside) is rewritten from
// the browser's own serialisation with whole-string replaces: a script loop over 10,000 options
// is slow until the engine has compiled it, which it never has on a freshly loaded page. In that
// serialisation text holds no '<' and attribute values no '"', which keeps the replaces exact.
const plainOptions = /^(?:<option value="[^"]*"(?: selected="")?>[^<]*<\/option>)*$/;
const angleInValue = /<option value="[^"]*(?:<|>|&lt;|&gt;)/;
const plainPieces = (s) => {
    const inner = s.innerHTML.trim().replace(/<\/option>\s+<option /g, '</option><option ');
    if (inner.includes('&nbsp;') || !plainOptions.test(inner) || angleInValue.test(inner))
        return null;
    return inner.replace(/(<option value="[^"]*") selected=""/g, '$1')
        .replace(/<option value="([^\s"'<>=`&]+)"/g, '<OPTION value=$1')
        .replace(/<option value="/g, '<OPTION value="')
        .replace(/<\/option>/g, '</OPTION>')
        .split('<OPTION ');
};
const piecesByOption = (s) => {
    const pieces = [''], options = s.options, count = options.length;
    for (let i = 0; i < count; ++i) {
        const o = options[i];
        pieces.push('value=' + quoted(o.value) + '>' + escaped(o.textContent) + '</OPTION>');
    }
    return pieces;
};
const markChosen = (piece) => {
    // A quoted value holds no '"' of its own; a bare one holds no '>'.
    const end = piece.startsWith('value="') ? piece.indexOf('"', 7) + 1 : piece.indexOf('>');
    return piece.slice(0, end) + ' selected' + piece.slice(end);
};
const selectMarkup = (s) => {
    const pieces = optionPieces(s).slice();
    if (s.multiple) {
        const options = s.options;
        for (let i = 0; i < options.length && i + 1 < pieces.length; ++i)
            if (options[i].selected) pieces[i + 1] = markChosen(pieces[i + 1]);
    } else if (s.selectedIndex >= 0 && s.selectedIndex + 1 < pieces.length) {
        pieces[s.selectedIndex + 1] = markChosen(pieces[s.selectedIndex + 1]);
    }
    let open = '<SELECT';
    for (const a of s.attributes) open += ' ' + a.name + '=' + quoted(a.value);
    return open + '>' + pieces.join('<OPTION ') + '</SELECT>';
};
try {
    const type = document.contentType;
    if (!document.documentElement || (type !== 'text/html' && type !== 'application/xhtml+xml'))
        fail('The view holds no HTML document.');
    const value = (() => {
)JS";

const char* const kPrologueEnd = R"JS(
    })();
    return { value: value === undefined ? null : value, next: next };
} catch (e) {
    if (e && e.vxFail) return { fail: e.vxFail, next: next };
    return { fail: 'The page reported an error: ' + String(e && e.message || e), next: next };
}
)JS";

const char* const kHtmlCheck = R"JS(
(() => { const t = document.contentType; return !!document.documentElement && (t === 'text/html' || t === 'application/xhtml+xml'); })()
)JS";

// Enter in a one-line field would post the form straight to the directory, unchecked and
// unrecorded: the page is submitted only through the program's own click on its button.
const char kNoSubmitOnEnter[] = R"JS(
document.addEventListener('keydown', (event) => {
    const field = event.target;
    if (event.key !== 'Enter' || !(field instanceof HTMLInputElement)) return;
    if (['submit', 'button', 'reset', 'image'].includes(field.type)) return;
    event.preventDefault();
}, true);
)JS";

QWebEngineScript noSubmitOnEnterScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("noSubmitOnEnter"));
    script.setSourceCode(QString::fromUtf8(kNoSubmitOnEnter));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(kScriptWorld);
    script.setRunsOnSubFrames(true);
    return script;
}

QString jsonLiteral(const QJsonArray& array)
{
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QUrl toUrl(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() ? url : QUrl::fromUserInput(text);
}

} // namespace

WebEngineBrowserView::WebEngineBrowserView(QWebEngineProfile* profile, QObject* parent)
    : BrowserView(parent), m_view(new QWebEngineView)
{
    auto* page = new SingleWindowPage(profile ? profile : programProfile(), m_view);
    page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    page->scripts().insert(noSubmitOnEnterScript());
    m_view->setPage(page);
    connect(page, &QWebEnginePage::loadStarted, this, &WebEngineBrowserView::onLoadStarted);
    connect(page, &QWebEnginePage::loadFinished, this, &WebEngineBrowserView::onLoadFinished);
    connect(page, &QWebEnginePage::loadingChanged, this, &WebEngineBrowserView::onLoadingChanged);
    page->onMainFrameNavigation = [this](bool posts) { m_pendingPostAnswer = posts; };
    connect(page, &QWebEnginePage::urlChanged, this, &WebEngineBrowserView::emitCommandStates);
    m_view->installEventFilter(this);
}

// The keyboard's focus lands on the widget the engine draws into, made anew with each renderer:
// it takes the view's name, so that a screen reader says which form it is in.
bool WebEngineBrowserView::eventFilter(QObject* watched, QEvent* event)
{
    // Only the view is watched; it is not asked for as m_view, which is no view any more while
    // its base class's destructor removes the children.
    if (event->type() == QEvent::ChildPolished && watched->isWidgetType()) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType())
            static_cast<QWidget*>(child)->setAccessibleName(static_cast<QWidget*>(watched)->accessibleName());
    }
    return BrowserView::eventFilter(watched, event);
}

WebEngineBrowserView::~WebEngineBrowserView()
{
    // The window that placed the widget may already have deleted it.
    delete m_view.data();
}

QWebEngineView* WebEngineBrowserView::widget() const
{
    return m_view.data();
}

QWebEngineProfile* WebEngineBrowserView::programProfile()
{
    // Named, so form data, cookies and the cache persist between runs like a desktop browser's.
    static QPointer<QWebEngineProfile> profile;
    if (!profile) {
        profile = new QWebEngineProfile(QStringLiteral("VorlixPro"), QCoreApplication::instance());
        profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    }
    return profile;
}

void WebEngineBrowserView::Navigate(const QString& url)
{
    if (m_view)
        m_view->load(toUrl(url));
}

void WebEngineBrowserView::Refresh()
{
    if (m_view)
        m_view->reload();
}

QString WebEngineBrowserView::LocationURL() const
{
    return m_view ? m_view->url().toString() : QString();
}

void WebEngineBrowserView::onLoadStarted()
{
    ++m_loadSerial;
    m_busy = true;
    m_pendingHttpStatus = 0;
    emit LoadStarted();
}

void WebEngineBrowserView::onLoadingChanged(const QWebEngineLoadingInfo& info)
{
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        m_pendingHttpStatus = 0;
        return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
    case QWebEngineLoadingInfo::LoadFailedStatus:
        // An error answer (400 or more) comes as a failed load in the HTTP status domain, its body
        // shown; any other answer that loaded is a success, whose exact status the engine keeps.
        if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
            m_pendingHttpStatus = info.errorCode();
        else if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
            m_pendingHttpStatus = 200;
        else
            m_pendingHttpStatus = 0;
        return;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        return;
    }
}

void WebEngineBrowserView::onLoadFinished(bool ok)
{
    const quint64 load = m_loadSerial;
    if (!m_view) {
        finishLoad(load, ok, false);
        return;
    }
    if (!ok) {
        // The engine's loading information may follow the signal: report once it is in.
        QPointer<WebEngineBrowserView> self(this);
        QMetaObject::invokeMethod(
            this,
            [self, load] {
                if (self)
                    self->finishLoad(load, false, false);
            },
            Qt::QueuedConnection);
        return;
    }
    // Whether the page is an HTML document is the page's to say; ask before reporting the load.
    QPointer<WebEngineBrowserView> self(this);
    m_view->page()->runJavaScript(
        QString::fromUtf8(kHtmlCheck), kScriptWorld, [self, load](const QVariant& answer) {
            // Handlers of the load run page operations of their own, which
            // cannot be waited for inside this callback: report afterwards.
            const bool isHtml = answer.toBool();
            QMetaObject::invokeMethod(
                self, [self, load, isHtml] { self->finishLoad(load, true, isHtml); }, Qt::QueuedConnection);
        });
}

void WebEngineBrowserView::finishLoad(quint64 load, bool ok, bool isHtml)
{
    if (load != m_loadSerial)
        return; // a newer load has begun; it reports for itself
    m_busy = false;
    m_documentIsHtml = isHtml;
    m_httpStatus = m_pendingHttpStatus;
    m_postAnswer = m_pendingPostAnswer;
    emit LoadFinished(ok);
    emitCommandStates();
    if (isHtml)
        emit pageLoaded();
}

void WebEngineBrowserView::emitCommandStates()
{
    if (!m_view)
        return;
    const QWebEngineHistory* history = m_view->history();
    emit navigationStateChanged(1, history->canGoForward());
    emit navigationStateChanged(2, history->canGoBack());
}

QVariant WebEngineBrowserView::run(const QString& body, const QJsonArray& arguments)
{
    if (!m_view)
        throw PageError(tr("The browser view is gone."));
    if (!m_documentIsHtml)
        throw PageError(tr("The view holds no HTML document."));
    const QString script = QStringLiteral("(() => {\n'use strict';\nconst A = ") + jsonLiteral(arguments) +
                           QStringLiteral(";\nlet next = ") + QString::number(m_nextHandle) + u';' +
                           QString::fromUtf8(kPrologue) + body + QString::fromUtf8(kPrologueEnd) +
                           QStringLiteral("})()");
    const QVariantMap answer = waitForAnswer(script).toMap();
    if (answer.isEmpty())
        throw PageError(tr("The page went away during the operation."));
    m_nextHandle = std::max(m_nextHandle, answer.value(QStringLiteral("next")).toULongLong());
    const QVariant failure = answer.value(QStringLiteral("fail"));
    if (failure.isValid())
        throw PageError(failure.toString());
    return answer.value(QStringLiteral("value"));
}

QVariant WebEngineBrowserView::waitForAnswer(const QString& script)
{
    // Shared with the callback, which may still arrive after we gave up waiting.
    struct Pending
    {
        QEventLoop* loop = nullptr;
        bool answered = false;
        QVariant answer;
    };
    auto pending = std::make_shared<Pending>();
    QEventLoop loop;
    pending->loop = &loop;
    m_view->page()->runJavaScript(script, kScriptWorld, [pending](const QVariant& answer) {
        pending->answered = true;
        pending->answer = answer;
        if (pending->loop)
            pending->loop->quit();
    });
    if (!pending->answered) {
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        timeout.start(m_answerTimeoutMs);
        // Inside another handler's event loop (a wizard's pause, a download), an event the
        // browser engine posted can sit unseen until something else wakes the loop: wake it.
        QTimer wake;
        connect(&wake, &QTimer::timeout, &loop, [] { QCoreApplication::sendPostedEvents(); });
        wake.start(kWakeIntervalMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    pending->loop = nullptr;
    if (!pending->answered)
        throw PageError(tr("The page did not answer within %1 ms.").arg(m_answerTimeoutMs));
    return pending->answer;
}

QList<Element> WebEngineBrowserView::toElements(const QVariant& ids) const
{
    QList<Element> elements;
    const QVariantList list = ids.toList();
    elements.reserve(list.size());
    for (const QVariant& id : list)
        elements.append(Element{id.toULongLong()});
    return elements;
}

QString WebEngineBrowserView::GetFieldValue(const QString& name)
{
    return run(QStringLiteral(R"JS(
        let value = '';
        for (const form of document.forms)
            for (const field of form.elements)
                if (field.name === A[0] && hasValue(field)) value = String(field.value);
        return value;
    )JS"),
               {name})
        .toString();
}

QStringList WebEngineBrowserView::fieldValues(const QStringList& names)
{
    QJsonArray arguments;
    for (const QString& name : names)
        arguments.append(name);
    const QVariantList values = run(QStringLiteral(R"JS(
        const values = A.map(() => '');
        for (const form of document.forms)
            for (const field of form.elements) {
                const i = A.indexOf(field.name);
                if (i >= 0 && hasValue(field)) values[i] = String(field.value);
            }
        return values;
    )JS"),
                                    arguments)
                                    .toList();
    QStringList result;
    for (int i = 0; i < names.size(); ++i)
        result.append(values.value(i).toString());
    return result;
}

QList<Element> WebEngineBrowserView::elementsNamed(const QString& name)
{
    return toElements(run(QStringLiteral("return Array.from(document.querySelectorAll("
                                         "'[name=\"' + CSS.escape(A[0]) + '\"]'), handle);"),
                          {name}));
}

QList<Element> WebEngineBrowserView::getElementsByTagName(const QString& tag)
{
    return toElements(
        run(QStringLiteral("return Array.from(document.getElementsByTagName(A[0]), handle);"), {tag}));
}

std::optional<Element> WebEngineBrowserView::getElementById(const QString& key)
{
    const QVariant id = run(QStringLiteral(R"JS(
        const key = CSS.escape(A[0]);
        const el = document.querySelector('[id="' + key + '"],[name="' + key + '"]');
        return el ? handle(el) : null;
    )JS"),
                            {key});
    if (id.isNull())
        return std::nullopt;
    return Element{id.toULongLong()};
}

std::optional<QString> WebEngineBrowserView::getAttribute(Element element, const QString& name)
{
    // "value" is the live value (a drop-down's chosen option, a field's typed text), not the markup's.
    const QVariant value = run(QStringLiteral(R"JS(
        const el = element(A[0]);
        if (A[1].toLowerCase() === 'value' && hasValue(el)) return String(el.value);
        return el.getAttribute(A[1]);
    )JS"),
                               {double(element.id), name});
    if (value.isNull())
        return std::nullopt;
    return value.toString();
}

void WebEngineBrowserView::setAttribute(Element element, const QString& name, const QString& value)
{
    // Setting a drop-down's value picks the option with that value (none when no option has it)
    // and, like the old engine, fires no change event.
    run(QStringLiteral(R"JS(
        const el = element(A[0]);
        if (A[1].toLowerCase() === 'value' && hasValue(el)) el.value = A[2];
        else el.setAttribute(A[1], A[2]);
    )JS"),
        {double(element.id), name, value});
}

QString WebEngineBrowserView::outerHTML(Element element)
{
    return run(QStringLiteral(R"JS(
        const el = element(A[0]);
        return el instanceof HTMLSelectElement ? selectMarkup(el) : el.outerHTML;
    )JS"),
               {double(element.id)})
        .toString();
}

void WebEngineBrowserView::click(Element element)
{
    run(QStringLiteral("element(A[0]).click();"), {double(element.id)});
}

void WebEngineBrowserView::FireEvent(Element element, const QString& eventName)
{
    // As the old engine's fireEvent: the handler's name with "on", the event bubbling where that
    // kind of event bubbles, no default action.
    run(QStringLiteral(R"JS(
        const el = element(A[0]);
        if (!/^on[a-z]+$/i.test(A[1])) fail('"' + A[1] + '" names no event handler.');
        const type = A[1].substring(2).toLowerCase();
        const quiet = ['focus', 'blur', 'load', 'unload', 'mouseenter', 'mouseleave', 'scroll', 'error', 'abort'];
        el.dispatchEvent(new Event(type, { bubbles: !quiet.includes(type), cancelable: true }));
    )JS"),
        {double(element.id), eventName});
}

void WebEngineBrowserView::scrollIntoView(Element element, bool alignToTop)
{
    run(QStringLiteral("element(A[0]).scrollIntoView(A[1]);"), {double(element.id), alignToTop});
}
