#pragma once

#include <QDir>
#include <QString>

#include <optional>

/// "sel.dat" in its folder: the working directory (looked up at the moment of use) unless the
/// program is installed. One line naming the current list's file, the bare file name when the list
/// lies in that folder, its full path otherwise. Written as UTF-8 without a mark; read like a list
/// file.
class StateFile final
{
public:
    static QString path(const QString& folder = QDir::currentPath());
    /// The remembered list's full path; none without a state file or with an empty first line.
    /// Throws when the state file exists but cannot be read.
    static std::optional<QString> readListPath(const QString& folder = QDir::currentPath());
    /// The line that names listPath.
    static QString entryFor(const QString& listPath, const QString& folder = QDir::currentPath());
    /// Replaces the state file atomically, making its folder first; throws with the system's reason.
    static void write(const QString& listPath, const QString& folder = QDir::currentPath());
};
