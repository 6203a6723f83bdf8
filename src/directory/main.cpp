// vorlix-directory: the local carnival directory as a program of its own.
#include "directory/CarnivalDirectory.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

std::atomic<bool> g_quit{false};

void requestQuit(int)
{
    g_quit = true;
}

int fail(const QString& text, int code = 2)
{
    std::fprintf(stderr, "vorlix-directory: %s\n", qUtf8Printable(text));
    return code;
}

bool parsePort(const QString& text, quint16* port)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value > 65535)
        return false;
    *port = static_cast<quint16>(value);
    return true;
}

bool parseRefs(const QString& text, QList<qint64>* refs)
{
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        qint64 ref = 0;
        if (!CarnivalCatalog::parseRef(part.trimmed(), &ref))
            return false;
        refs->append(ref);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorlix-directory"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves a blog carnival submission form on 127.0.0.1 and records what is posted to it."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on; 0 picks a free one."),
                                        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption dataOption(
        QStringLiteral("data"),
        QStringLiteral("Carnival data (TSV: ref, name, category ref, category name)."),
        QStringLiteral("FILE"));
    const QCommandLineOption expireOption(
        QStringLiteral("expire"), QStringLiteral("Comma-separated carnival refs the form no longer offers."),
        QStringLiteral("REFS"));
    const QCommandLineOption updatesOption(
        QStringLiteral("updates"), QStringLiteral("Folder whose files are served under /21214/updates/."),
        QStringLiteral("DIR"));
    const QCommandLineOption delayOption(
        QStringLiteral("answer-delay"), QStringLiteral("Milliseconds to wait before answering a submission."),
        QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption failOption(
        QStringLiteral("fail"),
        QStringLiteral("Answer posts to the carnival REF with the HTTP status CODE (400-599) and an error "
                       "page; RETRY adds a Retry-After of that many seconds. Repeatable."),
        QStringLiteral("REF:CODE[:RETRY]"));
    parser.addOptions({portOption, dataOption, expireOption, updatesOption, delayOption, failOption});
    parser.process(app);

    quint16 port = 0;
    if (!parsePort(parser.value(portOption), &port))
        return fail(QStringLiteral("--port needs a number from 0 to 65535, not \"%1\"")
                        .arg(parser.value(portOption)));
    QList<qint64> expired;
    if (!parseRefs(parser.value(expireOption), &expired))
        return fail(QStringLiteral("--expire needs carnival refs separated by commas, not \"%1\"")
                        .arg(parser.value(expireOption)));
    bool delayOk = false;
    const int delay = parser.value(delayOption).toInt(&delayOk);
    if (!delayOk || delay < 0)
        return fail(QStringLiteral("--answer-delay needs a number of milliseconds"));
    const QString updates = parser.value(updatesOption);
    if (!updates.isEmpty() && !QFileInfo(updates).isDir())
        return fail(QStringLiteral("--updates: \"%1\" is not a folder").arg(updates));

    struct Failure
    {
        qint64 ref;
        int status;
        int retryAfter;
    };
    QList<Failure> failures;
    for (const QString& text : parser.values(failOption)) {
        const QStringList parts = text.split(QLatin1Char(':'));
        Failure failure{0, 0, -1};
        bool statusOk = false;
        bool retryOk = true;
        if (parts.size() >= 2 && parts.size() <= 3 && CarnivalCatalog::parseRef(parts[0], &failure.ref)) {
            failure.status = parts[1].toInt(&statusOk);
            if (parts.size() == 3)
                failure.retryAfter = parts[2].toInt(&retryOk);
        }
        if (!statusOk || failure.status < 400 || failure.status > 599 || !retryOk || (parts.size() == 3 && failure.retryAfter < 0))
            return fail(QStringLiteral("--fail needs REF:CODE with a status from 400 to 599 (and an optional "
                                       ":SECONDS of Retry-After), not \"%1\"")
                            .arg(text));
        failures.append(failure);
    }

    CarnivalCatalog catalog;
    try {
        catalog = parser.isSet(dataOption) ? CarnivalCatalog::fromFile(parser.value(dataOption))
                                           : CarnivalCatalog::sample();
    } catch (const CatalogError& error) {
        return fail(error.text(), 1);
    }
    if (catalog.isEmpty())
        return fail(QStringLiteral("\"%1\" holds no carnivals").arg(parser.value(dataOption)), 1);
    for (qint64 ref : catalog.expire(expired))
        std::fprintf(stderr, "vorlix-directory: --expire: no carnival has the ref %lld\n",
                     static_cast<long long>(ref));

    CarnivalDirectory directory(catalog);
    directory.setUpdatesFolder(updates);
    directory.setAnswerDelay(delay);
    for (const Failure& failure : failures)
        directory.setFailure(failure.ref, failure.status, failure.retryAfter);
    const QString base = directory.start(port);
    if (base.isEmpty())
        return fail(directory.errorString(), 1);
    std::printf("%s\n", qUtf8Printable(base));
    std::printf("Serving %lld carnivals at %s/bc/submit.php; Ctrl+C stops.\n",
                static_cast<long long>(catalog.size()), qUtf8Printable(base));
    std::fflush(stdout);

    std::signal(SIGINT, requestQuit);
    std::signal(SIGTERM, requestQuit);
    while (!g_quit)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    directory.stop();
    return 0;
}
