#pragma once

#include <QMap>
#include <QString>

class BrowserView;

/// The post's details that stay the same from post to post: what the user last typed into the
/// form's text fields other than the permalink and the title (the blog's name and address, the
/// user's name and e-mail). Remembered from the form, kept in a file between runs, and written
/// back into a form that loads with those fields empty, so they are never typed twice.
class PostDetails final
{
public:
    /// Without a file the details are remembered for this run only.
    void keepIn(const QString& file);

    /// Takes the details the form's fields hold now; empty fields leave what was remembered.
    /// Writes the file when something changed; a file that cannot be written costs nothing here.
    void remember(BrowserView& view);
    /// After a load: remembers what a filled form holds; fills the remembered details into a form
    /// that shows every one of those fields empty.
    void pageLoaded(BrowserView& view);

    const QMap<QString, QString>& values() const { return m_values; }

private:
    struct Field;
    QList<Field> detailFields(BrowserView& view);
    void take(const QList<Field>& fields);
    void fillIn(BrowserView& view, const QList<Field>& fields);
    void load();
    void save() const;

    QString m_file;
    QMap<QString, QString> m_values;
};
