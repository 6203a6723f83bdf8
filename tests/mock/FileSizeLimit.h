#pragma once

// A disk that fills up half-way through, whoever runs the test (root included): beyond the
// file-size limit a write fails with EFBIG, as one on a full disk fails with ENOSPC.

#include <QByteArray>

#include <csignal>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

/// Limits the files this process writes to maxBytes for as long as it lives; a write beyond the
/// limit fails instead of ending the process.
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(rlim_t maxBytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_oldLimit);
        rlimit limit = m_oldLimit;
        limit.rlim_cur = maxBytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_oldLimit);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_oldLimit{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

/// Runs work in a forked child, so that a limit it sets is met by nothing else of the test, and
/// returns what work reported. The report comes through a pipe, which no file-size limit touches.
/// Nothing when the child did not end normally.
inline std::optional<QByteArray> reportFromChild(const std::function<QByteArray()>& work)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        int code = 0;
        try {
            const QByteArray report = work();
            for (qsizetype at = 0; at < report.size() && code == 0;) {
                const ssize_t written =
                    ::write(pipeEnds[1], report.constData() + at, size_t(report.size() - at));
                if (written <= 0)
                    code = 1;
                else
                    at += written;
            }
        } catch (...) {
            code = 2;
        }
        ::_exit(code); // no exit handlers of the test's own process
    }
    ::close(pipeEnds[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, got);
    ::close(pipeEnds[0]);
    int status = 0;
    const bool ended = ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return ended ? std::optional<QByteArray>(report) : std::nullopt;
}
