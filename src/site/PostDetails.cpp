#include "site/PostDetails.h"

#include "site/BrowserView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {
// Fields that change with every post are never remembered.
const QStringList kPerPostFields = {QStringLiteral("post_url"), QStringLiteral("title")};
const QStringList kTextTypes = {QString(), QStringLiteral("text"), QStringLiteral("email"),
                                QStringLiteral("url")};
} // namespace

struct PostDetails::Field
{
    Element element;
    QString name;
    QString value;
};

void PostDetails::keepIn(const QString& file)
{
    m_file = file;
    load();
}

// The one-line text fields of the form, the post's own ones left out.
QList<PostDetails::Field> PostDetails::detailFields(BrowserView& view)
{
    QList<Field> fields;
    if (!view.DocumentLoaded())
        return fields;
    for (const Element input : view.getElementsByTagName(QStringLiteral("input"))) {
        const QString name = view.getAttribute(input, QStringLiteral("name")).value_or(QString());
        if (name.isEmpty() || kPerPostFields.contains(name))
            continue;
        const QString type = view.getAttribute(input, QStringLiteral("type")).value_or(QString()).toLower();
        if (!kTextTypes.contains(type))
            continue;
        fields.append({input, name, view.getAttribute(input, QStringLiteral("value")).value_or(QString())});
    }
    return fields;
}

void PostDetails::remember(BrowserView& view)
{
    take(detailFields(view));
}

void PostDetails::pageLoaded(BrowserView& view)
{
    const QList<Field> fields = detailFields(view);
    take(fields);
    fillIn(view, fields);
}

void PostDetails::take(const QList<Field>& fields)
{
    bool changed = false;
    for (const Field& field : fields) {
        if (field.value.isEmpty() || m_values.value(field.name) == field.value)
            continue;
        m_values.insert(field.name, field.value);
        changed = true;
    }
    if (changed)
        save();
}

void PostDetails::fillIn(BrowserView& view, const QList<Field>& fields)
{
    for (const Field& field : fields) {
        if (!field.value.isEmpty())
            return;
    }
    for (const Field& field : fields) {
        if (m_values.contains(field.name))
            view.setAttribute(field.element, QStringLiteral("value"), m_values.value(field.name));
    }
}

void PostDetails::load()
{
    QFile file(m_file);
    if (m_file.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    const QJsonObject stored = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = stored.begin(); it != stored.end(); ++it) {
        if (it.value().isString())
            m_values.insert(it.key(), it.value().toString());
    }
}

// Written whole or not at all; the details are a convenience, so a failed write is not reported.
void PostDetails::save() const
{
    if (m_file.isEmpty())
        return;
    QJsonObject stored;
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
        stored.insert(it.key(), it.value());
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    QSaveFile file(m_file);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(stored).toJson());
        file.commit();
    }
}
