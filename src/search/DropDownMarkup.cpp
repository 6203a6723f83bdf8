#include "search/DropDownMarkup.h"

namespace {
const QString kOptionStart = QStringLiteral("<OPTION");
const QString kOptionEnd = QStringLiteral("</OPTION>");

struct OptionView
{
    QStringView value;
    QStringView text;
    bool selected = false;
};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The attribute part of a start tag ("value=12 selected"); fills value and selected.
void readAttributes(QStringView attributes, OptionView& option)
{
    qsizetype at = 0;
    const qsizetype size = attributes.size();
    while (at < size) {
        while (at < size && isBlank(attributes[at]))
            ++at;
        const qsizetype nameStart = at;
        while (at < size && !isBlank(attributes[at]) && attributes[at] != u'=')
            ++at;
        const QStringView name = attributes.sliced(nameStart, at - nameStart);
        QStringView value;
        if (at < size && attributes[at] == u'=') {
            ++at;
            if (at < size && (attributes[at] == u'"' || attributes[at] == u'\'')) {
                const QChar quote = attributes[at++];
                const qsizetype valueStart = at;
                while (at < size && attributes[at] != quote)
                    ++at;
                value = attributes.sliced(valueStart, at - valueStart);
                if (at < size)
                    ++at;
            } else {
                const qsizetype valueStart = at;
                while (at < size && !isBlank(attributes[at]))
                    ++at;
                value = attributes.sliced(valueStart, at - valueStart);
            }
        }
        if (name.compare(u"value", Qt::CaseInsensitive) == 0)
            option.value = value;
        else if (name.compare(u"selected", Qt::CaseInsensitive) == 0)
            option.selected = true;
    }
}

// The end of a start tag: the first '>' outside a quoted attribute value.
qsizetype startTagEnd(QStringView markup, qsizetype from)
{
    QChar quote;
    for (qsizetype at = from; at < markup.size(); ++at) {
        const QChar c = markup[at];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return at;
        }
    }
    return -1;
}

// Calls visit(option) for every option, in order.
template <typename Visit> void forEachOption(QStringView markup, Visit visit)
{
    // The drop-down's own start tag may quote anything in its attributes (its change script).
    qsizetype at = 0;
    if (markup.startsWith(u"<SELECT", Qt::CaseInsensitive)) {
        const qsizetype end = startTagEnd(markup, 0);
        if (end < 0)
            return;
        at = end + 1;
    }
    while (true) {
        const qsizetype start = markup.indexOf(kOptionStart, at, Qt::CaseInsensitive);
        if (start < 0)
            return;
        const qsizetype afterName = start + kOptionStart.size();
        // "<OPTIONS" or the like is another tag.
        if (afterName < markup.size() && !isBlank(markup[afterName]) && markup[afterName] != u'>') {
            at = afterName;
            continue;
        }
        const qsizetype tagEnd = startTagEnd(markup, afterName);
        if (tagEnd < 0)
            return;
        OptionView option;
        readAttributes(markup.sliced(afterName, tagEnd - afterName), option);
        const qsizetype textStart = tagEnd + 1;
        // An option closes at its end tag, or where the next tag begins when the end tag is missing.
        qsizetype textEnd = markup.indexOf(u'<', textStart);
        if (textEnd < 0)
            textEnd = markup.size();
        option.text = markup.sliced(textStart, textEnd - textStart);
        at = textEnd;
        if (markup.sliced(textEnd).startsWith(kOptionEnd, Qt::CaseInsensitive))
            at += kOptionEnd.size();
        visit(option);
    }
}

// Values and texts carry character references alike ("a &amp; b"); both are read as the page
// means them, in one pass so that "&amp;lt;" stays "&lt;".
QString decoded(QStringView markup)
{
    if (!markup.contains(u'&'))
        return markup.toString();
    static const struct
    {
        QLatin1StringView reference;
        QChar character;
    } kReferences[] = {{QLatin1StringView("&amp;"), u'&'},  {QLatin1StringView("&lt;"), u'<'},
                       {QLatin1StringView("&gt;"), u'>'},   {QLatin1StringView("&quot;"), u'"'},
                       {QLatin1StringView("&#39;"), u'\''}, {QLatin1StringView("&nbsp;"), QChar(0xA0)}};
    QString text;
    text.reserve(markup.size());
    for (qsizetype at = 0; at < markup.size();) {
        bool replaced = false;
        if (markup[at] == u'&') {
            for (const auto& [reference, character] : kReferences) {
                if (markup.sliced(at).startsWith(reference)) {
                    text += character;
                    at += reference.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            text += markup[at++];
    }
    return text;
}

DropDownOption toOption(const OptionView& view)
{
    return {decoded(view.value), decoded(view.text), view.selected};
}
} // namespace

QList<DropDownOption> DropDownMarkup::options(QStringView markup)
{
    QList<DropDownOption> found;
    forEachOption(markup, [&](const OptionView& option) { found.append(toOption(option)); });
    return found;
}

QList<DropDownOption> DropDownMarkup::matching(QStringView markup, QStringView keyword)
{
    QList<DropDownOption> found;
    if (keyword.isEmpty())
        return found;
    forEachOption(markup, [&](const OptionView& view) {
        DropDownOption option = toOption(view);
        if (option.text.contains(keyword, Qt::CaseInsensitive) ||
            option.value.contains(keyword, Qt::CaseInsensitive))
            found.append(std::move(option));
    });
    return found;
}

QSet<QString> DropDownMarkup::values(QStringView markup)
{
    QSet<QString> found;
    forEachOption(markup, [&](const OptionView& option) { found.insert(decoded(option.value)); });
    return found;
}
