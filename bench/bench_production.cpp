// The production statistics of a large generated cruise: 99 strata under every method
// in turn, 24 sample groups each, up to 200,000 trees. Compiled in memory, so the
// figure is the statistics alone; a second benchmark adds the commit to a file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "mk/mk.h"
#include "stats/production.h"
#include "testdata/production_cruise.h"

namespace {

const design::CostFigures kCosts{12.5, 40, 0.4, 1.5, 4.0, 0.2};

std::unique_ptr<mk::Storage> Cruise(int64_t trees) {
    auto s = std::make_unique<mk::Storage>();
    testdata::ProductionCruiseShape shape;
    shape.strata = 99;
    shape.groupsPerStratum = 24;
    shape.unitsPerStratum = 4;
    shape.trees = trees;
    shape.uom = "01";
    testdata::WriteProductionCruise(*s, shape);
    return s;
}

void BM_CompileProduction(benchmark::State& state) {
    auto s = Cruise(state.range(0));
    for (auto _ : state) {
        int rc = stats::CompileProductionStatistics(*s, "01", kCosts);
        if (rc != 0) state.SkipWithError("compile failed");
        benchmark::DoNotOptimize(rc);
    }
    state.counters["trees"] = static_cast<double>(s->GetView("TreeTable").RowCount());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CompileProduction)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The whole step as the main window runs it: open the file, compile, commit.
void BM_CompileProductionFile(benchmark::State& state) {
    std::string path = (std::filesystem::temp_directory_path() / "strovan_bench_production.crz").string();
    {
        auto s = Cruise(state.range(0));
        if (!s->SaveAs(path)) {
            state.SkipWithError("cannot write the cruise file");
            return;
        }
    }
    for (auto _ : state) {
        auto s = mk::Storage::Open(path);
        if (!s || stats::CompileProductionStatistics(*s, "01", kCosts) != 0 || !s->Commit()) {
            state.SkipWithError("compile failed");
            break;
        }
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_CompileProductionFile)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
