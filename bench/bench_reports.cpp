// Every report of a 99-stratum design of 24 sample groups each (every method in turn,
// ~26,000 method sample-group rows): building the content from the read inputs, the
// text save, and the paged PDF. Goals: each report built in 200 ms, printed in 3 s.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>

#include <unistd.h>

#include "mk/mk.h"
#include "reports/report_sample.h"
#include "reports/report_window.h"
#include "reports/reports.h"
#include "ui/scripted_ui.h"

namespace {

const reports::ReportInputs& Inputs() {
    static const reports::ReportInputs in = [] {
        mk::Storage s;
        reports::WriteSampleDesign(s, reports::SampleShape{});
        return reports::ReadReportInputs(s);
    }();
    return in;
}

reports::ReportKind Kind(int64_t i) { return static_cast<reports::ReportKind>(i); }

void BM_ReadInputs(benchmark::State& state) {
    mk::Storage s;
    reports::WriteSampleDesign(s, reports::SampleShape{});
    for (auto _ : state) benchmark::DoNotOptimize(reports::ReadReportInputs(s));
}
BENCHMARK(BM_ReadInputs)->Unit(benchmark::kMillisecond);

void BM_Build(benchmark::State& state) {
    const auto& in = Inputs();
    int64_t rows = 0;
    for (auto _ : state) {
        auto rep = reports::BuildReport(Kind(state.range(0)), in);
        rows = rep->RowCount();
        benchmark::DoNotOptimize(rep);
    }
    state.SetLabel(std::string(reports::KindName(Kind(state.range(0)))) + ", " + std::to_string(rows) + " rows");
}
BENCHMARK(BM_Build)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void BM_Text(benchmark::State& state) {
    auto rep = reports::BuildReport(Kind(state.range(0)), Inputs());
    for (auto _ : state) {
        std::ostringstream out;
        rep->WriteText(out);
        benchmark::DoNotOptimize(out.str().size());
    }
    state.SetLabel(reports::KindName(Kind(state.range(0))));
}
BENCHMARK(BM_Text)->Arg(0)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_Pdf(benchmark::State& state) {
    auto rep = reports::BuildReport(Kind(state.range(0)), Inputs());
    std::string path = (std::filesystem::temp_directory_path() /
                        ("bench_reports_" + std::to_string(::getpid()) + ".pdf")).string();
    for (auto _ : state) {
        ui::ScriptedUi ui;
        if (reports::ExportReportPdf(*rep, Kind(state.range(0)), path, ui) != grid::PrintResult::Printed)
            state.SkipWithError("the PDF was not written");
    }
    std::error_code ec;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path, ec));
    std::filesystem::remove(path, ec);
    state.SetLabel(reports::KindName(Kind(state.range(0))));
}
BENCHMARK(BM_Pdf)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
