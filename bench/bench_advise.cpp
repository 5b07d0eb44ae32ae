// The stratification advisor on the generated sale of 400 units and 100,000 recon
// trees: the separable search alone for 1 to 10 strata, the reading of the recon
// profile it works on, and the whole advice (every proposal and the current strata
// priced by the compilation and the optimisation for a 10 % sale error).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "advise/advisor.h"
#include "advise/separable_search.h"
#include "app/settings.h"
#include "testdata/recon_sale.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMaxStrata = 10;

// The sale's bytes, made once in a scratch folder that goes when the program ends.
const std::string& SaleImage() {
    static const std::string image = [] {
        const fs::path dir = fs::temp_directory_path() / ("strovan_bench_advise_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        const std::string path = (dir / "sale.crz").string();
        if (!testdata::recon::WriteReconSale(path, 100000)) std::abort();
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        fs::remove_all(dir);
        return bytes;
    }();
    return image;
}

advise::ReconProfile Profile() {
    auto storage = mk::Storage::Scratch(SaleImage());
    if (!storage) std::abort();
    return advise::LoadProfile(*storage, "03", app::ComputeCostFigures(app::ReadCostValues(*storage)));
}

void BM_SeparableSearch(benchmark::State& state) {
    const advise::ReconProfile profile = Profile();
    for (auto _ : state) benchmark::DoNotOptimize(advise::SeparableSearch(profile, kMaxStrata));
    state.counters["units"] = static_cast<double>(profile.units.size());
}
BENCHMARK(BM_SeparableSearch)->Unit(benchmark::kMillisecond);

void BM_ReconProfile(benchmark::State& state) {
    SaleImage();
    for (auto _ : state) benchmark::DoNotOptimize(Profile());
}
BENCHMARK(BM_ReconProfile)->Unit(benchmark::kMillisecond);

void BM_AdviseWithExactNumbers(benchmark::State& state) {
    advise::AdviseOptions options;
    options.maxStrata = kMaxStrata;
    options.target = "10";
    int proposals = 0;
    for (auto _ : state) {
        advise::Advice a = advise::Advise(SaleImage(), options);
        if (!a.error.empty() || !a.current.ok) state.SkipWithError(a.error.empty() ? a.current.failure.c_str() : a.error.c_str());
        proposals = static_cast<int>(a.proposals.size());
    }
    state.counters["proposals"] = proposals;
}
BENCHMARK(BM_AdviseWithExactNumbers)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
