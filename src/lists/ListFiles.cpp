#include "lists/ListFiles.h"

#include "lists/CarnivalList.h"
#include "lists/ListFile.h"
#include "lists/OldListFormat.h"
#include "lists/RowOperations.h"
#include "lists/StateFile.h"
#include "platform/ControlNames.h"
#include "platform/ControlStates.h"
#include "platform/Desktop.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kConvertTitle = QStringLiteral("VorlixPro v3");
const QString kConvertQuestion =
    QStringLiteral("You are using an list from a previous version of VorlixPro\nWould you like to convert to "
                   "the new format now?");
const QString kListExtension = QStringLiteral(".bcl");

QList<Desktop::FileFilter> openFilters()
{
    return {{QStringLiteral("Blog Carnival List (*.bcl)"), QStringLiteral("*.bcl")},
            {QStringLiteral("All Files (*.*)"), QStringLiteral("*.*")}};
}

QList<Desktop::FileFilter> saveFilters()
{
    return {{QStringLiteral("Blog Carnival List (*.bcl)"), QStringLiteral("*.bcl")},
            {QStringLiteral("All files (*.*)"), QStringLiteral("*.*")}};
}
} // namespace

ListFiles::ListFiles(Desktop& desktop, CarnivalList& currentList, CarnivalList& newList,
                     ControlStates& controls, const Folders& folders)
    : m_desktop(desktop), m_current(currentList), m_new(newList), m_controls(controls), m_locations(folders)
{}

std::optional<QString> ListFiles::listName() const
{
    if (!m_listFile)
        return std::nullopt;
    return listNameOf(*m_listFile);
}

QString ListFiles::listNameOf(const QString& path)
{
    return QFileInfo(path).completeBaseName();
}

void ListFiles::setListFile(const QString& path)
{
    m_listFile = QFileInfo(path).absoluteFilePath();
    m_controls.setText(Controls::ListName, listNameOf(path));
}

void ListFiles::setListTotal()
{
    m_controls.setText(Controls::ListTotal, QString::number(m_current.rows()));
}

// Same end as clearAllRows (an empty list, row 0 current, the grid focused) in one step, so that
// replacing a long list costs no more than loading it.
void ListFiles::clearCurrentList()
{
    if (!m_current.isEmptyList())
        m_desktop.setFocus(m_current.objectName());
    m_current.replaceRows({}, m_current.columns());
    m_current.setCurrentRow(0);
}

// Every load but the old-format conversion ends with a trailing blank row; a file with no line
// is an empty list, which already is one blank row.
void ListFiles::loadCurrentList(const QStringList& lines)
{
    ListFile::fillGrid(lines, ListFile::kDelimiter, m_current);
    if (!lines.isEmpty())
        appendBlankRow(m_current);
}

void ListFiles::reopenLastList()
{
    const std::optional<QString> path = StateFile::readListPath(m_locations.stateFolder());
    if (!path)
        return;
    const QStringList lines = ListFile::readLines(*path);
    if (!lines.isEmpty() && OldListFormat::isOldFormatLine(lines.first())) {
        convertOldList(*path, lines);
        return;
    }
    loadCurrentList(lines);
    if (!m_listFile)
        setListFile(*path);
}

bool ListFiles::openListAtStart(const QString& path)
{
    QStringList lines;
    try {
        lines = ListFile::readLines(path);
    } catch (const std::runtime_error& error) {
        m_desktop.showMessage(QString::fromUtf8(error.what()));
        return false;
    }
    clearCurrentList();
    loadCurrentList(lines);
    setListFile(path);
    return true;
}

void ListFiles::convertOldList(const QString& path, const QStringList& lines)
{
    // Any answer but Yes leaves the old file and the state file alone: the question comes back
    // at the next start.
    if (!m_desktop.askYesNo(kConvertTitle, kConvertQuestion, Desktop::Icon::Question))
        return;
    QStringList converted;
    converted.reserve(lines.size());
    for (const QString& line : lines)
        converted.append(OldListFormat::convertLine(line));
    FixFile(converted, path);
    LoadFile(path, ListFile::kDelimiter, m_current);
    if (!m_listFile)
        setListFile(path);
}

void ListFiles::saveState()
{
    if (m_listFile)
        StateFile::write(*m_listFile, m_locations.stateFolder());
}

void ListFiles::openList()
{
    const QString path = m_desktop.openFileName(QStringLiteral("Open Blog Carnival List"), openFilters(),
                                                m_locations.dialogFolder());
    if (path.isEmpty())
        return;
    m_locations.rememberDialogFolder(path);
    // Read first: a file that cannot be read must not cost the user the list on screen.
    const QStringList lines = ListFile::readLines(path);
    clearCurrentList();
    loadCurrentList(lines);
    setListFile(path);
    setListTotal();
}

std::optional<QString> ListFiles::askSaveFileName()
{
    QString path =
        m_desktop.saveFileName(QStringLiteral("Save file"), saveFilters(), m_locations.dialogFolder());
    if (path.isEmpty())
        return std::nullopt;
    m_locations.rememberDialogFolder(path);
    if (!QFileInfo(path).fileName().contains(u'.'))
        path += kListExtension;
    return path;
}

void ListFiles::saveCurrentList()
{
    const std::optional<QString> path = askSaveFileName();
    if (!path)
        return;
    SaveTabDelimited(*path, m_current);
    setListFile(*path);
}

void ListFiles::saveNewList()
{
    if (const std::optional<QString> path = askSaveFileName())
        SaveTabDelimited(*path, m_new);
}
