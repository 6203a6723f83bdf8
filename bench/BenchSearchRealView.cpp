// The keyword search and Check Inactives read from the real browser view showing the local directory's
// form with 10,000 carnivals. Goals: a keyword that matches every option under 100 ms; Check
// Inactives of a 1,000-entry list under 200 ms.
#include "../tests/search/SearchFixture.h"
#include "RealFormBench.h"
#include "search/QuickFinderController.h"

#include <memory>

namespace {
constexpr int kCarnivals = 10'000;
constexpr int kEntries = 1'000;

struct RealViewForm
{
    FakeDesktop desktop;
    FakeNetwork network;
    WebEngineBrowserView* view1 = nullptr;
    FakePage view2;
    std::unique_ptr<MainController> form;
};
RealViewForm* g_form = nullptr;

CarnivalCatalog largeCatalog()
{
    CarnivalCatalog catalog;
    for (int i = 1; i <= kCarnivals; ++i)
        catalog.add({1000 + i, QStringLiteral("Carnival of Blogging & Tips No. %1").arg(i), {}});
    return catalog;
}

// Every tenth entry names a carnival the form no longer offers.
QList<CarnivalEntry> listEntries(bool withExpired)
{
    QList<CarnivalEntry> entries;
    for (int i = 0; i < kEntries; ++i) {
        const bool expired = withExpired && i % 10 == 0;
        const QString ref = QString::number(expired ? 900'000 + i : 1000 + 1 + (i * 7) % kCarnivals);
        entries.append({QStringLiteral("Carnival %1").arg(i), QStringLiteral("No Category"), ref, "0"});
    }
    return entries;
}

void BM_QuickFinderFindEveryOption(benchmark::State& state)
{
    QuickFinderController& quick = g_form->form->quickFinder;
    quick.keywordEdited(QStringLiteral("carnival"));
    for (auto _ : state) {
        quick.find();
        state.PauseTiming();
        if (quick.results.rows() != kCarnivals + 2)
            state.SkipWithError("wrong result count");
        quick.clearResults();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_QuickFinderFindEveryOption)->Unit(benchmark::kMillisecond);

// With expired entries the user answers Yes and 100 go.
void BM_CheckInactives(benchmark::State& state)
{
    const bool withExpired = state.range(0) != 0;
    const QList<CarnivalEntry> entries = listEntries(withExpired);
    MainController& form = *g_form->form;
    for (auto _ : state) {
        state.PauseTiming();
        SearchFixture::fill(form.currentList, entries);
        g_form->desktop.answers.clear();
        g_form->desktop.answers.enqueue(true);
        state.ResumeTiming();
        form.checkInactives();
        state.PauseTiming();
        const int expected = withExpired ? kEntries - kEntries / 10 + 1 : kEntries + 1;
        if (form.currentList.rows() != expected)
            state.SkipWithError("wrong rows left");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CheckInactives)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    RealViewForm form;
    return RunWithRealForm(
        argc, argv, largeCatalog(),
        [&form](WebEngineBrowserView& view, const CarnivalDirectory& directory) {
            form.view1 = &view;
            form.form = std::make_unique<MainController>(form.desktop, form.network, view, form.view2,
                                                         AppSettings{directory.baseUrl(), {}, {}});
            g_form = &form;
        },
        [&form] {
            g_form = nullptr;
            form.form.reset();
        });
}
