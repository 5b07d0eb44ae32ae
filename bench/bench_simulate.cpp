// Simulating the cruise of the generated 100,000-tree sale (99 strata x 24 sample
// groups): the pseudo-population built once, then 1,000 and 10,000 replicates on two
// threads, for a design on points and one counting and measuring on points; and
// the memory a run keeps against the number of replicates.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <map>
#include <memory>
#include <string>

#include "app/settings.h"
#include "design/optimize.h"
#include "testdata/recon_sale.h"
#include "simulate/population.h"
#include "simulate/simulate.h"
#include "stats/recon_compiler.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

// Heap bytes in use and their peak, for the memory a run needs; counted only while
// that is measured, so the timed runs pay nothing for it.
std::atomic<bool> gCounting{false};
std::atomic<long long> gHeap{0}, gPeak{0};

void* Counted(void* p) {
    if (!p) throw std::bad_alloc();
    if (!gCounting.load(std::memory_order_relaxed)) return p;
    const long long now = gHeap += static_cast<long long>(malloc_usable_size(p));
    long long peak = gPeak.load();
    while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void Release(void* p) {
    if (p && gCounting.load(std::memory_order_relaxed)) gHeap -= static_cast<long long>(malloc_usable_size(p));
    std::free(p);
}

namespace {

namespace fs = std::filesystem;

constexpr int kTrees = 100000;

// The compiled sale in a scratch folder, made once and removed when the program ends.
struct Sale {
    std::string dir;
    std::unique_ptr<mk::Storage> storage;
    Sale() {
        std::string tmpl = (fs::temp_directory_path() / "strovan_bench_simulate_XXXXXX").string();
        dir = mkdtemp(tmpl.data());
        const std::string path = dir + "/sale.crz";
        if (!testdata::recon::WriteReconSale(path, kTrees)) std::abort();
        auto s = mk::Storage::Open(path);
        if (!s) std::abort();
        storage = std::make_unique<mk::Storage>(std::move(*s));
        ui::ScriptedUi ui;
        const auto costs = app::ComputeCostFigures(app::ReadCostValues(storage->GetView(schema::kGlobalConfigurationTable)));
        if (stats::ReconCompiler(*storage, ui, "03", costs).Compile() != stats::kReconDone) std::abort();
    }
    ~Sale() {
        storage.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

Sale& TheSale() {
    static Sale sale;
    return sale;
}

// Every stratum on one method with the compilation's first sample sizes; optimised
// for a 10 % sale error when asked.
const simulate::Population& PopulationFor(const std::string& method, bool optimised) {
    static std::map<std::string, simulate::Population> made;
    const std::string key = method + (optimised ? "/10" : "");
    auto it = made.find(key);
    if (it != made.end()) return it->second;
    design::Design d = simulate::MethodDesign(*TheSale().storage, method);
    if (optimised) {
        ui::ScriptedUi ui;
        design::DesignSettings settings;
        settings.uom = "03";
        settings.displayDataWarnings = false;
        if (design::OptimizeForError(d, "10", settings, ui) != design::kOptimized) std::abort();
    }
    simulate::Population pop = simulate::BuildPopulation(*TheSale().storage, d, "03");
    for (const auto& s : pop.strata)
        if (!s.problem.empty()) std::abort();
    return made.emplace(key, std::move(pop)).first->second;
}

void Counters(benchmark::State& state, const simulate::Population& pop) {
    long long plots = 0, draws = 0;
    for (const auto& s : pop.strata) {
        plots += s.plots;
        int most = 0;
        for (const auto& g : s.groups) most = std::max(most, g.n);
        draws += most;
    }
    state.counters["strata"] = static_cast<double>(pop.strata.size());
    state.counters["recon_plots"] = static_cast<double>(plots);
    state.counters["plots_drawn"] = static_cast<double>(draws);
}

void BM_BuildPopulation(benchmark::State& state) {
    const design::Design d = simulate::MethodDesign(*TheSale().storage, "PNT");
    for (auto _ : state) {
        simulate::Population pop = simulate::BuildPopulation(*TheSale().storage, d, "03");
        benchmark::DoNotOptimize(pop.strata.data());
    }
}

// CPU time of every thread of the process, in milliseconds.
double ProcessCpuMs() {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// range(0): replicates; range(1): 1 optimised for a 10 % sale error. Besides the wall
// time, cpu_ms is the work of all threads: on a machine shared with other jobs the
// wall time says more about them than about the run.
void Simulate(benchmark::State& state, const std::string& method) {
    const simulate::Population& pop = PopulationFor(method, state.range(1) == 1);
    simulate::Options o;
    o.replicates = static_cast<int>(state.range(0));
    o.threads = 2;
    double sale = 0, cpu = 0;
    for (auto _ : state) {
        const double before = ProcessCpuMs();
        simulate::Result r = simulate::Run(pop, o);
        cpu += ProcessCpuMs() - before;
        if (r.replicates != o.replicates) state.SkipWithError("run");
        sale = r.sale.errorMedian;
    }
    Counters(state, pop);
    state.counters["sale_error_median"] = sale;
    state.counters["cpu_ms"] = cpu / static_cast<double>(state.iterations());
}

void BM_SimulatePoints(benchmark::State& state) { Simulate(state, "PNT"); }
void BM_SimulateCountMeasure(benchmark::State& state) { Simulate(state, "PCM"); }

// The heap a run adds at its peak, against the replicates: the results are counts of
// distinct values and the replicates pass through a fixed buffer, so it stays flat.
void BM_SimulateMemory(benchmark::State& state) {
    const simulate::Population& pop = PopulationFor("PNT", true);
    simulate::Options o;
    o.replicates = static_cast<int>(state.range(0));
    o.threads = 2;
    long long added = 0;
    for (auto _ : state) {
        gHeap = 0;
        gPeak = 0;
        gCounting = true;
        {
            simulate::Result r = simulate::Run(pop, o);
            benchmark::DoNotOptimize(r.sale.meanEstimate);
        }
        gCounting = false;
        added = gPeak.load();
    }
    long long popBytes = 0;
    for (const auto& s : pop.strata) {
        popBytes += static_cast<long long>(s.value.capacity() * sizeof(double) + s.count.capacity() * sizeof(int) +
                                           s.treeStart.capacity() * sizeof(int) + s.treeValue.capacity() * sizeof(double));
    }
    state.counters["run_peak_MB"] = static_cast<double>(added) / 1e6;
    state.counters["population_MB"] = static_cast<double>(popBytes) / 1e6;
}

BENCHMARK(BM_SimulateMemory)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BuildPopulation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimulatePoints)
    ->Args({1000, 0})->Args({10000, 0})->Args({1000, 1})->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SimulateCountMeasure)
    ->Args({1000, 0})->Args({10000, 0})->Args({1000, 1})->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

void* operator new(std::size_t n) { return Counted(std::malloc(n ? n : 1)); }
void* operator new[](std::size_t n) { return Counted(std::malloc(n ? n : 1)); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

BENCHMARK_MAIN();
