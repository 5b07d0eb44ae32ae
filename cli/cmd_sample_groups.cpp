// strovan-cli sample-groups: sample groups of a cruise file coded the way the
// populations form codes them (Quick SG Setup, sample-group diameter ranges, Delete
// Sample Groups, Remove Defined Diameter Ranges, Sort Table), each ending with the
// form's OK.
#include <algorithm>
#include <functional>
#include <ostream>

#include "command_line.h"
#include "commands.h"
#include "json_writer.h"
#include "setup/sample_groups_ops.h"
#include "setup/strata_rows.h"
#include "setup_cli_common.h"
#include "ui/scripted_ui.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: strovan-cli sample-groups FILE.crz --quick [tree=KEYS] [plot=KEYS] "
    "[--diameter-ranges \"0-11.9,12-99\"] [--scope all|stratum:CODE] [--json]\n"
    "       strovan-cli sample-groups FILE.crz --delete STRATUM|all [--json]\n"
    "       strovan-cli sample-groups FILE.crz --remove-ranges [--scope all|group:SP/PROD/LD] [--json]\n"
    "       strovan-cli sample-groups FILE.crz --sort COLUMN[,COLUMN[,COLUMN]] [--json]\n"
    "  KEYS: species,product,ld (any of them)\n";

struct SgArgs {
    std::string file;
    bool quick = false, remove_ranges = false, ranges_given = false;
    setup::SgKeys tree, plot;
    std::vector<setup::DiameterRange> ranges;
    std::string scope = "all", remove;
    std::vector<std::string> sort;
};

bool Parse(const std::vector<std::string>& args, SgArgs& s, std::string& error) {
    const bool read = ReadOptionsAndFile(args, s.file, error, [&](OptionCursor& at) {
        const std::string& a = at.Name();
        std::string v;
        if (a == "--quick") {
            s.quick = true;
            for (const std::string* next = at.Peek();
                 next && (next->rfind("tree=", 0) == 0 || next->rfind("plot=", 0) == 0); next = at.Peek()) {
                const std::string& k = at.Take();
                if (!setup::ParseSgKeys(k.substr(5), k[0] == 't' ? s.tree : s.plot, error)) return OptionRead::Failed;
            }
        } else if (a == "--diameter-ranges") {
            return setupcmd::ReadRanges(at, s.ranges_given, s.ranges, error);
        } else if (a == "--scope") {
            if (!at.Value(s.scope)) return OptionRead::Failed;
        } else if (a == "--delete") {
            if (!at.Value(s.remove)) return OptionRead::Failed;
        } else if (a == "--remove-ranges") {
            s.remove_ranges = true;
        } else if (a == "--sort") {
            if (!at.Value(v)) return OptionRead::Failed;
            s.sort = setup::SplitCodes(v);
            const auto choices = setup::SortChoices(true);
            for (const auto& c : s.sort)
                if (std::find(choices.begin(), choices.end(), c) == choices.end()) {
                    error = "cannot sort by '" + c + "'";
                    return OptionRead::Failed;
                }
            if (s.sort.empty() || s.sort.size() > 3) {
                error = "--sort wants one to three columns";
                return OptionRead::Failed;
            }
        } else {
            return OptionRead::Unknown;
        }
        return OptionRead::Read;
    });
    if (!read) return false;
    const int modes = (s.quick || s.ranges_given ? 1 : 0) + (s.remove.empty() ? 0 : 1) + (s.remove_ranges ? 1 : 0) +
                      (s.sort.empty() ? 0 : 1);
    if (s.file.empty()) error = "no cruise file given";
    else if (modes != 1) error = "give one of --quick, --delete, --remove-ranges or --sort";
    else if (s.quick && !s.tree.Any() && !s.plot.Any()) error = "--quick wants tree=KEYS and/or plot=KEYS";
    else if (s.remove_ranges && s.scope != "all" && s.scope.rfind("group:", 0) != 0)
        error = "--scope of --remove-ranges wants all or group:SP/PROD/LD";
    else if (!s.remove_ranges && s.scope != "all" && s.scope.rfind("stratum:", 0) != 0)
        error = "--scope wants all or stratum:CODE";
    return error.empty();
}

int FirstRow(ui::UiPort& ui, const std::vector<setup::SumRow>& rows, const std::function<bool(const setup::SumRow&)>& f,
             const std::string& what) {
    for (size_t i = 0; i < rows.size(); ++i)
        if (f(rows[i])) return static_cast<int>(i);
    ui.MessageBox("Warning", what, ui::Icon::Exclamation);
    return -1;
}

bool Step(ui::ScriptedUi& ui, setup::PopulationsForm& form, const SgArgs& s) {
    setup::RowSet rs(form.Grid().View());
    auto& rows = rs.rows;
    const std::string stratum = s.scope.rfind("stratum:", 0) == 0 ? s.scope.substr(8) : "";
    auto stratum_row = [&]() {
        return FirstRow(ui, rows, [&](const setup::SumRow& r) { return r[setup::kStratum] == stratum; },
                        "Stratum '" + stratum + "' is not defined.");
    };
    if (s.quick || s.ranges_given) {
        if (s.ranges_given) {
            int current = 0;
            setup::RangeScope scope = setup::RangeScope::AllRows;
            if (!stratum.empty()) {
                current = stratum_row();
                if (current < 0) return false;
                scope = setup::RangeScope::Stratum;
            } else {
                // "Apply to All Rows" starts from a row that has a stratum.
                current = FirstRow(ui, rows, [](const setup::SumRow& r) { return !r[setup::kStratum].empty(); },
                                   setup::kNoStratumText);
                if (current < 0) return false;
            }
            if (!setup::ApplyQuickSgRanges(ui, rows, current, scope, s.ranges)) return false;
            auto diam = form.Store().Storage()->GetAs(schema::kSVSGDiamTableDesc);
            if (diam) setup::StoreRanges(*diam, s.ranges);
        }
        if (s.quick) {
            if (!stratum.empty() && stratum_row() < 0) return false;
            const size_t before = ui.Messages().size();
            setup::QuickSampleGroups(ui, rows, s.tree, s.plot, stratum.empty(), stratum);
            if (ui.Messages().size() > before) return false;  // refused: letters short
        }
    } else if (!s.remove.empty()) {
        const bool all = s.remove == "all";
        if (!all && FirstRow(ui, rows, [&](const setup::SumRow& r) { return r[setup::kStratum] == s.remove; },
                             "Stratum '" + s.remove + "' is not defined.") < 0)
            return false;
        setup::DeleteSampleGroups(rows, s.remove, all);
    } else if (s.remove_ranges) {
        if (!setup::HasSgRanges(ui, rows)) return false;
        int current = 0;
        const bool all = s.scope == "all";
        if (!all) {
            const auto parts = s.scope.substr(6);
            current = FirstRow(
                ui, rows,
                [&](const setup::SumRow& r) {
                    return r[setup::kSpecies] + "/" + r[setup::kProd] + "/" + r[setup::kLD] == parts;
                },
                "No row of the group '" + parts + "'.");
            if (current < 0) return false;
        }
        setup::RemoveSgRanges(rows, current, all);
    } else {
        // Sorting changes no grouping: the form's modified flag stays as it was.
        setup::SortRows(rows, s.sort);
        rs.Store(form.Grid().View());
        return true;
    }
    rs.Store(form.Grid().View());
    form.Grid().SetModified(true);
    return true;
}

int RunSampleGroups(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    return setupcmd::RunPopulationsCommand<SgArgs>(
        argv, out, err, "sample-groups", kUsage, Parse,
        [](const SgArgs& s, ui::ScriptedUi& ui, setup::PopulationsForm& form, store::CCruiseStore&) {
            return Step(ui, form, s);
        });
}

CommandRegistrar reg_sample_groups{Command{
    .name = "sample-groups",
    .synopsis = "sample-groups FILE.crz --quick [tree=KEYS] [plot=KEYS] [--diameter-ranges R] "
                "[--scope S] | --delete STRATUM|all | --remove-ranges [--scope S] | --sort COLS",
    .summary = "code, delete or sort the sample groups of the setup",
    .run = RunSampleGroups,
    .details = "KEYS: species,product,ld (any of them), for the tree-based (tree=) and plot-based (plot=)\n"
               "sample groups; rows that have a code keep it.\n"
               "Each run is one visit of the populations form ending with its OK; a run\n"
               "that is refused (an unknown stratum, too few letters, sample groups that\n"
               "mix products, ...) leaves the file as it was and exits with 1.\n",
    .arguments = {{"FILE.crz", "", "the cruise file"}},
    .options = {{"--quick", "[tree=KEYS] [plot=KEYS]", "quick sample-group setup: one letter per combination"},
                {"--diameter-ranges", "R", "split tree-based sample groups by diameter ranges (\"0-11.9,12-99\")"},
                {"--scope", "S", "all, stratum:CODE (ranges) or group:SP/PROD/LD (--remove-ranges)"},
                {"--delete", "STRATUM|all", "delete the sample groups of one stratum or of all"},
                {"--remove-ranges", "", "remove the diameter ranges defined at sample-group level"},
                {"--sort", "COL[,COL[,COL]]", "sort the table by up to three columns"}}}};

}  // namespace

}  // namespace cli
