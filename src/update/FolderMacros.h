#pragma once

#include <QString>

class Folders;

/// Appends the native separator unless the text ends in one; then removes it again after a drive
/// ("C:\Program Files\" gives "C:\Program Files") or else appends "." ("/" gives "/.").
QString NormalizeFolder(const QString& folder);
/// The folder of one of the six macro names WIN, SYS, APP, TMP, DOC and PF, normalized; empty for
/// any other name and for a folder the platform does not have.
QString FolderForMacro(const QString& name, const Folders& folders);
/// Replaces every {NAME} whose name FolderForMacro knows (ignoring letter case); unknown names
/// stay as written. A "{" inside an open brace is ordinary text.
QString ExpandFolderMacros(const QString& text, const Folders& folders);
