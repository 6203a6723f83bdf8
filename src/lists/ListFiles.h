#pragma once

#include "lists/FileLocations.h"
#include "lists/UnsavedChanges.h"

#include <QString>

#include <optional>

class CarnivalList;
class ControlStates;
class Desktop;
class Folders;

/// The list-file commands of the main window: Open List, Save, Save List, the start-up load
/// (with the conversion of old-format lists) and the state file written at close. Owns the
/// current list's link to its file, which the list-name label shows.
class ListFiles final
{
public:
    ListFiles(Desktop& desktop, CarnivalList& currentList, CarnivalList& newList, ControlStates& controls,
              const Folders& folders);

    /// Start-up: reopens the list that the state file names, converting an old-format list when
    /// the user agrees. Errors are thrown with the system's reason.
    void reopenLastList();
    /// Start-up with a list named on the command line, opened as Open List opens it. One that
    /// cannot be read is said in a message and changes nothing; returns whether it was opened.
    bool openListAtStart(const QString& path);
    /// Close: names the current list's file in the state file; without one it is left as it is.
    void saveState();

    /// Open List; true when a list was opened. A file that cannot be read leaves the list, its name
    /// and its file as they were.
    bool openList();
    /// Save: asks for a file, starting from the current list's own, writes the current list and
    /// makes the saved file the current list's file. True when the list was written.
    bool saveCurrentList();
    /// Save As: the same, but asks for a new name in the list's folder.
    bool saveCurrentListAs();
    /// Save List: writes the new list and changes nothing else; the dialog offers its last file.
    bool saveNewList();
    /// Save As on the second tab: Save List asking for a new name.
    bool saveNewListAs();

    /// Before the window closes: asks "Save changes to <list name>?" for each list with changes
    /// that would be lost. False when the user cancelled (or a save did not happen).
    bool offerToSaveChanges();
    /// True when closing now would lose a change of either list.
    bool hasUnsavedChanges() const;
    const UnsavedChanges& currentListChanges() const { return m_currentChanges; }
    const UnsavedChanges& newListChanges() const { return m_newChanges; }

    /// The list-name label's line: none until a list is loaded, opened or saved.
    std::optional<QString> listName() const;
    /// Full path of the current list's file, when it has one.
    const std::optional<QString>& listFile() const { return m_listFile; }

    /// The name that the label shows for a file: its name without folder and extension.
    static QString listNameOf(const QString& path);

private:
    void setListFile(const QString& path);
    void clearCurrentList();
    void loadCurrentList(const QStringList& lines);
    void convertOldList(const QString& path, const QStringList& lines);
    std::optional<QString> askSaveFileName(const QString& start);
    bool mayReplace(const QString& path, const std::optional<QString>& ownFile);
    void reportSaved(const QString& path, const CarnivalList& list);
    bool saveCurrentListFrom(const QString& start);
    bool saveNewListFrom(const QString& start);
    bool currentListNeedsSaving() const;
    bool newListNeedsSaving() const;
    QString startFolder() const;
    void setListTotal();

    Desktop& m_desktop;
    CarnivalList& m_current;
    CarnivalList& m_new;
    ControlStates& m_controls;
    std::optional<QString> m_listFile;
    std::optional<QString> m_newListFile; // where the new list was last saved
    UnsavedChanges m_currentChanges{m_current};
    UnsavedChanges m_newChanges{m_new};
    FileLocations m_locations;
};
