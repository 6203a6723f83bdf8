// The submission history window over a history of 100,000 attempts in a real SQLite file: opening
// the window (reading the history and showing its first rows) and applying a filter. Goal: each
// under 100 ms. Also the cost of writing one attempt (pending, then its outcome).

#include "gui/HistoryWindow.h"
#include "mock/FakeDesktop.h"
#include "site/SqliteSubmissionHistory.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kAttempts = 100000;
QString g_path;

// Fills the history in one transaction through a connection of its own (the interface writes one
// attempt per transaction, as a run does; that is timed separately).
bool fill(const QString& path)
{
    {
        SqliteSubmissionHistory history;
        if (!history.open(path))
            return false;
    }
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        ok = db.open() && db.transaction();
        QSqlQuery query(db);
        query.prepare(QStringLiteral(
            "INSERT INTO attempts (time, permalink, post_title, carnival_ref, carnival_name, category_ref,"
            " category_name, outcome, reason, http_status, list_file) VALUES (?,?,?,?,?,?,?,?,?,?,?)"));
        for (int i = 0; ok && i < kAttempts; ++i) {
            query.addBindValue(QStringLiteral("2026-01-01T00:00:00.000Z"));
            query.addBindValue(QStringLiteral("http://blog.example/%1/post-%2").arg(2020 + i % 7).arg(i / 40));
            query.addBindValue(QStringLiteral("Post number %1").arg(i / 40));
            query.addBindValue(QString::number(1000 + i % 1200));
            query.addBindValue(QStringLiteral("Carnival of Things No. %1").arg(i % 1200));
            query.addBindValue(QStringLiteral("0"));
            query.addBindValue(QStringLiteral("No Category"));
            query.addBindValue(i % 10 == 0 ? QStringLiteral("failed") : QStringLiteral("submitted"));
            query.addBindValue(i % 10 == 0 ? QStringLiteral("HTTP 500") : QStringLiteral(""));
            query.addBindValue(i % 10 == 0 ? 500 : 200);
            query.addBindValue(QStringLiteral("/home/me/lists/list.bcl"));
            ok = query.exec();
        }
        ok = ok && db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

// The program opens the history once, at start (with its integrity check); timed on its own.
void BM_OpenHistoryFile(benchmark::State& state)
{
    for (auto _ : state) {
        SqliteSubmissionHistory history;
        if (!history.open(g_path))
            state.SkipWithError("the history did not open");
    }
}
BENCHMARK(BM_OpenHistoryFile)->Unit(benchmark::kMillisecond)->Iterations(10);

// File > Submission History...: the window made and shown over the open history.
void BM_OpenHistoryWindow(benchmark::State& state)
{
    FakeDesktop desktop;
    SqliteSubmissionHistory history;
    history.open(g_path);
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        HistoryWindow window(history, desktop);
        window.showInFront();
        QApplication::processEvents();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (window.model().rowCount() == 0)
            state.SkipWithError("no rows shown");
    }
    state.counters["attempts"] = kAttempts;
}
BENCHMARK(BM_OpenHistoryWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_FilterHistory(benchmark::State& state, const char* filter)
{
    FakeDesktop desktop;
    SqliteSubmissionHistory history;
    history.open(g_path);
    HistoryWindow window(history, desktop);
    window.showInFront();
    QApplication::processEvents();
    for (auto _ : state) {
        window.filterBox()->clear();
        QApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        window.filterBox()->setText(QString::fromLatin1(filter));
        QApplication::processEvents();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    state.counters["shown"] = window.model().rowCount();
}
// A filter that matches many attempts, one that matches a few, and one that matches none (the
// whole table is read).
BENCHMARK_CAPTURE(BM_FilterHistory, many, "carnival of things")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_CAPTURE(BM_FilterHistory, few, "post-2499")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_CAPTURE(BM_FilterHistory, none, "nowhere to be found")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_WriteOneAttempt(benchmark::State& state)
{
    SqliteSubmissionHistory history;
    history.open(g_path);
    SubmissionAttempt attempt;
    attempt.permalink = QStringLiteral("http://blog.example/bench");
    attempt.carnivalRef = QStringLiteral("1");
    attempt.carnivalName = QStringLiteral("Bench Carnival");
    for (auto _ : state) {
        const qint64 id = history.add(attempt);
        history.finish(id, SubmissionAttempt::Outcome::Submitted, {}, 200);
    }
}
BENCHMARK(BM_WriteOneAttempt)->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    g_path = folder.filePath(QStringLiteral("history.sqlite"));
    QElapsedTimer clock;
    clock.start();
    if (!fill(g_path)) {
        std::fprintf(stderr, "could not fill the history\n");
        return 1;
    }
    std::printf("history of %d attempts written in %lld ms\n", kAttempts, static_cast<long long>(clock.elapsed()));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
