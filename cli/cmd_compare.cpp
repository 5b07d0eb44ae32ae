// design --compare: designs of a cruise file side by side (the current design, saved
// designs, the advisor's proposals). Reads the file and never changes it.
#include <algorithm>
#include <ostream>
#include <string>

#include "advise/compare.h"
#include "app/cruise_file.h"
#include "command_line.h"
#include "commands.h"
#include "design_compare.h"
#include "grid/grid_export.h"
#include "json_writer.h"
#include "setup/setup_tables.h"
#include "store/file_checker.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: strovan-cli design FILE.crz --compare current,ID,...,proposal:K,best [--error E] [--json | --csv OUT]\n";

struct CompareArgs {
    std::string file, list, error = "10", csv;
};

bool Parse(const std::vector<std::string>& args, CompareArgs& a, std::string& error) {
    const bool read = ReadOptionsAndFile(args, a.file, error, [&](OptionCursor& at) {
        const std::string& name = at.Name();
        std::string* into = name == "--compare" ? &a.list : name == "--error" ? &a.error : name == "--csv" ? &a.csv : nullptr;
        if (!into) return OptionRead::Unknown;
        return at.Value(*into) ? OptionRead::Read : OptionRead::Failed;
    });
    if (!read) return false;
    if (a.file.empty()) error = "no cruise file given";
    else if (setup::SplitCodes(a.list).empty()) error = "--compare wants a list of designs";
    for (const std::string& n : setup::SplitCodes(a.list))
        if (error.empty() && n.rfind("proposal:", 0) == 0 && advise::ProposalStrata(n) == 0)
            error = "--compare: \"" + n + "\" wants a number of strata from 1 to 99, as proposal:4";
    return error.empty();
}

bool IsProposal(const std::string& name) { return name == "best" || name.rfind("proposal:", 0) == 0; }

// The units a row's strata hold (whichever design has a stratum there).
std::string UnitsOf(const advise::ComparisonTable& t, size_t row) {
    for (size_t c = 2; c < t.rows[row].size(); c += static_cast<size_t>(t.columnsPerDesign))
        if (!t.rows[row][c].empty()) return t.rows[row][c];
    return {};
}

void WriteText(std::ostream& out, const advise::ComparisonTable& t, const std::vector<advise::ComparedDesign>& designs) {
    size_t width = 0;
    for (const auto& d : designs) width = std::max(width, d.name.size());
    for (size_t r = 0; r < t.rows.size(); ++r) {
        out << (r + 1 == t.rows.size() ? "Sale\n" : "Units " + UnitsOf(t, r) + "\n");
        for (size_t d = 0; d < designs.size(); ++d) {
            out << "  " << designs[d].name << std::string(width - designs[d].name.size(), ' ');
            const bool sale = r + 1 == t.rows.size();
            if (!sale && t.rows[r][d * t.columnsPerDesign].empty()) {
                out << "  (no stratum of these units)\n";
                continue;
            }
            for (int c = sale ? 1 : 0; c < t.columnsPerDesign; ++c) {
                const size_t col = d * t.columnsPerDesign + static_cast<size_t>(c);
                // The row's heading names the units already.
                if (c == 2 && !sale) continue;
                const std::string cell = advise::MarkedCell(t, r, col);
                if (!cell.empty()) out << "  " << (c == 0 ? "Stratum" : t.headings[col]) << " " << cell;
            }
            out << '\n';
        }
    }
    out << "* differs from " << designs.front().name << ".\n";
}

void WriteJson(std::ostream& out, const CompareArgs& a, const std::vector<advise::ComparedDesign>& designs,
               const advise::ComparisonTable* t, bool ok, const std::vector<ui::RecordedMessage>& messages) {
    JsonWriter j(out);
    j.BeginObject().Field("file", a.file).Field("ok", ok);
    j.Key("designs").BeginArray();
    for (const auto& d : designs) {
        j.BeginObject().Field("name", d.name);
        if (!d.failure.empty()) j.Field("failure", d.failure);
        j.Field("saleError", d.saleError).Field("cost", d.cost);
        j.Key("strata").BeginArray();
        for (const auto& s : d.strata)
            j.BeginObject()
                .Field("stratum", s.code)
                .Field("method", s.method)
                .Field("units", s.units)
                .Field("sampleSize", s.sumN)
                .Field("secondStageSize", s.sumN2)
                .Field("error", s.error)
                .Field("cost", s.cost)
                .EndObject();
        j.EndArray().EndObject();
    }
    j.EndArray();
    if (t) {
        j.Key("table").BeginObject().Key("headings").BeginArray();
        for (const auto& h : t->headings) j.String(h);
        j.EndArray().Key("rows").BeginArray();
        for (const auto& row : t->rows) {
            j.BeginArray();
            for (const auto& c : row) j.String(c);
            j.EndArray();
        }
        j.EndArray().Key("differs").BeginArray();
        for (const auto& row : t->differs) {
            j.BeginArray();
            for (bool b : row) j.Bool(b);
            j.EndArray();
        }
        j.EndArray().EndObject();
    }
    j.Messages("messages", messages).EndObject();
}

}  // namespace

int RunDesignCompare(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    CommonOptions opts;
    CompareArgs a;
    if (!ReadCommandLine(argv, opts, a, Parse, err, kUsage)) return kExitUsage;
    if (opts.json && !a.csv.empty()) return UsageError(err, "--json and --csv exclude each other", kUsage);
    auto ui = MakeCommandUi(opts, out, err);
    std::vector<advise::ComparedDesign> designs;
    auto finish = [&](const advise::ComparisonTable* t, bool ok) {
        if (opts.json) WriteJson(out, a, designs, t, ok, ui->Messages());
        return ok ? kExitOk : kExitFailure;
    };

    store::CFileChecker checker(*ui, "");
    const int checked = checker.CheckCruiseFile(a.file, ".crz");
    if (checked == 1) app::ReportNotCruiseFile(*ui, a.file);
    if (checked != 0) return finish(nullptr, false);
    auto storage = mk::Storage::Open(a.file, mk::OpenMode::ReadOnly);
    if (!storage) {
        ui->Error("The File:\n\n'" + a.file + "'\n\nCannot Be Opened.", "File Error");
        return finish(nullptr, false);
    }
    const std::vector<std::string> names = setup::SplitCodes(a.list);
    // Proposals are priced only when asked for, for the largest k asked.
    advise::Advice advice;
    bool wanted = false;
    advise::AdviseOptions options;
    options.target = a.error;
    options.maxStrata = 1;
    for (const std::string& n : names) {
        if (!IsProposal(n)) continue;
        wanted = true;
        options.maxStrata = std::max(options.maxStrata, n == "best" ? advise::kDefaultMaxStrata : advise::ProposalStrata(n));
    }
    if (wanted) {
        options.maxStrata = std::clamp(options.maxStrata, 1, 99);
        advice = advise::AdviseFile(a.file, options);
    }
    for (const std::string& n : names) {
        designs.push_back(advise::DesignByName(*storage, n, wanted ? &advice : nullptr));
        if (!designs.back().failure.empty()) {
            ui->Error("Cannot compare " + n + ": " + designs.back().failure + ".", "Error");
            return finish(nullptr, false);
        }
    }
    const advise::ComparisonTable table = advise::Compare(designs);
    if (!a.csv.empty()) {
        grid::GridModel grid;
        advise::FillComparisonGrid(grid, table);
        std::string why;
        if (!grid::SaveCsv(grid, a.csv, why)) {
            ui->Error("The comparison could not be written to " + a.csv + ": " + why, "Error");
            return finish(&table, false);
        }
        out << "The comparison of " << names.size() << " designs is written to " << a.csv << ".\n";
        return finish(&table, true);
    }
    if (!opts.json) WriteText(out, table, designs);
    return finish(&table, true);
}

}  // namespace cli
