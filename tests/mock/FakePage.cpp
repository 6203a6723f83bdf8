#include "FakePage.h"

namespace {
constexpr int kIndexBits = 32;

bool needsQuotes(const QString& value)
{
    if (value.isEmpty())
        return true;
    for (const QChar c : value) {
        if (c.isSpace() || QStringLiteral("\"'<>=&`").contains(c))
            return true;
    }
    return false;
}

QString attributeMarkup(const QString& name, const QString& value)
{
    if (!needsQuotes(value))
        return name + '=' + value;
    QString quoted = value;
    quoted.replace('&', QStringLiteral("&amp;")).replace('"', QStringLiteral("&quot;"));
    return name + QStringLiteral("=\"") + quoted + '"';
}

QString escapeText(QString text)
{
    return text.replace('&', QStringLiteral("&amp;"))
        .replace('<', QStringLiteral("&lt;"))
        .replace('>', QStringLiteral("&gt;"));
}

QString chosenValueOf(const FakeElement& select)
{
    for (const FakeOption& option : select.options) {
        if (option.selected)
            return option.value;
    }
    return QString();
}

void chooseFirstIfNoneChosen(FakeElement& element)
{
    if (element.options.isEmpty())
        return;
    for (const FakeOption& option : element.options) {
        if (option.selected)
            return;
    }
    element.options.first().selected = true;
}
} // namespace

std::optional<QString> FakeElement::attribute(const QString& name) const
{
    for (const auto& [key, value] : attributes) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

void FakeElement::setAttribute(const QString& name, const QString& value)
{
    for (auto& [key, old] : attributes) {
        if (key == name) {
            old = value;
            return;
        }
    }
    attributes.append({name, value});
}

void FakePage::loadEmptyDocument(const QString& address)
{
    m_elements.clear();
    m_hasDocument = true;
    ++m_generation;
    m_location = address;
}

void FakePage::unloadDocument()
{
    m_elements.clear();
    m_hasDocument = false;
    ++m_generation;
}

Element FakePage::add(FakeElement element)
{
    m_hasDocument = true;
    element.tag = element.tag.toLower();
    if (element.tag == QLatin1String("select"))
        chooseFirstIfNoneChosen(element);
    m_elements.append(std::move(element));
    return handleOf(static_cast<int>(m_elements.size()) - 1);
}

Element FakePage::addSelect(const QString& name, const QList<FakeOption>& options, const QString& form)
{
    FakeElement select;
    select.tag = QStringLiteral("select");
    select.attributes = {{QStringLiteral("name"), name}, {QStringLiteral("id"), name}};
    select.options = options;
    select.form = form;
    return add(std::move(select));
}

Element FakePage::addField(const QString& name, const QString& value, const QString& form)
{
    FakeElement field;
    field.tag = QStringLiteral("input");
    field.attributes = {{QStringLiteral("type"), QStringLiteral("text")},
                        {QStringLiteral("name"), name},
                        {QStringLiteral("value"), value}};
    field.form = form;
    return add(std::move(field));
}

FakeFormHandles FakePage::loadSubmissionForm(const QString& address, const FakeForm& form)
{
    loadEmptyDocument(address);
    FakeFormHandles handles;
    handles.carnival = addSelect(QStringLiteral("id"), form.carnivals);
    if (form.hasCategory)
        handles.category = addSelect(QStringLiteral("category"), form.categories);
    handles.postUrl = addField(QStringLiteral("post_url"), form.postUrl);
    FakeElement button;
    button.tag = QStringLiteral("input");
    button.attributes = {{QStringLiteral("type"), QStringLiteral("submit")},
                         {QStringLiteral("id"), QStringLiteral("btn")},
                         {QStringLiteral("value"), QStringLiteral("Submit")}};
    button.form = QStringLiteral("form1");
    handles.button = add(std::move(button));
    return handles;
}

Element FakePage::handleOf(int index) const
{
    return Element{(m_generation << kIndexBits) | static_cast<quint64>(index + 1)};
}

FakeElement& FakePage::element(Element handle)
{
    return m_elements[static_cast<int>((handle.id & 0xffffffffu) - 1)];
}

const FakeElement& FakePage::element(Element handle) const
{
    return m_elements[static_cast<int>((handle.id & 0xffffffffu) - 1)];
}

QString FakePage::chosenValue(Element select) const
{
    return chosenValueOf(element(select));
}

int FakePage::totalCalls() const
{
    int total = 0;
    for (const int count : m_calls)
        total += count;
    return total;
}

void FakePage::enter(const QString& operation) const
{
    ++m_calls[operation];
    if (m_failingOperations.contains(operation))
        throw PageError(operation + QStringLiteral(" failed"));
}

void FakePage::enterDocument(const QString& operation) const
{
    enter(operation);
    if (!m_hasDocument)
        throw PageError(QStringLiteral("The view holds no document"));
}

FakeElement& FakePage::live(Element handle, const QString& operation)
{
    enterDocument(operation);
    const quint64 index = handle.id & 0xffffffffu;
    if ((handle.id >> kIndexBits) != m_generation || index == 0 || index > quint64(m_elements.size()))
        throw PageError(QStringLiteral("The element is no longer in the document"));
    FakeElement& found = element(handle);
    if (found.failing)
        throw PageError(QStringLiteral("The element failed"));
    return found;
}

void FakePage::Navigate(const QString& url)
{
    enter(QStringLiteral("Navigate"));
    navigations.append(url);
    m_location = url;
    postAnswered = false;
    if (onNavigate)
        onNavigate(url);
}

void FakePage::Refresh()
{
    enter(QStringLiteral("Refresh"));
    ++refreshes;
}

QString FakePage::LocationURL() const
{
    enter(QStringLiteral("LocationURL"));
    return m_location;
}

bool FakePage::Busy() const
{
    enter(QStringLiteral("Busy"));
    return m_busy;
}

bool FakePage::DocumentLoaded() const
{
    enter(QStringLiteral("DocumentLoaded"));
    return m_hasDocument;
}

QString FakePage::GetFieldValue(const QString& name)
{
    enterDocument(QStringLiteral("GetFieldValue"));
    QString value;
    for (const FakeElement& field : std::as_const(m_elements)) {
        if (!field.form.isEmpty() && field.attribute(QStringLiteral("name")) == name)
            value = field.tag == QLatin1String("select") ? chosenValueOf(field)
                                                         : field.attribute("value").value_or(QString());
    }
    return value;
}

QList<Element> FakePage::elementsNamed(const QString& name)
{
    enterDocument(QStringLiteral("elementsNamed"));
    QList<Element> found;
    for (int i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i].attribute(QStringLiteral("name")) == name)
            found.append(handleOf(i));
    }
    return found;
}

QList<Element> FakePage::getElementsByTagName(const QString& tag)
{
    enterDocument(QStringLiteral("getElementsByTagName"));
    QList<Element> found;
    for (int i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i].tag.compare(tag, Qt::CaseInsensitive) == 0)
            found.append(handleOf(i));
    }
    return found;
}

std::optional<Element> FakePage::getElementById(const QString& key)
{
    enterDocument(QStringLiteral("getElementById"));
    for (int i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i].attribute(QStringLiteral("id")) == key ||
            m_elements[i].attribute(QStringLiteral("name")) == key)
            return handleOf(i);
    }
    return std::nullopt;
}

std::optional<QString> FakePage::getAttribute(Element handle, const QString& name)
{
    const FakeElement& found = live(handle, QStringLiteral("getAttribute"));
    if (found.tag == QLatin1String("select") && name == QLatin1String("value"))
        return chosenValueOf(found);
    return found.attribute(name);
}

void FakePage::setAttribute(Element handle, const QString& name, const QString& value)
{
    FakeElement& found = live(handle, QStringLiteral("setAttribute"));
    if (found.tag == QLatin1String("select") && name == QLatin1String("value")) {
        bool chosen = false;
        for (FakeOption& option : found.options) {
            option.selected = !chosen && option.value == value;
            chosen = chosen || option.selected;
        }
        return;
    }
    found.setAttribute(name, value);
}

QString FakePage::outerHTML(Element handle)
{
    return markupOf(live(handle, QStringLiteral("outerHTML")));
}

QString FakePage::markupOf(const FakeElement& element)
{
    const QString tag = element.tag.toUpper();
    QString markup = '<' + tag;
    for (const auto& [name, value] : element.attributes)
        markup += ' ' + attributeMarkup(name, value);
    markup += '>';
    if (tag == QLatin1String("INPUT"))
        return markup;
    for (const FakeOption& option : element.options) {
        markup += QStringLiteral("<OPTION ") + attributeMarkup(QStringLiteral("value"), option.value);
        if (option.selected)
            markup += QStringLiteral(" selected");
        markup += '>' + escapeText(option.text) + QStringLiteral("</OPTION>");
    }
    return markup + QStringLiteral("</") + tag + '>';
}

void FakePage::click(Element handle)
{
    FakeElement& found = live(handle, QStringLiteral("click"));
    clicked.append(handle);
    if (found.attribute(QStringLiteral("type")) == QLatin1String("submit"))
        postAnswered = true;
    if (const auto handler = found.handlers.value(QStringLiteral("onclick")))
        handler();
}

void FakePage::FireEvent(Element handle, const QString& eventName)
{
    FakeElement& found = live(handle, QStringLiteral("FireEvent"));
    firedEvents.append({handle, eventName});
    if (const auto handler = found.handlers.value(eventName))
        handler();
}

void FakePage::scrollIntoView(Element handle, bool alignToTop)
{
    live(handle, QStringLiteral("scrollIntoView"));
    if (alignToTop)
        scrolled.append(handle);
}
