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

#include <functional>

namespace {
const QString kConvertTitle = QStringLiteral("VorlixPro v3");
const QString kConvertQuestion =
    QStringLiteral("You are using an list from a previous version of VorlixPro\nWould you like to convert to "
                   "the new format now?");
const QString kListExtension = QStringLiteral(".bcl");
const QString kTitle = QStringLiteral("Vorlix Pro");

QString savedMessage(const QString& name, int carnivals)
{
    return QStringLiteral("Saved %1 (%2 carnivals)").arg(name).arg(carnivals);
}

int carnivalCount(const CarnivalList& list)
{
    int count = 0;
    for (int row = 0; row < list.rows(); ++row)
        count += list.isBlankRow(row) ? 0 : 1;
    return count;
}

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
    m_controls.setText(Controls::ListTotal, QString::number(m_current.carnivalCount()));
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
    m_currentChanges.markSaved();
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
    m_currentChanges.markSaved();
}

void ListFiles::saveState()
{
    if (m_listFile)
        StateFile::write(*m_listFile, m_locations.stateFolder());
}

bool ListFiles::openList()
{
    const QString path =
        m_desktop.openFileName(QStringLiteral("Open Blog Carnival List"), openFilters(), startFolder());
    if (path.isEmpty())
        return false;
    m_locations.rememberDialogFolder(path);
    // Read first: a file that cannot be read must not cost the user the list on screen.
    const QStringList lines = ListFile::readLines(path);
    clearCurrentList();
    loadCurrentList(lines);
    setListFile(path);
    setListTotal();
    m_currentChanges.markSaved();
    return true;
}

// The folder of the current list's file, else the working folder.
QString ListFiles::startFolder() const
{
    return m_listFile ? QFileInfo(*m_listFile).absolutePath() : m_locations.dialogFolder();
}

// start is a folder, or a file whose name the dialog fills in.
std::optional<QString> ListFiles::askSaveFileName(const QString& start)
{
    QString path = m_desktop.saveFileName(QStringLiteral("Save file"), saveFilters(), start);
    if (path.isEmpty())
        return std::nullopt;
    m_locations.rememberDialogFolder(path);
    if (!QFileInfo(path).fileName().contains(u'.'))
        path += kListExtension;
    return path;
}

// Writing over the list's own file is what Save is for; any other existing file is asked about.
bool ListFiles::mayReplace(const QString& path, const std::optional<QString>& ownFile)
{
    const QFileInfo target(path);
    if (!target.exists() || (ownFile && QFileInfo(*ownFile) == target))
        return true;
    return m_desktop.askYesNo(
        kTitle, QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(target.fileName()),
        Desktop::Icon::Warning);
}

void ListFiles::reportSaved(const QString& path, const CarnivalList& list)
{
    m_controls.setText(Controls::StatusBar, savedMessage(listNameOf(path), carnivalCount(list)));
}

bool ListFiles::saveCurrentListFrom(const QString& start)
{
    const std::optional<QString> path = askSaveFileName(start);
    if (!path || !mayReplace(*path, m_listFile))
        return false;
    SaveTabDelimited(*path, m_current);
    setListFile(*path);
    m_currentChanges.markSaved();
    reportSaved(*path, m_current);
    return true;
}

bool ListFiles::saveCurrentList()
{
    return saveCurrentListFrom(m_listFile.value_or(startFolder()));
}

bool ListFiles::saveCurrentListAs()
{
    return saveCurrentListFrom(startFolder());
}

bool ListFiles::saveNewListFrom(const QString& start)
{
    const std::optional<QString> path = askSaveFileName(start);
    if (!path || !mayReplace(*path, m_newListFile))
        return false;
    SaveTabDelimited(*path, m_new);
    m_newListFile = QFileInfo(*path).absoluteFilePath();
    m_newChanges.markSaved();
    reportSaved(*path, m_new);
    return true;
}

bool ListFiles::saveNewList()
{
    return saveNewListFrom(m_newListFile.value_or(startFolder()));
}

bool ListFiles::saveNewListAs()
{
    return saveNewListFrom(m_newListFile ? QFileInfo(*m_newListFile).absolutePath() : startFolder());
}

// A named list that changed, or an unnamed one that holds carnivals.
bool ListFiles::currentListNeedsSaving() const
{
    return m_currentChanges.isModified() && (m_listFile || !m_current.isEmptyList());
}

bool ListFiles::newListNeedsSaving() const
{
    return m_newChanges.isModified() && !m_new.isEmptyList();
}

bool ListFiles::hasUnsavedChanges() const
{
    return currentListNeedsSaving() || newListNeedsSaving();
}

bool ListFiles::offerToSaveChanges()
{
    const auto offer = [this](const QString& name, const std::function<bool()>& save) {
        const Desktop::Answer answer =
            m_desktop.ask(kTitle, QStringLiteral("Save changes to %1?").arg(name),
                          {Desktop::Answer::Save, Desktop::Answer::Discard, Desktop::Answer::Cancel});
        if (answer == Desktop::Answer::Discard)
            return true;
        return answer == Desktop::Answer::Save && save();
    };
    if (currentListNeedsSaving() &&
        !offer(listName().value_or(QStringLiteral("the current list")), [this] { return saveCurrentList(); }))
        return false;
    if (newListNeedsSaving() &&
        !offer(m_newListFile ? listNameOf(*m_newListFile) : QStringLiteral("the new list"),
               [this] { return saveNewList(); }))
        return false;
    return true;
}
