#pragma once

#include <QString>
#include <QStringList>

/// The id of the running process.
qint64 CurrentProcessId();

/// Starts program with these arguments in workingFolder (the current folder when empty), in a
/// session of its own, and does not wait for it: it outlives this process. No descriptor of ours
/// but the standard three reaches it. False when it could not be started.
bool StartProgramDetached(const QString& program, const QStringList& arguments, const QString& workingFolder);

/// Ends the application: the running event loops end (a modal dialog's and the main one), and so
/// does every loop that starts later and waits for events, so that a request made before the main
/// loop has started (from a dialog shown at start-up) ends the program too. Closes the windows
/// first when the main loop runs. Cannot be taken back.
void TerminateApplication();
