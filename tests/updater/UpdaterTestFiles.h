#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>

// Small file helpers shared by the updater's tests.
namespace UpdaterTestFiles {

inline bool Write(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

inline QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline std::string Std(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

/// Runs a tool in folder; true when it ends normally with exit code 0.
inline bool RunTool(const QString& program, const QStringList& arguments, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

/// Bytes that compress well and badly in turns, so that matches and literals both occur.
inline QByteArray MixedContent(int size, unsigned seed)
{
    QByteArray data;
    data.reserve(size);
    unsigned state = seed;
    while (data.size() < size) {
        state = state * 1103515245u + 12345u;
        if ((state >> 16) % 3 == 0)
            data += QByteArray("carnival submission ").left(static_cast<int>((state >> 8) % 20) + 1);
        else
            data += static_cast<char>(state >> 24);
    }
    return data.left(size);
}

} // namespace UpdaterTestFiles
