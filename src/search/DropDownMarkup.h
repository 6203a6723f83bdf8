#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>

/// One option of a drop-down: its value without quotes and its text, both with the character
/// references of the markup decoded ("a &amp; b" is "a & b").
struct DropDownOption
{
    QString value;
    QString text;
    bool selected = false;
    friend bool operator==(const DropDownOption&, const DropDownOption&) = default;
};

/// Reads the options out of a drop-down's markup in the form the views write
/// (`<SELECT ...><OPTION value=12 selected>Cars</OPTION>...</SELECT>`). Every function makes one
/// pass over the markup; the drop-down's own start tag never counts as an option.
namespace DropDownMarkup {
/// Every option, in the drop-down's order.
QList<DropDownOption> options(QStringView markup);
/// The options whose decoded value or text contains keyword, letter case ignored, in the
/// drop-down's order, each once. An empty keyword matches nothing.
QList<DropDownOption> matching(QStringView markup, QStringView keyword);
/// The decoded values of every option.
QSet<QString> values(QStringView markup);
} // namespace DropDownMarkup
