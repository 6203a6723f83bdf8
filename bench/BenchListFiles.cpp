#include "lists/CarnivalList.h"
#include "lists/ListFile.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>
#include <sys/resource.h>

namespace {
constexpr int kEntries = 100'000;

void fillList(CarnivalList& grid)
{
    QList<QStringList> rows;
    rows.reserve(kEntries + 1);
    for (int i = 0; i < kEntries; ++i)
        rows.append({QStringLiteral("Carnival of Blogging Tips Número %1").arg(i),
                     i % 3 ? QStringLiteral("Marketing & SEO") : QStringLiteral("No Category"),
                     QString::number(1000 + i), QString::number(i % 3 ? i % 50 : 0)});
    rows.append(QStringList(4));
    grid.replaceRows(std::move(rows), 4);
}

// Heap bytes in use: unlike the resident size, it does not hide memory that malloc reuses from an
// earlier iteration.
long heapInUse()
{
    return static_cast<long>(mallinfo2().uordblks);
}

struct ListFixture
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("big.bcl"));
    ListFixture()
    {
        CarnivalList grid(QStringLiteral("currentListGrid"));
        fillList(grid);
        SaveTabDelimited(path, grid);
    }
};

ListFixture& fixture()
{
    static ListFixture instance;
    return instance;
}

void BM_LoadFile100k(benchmark::State& state)
{
    const QString path = fixture().path;
    long listBytes = 0;
    for (auto _ : state) {
        const long before = heapInUse();
        CarnivalList grid(QStringLiteral("currentListGrid"));
        LoadFile(path, u'\t', grid);
        listBytes = heapInUse() - before;
        benchmark::DoNotOptimize(grid.rows());
        state.PauseTiming(); // freeing the list is not part of the load
        grid.replaceRows({}, 4);
        state.ResumeTiming();
    }
    state.counters["list_MB"] = double(listBytes) / (1024.0 * 1024.0);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_RSS_MB"] = double(usage.ru_maxrss) / 1024.0;
    state.counters["file_MB"] = double(QFile(path).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_LoadFile100k)->Unit(benchmark::kMillisecond);

void BM_SaveTabDelimited100k(benchmark::State& state)
{
    CarnivalList grid(QStringLiteral("currentListGrid"));
    fillList(grid);
    const QString path = fixture().dir.filePath(QStringLiteral("saved.bcl"));
    for (auto _ : state)
        SaveTabDelimited(path, grid);
}
BENCHMARK(BM_SaveTabDelimited100k)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
