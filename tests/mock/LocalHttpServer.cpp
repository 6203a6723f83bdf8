#include "mock/LocalHttpServer.h"

#include <QList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace {
QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}
} // namespace

LocalHttpServer::LocalHttpServer()
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(listener, 64) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(listener);
        return;
    }
    m_listener = listener;
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

LocalHttpServer::~LocalHttpServer()
{
    stop();
}

QString LocalHttpServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

void LocalHttpServer::setReply(const QByteArray& path, const Reply& reply)
{
    std::lock_guard lock(m_mutex);
    m_replies.insert(path, reply);
}

QList<LocalHttpServer::Request> LocalHttpServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void LocalHttpServer::stop()
{
    if (m_stopping.exchange(true))
        return;
    {
        std::lock_guard lock(m_mutex);
        if (m_listener >= 0)
            ::shutdown(m_listener, SHUT_RDWR);
        for (int socket : m_sockets)
            ::shutdown(socket, SHUT_RDWR);
    }
    m_wake.notify_all();
    if (m_acceptor.joinable())
        m_acceptor.join();
    for (std::thread& thread : m_threads)
        thread.join();
    if (m_listener >= 0)
        ::close(m_listener);
}

void LocalHttpServer::acceptLoop()
{
    while (!m_stopping) {
        const int socket = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) {
            if (m_stopping)
                return;
            continue;
        }
        const int one = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            ::close(socket);
            return;
        }
        m_sockets.push_back(socket);
        m_threads.emplace_back([this, socket, number = ++m_connections] { serve(socket, number); });
    }
}

void LocalHttpServer::serve(int socket, int connection)
{
    QByteArray buffer;
    char chunk[4096];
    for (bool open = true; open && !m_stopping;) {
        qsizetype end = -1;
        while ((end = buffer.indexOf("\r\n\r\n")) < 0) {
            const ssize_t count = ::recv(socket, chunk, sizeof chunk, 0);
            if (count <= 0) {
                open = false;
                break;
            }
            buffer.append(chunk, count);
        }
        if (!open)
            break;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        buffer.remove(0, end + 4);
        Request request;
        request.connection = connection;
        const QList<QByteArray> words = lines.value(0).trimmed().split(' ');
        request.method = words.value(0);
        request.path = words.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        Reply reply;
        {
            std::lock_guard lock(m_mutex);
            m_requests.append(request);
            reply = m_replies.value(request.path, Reply{404, "not here", true, -1, -1, false, 0, 0, {}});
        }
        open = answer(socket, reply);
    }
    ::shutdown(socket, SHUT_RDWR);
    std::lock_guard lock(m_mutex);
    std::erase(m_sockets, socket);
    ::close(socket);
}

bool LocalHttpServer::answer(int socket, const Reply& reply)
{
    if (reply.silent) {
        pause(-1);
        return false;
    }
    const qint64 length = reply.announcedLength >= 0 ? reply.announcedLength : reply.body.size();
    // Whatever cannot be delimited by an honest length ends with the connection.
    const bool keepOpen = reply.sendLength && length == reply.body.size() && reply.stallAfter < 0;
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    if (reply.sendLength)
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    head += keepOpen ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    for (const QByteArray& line : reply.headers)
        head += line + "\r\n";
    head += "\r\n";
    if (!sendAll(socket, head.constData(), head.size()))
        return false;

    const qsizetype total =
        reply.stallAfter >= 0 ? std::min<qsizetype>(reply.stallAfter, reply.body.size()) : reply.body.size();
    const qsizetype piece = reply.chunkSize > 0 ? reply.chunkSize : qsizetype(1) << 20;
    for (qsizetype at = 0; at < total; at += piece) {
        if (reply.chunkDelayMs > 0 && !pause(reply.chunkDelayMs))
            return false;
        if (!sendAll(socket, reply.body.constData() + at, std::min(piece, total - at)))
            return false;
    }
    if (reply.stallAfter >= 0)
        pause(-1);
    return keepOpen;
}

bool LocalHttpServer::sendAll(int socket, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t sent = ::send(socket, data, size_t(size), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= sent;
    }
    return true;
}

bool LocalHttpServer::pause(int milliseconds)
{
    std::unique_lock lock(m_mutex);
    const auto stopping = [this] { return m_stopping.load(); };
    if (milliseconds < 0)
        m_wake.wait(lock, stopping);
    else
        m_wake.wait_for(lock, std::chrono::milliseconds(milliseconds), stopping);
    return !m_stopping;
}
