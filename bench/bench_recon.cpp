// The recon compilation of a generated sale (99 strata x 24 sample groups) against
// the time of opening the file and reading the TreeTable columns it uses.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <unistd.h>
#include <ctime>
#include <filesystem>
#include <malloc.h>
#include <map>
#include <string>
#include <vector>

#include "app/settings.h"
#include "testdata/recon_sale.h"
#include "stats/recon_compiler.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

namespace {

namespace fs = std::filesystem;

// A scratch folder, removed when the program ends.
struct Scratch {
    std::string dir;
    Scratch() {
        std::string tmpl = (fs::temp_directory_path() / "strovan_bench_recon_XXXXXX").string();
        dir = mkdtemp(tmpl.data());
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

const std::string& Folder() {
    static const Scratch scratch;
    return scratch.dir;
}

// The pristine sale of a size, written once.
const std::string& Sale(int trees) {
    static std::map<int, std::string> made;
    auto it = made.find(trees);
    if (it != made.end()) return it->second;
    std::string path = Folder() + "/sale" + std::to_string(trees) + ".crz";
    if (!testdata::recon::WriteReconSale(path, trees)) std::abort();
    return made.emplace(trees, path).first->second;
}

// A fresh copy for a run that changes the file, on disk before the run starts: a
// forester's file is, and the run's commit should not pay for flushing the copy.
std::string Fresh(int trees) {
    std::string copy = Folder() + "/run.crz";
    fs::copy_file(Sale(trees), copy, fs::copy_options::overwrite_existing);
    int fd = ::open(copy.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) std::abort();
    ::close(fd);
    return copy;
}

design::CostFigures Costs(mk::Storage& s) {
    return app::ComputeCostFigures(app::ReadCostValues(s.GetView(schema::kGlobalConfigurationTable)));
}

// Opening the file and reading every TreeTable cell the compilation uses (each read
// once, nothing kept), through the same cell calls the compilation makes.
void OpenAndRead(const std::string& path) {
    auto s = mk::Storage::Open(path);
    mk::View tt = s->GetView(schema::kTreeTable);
    const char* text[] = {"Stratum", "CutUnit", "Plot", "Sp", "ProdP", "LD", "CL"};
    int cols[7];
    for (int c = 0; c < 7; ++c) cols[c] = tt.FindColumn(text[c]);
    int dbh = tt.FindColumn("DBH"), ht = tt.FindColumn("TotHt"), vol = tt.FindColumn("NCUFTVolPP");
    size_t chars = 0;
    double sum = 0;
    for (int r = 0; r < tt.RowCount(); ++r) {
        for (int c : cols) chars += tt.GetString(r, c).size();
        sum += tt.GetFloat(r, dbh) + tt.GetFloat(r, ht) + tt.GetDouble(r, vol);
    }
    benchmark::DoNotOptimize(chars);
    benchmark::DoNotOptimize(sum);
}

void BM_OpenAndReadTrees(benchmark::State& state) {
    const std::string& path = Sale(static_cast<int>(state.range(0)));
    for (auto _ : state) OpenAndRead(path);
    state.SetComplexityN(state.range(0));
}

// The compilation of every stratum with its commit, on an open file.
void BM_Compile(benchmark::State& state) {
    const int trees = static_cast<int>(state.range(0));
    int result = -1;
    for (auto _ : state) {
        state.PauseTiming();
        std::string path = Fresh(trees);
        auto s = mk::Storage::Open(path);
        ui::ScriptedUi ui;
        design::CostFigures costs = Costs(*s);
        state.ResumeTiming();
        stats::ReconCompiler compiler(*s, ui, "03", costs);
        result = compiler.Compile();
        if (result != stats::kReconDone || compiler.CompiledStrata().size() != 99) state.SkipWithError("compile");
    }
    state.SetComplexityN(state.range(0));
}

// The same from opening the file on, as the main window runs it.
void BM_OpenAndCompile(benchmark::State& state) {
    const int trees = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        std::string path = Fresh(trees);
        state.ResumeTiming();
        auto s = mk::Storage::Open(path);
        ui::ScriptedUi ui;
        stats::ReconCompiler compiler(*s, ui, "03", Costs(*s));
        if (compiler.Compile() != stats::kReconDone) state.SkipWithError("compile");
    }
    state.SetComplexityN(state.range(0));
}

struct Clocks {
    double wall, cpu;  // milliseconds
    static Clocks Now() {
        timespec ts;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count(),
                ts.tv_sec * 1e3 + ts.tv_nsec / 1e6};
    }
};

// Both in turn under the same load: the share of the compilation (from opening the
// file to its commit) in the time of opening the file and reading its tree columns.
void BM_CompileOverRead(benchmark::State& state) {
    const int trees = static_cast<int>(state.range(0));
    double readWall = 0, readCpu = 0, compWall = 0, compCpu = 0;
    for (auto _ : state) {
        std::string path = Fresh(trees);
        Clocks a = Clocks::Now();
        OpenAndRead(Sale(trees));
        Clocks b = Clocks::Now();
        {
            auto s = mk::Storage::Open(path);
            ui::ScriptedUi ui;
            stats::ReconCompiler compiler(*s, ui, "03", Costs(*s));
            if (compiler.Compile() != stats::kReconDone) state.SkipWithError("compile");
        }
        Clocks c = Clocks::Now();
        readWall += b.wall - a.wall;
        readCpu += b.cpu - a.cpu;
        compWall += c.wall - b.wall;
        compCpu += c.cpu - b.cpu;
    }
    double n = static_cast<double>(state.iterations());
    state.counters["read_ms"] = readWall / n;
    state.counters["compile_ms"] = compWall / n;
    state.counters["ratio_wall"] = compWall / readWall;
    state.counters["ratio_cpu"] = compCpu / readCpu;
}

BENCHMARK(BM_OpenAndReadTrees)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_Compile)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_OpenAndCompile)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_CompileOverRead)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(16);

}  // namespace

// With --steady-heap, freed memory stays with the process: the engine's whole-file
// buffers then cost no fresh page faults on each open, whose price on a shared virtual
// machine varies more than the work measured.
int main(int argc, char** argv) {
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::string(argv[i]) == "--steady-heap") {
            mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest: above it the call is refused
            mallopt(M_TRIM_THRESHOLD, 1 << 30);
            continue;
        }
        args.push_back(argv[i]);
    }
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
