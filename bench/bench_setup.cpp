// The setup at the size of a large sale: importing a 100,000-tree recon cruise of 400
// units, and preparing the work tables from it with the strata summary rebuild (99
// strata) and its commit.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "testdata/svz.h"
#include "mk/mk.h"
#include "setup/import_svz.h"
#include "setup/setup_tables.h"
#include "store/cruise_store.h"
#include "store/unit_of_work.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

namespace {

namespace fs = std::filesystem;

struct Scratch {
    Scratch() {
        std::string tmpl = (fs::temp_directory_path() / "strovan_bench_XXXXXX").string();
        dir = mkdtemp(tmpl.data());
        svz = dir + "/big.svz";
        std::ofstream(svz, std::ios::binary) << testdata::MakeSvz(100000, 400, 30);
        empty = dir + "/empty.crz";
        auto s = mk::Storage::Create(empty);
        for (const auto& t : schema::SharedTables()) (void)s->GetAs(t.description);
        (void)s->GetAs(schema::kGlobalConfigurationTableDesc);
        (void)s->Commit();
        imported = dir + "/imported.crz";
        fs::copy_file(empty, imported, fs::copy_options::overwrite_existing);
        ui::ScriptedUi ui;
        setup::ImportSvz(ui, imported, svz);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string dir, svz, empty, imported;
};

Scratch& Files() {
    static Scratch s;
    return s;
}

void BM_ImportSvz(benchmark::State& state) {
    Scratch& f = Files();
    const std::string target = f.dir + "/target.crz";
    int64_t trees = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(f.empty, target, fs::copy_options::overwrite_existing);
        ui::ScriptedUi ui;
        state.ResumeTiming();
        if (setup::ImportSvz(ui, target, f.svz) != 0) state.SkipWithError("import refused");
        state.PauseTiming();
        trees = mk::Storage::Open(target, mk::OpenMode::ReadOnly)->GetView("TreeTable").RowCount();
        state.ResumeTiming();
    }
    state.counters["trees"] = static_cast<double>(trees);
}
BENCHMARK(BM_ImportSvz)->Unit(benchmark::kMillisecond)->Iterations(5);

// First setup run on the imported file: the summary built from 100,000 trees, every
// row put into one of 99 strata and sample groups by its unit and species, the strata
// summary rebuilt and committed once.
void BM_PrepareAndRebuild(benchmark::State& state) {
    Scratch& f = Files();
    const std::string target = f.dir + "/setup.crz";
    int64_t strata = 0, rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(f.imported, target, fs::copy_options::overwrite_existing);
        ui::ScriptedUi ui;
        state.ResumeTiming();
        store::CCruiseStore store(ui);
        store.Open(target);
        mk::Storage& s = *store.Storage();
        setup::PrepareWorkTables(s, ui, setup::PrepareVariant::Table);
        mk::View summary = *s.GetAs(schema::kSVSummaryTableDesc);
        const int c_unit = summary.FindColumn("CutUnit"), c_str = summary.FindColumn("Stratum"),
                  c_tree = summary.FindColumn("SgTree"), c_plot = summary.FindColumn("SgPlot"),
                  c_sp = summary.FindColumn("Species"), c_prod = summary.FindColumn("Prod");
        for (int r = 0; r < summary.RowCount(); ++r) {
            int unit = std::atoi(summary.GetString(r, c_unit).c_str());
            summary.SetString(r, c_str, std::to_string(unit % 99 + 1));
            summary.SetString(r, c_tree, summary.GetString(r, c_sp) + summary.GetString(r, c_prod));
            summary.SetString(r, c_plot, summary.GetString(r, c_prod));
        }
        setup::RebuildStrataSummary(s);
        if (store.Commit() != 0) state.SkipWithError("commit failed");
        rows = summary.RowCount();
        strata = s.GetView("SVStrataTable").RowCount();
        store.Close();
    }
    state.counters["summary_rows"] = static_cast<double>(rows);
    state.counters["strata"] = static_cast<double>(strata);
}
BENCHMARK(BM_PrepareAndRebuild)->Unit(benchmark::kMillisecond)->Iterations(5);

// A later run of the table variant: 99 strata waiting for recompilation pass their
// mark to their rows (one pass, one commit), then the rebuild.
// The imported sale with its work tables prepared and every unit put into one of 99
// strata, at `path`.
void MakeStrataSale(const Scratch& f, const std::string& path) {
    fs::copy_file(f.imported, path, fs::copy_options::overwrite_existing);
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    store.Open(path);
    mk::Storage& s = *store.Storage();
    setup::PrepareWorkTables(s, ui, setup::PrepareVariant::Table);
    mk::View summary = *s.GetAs(schema::kSVSummaryTableDesc);
    for (int r = 0; r < summary.RowCount(); ++r)
        summary.SetString(r, "Stratum", std::to_string(std::atoi(summary.GetString(r, "CutUnit").c_str()) % 99 + 1));
    setup::RebuildStrataSummary(s);
    store.Commit();
}

void BM_CarryAndRebuild(benchmark::State& state) {
    Scratch& f = Files();
    const std::string base = f.dir + "/set.crz";
    MakeStrataSale(f, base);
    const std::string target = f.dir + "/again.crz";
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(base, target, fs::copy_options::overwrite_existing);
        ui::ScriptedUi ui;
        state.ResumeTiming();
        store::CCruiseStore store(ui);
        store.Open(target);
        setup::PrepareWorkTables(*store.Storage(), ui, setup::PrepareVariant::Table);
        setup::RebuildStrataSummary(*store.Storage());
        if (store.Commit() != 0) state.SkipWithError("commit failed");
        store.Close();
    }
}
BENCHMARK(BM_CarryAndRebuild)->Unit(benchmark::kMillisecond)->Iterations(5);

// A setup step that changes nothing on the 100,000-tree sale: the setup tables copied
// to tell whether the step changed them, the work tables prepared, the strata summary
// rebuilt, the comparison, and the commit that finds nothing to write.
void BM_UnchangedSetupStep(benchmark::State& state) {
    Scratch& f = Files();
    const std::string target = f.dir + "/unchanged.crz";
    MakeStrataSale(f, target);
    const auto before = fs::last_write_time(target);
    for (auto _ : state) {
        ui::ScriptedUi ui;
        store::CCruiseStore store(ui);
        store.Open(target);
        mk::Storage& s = *store.Storage();
        const store::TableSnapshot tables(s, setup::SetupTableNames());
        store::UnitOfWork step(store);
        setup::PrepareWorkTables(s, ui, setup::PrepareVariant::Table);
        setup::RebuildStrataSummary(s);
        benchmark::DoNotOptimize(tables.Changed(s));
        if (!step.Complete()) state.SkipWithError("commit failed");
        store.Close();
    }
    if (fs::last_write_time(target) != before) state.SkipWithError("the unchanged step wrote the file");
}
BENCHMARK(BM_UnchangedSetupStep)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
