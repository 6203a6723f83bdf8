#pragma once

#include "site/BrowserView.h"

#include <QJsonArray>
#include <QPointer>
#include <QVariant>

class QWebEngineProfile;
class QWebEngineView;

/// The browser view over Qt WebEngine (Chromium). The only class that includes QtWebEngine.
///
/// Every operation is one JavaScript round trip, run in an isolated script world and waited for
/// in a local event loop that excludes user input, so no user action runs inside an operation; an
/// answer that does not come within a few seconds raises PageError. The page keeps a registry of
/// element handles; handle numbers are never reused during the view's life, so a handle kept from
/// a page that was since replaced raises PageError instead of meeting another page's element.
///
/// A drop-down's outerHTML is written in the old engine's form:
///   <SELECT name=id id=id><OPTION value=0>Pick</OPTION><OPTION value=12 selected>Cars &amp;
///   Co</OPTION></SELECT>
/// upper-case tags, the start tag's attributes in page order as name=value, a value unquoted unless
/// it is empty or holds a blank or one of " ' < > = ` & (then in double quotes, with & as &amp; and
/// " as &quot;), one OPTION per option with " selected" after the value of each chosen one, option
/// text with &, <, > escaped, no line breaks. Other elements come as Chromium writes them.
class WebEngineBrowserView final : public BrowserView
{
    Q_OBJECT

public:
    /// profile: the profile the page uses (not owned; it must outlive the view); nullptr means the
    /// program's own persistent profile, shared by every view.
    explicit WebEngineBrowserView(QWebEngineProfile* profile = nullptr, QObject* parent = nullptr);
    ~WebEngineBrowserView() override;

    /// The widget to place in a window; the window may take ownership by parenting it.
    QWebEngineView* widget() const;

    /// The persistent profile shared by the program's views (cookies and site data kept on disk).
    static QWebEngineProfile* programProfile();

    /// How long an operation waits for the page's answer before it raises PageError.
    static constexpr int kDefaultAnswerTimeoutMs = 5000;
    void setAnswerTimeout(int milliseconds) { m_answerTimeoutMs = milliseconds; }

    void Navigate(const QString& url) override;
    void Refresh() override;
    QString LocationURL() const override;
    bool Busy() const override { return m_busy; }
    bool DocumentLoaded() const override { return m_documentIsHtml; }
    QString GetFieldValue(const QString& name) override;
    QStringList fieldValues(const QStringList& names) override;

    QList<Element> elementsNamed(const QString& name) override;
    QList<Element> getElementsByTagName(const QString& tag) override;
    std::optional<Element> getElementById(const QString& key) override;

    std::optional<QString> getAttribute(Element element, const QString& name) override;
    void setAttribute(Element element, const QString& name, const QString& value) override;
    QString outerHTML(Element element) override;
    void click(Element element) override;
    void FireEvent(Element element, const QString& eventName) override;
    void scrollIntoView(Element element, bool alignToTop) override;
    /// From the engine's loading information: an answer of 400 or more gives its status; any other
    /// answer that loaded counts as 200. QtWebEngine 6.4 shows no response headers: no Retry-After.
    int httpStatus() const override { return m_httpStatus; }
    bool showsPostAnswer() const override { return m_postAnswer; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onLoadStarted();
    void onLoadFinished(bool ok);
    void onLoadingChanged(const class QWebEngineLoadingInfo& info);
    void finishLoad(quint64 load, bool ok, bool isHtml);
    void emitCommandStates();

    /// Runs body (the statements of a function that may use the arguments array A and the page's
    /// helpers) in one round trip and returns its result; throws PageError on any failure.
    QVariant run(const QString& body, const QJsonArray& arguments);
    QVariant waitForAnswer(const QString& script);
    QList<Element> toElements(const QVariant& ids) const;

    QPointer<QWebEngineView> m_view;
    bool m_busy = false;
    bool m_documentIsHtml = false;
    int m_httpStatus = 0;
    int m_pendingHttpStatus = 0;
    bool m_postAnswer = false;
    bool m_pendingPostAnswer = false;
    quint64 m_loadSerial = 0;
    quint64 m_nextHandle = 1;
    int m_answerTimeoutMs = kDefaultAnswerTimeoutMs;
};
