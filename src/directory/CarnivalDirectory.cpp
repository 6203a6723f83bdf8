#include "directory/CarnivalDirectory.h"

#include "directory/SubmitForm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <httplib.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace {

constexpr const char* kHost = "127.0.0.1";
constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kText = "text/plain; charset=utf-8";
constexpr const char* kFormPath = "/bc/submit.php";
constexpr const char* kSubmissionsPath = "/bc/submissions.json";
constexpr const char* kUpdatesPattern = R"(/21214/updates/(.+))";
// Idle browser connections hold a server thread this long; stop() waits for them.
constexpr time_t kKeepAliveSeconds = 1;
constexpr size_t kMaxPayload = 1024 * 1024;

QString fromStd(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMap<QString, QString> postedFields(const httplib::Request& request)
{
    QMap<QString, QString> fields;
    for (const auto& [name, value] : request.params)
        fields.insert(fromStd(name), fromStd(value));
    return fields;
}

QJsonObject toJson(const Submission& submission)
{
    QJsonObject fields;
    for (auto it = submission.fields.cbegin(); it != submission.fields.cend(); ++it)
        fields.insert(it.key(), it.value());
    return QJsonObject{
        {QStringLiteral("carnival"), submission.carnival},
        {QStringLiteral("category"), submission.category},
        {QStringLiteral("post_url"), submission.postUrl},
        {QStringLiteral("time"), submission.time.toString(Qt::ISODateWithMs)},
        {QStringLiteral("status"), submission.status},
        {QStringLiteral("fields"), fields},
    };
}

// A name below the updates folder, without any way up or out of it.
bool isSafeRelativeName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        name.contains(QChar(0)))
        return false;
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    }
    return true;
}

// The library's default adds SO_REUSEPORT, which lets a second directory share a port in use
// and take part of its requests; a port in use must fail to bind instead.
void exclusivePortOptions(socket_t sock)
{
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof(yes));
}

} // namespace

class CarnivalDirectory::Server
{
public:
    explicit Server(CarnivalCatalog catalog) : m_catalog(std::move(catalog)) {}
    ~Server() { stop(); }

    QString start(quint16 port);
    void stop();

    QString baseUrl() const
    {
        std::lock_guard lock(m_mutex);
        return m_baseUrl;
    }
    QString errorString() const
    {
        std::lock_guard lock(m_mutex);
        return m_error;
    }
    QList<Submission> submissions() const
    {
        std::lock_guard lock(m_mutex);
        return m_submissions;
    }
    void clearSubmissions()
    {
        std::lock_guard lock(m_mutex);
        m_submissions.clear();
    }
    CarnivalCatalog catalog() const
    {
        std::lock_guard lock(m_mutex);
        return m_catalog;
    }
    void setCatalog(const CarnivalCatalog& catalog)
    {
        std::lock_guard lock(m_mutex);
        m_catalog = catalog;
    }
    QList<qint64> expire(const QList<qint64>& refs)
    {
        std::lock_guard lock(m_mutex);
        return m_catalog.expire(refs);
    }
    void setUpdatesFolder(const QString& dir)
    {
        std::lock_guard lock(m_mutex);
        m_updatesFolder = dir;
    }
    void setAnswerDelay(int ms)
    {
        std::lock_guard lock(m_mutex);
        m_answerDelayMs = std::max(0, ms);
    }
    void setFailure(qint64 ref, int status, int retryAfter, int times)
    {
        std::lock_guard lock(m_mutex);
        if (status == 0)
            m_failures.remove(ref);
        else
            m_failures.insert(ref, {status, retryAfter, times});
    }
    void clearFailures()
    {
        std::lock_guard lock(m_mutex);
        m_failures.clear();
    }

private:
    void route(httplib::Server& http);
    void serveForm(httplib::Response& response, int status, const FormState& state);
    void handlePost(const httplib::Request& request, httplib::Response& response);
    void serveSubmissions(httplib::Response& response);
    void serveUpdateFile(const httplib::Request& request, httplib::Response& response);
    void record(const Submission& submission);
    void waitAnswerDelay();

    mutable std::mutex m_mutex;
    std::condition_variable m_stopping;
    bool m_stopRequested = false;
    CarnivalCatalog m_catalog;
    QList<Submission> m_submissions;
    QString m_updatesFolder;
    int m_answerDelayMs = 0;
    struct Failure
    {
        int status = 500;
        int retryAfter = -1;
        int times = -1;
    };
    QMap<qint64, Failure> m_failures;
    QString m_baseUrl;
    QString m_error;

    // Only start() and stop() touch these, serialised by m_lifecycle.
    std::mutex m_lifecycle;
    std::unique_ptr<httplib::Server> m_http;
    std::thread m_listener;
    std::atomic<bool> m_listenerDone{false};
};

QString CarnivalDirectory::Server::start(quint16 port)
{
    stop();
    std::lock_guard lifecycle(m_lifecycle);
    auto http = std::make_unique<httplib::Server>();
    route(*http);
    http->set_keep_alive_timeout(kKeepAliveSeconds);
    http->set_payload_max_length(kMaxPayload);
    http->set_socket_options(exclusivePortOptions);

    int boundPort = port;
    const bool bound =
        port == 0 ? (boundPort = http->bind_to_any_port(kHost)) > 0 : http->bind_to_port(kHost, port);
    if (!bound) {
        std::lock_guard lock(m_mutex);
        m_error = QStringLiteral("Cannot listen on %1:%2; the port may be in use")
                      .arg(QLatin1String(kHost))
                      .arg(port);
        return QString();
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = false;
    }
    m_http = std::move(http);
    m_listenerDone = false;
    m_listener = std::thread([this, server = m_http.get()] {
        server->listen_after_bind();
        m_listenerDone = true;
    });
    // The library's stop() does nothing until the listener runs, and would leave it blocked.
    while (!m_http->is_running() && !m_listenerDone)
        std::this_thread::yield();
    std::lock_guard lock(m_mutex);
    m_baseUrl = QStringLiteral("http://%1:%2").arg(QLatin1String(kHost)).arg(boundPort);
    m_error.clear();
    return m_baseUrl;
}

void CarnivalDirectory::Server::stop()
{
    std::lock_guard lifecycle(m_lifecycle);
    if (!m_http)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
        m_baseUrl.clear();
    }
    m_stopping.notify_all();
    m_http->stop();
    m_listener.join();
    m_http.reset();
}

void CarnivalDirectory::Server::route(httplib::Server& http)
{
    http.Get(kFormPath, [this](const httplib::Request&, httplib::Response& response) {
        serveForm(response, 200, FormState());
    });
    http.Post(kFormPath, [this](const httplib::Request& request, httplib::Response& response) {
        handlePost(request, response);
    });
    http.Get(kSubmissionsPath,
             [this](const httplib::Request&, httplib::Response& response) { serveSubmissions(response); });
    http.Delete(kSubmissionsPath, [this](const httplib::Request&, httplib::Response& response) {
        clearSubmissions();
        response.set_content("[]", "application/json");
    });
    http.Get(kUpdatesPattern, [this](const httplib::Request& request, httplib::Response& response) {
        serveUpdateFile(request, response);
    });
    http.set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& response) {
            if (!response.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            response.set_content(response.status == 404 ? "Not found" : "Request not handled", kText);
            return httplib::Server::HandlerResponse::Handled;
        }));
    http.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr error) {
            std::string text = "Internal error";
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                text += std::string(": ") + e.what();
            } catch (...) {
            }
            response.status = 500;
            response.set_content(text, kText);
        });
}

void CarnivalDirectory::Server::serveForm(httplib::Response& response, int status, const FormState& state)
{
    QByteArray page;
    {
        std::lock_guard lock(m_mutex);
        page = SubmitForm::render(m_catalog, state);
    }
    response.status = status;
    response.set_content(page.constData(), static_cast<size_t>(page.size()), kHtml);
}

void CarnivalDirectory::Server::handlePost(const httplib::Request& request, httplib::Response& response)
{
    FormState state;
    state.fields = postedFields(request);
    state.noticeIsError = true;

    const bool hasCarnival = state.fields.contains(QStringLiteral("id"));
    const QString carnivalText = state.fields.value(QStringLiteral("id"));
    const QString categoryText = state.fields.value(QStringLiteral("category"), QStringLiteral("0"));
    qint64 carnivalRef = 0;
    qint64 categoryRef = 0;
    if (!hasCarnival || !CarnivalCatalog::parseRef(carnivalText, &carnivalRef)) {
        state.notice = hasCarnival
                           ? QStringLiteral("The carnival \"%1\" is not a carnival ref.").arg(carnivalText)
                           : QStringLiteral("The submission names no carnival.");
        return serveForm(response, 400, state);
    }
    state.carnival = carnivalRef;
    if (!CarnivalCatalog::parseRef(categoryText, &categoryRef)) {
        state.notice = QStringLiteral("The category \"%1\" is not a category ref.").arg(categoryText);
        return serveForm(response, 400, state);
    }
    state.category = categoryRef;
    if (carnivalRef == 0) {
        state.notice = QStringLiteral("Please select a carnival.");
        return serveForm(response, 200, state);
    }

    QString carnivalName;
    QString categoryName;
    std::optional<Failure> failure;
    {
        std::lock_guard lock(m_mutex);
        if (const Carnival* carnival = m_catalog.findOffered(carnivalRef)) {
            const auto found = m_failures.find(carnivalRef);
            if (found != m_failures.end() && found->times != 0) {
                failure = *found;
                if (found->times > 0 && --found->times == 0)
                    m_failures.erase(found);
            }
            carnivalName = carnival->name;
            for (const CarnivalCategory& category : carnival->categories) {
                if (category.ref == categoryRef)
                    categoryName = category.name;
            }
        }
    }
    if (carnivalName.isEmpty()) {
        state.carnival = 0;
        state.category = 0;
        state.notice = QStringLiteral("The carnival %1 does not exist or has expired.").arg(carnivalRef);
        return serveForm(response, 404, state);
    }

    if (failure) {
        record({carnivalRef, categoryRef, state.fields.value(QStringLiteral("post_url")), state.fields,
                QDateTime::currentDateTimeUtc(), failure->status});
        waitAnswerDelay();
        response.status = failure->status;
        if (failure->retryAfter >= 0)
            response.set_header("Retry-After", std::to_string(failure->retryAfter));
        const std::string page = "<!DOCTYPE html>\n<html><head><title>Error " + std::to_string(failure->status) +
                                 "</title></head><body><h1>Error " + std::to_string(failure->status) +
                                 "</h1><p>The carnival could not take the submission.</p></body></html>\n";
        response.set_content(page, kHtml);
        return;
    }
    record({carnivalRef, categoryRef, state.fields.value(QStringLiteral("post_url")), state.fields,
            QDateTime::currentDateTimeUtc()});
    state.noticeIsError = false;
    state.notice = categoryName.isEmpty()
                       ? QStringLiteral("Thank you! Your post was submitted to %1.").arg(carnivalName)
                       : QStringLiteral("Thank you! Your post was submitted to %1, category %2.")
                             .arg(carnivalName, categoryName);
    waitAnswerDelay();
    serveForm(response, 200, state);
}

void CarnivalDirectory::Server::record(const Submission& submission)
{
    std::lock_guard lock(m_mutex);
    m_submissions.append(submission);
}

void CarnivalDirectory::Server::waitAnswerDelay()
{
    std::unique_lock lock(m_mutex);
    m_stopping.wait_for(lock, std::chrono::milliseconds(m_answerDelayMs), [this] { return m_stopRequested; });
}

void CarnivalDirectory::Server::serveSubmissions(httplib::Response& response)
{
    QJsonArray list;
    for (const Submission& submission : submissions())
        list.append(toJson(submission));
    response.set_content(QJsonDocument(list).toJson(QJsonDocument::Compact).toStdString(),
                         "application/json");
}

void CarnivalDirectory::Server::serveUpdateFile(const httplib::Request& request, httplib::Response& response)
{
    const QString name = fromStd(request.matches[1].str());
    QString folder;
    {
        std::lock_guard lock(m_mutex);
        folder = m_updatesFolder;
    }
    response.status = 404;
    if (folder.isEmpty() || !isSafeRelativeName(name))
        return;
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QFileInfo target(QDir(folder).filePath(name));
    if (root.isEmpty() || !target.isFile() || !target.canonicalFilePath().startsWith(root + QLatin1Char('/')))
        return;
    QFile file(target.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = file.readAll();
    response.status = 200;
    response.set_content(data.constData(), static_cast<size_t>(data.size()), "application/octet-stream");
}

CarnivalDirectory::CarnivalDirectory(CarnivalCatalog catalog)
    : m_server(std::make_unique<Server>(std::move(catalog)))
{}

CarnivalDirectory::~CarnivalDirectory() = default;

QString CarnivalDirectory::start(quint16 port)
{
    return m_server->start(port);
}

void CarnivalDirectory::stop()
{
    m_server->stop();
}

bool CarnivalDirectory::isRunning() const
{
    return !m_server->baseUrl().isEmpty();
}

QString CarnivalDirectory::baseUrl() const
{
    return m_server->baseUrl();
}

QString CarnivalDirectory::submitUrl() const
{
    const QString base = baseUrl();
    return base.isEmpty() ? base : base + QLatin1String(kFormPath);
}

QString CarnivalDirectory::errorString() const
{
    return m_server->errorString();
}

QList<Submission> CarnivalDirectory::submissions() const
{
    return m_server->submissions();
}

void CarnivalDirectory::clearSubmissions()
{
    m_server->clearSubmissions();
}

void CarnivalDirectory::setCatalog(const CarnivalCatalog& catalog)
{
    m_server->setCatalog(catalog);
}

CarnivalCatalog CarnivalDirectory::catalog() const
{
    return m_server->catalog();
}

QList<qint64> CarnivalDirectory::expire(const QList<qint64>& refs)
{
    return m_server->expire(refs);
}

void CarnivalDirectory::setUpdatesFolder(const QString& dir)
{
    m_server->setUpdatesFolder(dir);
}

void CarnivalDirectory::setAnswerDelay(int ms)
{
    m_server->setAnswerDelay(ms);
}

void CarnivalDirectory::setFailure(qint64 ref, int status, int retryAfterSeconds, int times)
{
    m_server->setFailure(ref, status, retryAfterSeconds, times);
}

void CarnivalDirectory::clearFailures()
{
    m_server->clearFailures();
}
