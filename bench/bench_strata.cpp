// Quick Strata Setup and Quick SG Setup at the size of a large sale (100,000 recon
// trees, 400 units, some 5,000 summary rows): each from opening the file through the
// command to the form's OK (strata rebuild and commit).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "testdata/svz.h"
#include "mk/mk.h"
#include "setup/import_svz.h"
#include "setup/sample_groups_ops.h"
#include "setup/setup_session.h"
#include "setup/setup_tables.h"
#include "setup/strata_ops.h"
#include "setup/strata_rows.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

namespace {

namespace fs = std::filesystem;

struct Scratch {
    Scratch() {
        std::string tmpl = (fs::temp_directory_path() / "strovan_bench_strata_XXXXXX").string();
        dir = mkdtemp(tmpl.data());
        const std::string svz = dir + "/big.svz";
        std::ofstream(svz, std::ios::binary) << testdata::MakeSvz(100000, 400, 30);
        prepared = dir + "/prepared.crz";
        auto s = mk::Storage::Create(prepared);
        for (const auto& t : schema::SharedTables()) (void)s->GetAs(t.description);
        (void)s->GetAs(schema::kGlobalConfigurationTableDesc);
        (void)s->Commit();
        ui::ScriptedUi ui;
        setup::ImportSvz(ui, prepared, svz);
        {
            store::CCruiseStore store(ui);
            store.Open(prepared);
            setup::PrepareWorkTables(*store.Storage(), ui, setup::PrepareVariant::Table);
            store.Commit();
        }
        // The same sale with every row in one of 99 strata by its unit.
        stratified = dir + "/stratified.crz";
        fs::copy_file(prepared, stratified, fs::copy_options::overwrite_existing);
        store::CCruiseStore store(ui);
        store.Open(stratified);
        mk::View summary = *store.Storage()->GetAs(schema::kSVSummaryTableDesc);
        for (int r = 0; r < summary.RowCount(); ++r)
            summary.SetString(r, "Stratum",
                              std::to_string(std::atoi(summary.GetString(r, "CutUnit").c_str()) % 99 + 1));
        setup::RebuildStrataSummary(*store.Storage());
        store.Commit();
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string dir, prepared, stratified;
};

Scratch& Files() {
    static Scratch s;
    return s;
}

template <class Step>
void RunOnCopy(benchmark::State& state, const std::string& source, Step step) {
    const std::string target = Files().dir + "/work.crz";
    int64_t rows = 0, strata = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(source, target, fs::copy_options::overwrite_existing);
        ui::ScriptedUi ui;
        state.ResumeTiming();
        store::CCruiseStore store(ui);
        store.Open(target);
        setup::PopulationsForm form(ui, store, schema::kSVSummaryTable, true);
        setup::RowSet rs(form.Grid().View());
        if (!step(ui, rs.rows)) state.SkipWithError("the command assigned nothing");
        rs.Store(form.Grid().View());
        form.Grid().SetModified(true);
        store.Commit();
        // Mixed products may refuse OK; Cancel then rebuilds the strata as well.
        if (!form.Accept()) form.Cancel();
        rows = form.Grid().RowCount();
        strata = store.Storage()->GetView(schema::kSVStrataTable).RowCount();
        store.Close();
    }
    state.counters["summary_rows"] = static_cast<double>(rows);
    state.counters["strata"] = static_cast<double>(strata);
}

// Strata by species, product and live/dead over the whole sale.
void BM_QuickStrata(benchmark::State& state) {
    RunOnCopy(state, Files().prepared, [](ui::UiPort& ui, std::vector<setup::SumRow>& rows) {
        setup::StrataKeys keys;
        keys.species = keys.prod = keys.ld = true;
        return setup::QuickStrata(ui, rows, keys);
    });
}
BENCHMARK(BM_QuickStrata)->Unit(benchmark::kMillisecond)->Iterations(5);

// Sample groups in all 99 strata, tree based by species and product, plot based by
// product.
void BM_QuickSampleGroups(benchmark::State& state) {
    RunOnCopy(state, Files().stratified, [](ui::UiPort& ui, std::vector<setup::SumRow>& rows) {
        setup::SgKeys tree, plot;
        tree.species = tree.prod = true;
        plot.prod = true;
        return setup::QuickSampleGroups(ui, rows, tree, plot, true, "");
    });
}
BENCHMARK(BM_QuickSampleGroups)->Unit(benchmark::kMillisecond)->Iterations(5);

// Every row of the sale split by two diameter classes.
void BM_DiameterSplitAll(benchmark::State& state) {
    RunOnCopy(state, Files().prepared, [](ui::UiPort& ui, std::vector<setup::SumRow>& rows) {
        std::vector<setup::DiameterRange> ranges;
        std::string error;
        setup::ParseRangeList("0-11.9,12-99", ranges, error);
        int current = 0;
        return setup::ApplyStrataRanges(ui, rows, current, setup::RangeScope::AllRows, ranges);
    });
}
BENCHMARK(BM_DiameterSplitAll)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
