#include "FuzzChecks.h"
#include "search/DropDownMarkup.h"

#include <QStringDecoder>

#include <cstddef>
#include <cstdint>

// The drop-down markup reader with the keyword search. The first line is the keyword, the rest
// the drop-down's markup. Every match is an option that holds the keyword; the values are the
// options' values.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using FuzzChecks::Check;
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype lineEnd = input.indexOf(u'\n');
    const QString keyword = lineEnd < 0 ? QString() : input.left(lineEnd);
    const QStringView markup = QStringView(input).sliced(lineEnd + 1);

    const QList<DropDownOption> options = DropDownMarkup::options(markup);
    const QList<DropDownOption> found = DropDownMarkup::matching(markup, keyword);
    Check(keyword.isEmpty() ? found.isEmpty() : found.size() <= options.size(), "matches are options");
    qsizetype next = 0;
    for (const DropDownOption& option : found) {
        Check(option.text.contains(keyword, Qt::CaseInsensitive) ||
                  option.value.contains(keyword, Qt::CaseInsensitive),
              "a match holds the keyword");
        while (next < options.size() && !(options[next] == option))
            ++next;
        Check(next < options.size(), "matches keep the drop-down's order");
        ++next;
    }
    QSet<QString> values;
    for (const DropDownOption& option : options)
        values.insert(option.value);
    Check(DropDownMarkup::values(markup) == values, "values are the options' values");
    return 0;
}
