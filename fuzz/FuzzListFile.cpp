#include "FuzzChecks.h"
#include "lists/CarnivalList.h"
#include "lists/ListFile.h"
#include "lists/ListText.h"
#include "lists/OldListFormat.h"

#include <cstddef>
#include <cstdint>

// The list-file reader as a load runs it (decoding, lines, cells) and the old format's test and
// conversion. The grid may hold no more cells than the file has fields and lines: a wide first
// line must not widen every row.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using FuzzChecks::Check;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = ListText::splitLines(ListText::decode(bytes));

    CarnivalList grid(QStringLiteral("currentListGrid"));
    ListFile::fillGrid(lines, ListFile::kDelimiter, grid);
    Check(grid.rows() >= 1 && grid.rows() >= lines.size(), "a row per line");
    qsizetype cells = 0;
    for (const QStringList& row : grid.rawRows())
        cells += row.size();
    qsizetype fields = 0;
    for (const QString& line : lines)
        fields += line.count(ListFile::kDelimiter) + 1;
    Check(cells <= fields, "cells grow with the content");
    Check(grid.carnivalCount() <= lines.size(), "carnivals come from lines");
    ListFile::encode(grid);

    if (!lines.isEmpty() && OldListFormat::isOldFormatLine(lines.first())) {
        for (const QString& line : lines) {
            const QString converted = OldListFormat::convertLine(line);
            if (!line.contains(ListFile::kDelimiter))
                Check(converted.count(ListFile::kDelimiter) == 4, "an old line becomes four fields");
            Check(converted.contains(line.section(u'@', 0, 0)), "the carnival ref is kept");
        }
    }
    return 0;
}
