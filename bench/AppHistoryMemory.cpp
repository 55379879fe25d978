// Memory of the undo history during a long retouching session: 200 spot
// clicks on a 24-megapixel photo through the application (BeginProcessImage,
// worker thread, EndProcessImage), with the history's budget in force (a
// quarter of physical memory, or CORVANE_HISTORY_BUDGET_MB). Reports the
// budget, the most snapshot bytes the history kept, its entries and the
// process's resident memory; fails when the history went past its budget.
// The clicks before the budget is reached (each copy in fresh memory) and
// those at the budget (the oldest step given up, its storage reused) are
// timed apart. Beside it, in the same run, 20 clicks with no budget show the
// memory each click costs without one.
//
// Run from the build's bin folder: bench_AppHistoryMemory
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <limits>
#include <string>
#include <vector>


#include "AppBench.h"
#include "app/HeadlessMainWindow.h"
#include "app/HistoryBudget.h"
#include "operations/OptParam_SpotRemoval.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

CHeadlessMainWindow g_window;

// A field of /proc/self/status in MiB ("VmRSS", "VmHWM"); 0 when missing.
double ProcessMemoryMiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    double kib = 0;
    while (status >> name) {
        if (name == field + ":") {
            status >> kib;
            return kib / 1024.0;
        }
        status.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return 0;
}

// What a run of clicks did: the most bytes the history kept after any
// click, and the time of each click with the history below its budget
// (every copy in fresh memory) and at it (the oldest step given up first).
struct ClickRun {
    std::size_t mostKept{0};
    std::vector<double> fillingMs;
    std::vector<double> atBudgetMs;
};

double MedianOf(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Clicks `count` spots spread over the photo; mostKept is 0 when a click
// was not recorded.
ClickRun ClickSpots(int count)
{
    ClickRun run;
    for (int click = 0; click < count; ++click) {
        auto* spot = new OptParam_SpotRemoval;
        spot->m_nX = 200 + (click * 977) % (AppBench::kWidth - 400);
        spot->m_nY = 200 + (click * 613) % (AppBench::kHeight - 400);
        const std::size_t entries = theApp.m_OptHistory.size();
        const auto start = std::chrono::steady_clock::now();
        if (!AppBench::RunThroughTheApp(OPTGUID_SPOTREMOVAL, L"Spot Removal", spot)) return {};
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        (theApp.m_OptHistory.size() > entries ? run.fillingMs : run.atBudgetMs).push_back(took.count());
        run.mostKept = std::max(run.mostKept, HistoryBudget::KeptBytes());
    }
    return run;
}

void Report(benchmark::State& state, const ClickRun& run)
{
    state.counters["most_kept_MiB"] = static_cast<double>(run.mostKept) / kMiB;
    state.counters["entries"] = static_cast<double>(theApp.m_OptHistory.size());
    state.counters["rss_MiB"] = ProcessMemoryMiB("VmRSS");
    state.counters["filling_click_ms"] = MedianOf(run.fillingMs);
    if (!run.atBudgetMs.empty()) state.counters["at_budget_click_ms"] = MedianOf(run.atBudgetMs);
}

void BM_TwoHundredSpotClicksWithinTheBudget(benchmark::State& state)
{
    HistoryBudget::Set(0);  // the program's own budget
    AppBench::Photo();      // decoded and scaled before the clock runs
    ClickRun run;
    for (auto _ : state) {
        AppBench::OpenPhotoInApp();
        run = ClickSpots(200);
    }
    state.counters["budget_MiB"] = static_cast<double>(HistoryBudget::Get()) / kMiB;
    state.counters["peak_rss_MiB"] = ProcessMemoryMiB("VmHWM");
    Report(state, run);
    if (run.mostKept == 0) state.SkipWithError("a click was not recorded");
    if (run.mostKept > HistoryBudget::Get()) state.SkipWithError("the history went past its budget");
}

void BM_TwentySpotClicksWithoutABudget(benchmark::State& state)
{
    HistoryBudget::Set(std::numeric_limits<std::size_t>::max());
    ClickRun run;
    for (auto _ : state) {
        AppBench::OpenPhotoInApp();
        run = ClickSpots(20);
    }
    Report(state, run);
    HistoryBudget::Set(0);
}

BENCHMARK(BM_TwoHundredSpotClicksWithinTheBudget)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_TwentySpotClicksWithoutABudget)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv) { return AppBench::RunBenchmarks(argc, argv, g_window); }
