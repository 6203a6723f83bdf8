#include "platform/Process.h"

#include <QFile>

#include <spawn.h>
#include <unistd.h>

#include <vector>

extern char** environ;

qint64 CurrentProcessId()
{
    return ::getpid();
}

bool StartProgramDetached(const QString& program, const QStringList& arguments, const QString& workingFolder)
{
    const QByteArray path = QFile::encodeName(program);
    const QByteArray folder = QFile::encodeName(workingFolder);
    QList<QByteArray> encoded;
    for (const QString& argument : arguments)
        encoded.append(argument.toLocal8Bit());
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.constData()));
    for (QByteArray& argument : encoded)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Our sockets and pipes (the directory's listener, the browser's channels) stay ours.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (!folder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own: closing our terminal or our process group does not end it.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    const int result = posix_spawn(&child, path.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0;
}
