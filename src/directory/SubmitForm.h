#pragma once

#include "directory/CarnivalCatalog.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

/// What a rendered form shows besides the catalog: the chosen carnival and category, the field
/// values kept from a submission and one line of notice above the form.
struct FormState
{
    qint64 carnival = 0;
    qint64 category = 0;
    QMap<QString, QString> fields;
    QString notice;
    bool noticeIsError = false;
};

/// Writes the directory's submission page: carnival drop-down "id" near the top of a long page,
/// category drop-down "category" holding every offered carnival's categories (each option carries
/// its carnival's ref in data-carnival, filtered by the carnival drop-down's onchange script),
/// the post's text fields and the submit button "btn".
class SubmitForm
{
public:
    /// The names of the post's text fields, in page order; the last one is a text area.
    static const QStringList& textFields();
    /// The complete HTML page, UTF-8.
    static QByteArray render(const CarnivalCatalog& catalog, const FormState& state);
};
