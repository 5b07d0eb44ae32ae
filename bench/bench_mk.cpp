// The storage engine on the 100,000-row test table: open and read every cell, write
// it to a new file, select and sort.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>

#include "mk/mk.h"

namespace {

const std::string kFile = std::string(STROVAN_SHARED_DIR) + "/testdata/metakit/large_trees.mk";

std::string TempPath(const char* name) { return "/tmp/bench_mk_" + std::to_string(::getpid()) + "_" + name; }

// Reads every cell in its stored type; returns something that depends on all of them.
double ScanAll(const mk::View& v) {
    double sum = 0;
    size_t chars = 0;
    for (int c = 0; c < v.ColumnCount(); ++c) {
        mk::Type t = v.Column(c).type;
        for (int r = 0; r < v.RowCount(); ++r) {
            switch (t) {
            case mk::Type::String: chars += v.GetString(r, c).size(); break;
            case mk::Type::Int: sum += v.GetInt(r, c); break;
            case mk::Type::Long: sum += static_cast<double>(v.GetLong(r, c)); break;
            case mk::Type::Float: sum += v.GetFloat(r, c); break;
            case mk::Type::Double: sum += v.GetDouble(r, c); break;
            default: break;
            }
        }
    }
    return sum + static_cast<double>(chars);
}

void BM_OpenAndScan(benchmark::State& state) {
    for (auto _ : state) {
        auto s = mk::Storage::Open(kFile, mk::OpenMode::ReadOnly);
        if (!s) state.SkipWithError(s.error().message.c_str());
        benchmark::DoNotOptimize(ScanAll(s->GetView("Trees")));
    }
}
BENCHMARK(BM_OpenAndScan)->Unit(benchmark::kMillisecond);

void BM_SaveAs(benchmark::State& state) {
    auto s = mk::Storage::Open(kFile, mk::OpenMode::ReadOnly);
    std::string out = TempPath("saveas.mk");
    for (auto _ : state) {
        if (!s->SaveAs(out)) state.SkipWithError("SaveAs failed");
    }
    ::unlink(out.c_str());
}
BENCHMARK(BM_SaveAs)->Unit(benchmark::kMillisecond);

// Row by row through the public interface into a newly created file, then commit.
void BM_CopyRowsAndCommit(benchmark::State& state) {
    auto src = mk::Storage::Open(kFile, mk::OpenMode::ReadOnly);
    mk::View from = src->GetView("Trees");
    std::string out = TempPath("copy.mk");
    for (auto _ : state) {
        auto dst = mk::Storage::Create(out);
        auto to = dst->GetAs("Trees[" + src->Structure("Trees") + "]");
        for (int r = 0; r < from.RowCount(); ++r) to->AddRowFrom(from, r);
        if (!dst->Commit()) state.SkipWithError("commit failed");
    }
    ::unlink(out.c_str());
}
BENCHMARK(BM_CopyRowsAndCommit)->Unit(benchmark::kMillisecond);

void BM_SelectByKey(benchmark::State& state) {
    auto s = mk::Storage::Open(kFile, mk::OpenMode::ReadOnly);
    mk::View trees = s->GetView("Trees");
    mk::View key = *mk::View::Make("Stratum:S,Sp:S");
    key.AddRow();
    key.SetString(0, 0, "05");
    key.SetString(0, 1, "202");
    for (auto _ : state) benchmark::DoNotOptimize(trees.Select(key).RowCount());
}
BENCHMARK(BM_SelectByKey)->Unit(benchmark::kMillisecond);

void BM_SortTwoColumns(benchmark::State& state) {
    auto s = mk::Storage::Open(kFile, mk::OpenMode::ReadOnly);
    mk::View trees = s->GetView("Trees");
    for (auto _ : state) benchmark::DoNotOptimize(trees.SortOn({"Stratum", "DBH"}).RowCount());
}
BENCHMARK(BM_SortTwoColumns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
