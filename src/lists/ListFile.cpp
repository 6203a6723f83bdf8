#include "lists/ListFile.h"

#include "lists/CarnivalEntry.h"
#include "lists/CarnivalList.h"
#include "lists/ListText.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <stdexcept>

namespace {

// Old lists cut every field after the first to 999 characters; kept so lists load as they always did.
constexpr qsizetype kRestLimit = 999;
constexpr int kWrittenColumns = 4;

[[noreturn]] void fail(const char* what, const QString& path, const QString& reason)
{
    const QString text = QStringLiteral("%1 \"%2\". %3").arg(QString::fromLatin1(what), path, reason);
    throw std::runtime_error(text.toStdString());
}

// Fields past columns are dropped; the row grows only by the fields the line holds.
void splitInto(QStringView line, QChar delimiter, qsizetype columns, QStringList& row)
{
    QStringView rest = line;
    qsizetype column = 0;
    for (;;) {
        const qsizetype pos = rest.indexOf(delimiter);
        if (column < columns) {
            if (column >= row.size())
                row.resize(column + 1);
            row[column] = pos < 0 ? QString() : rest.first(pos).toString();
        }
        ++column;
        rest = rest.sliced(pos + 1).left(kRestLimit);
        if (!rest.contains(delimiter))
            break;
    }
}

} // namespace

namespace ListFile {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail("Cannot open file", path, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail("Cannot read file", path, file.errorString());
    return bytes;
}

void writeAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // Unbuffered and in a loop: a short write (disk full, size limit) is otherwise taken for
    // success and commits a cut file; writing the rest again fails with the system's reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail("Cannot create file", path, file.errorString());
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            fail("Cannot write file", path, reason);
        }
        done += written;
    }
    if (!file.commit())
        fail("Cannot write file", path, file.errorString());
}

QStringList readLines(const QString& path)
{
    return ListText::splitLines(ListText::decode(readAll(path)));
}

void fillGrid(const QStringList& lines, QChar delimiter, CarnivalList& grid)
{
    if (lines.isEmpty())
        return;
    // The first line's TABs, its last character left out, give the column count.
    const QString& first = lines.first();
    const auto tabs = static_cast<int>(QStringView(first).chopped(first.isEmpty() ? 0 : 1).count(delimiter));
    const int columns = std::max(grid.columns(), tabs + 1);

    QList<QStringList> rows = grid.rawRows();
    if (rows.size() < lines.size())
        rows.resize(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        splitInto(lines[i], delimiter, columns, rows[i]);
    grid.replaceRows(std::move(rows), columns);
}

QByteArray encode(const CarnivalList& grid)
{
    int count = grid.rows();
    if (grid.isBlankRow(count - 1))
        --count;
    QString text;
    text.reserve(qsizetype(count) * 64);
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < kWrittenColumns; ++column) {
            text += grid.cell(column, row);
            text += u'\t';
        }
        text += u"\r\n";
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace ListFile

int LoadFile(const QString& fileName, QChar delimiter, CarnivalList& grid)
{
    const QStringList lines = ListFile::readLines(fileName);
    ListFile::fillGrid(lines, delimiter, grid);
    return static_cast<int>(lines.size());
}

void SaveTabDelimited(const QString& fileName, CarnivalList& grid)
{
    ListFile::writeAtomically(fileName, ListFile::encode(grid));
    // The writer walks the current row along the rows it writes, ending on the grid's last row.
    grid.setCurrentRow(grid.rows() - 1);
}

void FixFile(const QStringList& lines, const QString& fileName)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += u"\r\n";
    }
    ListFile::writeAtomically(fileName, text.toUtf8());
}
