#pragma once

#include <QString>

#include <optional>

/// "sel.dat" in the working directory (looked up at the moment of use): one line naming the current
/// list's file, the bare file name when the list lies in the working directory, its full path
/// otherwise. Written as UTF-8 without a mark; read like a list file.
class StateFile final
{
public:
    static QString path();
    /// The remembered list's full path; none without a state file or with an empty first line.
    /// Throws when the state file exists but cannot be read.
    static std::optional<QString> readListPath();
    /// The line that names listPath.
    static QString entryFor(const QString& listPath);
    /// Replaces the state file atomically; throws with the system's reason.
    static void write(const QString& listPath);
};
