#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

/// A small HTTP/1.1 server on a loopback port for transfer tests and benchmarks. Each path
/// answers as scripted, including broken answers: truncated bodies, bodies without a length,
/// slow and stalled bodies, a server that never answers. Unknown paths answer 404.
class LocalHttpServer final
{
public:
    struct Reply
    {
        int status = 200;
        QByteArray body{};
        bool sendLength = true;      // without a length the body ends when the connection closes
        qint64 announcedLength = -1; // a length other than the body's size: a truncated body
        qint64 stallAfter = -1;      // body bytes sent before going silent until the server stops
        bool silent = false;         // never answer at all
        qsizetype chunkSize = 0;     // a slow body: pieces of this size...
        int chunkDelayMs = 0;        // ...with this pause before each
        QList<QByteArray> headers{}; // extra header lines
    };

    struct Request
    {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // lower-case names
        int connection = 0;                    // 1 for the first connection accepted, and so on
    };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool isListening() const { return m_listener >= 0; }
    quint16 port() const { return m_port; }
    /// "http://127.0.0.1:port" followed by path.
    QString url(const QString& path) const;
    void setReply(const QByteArray& path, const Reply& reply);
    QList<Request> requests() const;
    int connections() const { return m_connections; }
    /// Ends every connection and the listener; stalled replies end here.
    void stop();

private:
    void acceptLoop();
    void serve(int socket, int connection);
    bool answer(int socket, const Reply& reply);
    bool sendAll(int socket, const char* data, qsizetype size);
    bool pause(int milliseconds);

    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    QHash<QByteArray, Reply> m_replies;
    QList<Request> m_requests;
    std::vector<int> m_sockets;
    std::vector<std::thread> m_threads;
    std::thread m_acceptor;
};
