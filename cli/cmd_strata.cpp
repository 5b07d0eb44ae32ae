// strovan-cli strata: strata of a cruise file defined the way the setup's forms
// define them (Quick Strata Setup by keys and by diameter classes, the step-by-step
// form, Delete Strata), each ending with the populations form's OK.
#include <ostream>

#include "command_line.h"
#include "commands.h"
#include "json_writer.h"
#include "setup/diameter_ranges.h"
#include "setup/sample_groups_ops.h"
#include "setup/strata_definition.h"
#include "setup/strata_ops.h"
#include "setup/strata_rows.h"
#include "setup_cli_common.h"
#include "ui/scripted_ui.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: strovan-cli strata FILE.crz --quick [unit,species,product,ld] "
    "[--diameter-ranges \"0-11.9,12-99\" [--scope all|stratum:CODE]] [SG] [--json]\n"
    "       strovan-cli strata FILE.crz --define CODE --units U1,U2,... [--items SP/PROD/LD,...] "
    "[--description TEXT] [SG] [--json]\n"
    "       strovan-cli strata FILE.crz --delete CODE|all [SG] [--json]\n"
    "  SG: --sample-groups [tree=KEYS] [plot=KEYS], KEYS species,product,ld: Quick SG Setup on every\n"
    "      stratum before OK, which refuses sample groups (the blank one included) that mix products\n";

struct StrataArgs {
    std::string file;
    bool quick = false;
    setup::StrataKeys keys;
    bool ranges_given = false;
    std::vector<setup::DiameterRange> ranges;
    std::string scope = "all";
    std::string define, description, remove;
    std::vector<std::string> units, items;
    bool items_given = false;
    setup::SgKeys sg_tree, sg_plot;  // --sample-groups
};

bool Parse(const std::vector<std::string>& args, StrataArgs& s, std::string& error) {
    const bool read = ReadOptionsAndFile(args, s.file, error, [&](OptionCursor& at) {
        const std::string& a = at.Name();
        std::string v;
        if (a == "--quick") {
            s.quick = true;
            // The keys are optional: none makes one stratum of every unassigned row.
            const std::string* next = at.Peek();
            if (next && next->rfind("--", 0) != 0 && !(next->size() > 4 && next->substr(next->size() - 4) == ".crz")) {
                if (!setup::ParseStrataKeys(at.Take(), s.keys, error)) return OptionRead::Failed;
            }
        } else if (a == "--diameter-ranges") {
            return setupcmd::ReadRanges(at, s.ranges_given, s.ranges, error);
        } else if (a == "--scope") {
            if (!at.Value(s.scope)) return OptionRead::Failed;
            if (s.scope != "all" && s.scope.rfind("stratum:", 0) != 0) {
                error = "--scope wants all or stratum:CODE";
                return OptionRead::Failed;
            }
        } else if (a == "--define") {
            if (!at.Value(s.define)) return OptionRead::Failed;
        } else if (a == "--units") {
            if (!at.Value(v)) return OptionRead::Failed;
            s.units = setup::SplitCodes(v);
        } else if (a == "--items") {
            if (!at.Value(v)) return OptionRead::Failed;
            s.items = setup::SplitCodes(v);
            s.items_given = true;
        } else if (a == "--description") {
            if (!at.Value(s.description)) return OptionRead::Failed;
        } else if (a == "--delete") {
            if (!at.Value(s.remove)) return OptionRead::Failed;
        } else if (a == "--sample-groups") {
            for (const std::string* next = at.Peek();
                 next && (next->rfind("tree=", 0) == 0 || next->rfind("plot=", 0) == 0); next = at.Peek()) {
                const std::string& k = at.Take();
                if (!setup::ParseSgKeys(k.substr(5), k[0] == 't' ? s.sg_tree : s.sg_plot, error))
                    return OptionRead::Failed;
            }
            if (!s.sg_tree.Any() && !s.sg_plot.Any()) {
                error = "--sample-groups wants tree=KEYS and/or plot=KEYS";
                return OptionRead::Failed;
            }
        } else {
            return OptionRead::Unknown;
        }
        return OptionRead::Read;
    });
    if (!read) return false;
    const int modes = (s.quick || s.ranges_given ? 1 : 0) + (s.define.empty() ? 0 : 1) + (s.remove.empty() ? 0 : 1);
    if (s.file.empty()) error = "no cruise file given";
    else if (modes != 1) error = "give one of --quick, --define or --delete";
    else if (!s.define.empty() && s.units.empty()) error = "--define needs --units";
    return error.empty();
}

// The first row of a stratum, or -1 (reported).
int RowOfStratum(ui::UiPort& ui, const std::vector<setup::SumRow>& rows, const std::string& code) {
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i][setup::kStratum] == code) return static_cast<int>(i);
    ui.MessageBox("Warning", "Stratum '" + code + "' is not defined.", ui::Icon::Exclamation);
    return -1;
}

bool Quick(ui::ScriptedUi& ui, setup::PopulationsForm& form, const StrataArgs& s) {
    setup::RowSet rs(form.Grid().View());
    bool changed = false;
    if (s.ranges_given) {
        int current = 0;
        setup::RangeScope scope = setup::RangeScope::AllRows;
        if (s.scope != "all") {
            current = RowOfStratum(ui, rs.rows, s.scope.substr(8));
            if (current < 0) return false;
            scope = setup::RangeScope::Stratum;
        }
        if (rs.rows.empty()) {
            ui.MessageBox("Warning", "The summary table has no rows.", ui::Icon::Exclamation);
            return false;
        }
        if (!setup::ApplyStrataRanges(ui, rs.rows, current, scope, s.ranges)) return false;
        changed = true;
        // The ranges are kept in the file as the dialog keeps them.
        auto diam = form.Store().Storage()->GetAs(schema::kSVStrDiamTableDesc);
        if (diam) setup::StoreRanges(*diam, s.ranges);
    }
    if (s.quick) {
        // Too few stratum numbers refuse the whole command.
        const size_t messages = ui.Messages().size();
        const bool assigned = setup::QuickStrata(ui, rs.rows, s.keys);
        bool refused = false;
        for (size_t m = messages; m < ui.Messages().size(); ++m)
            refused = refused || ui.Messages()[m].text.find("No strata were assigned") != std::string::npos;
        if (refused) return false;
        changed = changed || assigned;
    }
    rs.Store(form.Grid().View());
    form.Grid().SetModified(changed || form.Grid().Modified());
    return true;
}

bool Define(ui::UiPort& ui, setup::PopulationsForm& form, store::CCruiseStore& store, const StrataArgs& s) {
    // The step-by-step form works on tables of its own; they go when it is done.
    if (store.Storage()->GetAs(schema::kSVSelTreeTableDesc)) store.Storage()->GetAs(schema::kSVSelTreeTableDesc)->RemoveAll();
    bool ok = false;
    {
        setup::StrataForm strata(ui, store, s.define);
        strata.description = s.description;
        if (!strata.PickUnits(s.units)) {
            ui.MessageBox("Warning", "A unit of --units is not in the unit table.", ui::Icon::Exclamation);
        } else {
            mk::View& items = strata.Items().View();
            std::vector<std::string> wanted = s.items;
            for (int r = 0; r < items.RowCount(); ++r) {
                // Items already in a stratum cannot be picked.
                if (!items.GetString(r, "Stratum").empty()) continue;
                const std::string id = items.GetString(r, "Species") + "/" + items.GetString(r, "Prod") + "/" +
                                       items.GetString(r, "LD");
                bool pick = !s.items_given;
                for (const auto& w : wanted) pick = pick || w == id;
                if (pick) strata.PickItem(r, true);
            }
            ok = strata.DefineSampleGroups(false);
        }
    }
    store.DeleteView(schema::kSVSelTreeTable);
    store.DeleteView(schema::kSVFillSGTable);
    // The grid's view of the summary is taken again after the form's changes.
    form.Grid().Rebind();
    form.Grid().SetModified(ok);
    return ok;
}

bool Delete(ui::UiPort& ui, setup::PopulationsForm& form, const StrataArgs& s) {
    setup::RowSet rs(form.Grid().View());
    const bool all = s.remove == "all";
    if (!all && RowOfStratum(ui, rs.rows, s.remove) < 0) return false;
    setup::DeleteStrata(rs.rows, s.remove, all, "A");
    rs.Store(form.Grid().View());
    form.Grid().SetModified(true);
    return true;
}

// Quick SG Setup on every stratum, as the form's user would run it before OK.
bool SampleGroups(ui::ScriptedUi& ui, setup::PopulationsForm& form, const StrataArgs& s) {
    if (!s.sg_tree.Any() && !s.sg_plot.Any()) return true;
    setup::RowSet rs(form.Grid().View());
    const size_t before = ui.Messages().size();
    if (setup::QuickSampleGroups(ui, rs.rows, s.sg_tree, s.sg_plot, true, ""))
        form.Grid().SetModified(true);
    if (ui.Messages().size() > before) return false;  // refused: letters short
    rs.Store(form.Grid().View());
    return true;
}

int RunStrata(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    return setupcmd::RunPopulationsCommand<StrataArgs>(
        argv, out, err, "strata", kUsage, Parse,
        [](const StrataArgs& s, ui::ScriptedUi& ui, setup::PopulationsForm& form, store::CCruiseStore& store) {
            bool done = !s.define.empty() ? Define(ui, form, store, s)
                        : !s.remove.empty() ? Delete(ui, form, s)
                                            : Quick(ui, form, s);
            return done && SampleGroups(ui, form, s);
        });
}

CommandRegistrar reg_strata{Command{
    .name = "strata",
    .synopsis = "strata FILE.crz --quick [KEYS] [--diameter-ranges R [--scope S]] | --define CODE "
                "--units U,... [--items SP/PROD/LD,...] | --delete CODE|all [--sample-groups ...]",
    .summary = "define or delete the strata of the setup",
    .run = RunStrata,
    .details = "KEYS: any of unit,species,product,ld; without keys one stratum takes every unassigned row.\n"
               "Each run is one visit of the populations form ending with its OK; a run that is\n"
               "refused (an unknown unit or stratum, mixed products in a sample group, ...) leaves\n"
               "the file as it was and exits with 1. Strata of units with several products need\n"
               "their sample groups in the same run: give --sample-groups.\n",
    .arguments = {{"FILE.crz", "", "the cruise file"}},
    .options = {{"--quick", "[KEYS]", "quick strata setup: one stratum per combination of the keys"},
                {"--diameter-ranges", "R", "split rows by diameter ranges, as \"0-11.9,12-99\""},
                {"--scope", "all|stratum:CODE", "the rows the diameter ranges apply to (default all)"},
                {"--define", "CODE", "define stratum CODE from the units given with --units"},
                {"--units", "U1,U2,...", "the cutting units of the stratum being defined"},
                {"--items", "SP/PROD/LD,...", "only these species/product/live-dead items of the units"},
                {"--description", "TEXT", "description of the stratum being defined"},
                {"--delete", "CODE|all", "delete one stratum or all of them"},
                {"--sample-groups", "[tree=KEYS] [plot=KEYS]",
                 "Quick SG Setup on every stratum before OK (KEYS species,product,ld), which refuses sample "
                 "groups, the blank one included, that mix products"}}}};

}  // namespace

}  // namespace cli
