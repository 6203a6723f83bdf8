// The keyword search and Check Inactives on a carnival drop-down of 10,000 options in the fake page
// (the markup the real view writes has the same form). Goals: a keyword that matches every option
// under 100 ms; Check Inactives of a 1,000-entry list under 200 ms.
#include "../tests/search/SearchFixture.h"
#include "search/DropDownMarkup.h"
#include "search/QuickFinderController.h"
#include "search/QuickFinderControls.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

namespace {
constexpr int kOptions = 10'000;
constexpr int kEntries = 1'000;

QList<FakeOption> carnivalOptions()
{
    QList<FakeOption> options{{"0", "Select a carnival"}};
    for (int i = 1; i <= kOptions; ++i)
        options.append(
            {QString::number(1000 + i), QStringLiteral("Carnival of Blogging & Tips No. %1").arg(i)});
    return options;
}

// The current list: every tenth entry names a carnival that the form no longer offers.
QList<CarnivalEntry> listEntries(bool withExpired)
{
    QList<CarnivalEntry> entries;
    for (int i = 0; i < kEntries; ++i) {
        const bool expired = withExpired && i % 10 == 0;
        const QString ref = QString::number(expired ? 900'000 + i : 1000 + 1 + (i * 7) % kOptions);
        entries.append({QStringLiteral("Carnival %1").arg(i), QStringLiteral("No Category"), ref, "0"});
    }
    return entries;
}

void BM_DropDownMatchingEveryOption(benchmark::State& state)
{
    FakeElement select;
    select.tag = QStringLiteral("select");
    select.attributes = {{"name", "id"}, {"id", "id"}};
    select.options = carnivalOptions();
    const QString markup = FakePage::markupOf(select);
    for (auto _ : state) {
        const auto found = DropDownMarkup::matching(markup, u"carnival");
        benchmark::DoNotOptimize(found.size());
    }
}
BENCHMARK(BM_DropDownMatchingEveryOption)->Unit(benchmark::kMillisecond);

// Find in the Quick Finder: read the page, match, write 10,001 result rows.
void BM_QuickFinderFindEveryOption(benchmark::State& state)
{
    SearchFixture f;
    f.loadForm(carnivalOptions());
    QuickFinderController& quick = f.form.quickFinder;
    quick.keywordEdited(QStringLiteral("carnival"));
    for (auto _ : state) {
        quick.find();
        state.PauseTiming();
        if (quick.results.rows() != kOptions + 2)
            state.SkipWithError("wrong result count");
        quick.clearResults();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_QuickFinderFindEveryOption)->Unit(benchmark::kMillisecond);

// Add with every result selected: each added result leaves the results grid.
void BM_QuickFinderAddAll(benchmark::State& state)
{
    const int results = static_cast<int>(state.range(0));
    SearchFixture f;
    f.loadForm(carnivalOptions().mid(0, results + 1));
    QuickFinderController& quick = f.form.quickFinder;
    quick.keywordEdited(QStringLiteral("carnival of"));
    for (auto _ : state) {
        state.PauseTiming();
        SearchFixture::fill(f.form.currentList, {});
        quick.clearResults();
        quick.find();
        quick.results.setCurrentRow(0);
        quick.setSelectionSpan(0, results - 1);
        state.ResumeTiming();
        quick.addSelectedResults();
        if (f.form.currentList.rows() != results + 1)
            state.SkipWithError("wrong rows added");
    }
}
BENCHMARK(BM_QuickFinderAddAll)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

// Check Inactives of a 1,000-entry list; with expired entries the user answers Yes and 100 go.
void BM_CheckInactives(benchmark::State& state)
{
    const bool withExpired = state.range(0) != 0;
    SearchFixture f;
    f.loadForm(carnivalOptions());
    const QList<CarnivalEntry> entries = listEntries(withExpired);
    for (auto _ : state) {
        state.PauseTiming();
        SearchFixture::fill(f.form.currentList, entries);
        f.desktop.messages.clear();
        f.desktop.answers.enqueue(true);
        state.ResumeTiming();
        f.form.checkInactives();
        state.PauseTiming();
        const int expected = withExpired ? kEntries - kEntries / 10 + 1 : kEntries + 1;
        if (f.form.currentList.rows() != expected)
            state.SkipWithError("wrong rows left");
        f.desktop.answers.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CheckInactives)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
