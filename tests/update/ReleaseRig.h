#pragma once

// An update engine with folders of its own under a temporary folder and a local server that
// serves a control file and the release's files, for the release and wizard tests.

#include "mock/FakeDesktop.h"
#include "mock/FakeFolders.h"
#include "mock/FakeNetwork.h"
#include "mock/LocalHttpServer.h"
#include "update/UpdateEngine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace ReleaseTest {
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

inline QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 26);
    return bytes;
}

/// The byte sum the control file's "newchecksum" gives: -1 plus every byte, as a signed 32-bit value.
inline qint32 byteSum(const QByteArray& bytes)
{
    quint32 sum = 0xFFFFFFFFu;
    for (char c : bytes)
        sum += quint8(c);
    return qint32(sum);
}

struct ReleaseRig
{
    QTemporaryDir root;
    FakeDesktop desktop;
    FakeNetwork network;
    FakeFolders folders;
    LocalHttpServer server;
    std::unique_ptr<UpdateEngine> engine;
    QStringList startedUpdaters;
    int terminations = 0;

    ReleaseRig()
    {
        for (const char* folder : {"tmp", "docs", "app"})
            QDir(root.path()).mkdir(QString::fromLatin1(folder));
        folders.tempFolder = path("tmp");
        folders.documentsFolder = path("docs");
        folders.currentFolder = path("app");
        engine = std::make_unique<UpdateEngine>(desktop, network, folders);
        engine->URL = server.url(QStringLiteral("/21214/updates/x.inf"));
        engine->Handoff.processId = [] { return qint64(1234); };
        engine->Handoff.start = [this](const QString& updater, const QString& parameters, const QString&) {
            startedUpdaters.append(updater + QStringLiteral(" ") + parameters);
            return true;
        };
        engine->Handoff.terminate = [this] { ++terminations; };
    }

    QString path(const QString& name) const { return root.filePath(name); }
    /// The address of a file the server serves under "/21214/updates/".
    QString url(const QString& name) const { return server.url(QStringLiteral("/21214/updates/") + name); }
    void serve(const QString& name, const LocalHttpServer::Reply& reply)
    {
        server.setReply(QByteArray("/21214/updates/") + name.toUtf8(), reply);
    }
    void serve(const QString& name, const QByteArray& body)
    {
        serve(name, LocalHttpServer::Reply{.body = body});
    }
    /// The control file's bytes; "@URL@" in the text stands for the server's updates address.
    QByteArray controlBytes(const QString& text) const
    {
        QString body = text;
        body.replace(QStringLiteral("@URL@"), url(QString()));
        return body.toUtf8();
    }
    /// Serves the control file; "@URL@" in it stands for the server's updates address.
    void control(const QString& text) { serve(QStringLiteral("x.inf"), controlBytes(text)); }
    /// Opens the connection and fetches the control file, as the wizard does before its pages.
    bool fetch()
    {
        return engine->OpenInternetConnection() == ConnectionOpen::Connected && engine->FetchControlFile();
    }
    /// Paths the server was asked for, in order.
    QStringList requested() const
    {
        QStringList paths;
        for (const LocalHttpServer::Request& request : server.requests())
            paths.append(QString::fromUtf8(request.path));
        return paths;
    }
    QStringList leftovers() const
    {
        return QDir(folders.tempFolder).entryList({QStringLiteral("WUPD*")}, QDir::Files);
    }
};
} // namespace ReleaseTest
