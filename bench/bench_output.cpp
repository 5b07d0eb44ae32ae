// The field cruise file of a large sale: 99 point-sample strata over 400 units, 24
// sample groups each, and 50,000 recon plots with their trees and logs carried over.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/setup_file.h"
#include "mk/mk.h"
#include "output/field_file.h"
#include "output/field_file_forms.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

namespace {

namespace fs = std::filesystem;

constexpr int kStrata = 99;
constexpr int kUnitsPerStratum = 4;
constexpr int kSpecies = 24;
constexpr int kPlots = 50000;
constexpr int kTreesPerPlot = 2;
constexpr int kLogsPerTree = 2;

std::string Species(int i) { return "S" + std::to_string(i); }

void Set(mk::View& v, int r, std::initializer_list<std::pair<const char*, std::string>> cells) {
    for (const auto& [c, value] : cells) v.SetString(r, c, value);
}

// Writes the sale into dir; returns its path.
std::string LargeSale(const std::string& dir) {
    std::string path = dir + "/large.crz";
    auto s = mk::Storage::Create(path);
    if (!s || !app::BuildSetup(*s)) std::abort();
    auto get = [&](const char* d) { return *s->GetAs(d); };
    mk::View cruise = get(schema::kCruiseTableDesc), units = get(schema::kSVUnitsTableDesc),
             strata = get(schema::kSVStrataTableDesc), design = get(schema::kSVDesignTableDesc),
             groups = get(schema::kSVDesignSgTableDesc), sum = get(schema::kSVSummaryTableDesc),
             fill = get(schema::kSVSelAutoFillDesc);
    mk::View recon = s->GetView(schema::kStratumTable), plots = s->GetView(schema::kPlotTable),
             trees = s->GetView(schema::kTreeTable), logs = s->GetView(schema::kLogTable);
    Set(cruise, cruise.AddRow(), {{"SaleNo", "54321"}, {"SaleName", "Large"}});
    for (int k = 0; k < kSpecies; ++k)
        Set(fill, fill.AddRow(), {{"Sp", Species(k)}, {"ProdP", "01"}, {"LD", "L"}, {"UOMP", "01"}, {"CDefP", "5"}});
    for (int i = 0; i < kStrata; ++i) {
        std::string code = std::to_string(i + 1), rcode = "R" + code, unit_list;
        for (int u = 0; u < kUnitsPerStratum; ++u) {
            std::string unit = std::to_string(i * kUnitsPerStratum + u + 1);
            unit_list += (u ? "," : "") + unit;
            Set(units, units.AddRow(), {{"CutUnit", unit}, {"Area", "25.5"}});
            for (int k = 0; k < kSpecies; ++k)
                Set(sum, sum.AddRow(), {{"CutUnit", unit}, {"Stratum", code}, {"SgPlot", std::string(1, char('A' + k))},
                                        {"Species", Species(k)}, {"Prod", "01"}, {"LD", "L"}});
        }
        Set(strata, strata.AddRow(), {{"Stratum", code}, {"Units", unit_list}});
        Set(design, design.AddRow(), {{"Stratum", code}, {"Units", unit_list}, {"CruzMeth", "PNT"}, {"PlotSize", "20"}});
        for (int k = 0; k < kSpecies; ++k)
            Set(groups, groups.AddRow(), {{"Stratum", code}, {"SgCode", std::string(1, char('A' + k))}});
        Set(recon, recon.AddRow(), {{"Stratum", rcode}, {"CruzMeth", "PNT"}, {"Units", unit_list}, {"BAF", "20"}});
    }
    for (int p = 0; p < kPlots; ++p) {
        int stratum = p % kStrata, unit = stratum * kUnitsPerStratum + (p / kStrata) % kUnitsPerStratum + 1;
        std::string rs = "R" + std::to_string(stratum + 1), us = std::to_string(unit), ps = std::to_string(p + 1);
        Set(plots, plots.AddRow(), {{"Stratum", rs}, {"CutUnit", us}, {"Plot", ps}});
        for (int t = 0; t < kTreesPerPlot; ++t) {
            std::string ts = std::to_string(t + 1);
            Set(trees, trees.AddRow(), {{"Stratum", rs}, {"CutUnit", us}, {"Plot", ps}, {"Tree", ts},
                                        {"Sp", Species((p + t) % kSpecies)}, {"ProdP", "01"}, {"LD", "L"},
                                        {"DBH", std::to_string(8 + (p + t) % 30)}, {"NCUFTVolPP", "21.5"}});
            for (int l = 0; l < kLogsPerTree; ++l)
                Set(logs, logs.AddRow(), {{"Stratum", rs}, {"CutUnit", us}, {"Plot", ps}, {"Tree", ts},
                                          {"LogNum", std::to_string(l + 1)}, {"Length", "32"}});
        }
    }
    if (!s->Commit()) std::abort();
    return path;
}

void BM_FieldFileLargeSale(benchmark::State& state) {
    std::string tmpl = (fs::temp_directory_path() / "strovan_bench_output_XXXXXX").string();
    std::string dir = mkdtemp(tmpl.data());
    std::string source = LargeSale(dir);
    std::string target = dir + "/field.crz";
    auto src = mk::Storage::Open(source, mk::OpenMode::ReadOnly);
    if (!src) std::abort();
    output::CostValues costs{"35", "40", "6", "33", "300", "120", "20", "12", "150"};
    long long trees = 0;
    for (auto _ : state) {
        ui::ScriptedUi u;
        u.PushFormAs<output::ReconStrataForm>(output::ReconStrataForm::kId, [](output::ReconStrataForm& f) {
            for (auto& r : f.Rows()) r.selected = true;
            return true;
        });
        auto status = output::MakeFieldFile(u, *src, source, costs, [&](ui::UiPort&, ui::SaleFields& f) {
            f.output_file = target;
            return true;
        });
        if (status != output::FieldFileStatus::Created) state.SkipWithError("not created");
        state.PauseTiming();
        auto out = mk::Storage::Open(target, mk::OpenMode::ReadOnly);
        trees = out ? out->GetView(schema::kTreeTable).RowCount() : 0;
        state.ResumeTiming();
    }
    state.counters["trees"] = static_cast<double>(trees);
    std::error_code ec;
    fs::remove_all(dir, ec);
}
BENCHMARK(BM_FieldFileLargeSale)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
