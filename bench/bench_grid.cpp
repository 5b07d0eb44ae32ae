// The grid on the largest table: a 100,000-tree TreeTable opened in the grid model (the
// file opened, the view bound and the first screen of cells read), and 10,000 rows
// printed to a paged PDF.
//
// `bench_grid --write-trees=PATH` only writes the 100,000-tree file (for a look at the
// command line's table output) and exits.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "grid/grid_export.h"
#include "grid/grid_model.h"
#include "grid/pdf_canvas.h"
#include "mk/mk.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

namespace {

namespace fs = std::filesystem;

std::string TreeDescription() {
    for (const auto& t : schema::SharedTables())
        if (t.name == schema::kTreeTable) return t.description;
    return {};
}

// Deterministic made-up trees: 400 units, plots of about 5 trees.
bool WriteTrees(const std::string& path, int count) {
    mk::Storage s;
    auto v = s.GetAs(TreeDescription());
    if (!v) return false;
    const char* species[] = {"DF", "WH", "RC", "SS", "RA"};
    uint64_t x = 88172645463325252ull;
    auto next = [&] {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        return x;
    };
    v->SetRowCount(count);
    int cu = v->FindColumn("CutUnit"), st = v->FindColumn("Stratum"), pl = v->FindColumn("Plot"),
        tr = v->FindColumn("Tree"), sp = v->FindColumn("Sp"), pp = v->FindColumn("ProdP"),
        ld = v->FindColumn("LD"), dbh = v->FindColumn("DBH"), ht = v->FindColumn("TotHt"),
        cnt = v->FindColumn("TreeCnt"), ncu = v->FindColumn("NCUFTVolPP"), nbd = v->FindColumn("NBDFTVolPP");
    for (int r = 0; r < count; ++r) {
        int unit = r / 250 + 1;
        v->SetString(r, cu, std::to_string(unit));
        v->SetString(r, st, std::to_string((unit - 1) / 5 + 1));
        v->SetString(r, pl, std::to_string(r / 5 % 50 + 1));
        v->SetString(r, tr, std::to_string(r % 5 + 1));
        v->SetString(r, sp, species[next() % 5]);
        v->SetString(r, pp, "01");
        v->SetString(r, ld, "L");
        double d = 6 + (next() % 400) / 10.0;
        v->SetFloat(r, dbh, static_cast<float>(d));
        v->SetFloat(r, ht, static_cast<float>(40 + d * 3));
        v->SetInt(r, cnt, 1);
        v->SetDouble(r, ncu, d * d * 0.05);
        v->SetDouble(r, nbd, d * d * 0.3);
    }
    return s.SaveAs(path).ok();
}

std::string g_tree_file;  // removed at the end when made

const std::string& TreeFile() {
    static std::string path = [] {
        std::string p = (fs::temp_directory_path() / ("bench_grid_trees_" + std::to_string(::getpid()) + ".crz")).string();
        if (!WriteTrees(p, 100000)) std::fprintf(stderr, "cannot write %s\n", p.c_str());
        g_tree_file = p;
        return p;
    }();
    return path;
}

// Opening the file, binding the grid and reading what one screen shows (40 rows).
void BM_OpenTreeTableInGrid(benchmark::State& state) {
    const std::string& path = TreeFile();
    for (auto _ : state) {
        auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
        if (!s) {
            state.SkipWithError("cannot open the tree file");
            return;
        }
        grid::GridModel g;
        g.BindView(s->GetView("TreeTable"), true);
        size_t chars = 0;
        for (int64_t r = 0; r < 40; ++r)
            for (int c = 0; c < g.ColumnCount(); ++c) chars += g.Text(c, r).size();
        benchmark::DoNotOptimize(chars);
        if (g.RowCount() != 100000) state.SkipWithError("wrong row count");
    }
}
BENCHMARK(BM_OpenTreeTableInGrid)->Unit(benchmark::kMillisecond);

// Binding alone, on a view already open: no per-row work.
void BM_BindOpenView(benchmark::State& state) {
    auto s = mk::Storage::Open(TreeFile(), mk::OpenMode::ReadOnly);
    mk::View v = s->GetView("TreeTable");
    for (auto _ : state) {
        grid::GridModel g;
        g.BindView(v, true);
        benchmark::DoNotOptimize(g.Text(5, 99999));
    }
}
BENCHMARK(BM_BindOpenView)->Unit(benchmark::kMicrosecond);

// 10,000 rows of the TreeTable printed to a paged PDF, column bands across.
void BM_Print10000RowsToPdf(benchmark::State& state) {
    auto s = mk::Storage::Open(TreeFile(), mk::OpenMode::ReadOnly);
    mk::View trees = s->GetView("TreeTable");
    std::string out = (fs::temp_directory_path() / ("bench_grid_" + std::to_string(::getpid()) + ".pdf")).string();
    int pages = 0;
    for (auto _ : state) {
        grid::GridModel g;
        g.BindView(trees, true);
        grid::Font font = g.DefaultFont();
        g.FitColumnWidths([&](const std::string& t) {
            return static_cast<int>(grid::PdfCanvas::StandardTextWidth(t, font) * 96 / 72 + 0.5);
        });
        ui::ScriptedUi ui;
        auto chooser = [&]() -> std::unique_ptr<grid::Canvas> { return std::make_unique<grid::PdfCanvas>(out); };
        auto counted = std::make_unique<grid::PdfCanvas>(out);
        if (grid::PrintGridJob(g, 0, 0, g.ColumnCount() - 1, 9999, true, chooser, ui) !=
            grid::PrintResult::Printed) {
            state.SkipWithError("print failed");
            return;
        }
        grid::PageLayout layout(g, 0, 0, g.ColumnCount() - 1, 9999, *counted, g.PrintMargins());
        pages = layout.PageCount();
    }
    state.counters["pages"] = pages;
    std::error_code ec;
    state.counters["MB"] = static_cast<double>(fs::file_size(out, ec)) / 1e6;
    fs::remove(out, ec);
}
BENCHMARK(BM_Print10000RowsToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--write-trees=", 14) == 0) return WriteTrees(argv[i] + 14, 100000) ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    if (!g_tree_file.empty()) fs::remove(g_tree_file, ec);
    return 0;
}
