#pragma once

#include <QByteArray>
#include <QString>

#include <curl/curl.h>

#include <chrono>

/// One open Internet connection: a libcurl handle that every request reuses, so an open
/// connection to the server is reused too. Requests go out with the cache bypassed and follow
/// redirects; only http and https are fetched, https with certificate verification.
class CurlSession final
{
public:
    /// What receives one transfer. Any call may stop it by returning false.
    class Receiver
    {
    public:
        virtual ~Receiver() = default;
        /// The final response's status and announced length (0 when none), once, before its body.
        virtual bool onResponse(long status, qint64 length) = 0;
        /// The next piece of the body.
        virtual bool onBody(const char* data, qsizetype size) = 0;
        /// Called about every 100 ms while nothing arrives.
        virtual bool onIdle() = 0;
    };

    enum class Outcome
    {
        Received,   // the whole body arrived
        Refused,    // onResponse declined the response
        Stopped,    // onBody or onIdle stopped the transfer
        NoResponse, // no response arrived: name, connection, TLS or silent server
        BrokenBody  // the body failed or stalled after the response began
    };

    struct Result
    {
        Outcome outcome = Outcome::NoResponse;
        QString errorText; // for NoResponse and BrokenBody
    };

    CurlSession() = default;
    ~CurlSession();
    CurlSession(const CurlSession&) = delete;
    CurlSession& operator=(const CurlSession&) = delete;

    /// caCertificates: a bundle file to trust instead of the system's; empty for the system's.
    bool open(const QByteArray& agent, const QString& caCertificates = {});
    void close();
    bool isOpen() const { return m_easy != nullptr; }

    /// Fetches url; a transfer that receives nothing for stallTimeout fails.
    Result get(const QByteArray& url, Receiver& receiver, std::chrono::milliseconds stallTimeout);

private:
    enum class Stop
    {
        None,
        Refused,
        Stopped
    };

    static size_t writeCallback(char* data, size_t size, size_t count, void* self);
    static size_t headerCallback(char* data, size_t size, size_t count, void* self);
    size_t deliver(const char* data, size_t size);
    bool deliverResponse();
    CURLcode runTransfer(std::chrono::milliseconds stallTimeout, bool& stalled);
    Result outcome(CURLcode code, bool stalled, std::chrono::milliseconds stallTimeout);

    CURL* m_easy = nullptr;
    CURLM* m_multi = nullptr;
    curl_slist* m_headers = nullptr;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};

    Receiver* m_receiver = nullptr;
    bool m_responseDelivered = false;
    Stop m_stop = Stop::None;
    std::chrono::steady_clock::time_point m_lastActivity;
};
