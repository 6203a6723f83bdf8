// 200 MB from a loopback server, once with DownloadToFolder and once with the curl command-line
// program, in the same run and from the same server. Goal: at least 0.8 of curl's throughput.

#include "mock/FakeDesktop.h"
#include "mock/FakeFolders.h"
#include "mock/FakeNetwork.h"
#include "mock/LocalHttpServer.h"
#include "update/UpdateEngine.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

constexpr qsizetype kSize = 200 * 1024 * 1024;

LocalHttpServer* g_server = nullptr;
QTemporaryDir* g_dir = nullptr;
double g_bestEngine = 0; // seconds
double g_bestCurl = 0;

QString address()
{
    return g_server->url(QStringLiteral("/21214/updates/release.bin"));
}

void record(benchmark::State& state, double& best, double seconds)
{
    state.SetIterationTime(seconds);
    best = best == 0 ? seconds : std::min(best, seconds);
}

void BM_DownloadToFolder(benchmark::State& state)
{
    FakeDesktop desktop; // handles the real event queue once per block, as the wizard's does
    FakeNetwork network;
    FakeFolders folders;
    folders.tempFolder = g_dir->filePath(QStringLiteral("tmp"));
    folders.documentsFolder = g_dir->path();
    UpdateEngine engine(desktop, network, folders);
    engine.URL = address();
    qint64 blocks = 0;
    engine.OnFileProgress = [&](const QString&, qint64, qint64) { ++blocks; };
    engine.OnProgressCancel = [](bool&) {};
    if (engine.OpenInternetConnection() != ConnectionOpen::Connected) {
        state.SkipWithError("no connection");
        return;
    }
    const QString folder = g_dir->filePath(QStringLiteral("engine/"));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = engine.DownloadToFolder(address(), folder);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (!ok || QFile(folder + QStringLiteral("release.bin")).size() != kSize) {
            state.SkipWithError("download failed");
            return;
        }
        record(state, g_bestEngine, took.count());
    }
    state.SetBytesProcessed(state.iterations() * kSize);
    state.counters["blocks_per_file"] = double(blocks) / double(state.iterations());
}

void BM_CurlCommandLine(benchmark::State& state)
{
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    if (curl.isEmpty()) {
        state.SkipWithError("curl is not installed");
        return;
    }
    const QString target = g_dir->filePath(QStringLiteral("curl/release.bin"));
    for (auto _ : state) {
        QProcess process;
        const auto start = std::chrono::steady_clock::now();
        process.start(curl, {QStringLiteral("-s"), QStringLiteral("-f"), QStringLiteral("-H"),
                             QStringLiteral("Pragma: no-cache"), QStringLiteral("-o"), target, address()});
        const bool ok = process.waitForFinished(120000) && process.exitCode() == 0;
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (!ok || QFile(target).size() != kSize) {
            state.SkipWithError("curl failed");
            return;
        }
        record(state, g_bestCurl, took.count());
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}

// Interleaved so that both see the same machine load.
BENCHMARK(BM_CurlCommandLine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DownloadToFolder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CurlCommandLine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DownloadToFolder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    for (const char* folder : {"tmp", "engine", "curl"})
        QDir(dir.path()).mkdir(QString::fromLatin1(folder));
    LocalHttpServer server;
    LocalHttpServer::Reply reply;
    reply.body = QByteArray(kSize, 'v');
    server.setReply("/21214/updates/release.bin", reply);
    g_server = &server;
    g_dir = &dir;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_bestEngine > 0 && g_bestCurl > 0)
        std::printf("best of each: DownloadToFolder %.0f MB/s, curl %.0f MB/s, ratio %.2f (goal >= 0.80)\n",
                    kSize / 1048576.0 / g_bestEngine, kSize / 1048576.0 / g_bestCurl,
                    g_bestCurl / g_bestEngine);
    return 0;
}
