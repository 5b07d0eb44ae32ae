// The design form's workspace on a large sale (99 strata of 24 sample groups, the
// eleven methods of each in the method tables): a cell edit with its recomputation
// and roll-up, opening the workspace, Return with its write-back, the trade-off curve.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "design/sampling.h"
#include "design/sg_rules.h"
#include "design/stratum.h"
#include "design/workspace.h"
#include "design/workspace_rows.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

namespace {

using namespace design;

const CostFigures kCosts{12.5, 40, 0.4, 1.5, 4.0, 0.2};

std::vector<SgRow> Groups(int stratum, int methodIndex, const std::string& method, double acres, double plotSize) {
    ui::ScriptedUi quiet;
    StratumContext ctx{std::to_string(stratum), method, acres, plotSize};
    std::vector<SgRow> out;
    for (int j = 0; j < 24; ++j) {
        SgRow g;
        g.stratum = ctx.stratum;
        g.sgCode.push_back(static_cast<char>('A' + j));
        g.description = "Group";
        g.sgCV = 30 + (stratum * 7 + j * 13 + methodIndex * 3) % 90;
        g.sgCV2 = 20 + (stratum * 3 + j * 11) % 60;
        g.treesAcre = 5 + (stratum + j * 7) % 60;
        g.volAcre = 200 + (stratum * 31 + j * 97) % 3000;
        g.treesPlot = IsPlotMethod(method) ? 2 + (j % 8) : 0;
        g.avgHt = 40 + (j * 5) % 80;
        g.c = g.c2 = g.t = g.v = "N";
        if (IsTwoStage(method)) {
            SampleSizes n = TwoStageSampleSizes(g.sgCV, g.sgCV2, 25);
            g.sgN = n.n1;
            g.sgN2 = n.n2;
        } else {
            g.sgN = SampleSize(g.sgCV, 25);
        }
        RecomputeError(g, ctx);
        FreqKzStep(g, ctx, Change::SgN, quiet);
        out.push_back(g);
    }
    return out;
}

StratumRow Stratum(int i, const std::string& method, double acres, double plotSize, std::vector<SgRow>& groups) {
    StratumRow s;
    s.stratum = std::to_string(i);
    s.cruzMeth = method;
    s.totAcres = acres;
    s.plotSize = plotSize;
    s.totCircum = std::trunc(2 * std::sqrt(M_PI * acres * 43560));
    s.units = "U" + s.stratum;
    SgRefs refs;
    for (SgRow& g : groups) refs.push_back(&g);
    SummarizeStratum(s, refs, SummaryMode::Fill, "01", kCosts);
    return s;
}

// A folder of its own, removed when the program ends.
struct BenchDir {
    std::filesystem::path dir;
    BenchDir() {
        std::random_device rd;
        dir = std::filesystem::temp_directory_path() / ("strovan-bench-ws-" + std::to_string(rd()));
        std::filesystem::create_directories(dir);
    }
    ~BenchDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

// Written once per process.
const std::string& SaleFile() {
    static BenchDir folder;
    static const std::string path = [] {
        std::string p = (folder.dir / "large.crz").string();
        auto st = mk::Storage::Create(p);
        mk::Storage& s = *st;
        mk::View d = *s.GetAs(schema::kSVDesignTableDesc), dg = *s.GetAs(schema::kSVDesignSgTableDesc);
        mk::View m = *s.GetAs(schema::kSVMethodsTableDesc), mg = *s.GetAs(schema::kSVMethodsSgTableDesc);
        StratumColumns dc = StratumColumns::Of(d), mc = StratumColumns::Of(m);
        SgColumns dgc = SgColumns::Of(dg), mgc = SgColumns::Of(mg);
        const auto& order = schema::MethodOrder();
        for (int i = 1; i <= 99; ++i) {
            double acres = 40 + (i * 37) % 400;
            for (std::size_t k = 0; k < order.size(); ++k) {
                double plotSize = k >= 7 ? 20 : (k >= 4 ? 0.1 : 0);
                auto groups = Groups(i, static_cast<int>(k), order[k], acres, plotSize);
                StratumRow row = Stratum(i, order[k], acres, plotSize, groups);
                int r = m.AddRow();
                WriteStratum(m, mc, r, row, nullptr, false);
                m.SetString(r, "Select", k == 0 ? "1.000000" : "0");
                for (const SgRow& g : groups) WriteSg(mg, mgc, mg.AddRow(), g, nullptr, &order[k]);
                if (static_cast<int>(k) == i % 11) {
                    WriteStratum(d, dc, d.AddRow(), row, nullptr);
                    for (const SgRow& g : groups) WriteSg(dg, dgc, dg.AddRow(), g, nullptr);
                }
            }
        }
        (void)s.Commit();
        return p;
    }();
    return path;
}

WorkspaceInputs Inputs() {
    WorkspaceInputs in;
    in.costs = kCosts;
    in.uom = "01";
    in.path = SaleFile();
    return in;
}

// Stratum index 2 is S3P: a two-stage tree method with frequency and KZ to recompute.
void BM_CellEdit(benchmark::State& state) {
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    store.Open(SaleFile());
    DesignWorkspace ws(ui, store, Inputs());
    ws.Open();
    ws.SelectStratum(state.range(0));
    // Each edit gives its row a CV it does not hold: the row's previous edit was 24
    // steps earlier, and 24 is no multiple of the 97 values the CV cycles through.
    int k = 0, unchanged = 0;
    for (auto _ : state) {
        const std::size_t row = static_cast<std::size_t>(k % 24);
        const double cv = 40 + 0.25 * (k % 97);
        unchanged += ws.SelectedGroups()[row]->sgCV == cv;
        ws.EditSgCell(row, "SgCV", std::to_string(cv));
        ++k;
    }
    benchmark::DoNotOptimize(ws.Totals());
    state.counters["unchanged_edits"] = unchanged;
    store.Close();
}
BENCHMARK(BM_CellEdit)->Arg(2)->Arg(6)->Unit(benchmark::kMicrosecond);  // S3P, PNT (shared plot count)

void BM_Open(benchmark::State& state) {
    ui::ScriptedUi ui;
    for (auto _ : state) {
        store::CCruiseStore store(ui);
        store.Open(SaleFile());
        DesignWorkspace ws(ui, store, Inputs());
        ws.Open();
        benchmark::DoNotOptimize(ws.Totals());
        store.Close();
    }
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

// Return after an edit: the indexed write-back of every stratum and the commit.
void BM_Return(benchmark::State& state) {
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    store.Open(SaleFile());
    DesignWorkspace ws(ui, store, Inputs());
    ws.Open();
    int k = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ws.EditSgCell(0, "SgCV", k++ % 2 ? "41" : "63");
        state.ResumeTiming();
        ws.WriteBackMethods();
        store.Commit();
    }
    store.Close();
}
BENCHMARK(BM_Return)->Unit(benchmark::kMillisecond);

void BM_TradeoffCurve(benchmark::State& state) {
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    store.Open(SaleFile());
    DesignWorkspace ws(ui, store, Inputs());
    ws.Open();
    for (auto _ : state) benchmark::DoNotOptimize(ws.TradeoffCurve());
    store.Close();
}
BENCHMARK(BM_TradeoffCurve)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
