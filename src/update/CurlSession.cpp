#include "update/CurlSession.h"

#include <algorithm>
#include <mutex>

namespace {
using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kTick{100};
// Large reads keep up with the command-line tool; the receiver cuts them into its own blocks.
constexpr long kReceiveBuffer = 100 * 1024;

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}
} // namespace

CurlSession::~CurlSession()
{
    close();
}

bool CurlSession::open(const QByteArray& agent, const QString& caCertificates)
{
    close();
    initLibrary();
    m_easy = curl_easy_init();
    m_multi = curl_multi_init();
    if (!m_easy || !m_multi) {
        close();
        return false;
    }
    m_headers = curl_slist_append(m_headers, "Pragma: no-cache");
    m_headers = curl_slist_append(m_headers, "Cache-Control: no-cache");
    curl_easy_setopt(m_easy, CURLOPT_USERAGENT, agent.constData());
    curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers);
    curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caCertificates.isEmpty())
        curl_easy_setopt(m_easy, CURLOPT_CAINFO, caCertificates.toLocal8Bit().constData());
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
    curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &CurlSession::writeCallback);
    curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &CurlSession::headerCallback);
    curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
    return true;
}

void CurlSession::close()
{
    if (m_easy)
        curl_easy_cleanup(m_easy);
    if (m_multi)
        curl_multi_cleanup(m_multi);
    curl_slist_free_all(m_headers);
    m_easy = nullptr;
    m_multi = nullptr;
    m_headers = nullptr;
}

size_t CurlSession::writeCallback(char* data, size_t size, size_t count, void* self)
{
    return static_cast<CurlSession*>(self)->deliver(data, size * count);
}

size_t CurlSession::headerCallback(char*, size_t size, size_t count, void* self)
{
    static_cast<CurlSession*>(self)->m_lastActivity = Clock::now();
    return size * count;
}

size_t CurlSession::deliver(const char* data, size_t size)
{
    m_lastActivity = Clock::now();
    if (!m_responseDelivered && !deliverResponse())
        return 0;
    if (!m_receiver->onBody(data, qsizetype(size))) {
        m_stop = Stop::Stopped;
        return 0;
    }
    return size;
}

bool CurlSession::deliverResponse()
{
    m_responseDelivered = true;
    long status = 0;
    curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t length = -1;
    curl_easy_getinfo(m_easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (!m_receiver->onResponse(status, std::max<qint64>(length, 0))) {
        m_stop = Stop::Refused;
        return false;
    }
    return true;
}

CurlSession::Result CurlSession::get(const QByteArray& url, Receiver& receiver,
                                     std::chrono::milliseconds stallTimeout)
{
    if (!isOpen())
        return {Outcome::NoResponse, QStringLiteral("No Internet connection is open")};
    m_receiver = &receiver;
    m_responseDelivered = false;
    m_stop = Stop::None;
    m_errorBuffer[0] = '\0';
    curl_easy_setopt(m_easy, CURLOPT_URL, url.constData());

    bool stalled = false;
    const CURLcode code = runTransfer(stallTimeout, stalled);
    Result result = outcome(code, stalled, stallTimeout);
    m_receiver = nullptr;
    return result;
}

CURLcode CurlSession::runTransfer(std::chrono::milliseconds stallTimeout, bool& stalled)
{
    curl_multi_add_handle(m_multi, m_easy);
    m_lastActivity = Clock::now();
    auto lastIdle = m_lastActivity;
    CURLcode code = CURLE_OK;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(m_multi, &running) != CURLM_OK) {
            code = CURLE_RECV_ERROR;
            break;
        }
        if (m_stop != Stop::None)
            break;
        if (running == 0) {
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(m_multi, &queued))
                if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy)
                    code = message->data.result;
            break;
        }
        curl_multi_poll(m_multi, nullptr, 0, int(kTick.count()), nullptr);
        // A silent server must neither freeze the window nor hold the user forever.
        const auto now = Clock::now();
        if (now - m_lastActivity >= stallTimeout) {
            stalled = true;
            code = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        if (now - std::max(m_lastActivity, lastIdle) >= kTick) {
            lastIdle = now;
            if (!m_receiver->onIdle()) {
                m_stop = Stop::Stopped;
                break;
            }
        }
    }
    curl_multi_remove_handle(m_multi, m_easy);
    return code;
}

CurlSession::Result CurlSession::outcome(CURLcode code, bool stalled, std::chrono::milliseconds stallTimeout)
{
    if (m_stop == Stop::Refused)
        return {Outcome::Refused, {}};
    if (m_stop == Stop::Stopped)
        return {Outcome::Stopped, {}};
    // An empty body reaches no write callback: the response is judged here.
    long status = 0;
    curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
    if (status != 0 && !m_responseDelivered && !deliverResponse())
        return {Outcome::Refused, {}};
    if (code == CURLE_OK)
        return {Outcome::Received, {}};
    QString text = stalled ? QStringLiteral("No data received for %1 seconds")
                                 .arg(std::chrono::duration<double>(stallTimeout).count())
                           : QString::fromLocal8Bit(m_errorBuffer);
    if (text.isEmpty())
        text = QString::fromUtf8(curl_easy_strerror(code));
    return {status == 0 ? Outcome::NoResponse : Outcome::BrokenBody, text};
}
