#pragma once

#include "lists/FileLocations.h"

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

    /// Open List. A file that cannot be read leaves the list, its name and its file as they were.
    void openList();
    /// Save: writes the current list and makes the saved file the current list's file.
    void saveCurrentList();
    /// Save List: writes the new list and changes nothing else.
    void saveNewList();

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
    std::optional<QString> askSaveFileName();
    void setListTotal();

    Desktop& m_desktop;
    CarnivalList& m_current;
    CarnivalList& m_new;
    ControlStates& m_controls;
    std::optional<QString> m_listFile;
    FileLocations m_locations;
};
