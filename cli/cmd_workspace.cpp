// design: the design form's workspace from the command line. The commands run in
// the order given on the same workspace the form uses, its dialogs answered from the
// arguments; the file is committed at the end as the main window does after the form.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/cruise_file.h"
#include "app/settings.h"
#include "command_line.h"
#include "commands.h"
#include "design/design_form.h"
#include "design/saved_designs.h"
#include "design/workspace.h"
#include "design_compare.h"
#include "json_writer.h"
#include "setup/units_editor.h"
#include "store/config.h"
#include "store/cruise_store.h"
#include "store/file_checker.h"
#include "store/schema.h"
#include "store/unit_of_work.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: strovan-cli design FILE.crz [--set STRATUM/SG/COLUMN=VALUE]... [--method STRATUM=METHOD]\n"
    "       [--plot-size STRATUM=VALUE] [--add-unit STRATUM:CODE:AREA] [--remove-unit STRATUM:CODE]\n"
    "       [--lock STRATUM] [--optimize ERROR] [--optimize-cost ERROR] [--save-design ID] [--load-design ID]\n"
    "       [--remove-design ID] [--list-designs] [--tradeoff] [--return|--exit] [--yes|--no] [--json]\n"
    "       strovan-cli design FILE.crz --compare current,ID,...,proposal:K,best [--error E] [--json | --csv OUT]\n";

struct Op {
    std::string name;  // without the dashes
    std::string value;
    // Pieces of the value: STRATUM, SG, COLUMN, VALUE / STRATUM, METHOD / ...
    std::vector<std::string> parts;
};

bool TakesValue(const std::string& n) {
    for (const char* v : {"set", "method", "plot-size", "add-unit", "remove-unit", "lock", "optimize",
                          "optimize-cost", "save-design", "load-design", "remove-design"})
        if (n == v) return true;
    return false;
}

bool IsFlag(const std::string& n) {
    return n == "list-designs" || n == "tradeoff" || n == "return" || n == "exit";
}

// Splits at the first `sep` only; false when it is missing.
bool SplitOnce(const std::string& text, char sep, std::string& left, std::string& right) {
    auto at = text.find(sep);
    if (at == std::string::npos) return false;
    left = text.substr(0, at);
    right = text.substr(at + 1);
    return true;
}

// The shape of each value, checked before anything runs.
bool ParseOp(Op& op, std::string& error) {
    std::string a, b, c;
    const std::string& v = op.value;
    if (op.name == "set") {
        std::string target, value, sg, col;
        if (!SplitOnce(v, '=', target, value) || !SplitOnce(target, '/', a, b) || !SplitOnce(b, '/', sg, col) ||
            a.empty() || col.empty()) {
            error = "--set wants STRATUM/SG/COLUMN=VALUE (an empty SG sets a stratum cell)";
            return false;
        }
        op.parts = {a, sg, col, value};
    } else if (op.name == "method" || op.name == "plot-size") {
        if (!SplitOnce(v, '=', a, b) || a.empty() || b.empty()) {
            error = "--" + op.name + " wants STRATUM=" + (op.name == "method" ? "METHOD" : "VALUE");
            return false;
        }
        op.parts = {a, b};
    } else if (op.name == "add-unit") {
        std::string rest;
        if (!SplitOnce(v, ':', a, rest) || !SplitOnce(rest, ':', b, c) || a.empty() || b.empty() || c.empty()) {
            error = "--add-unit wants STRATUM:CODE:AREA";
            return false;
        }
        op.parts = {a, b, c};
    } else if (op.name == "remove-unit") {
        if (!SplitOnce(v, ':', a, b) || a.empty() || b.empty()) {
            error = "--remove-unit wants STRATUM:CODE";
            return false;
        }
        op.parts = {a, b};
    } else if (v.empty() && TakesValue(op.name)) {
        error = "--" + op.name + " needs a value";
        return false;
    }
    return true;
}

void WriteStratum(JsonWriter& j, const design::StratumRow& s, bool production) {
    j.BeginObject();
    j.Field("Stratum", s.stratum).Field("Description", s.description).Field("Units", s.units);
    j.Field("CruzMeth", s.cruzMeth);
    if (!production) j.Field("Lock", s.lock);
    j.Key("Error");
    if (s.errorComputable) j.Double(s.error);
    else j.Null();  // no sample size to compute it from
    j.Field("SumN", s.sumN).Field("SumN2", s.sumN2).Field("WtCV", s.wtCV);
    j.Field("WtCV2", s.wtCV2).Field("Trees/Acre", s.treesAcre).Field("Vol/Acre", s.volAcre);
    j.Field("TotalVol", s.totalVol).Field("TotAcres", s.totAcres).Field("StrCost", s.strCost);
    j.Field("Trees/Plot", s.treesPlot).Field("PlotSpacing", s.plotSpacing);
    if (!production) j.Field("PlotSize", s.plotSize);
    j.Field("TotCircum", s.totCircum);
    j.EndObject();
}

void WriteGroup(JsonWriter& j, const design::SgRow& g, const std::string& method) {
    j.BeginObject();
    j.Field("Stratum", g.stratum).Field("SgCode", g.sgCode).Field("Description", g.description);
    j.Key("SgErr");
    if (design::ErrorComputable(g, method)) j.Double(g.sgErr);
    else j.Null();
    j.Field("SgN", g.sgN).Field("SgN2", g.sgN2).Field("SgCV", g.sgCV);
    j.Field("SgCV2", g.sgCV2).Field("Trees/Acre", g.treesAcre).Field("Vol/Acre", g.volAcre);
    j.Field("Freq", g.freq).Field("KZ", g.kz).Field("Trees/Plot", g.treesPlot).Field("AvgHt", g.avgHt);
    j.Field("BigBaf", g.bigBaf).Field("C", g.c).Field("C2", g.c2).Field("T", g.t).Field("V", g.v);
    j.EndObject();
}

std::string G(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

void PrintText(std::ostream& out, const design::DesignWorkspace& ws) {
    const design::Design& d = ws.Model();
    out << "Strata:\n";
    for (std::size_t i = 0; i < d.strata.size(); ++i) {
        const design::StratumRow& s = d.strata[i];
        out << "  " << s.stratum << "  " << s.cruzMeth << "  acres " << G(s.totAcres) << "  error "
            << (s.errorComputable ? G(s.error) : design::kNotComputable)
            << "  n " << s.sumN << "/" << s.sumN2 << "  cost " << G(s.strCost) << (design::IsLocked(s) ? "  locked" : "")
            << '\n';
        for (const design::SgRow* g : ws.GroupsOfStratum(i))
            out << "      " << g->sgCode << "  CV " << G(g->sgCV) << "/" << G(g->sgCV2) << "  n " << g->sgN << "/"
                << g->sgN2 << "  error " << (design::ErrorComputable(*g, s.cruzMeth) ? G(g->sgErr) : design::kNotComputable)
                << "  freq " << g->freq << "  KZ " << g->kz << '\n';
    }
    out << "Sale Error: " << ws.SaleErrorText() << "\nCost: " << ws.CostText() << '\n';
    if (!ws.UncomputableText().empty()) out << ws.UncomputableText() << '\n';
    if (!ws.CostWarning().empty()) out << ws.CostWarning() << '\n';
}

int Run(const std::vector<std::string>& raw, std::ostream& out, std::ostream& err) {
    if (std::find(raw.begin(), raw.end(), "--compare") != raw.end()) return RunDesignCompare(raw, out, err);
    std::vector<std::string> args = raw;
    CommonOptions opts;
    std::string error;
    if (!CommonOptions::Extract(args, opts, error)) return UsageError(err, error, kUsage, "design");
    std::string path;
    std::vector<Op> ops;
    bool ending = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            if (!path.empty()) {
                err << "design: only one file\n" << kUsage;
                return kExitUsage;
            }
            path = a;
            continue;
        }
        Op op{a.substr(2), "", {}};
        if (TakesValue(op.name)) {
            if (i + 1 >= args.size()) {
                err << "design: " << a << " needs a value\n" << kUsage;
                return kExitUsage;
            }
            op.value = args[++i];
        } else if (!IsFlag(op.name)) {
            err << "design: unknown option " << a << '\n' << kUsage;
            return kExitUsage;
        }
        if (op.name == "return" || op.name == "exit") {
            if (ending) {
                err << "design: --return and --exit exclude each other\n";
                return kExitUsage;
            }
            ending = true;
        }
        if (!ParseOp(op, error)) {
            err << "design: " << error << '\n';
            return kExitUsage;
        }
        ops.push_back(std::move(op));
    }
    if (path.empty()) {
        err << kUsage;
        return kExitUsage;
    }

    std::unique_ptr<ui::ScriptedUi> ui = MakeCommandUi(opts, out, err);
    store::CFileChecker checker(*ui, "");
    int check = checker.CheckCruiseFile(path, ".crz");
    if (check == 1) app::ReportNotCruiseFile(*ui, path);
    if (check != 0) {
        if (opts.json) {
            JsonWriter j(out);
            j.BeginObject().Field("file", path).Field("committed", false).Field("error", "the file cannot be used");
            j.Messages("messages", ui->Messages()).EndObject();
        }
        return kExitFailure;
    }
    store::CCruiseStore store(*ui);
    if (store.Open(path) != 0) {
        err << "design: cannot open " << path << '\n';
        return kExitFailure;
    }
    // The run is one step: every command of it reaches the file, or none does.
    store::UnitOfWork step(store);
    mk::Storage& storage = *store.Storage();
    design::WorkspaceInputs in;
    in.path = path;
    in.cruiseType = store::GetSetting(storage, schema::kBlockStrovan, schema::kKeyType).value_or("") ==
                            schema::kTypeProduction
                        ? 1
                        : 0;
    in.uom = store::GetSetting(storage, schema::kBlockStrovan, schema::kKeyUOM).value_or(schema::kUomCubicFeet);
    if (storage.HasView(schema::kGlobalConfigurationTable))
        in.costs = app::ComputeCostFigures(app::ReadCostValues(storage.GetView(schema::kGlobalConfigurationTable)));
    design::DesignWorkspace ws(*ui, store, in);
    ws.Open();

    std::optional<std::vector<std::string>> designs;
    std::optional<std::vector<design::TradeoffPoint>> curve, leastCurve;
    std::optional<design::CostComparison> leastCost;
    std::string failure;
    bool returned = false;
    auto stratum = [&](const std::string& code) {
        int s = ws.FindStratum(code);
        if (s < 0) failure = "no stratum '" + code + "'";
        return s;
    };
    auto greyed = [&](const std::string& what) {
        failure = what + " is not available for a production cruise";
    };
    for (const Op& op : ops) {
        if (!failure.empty()) break;
        const auto& p = op.parts;
        int rc = design::kWsDone;
        if (op.name == "set") {
            int s = stratum(p[0]);
            if (s < 0) break;
            if (p[1].empty()) {
                rc = ws.EditStratumCell(s, p[2], p[3]);
            } else {
                ws.SelectStratum(s);
                int g = ws.FindGroup(p[1]);
                if (g < 0) {
                    failure = "no sample group '" + p[1] + "' in stratum '" + p[0] + "'";
                    break;
                }
                rc = ws.EditSgCell(g, p[2], p[3]);
            }
            if (rc != design::kWsDone)
                failure = ws.Refusal() != design::kCellFixedText && !ws.Refusal().empty()
                              ? ws.Refusal()
                              : "cannot set " + p[2] + " in " + op.value.substr(0, op.value.find('='));
        } else if (op.name == "method") {
            int s = stratum(p[0]);
            if (s < 0) break;
            std::string method = p[1];
            ui->PushFormAs<design::MethodSelectionForm>(design::kSelectMethodFormId,
                                                        [method](design::MethodSelectionForm& f) {
                                                            return f.TickMethod(method);
                                                        });
            rc = ws.ChangeCruiseMethod(s);
            if (rc != design::kWsDone) failure = "method " + method + " could not be chosen for stratum " + p[0];
        } else if (op.name == "plot-size") {
            int s = stratum(p[0]);
            if (s < 0) break;
            std::string value = p[1];
            ui->PushFormAs<design::PlotSizeForm>(design::kPlotSizeFormId, [value](design::PlotSizeForm& f) {
                f.value = value;
                return f.OnOk();
            });
            rc = ws.ChangePlotSize(s);
            if (rc != design::kWsDone) failure = "the plot size of stratum " + p[0] + " was not changed";
        } else if (op.name == "add-unit") {
            int s = stratum(p[0]);
            if (s < 0) break;
            std::string code = p[1], area = p[2];
            ui->PushFormAs<setup::AddUnitForm>(setup::AddUnitForm::kId, [code, area](setup::AddUnitForm& f) {
                if (!f.SetCode(code)) return false;
                f.CodeLeft();
                if (!f.AddEnabled()) return false;
                f.SetArea(area);
                return f.AddUnit();
            });
            rc = ws.AddUnits(s);
            if (rc != design::kWsDone) failure = "unit " + code + " was not added";
        } else if (op.name == "remove-unit") {
            int s = stratum(p[0]);
            if (s < 0) break;
            std::string code = p[1];
            ui->PushFormAs<setup::RemoveUnitForm>(setup::RemoveUnitForm::kId, [code](setup::RemoveUnitForm& f) {
                bool listed = false;
                for (const std::string& c : f.Codes()) listed = listed || c == code;
                if (!listed) return false;
                f.Choose(code);
                return f.RemoveUnit();
            });
            rc = ws.RemoveUnits(s);
            if (rc != design::kWsDone) failure = "unit " + code + " was not removed";
        } else if (op.name == "lock") {
            int s = stratum(op.value);
            if (s < 0) break;
            if (ws.EditStratumCell(s, "Lock", "1") != design::kWsDone) failure = "stratum " + op.value + " cannot be locked";
        } else if (op.name == "optimize" || op.name == "optimize-cost") {
            const bool least = op.name == "optimize-cost";
            const std::string what = least ? "Optimize At Least Cost" : "Optimize For Error";
            if (ws.IsProduction()) {
                greyed(what);
                break;
            }
            ws.targetError = op.value;
            rc = least ? ws.OptimizeAtLeastCost() : ws.OptimizeForError();
            if (rc == design::kWsCancelled) failure = what + " was declined";
            else if (rc != design::kWsDone) failure = what + (least ? " did not change the design" : " did not run");
            else if (least) leastCost = ws.LastLeastCost();
        } else if (op.name == "save-design" || op.name == "load-design" || op.name == "remove-design") {
            if (ws.IsProduction() && op.name != "remove-design") {
                greyed(op.name == "save-design" ? "Save Design" : "Load Design");
                break;
            }
            std::string id = op.value;
            ui->PushFormAs<design::SavedDesignsForm>(design::kSavedDesignsFormId,
                                                     [id](design::SavedDesignsForm& f) {
                                                         f.id = id;
                                                         return f.OnAction();
                                                     });
            rc = op.name == "save-design" ? ws.SaveDesign()
                 : op.name == "load-design" ? ws.LoadDesign()
                                            : ws.RemoveDesign();
            if (rc != design::kWsDone) failure = "--" + op.name + " " + id + " did not complete";
        } else if (op.name == "list-designs") {
            designs = ws.SavedDesignIds();
        } else if (op.name == "tradeoff") {
            if (ws.IsProduction()) {
                greyed("The trade-off curve");
                break;
            }
            curve = ws.TradeoffCurve();
            leastCurve = ws.LeastCostCurve();
        } else if (op.name == "return") {
            returned = ws.Return() == design::kWsDone;
            if (!returned) failure = "the design could not be written back";
        } else if (op.name == "exit") {
            ws.Exit();
        }
    }
    // Without --exit the run ends as the form's Return does, so that its edits reach
    // the per-method tables from which the next compile rebuilds the design.
    if (failure.empty() && !ending && !ws.IsProduction()) {
        returned = ws.Return() == design::kWsDone;
        if (!returned) failure = "the design could not be written back";
    }
    bool committed = failure.empty() && step.Complete();
    if (!committed) {
        // A failed command leaves the file as it was: what ran before it is dropped too.
        step.Discard();
        ws.Open();
        if (failure.empty()) failure = "the cruise file could not be saved";
    }
    if (!failure.empty() && !opts.json) err << "design: " << failure << '\n';

    if (opts.json) {
        JsonWriter j(out);
        j.BeginObject();
        j.Field("file", path).Field("cruise_type", ws.IsProduction() ? "Production" : "Design/Recon");
        j.Field("uom", in.uom).Field("committed", committed).Field("returned", returned);
        if (!failure.empty()) j.Field("error", failure);
        j.Key("sale_error");
        if (ws.Totals().ErrorComputable()) j.Double(ws.Totals().error);
        else j.Null();
        j.Field("cost", ws.Totals().cost);
        j.Field("sale_error_text", ws.SaleErrorText()).Field("cost_text", ws.CostText());
        j.Key("uncomputable_strata").BeginArray();
        for (const std::string& code : ws.Totals().uncomputable) j.String(code);
        j.EndArray();
        if (!ws.CostWarning().empty()) j.Field("cost_warning", ws.CostWarning());
        j.Key("strata").BeginArray();
        for (const auto& s : ws.Model().strata) WriteStratum(j, s, ws.IsProduction());
        j.EndArray();
        j.Key("sample_groups").BeginArray();
        for (std::size_t i = 0; i < ws.Model().strata.size(); ++i)
            for (const design::SgRow* g : ws.GroupsOfStratum(i)) WriteGroup(j, *g, ws.Model().strata[i].cruzMeth);
        j.EndArray();
        if (designs) {
            j.Key("designs").BeginArray();
            for (const auto& id : *designs) j.String(id);
            j.EndArray();
        }
        if (leastCost) {
            const design::CostComparison& c = *leastCost;
            j.Key("least_cost").BeginObject().Field("target", c.target).Field("cost", c.cost);
            j.Field("sale_error", c.saleError).Field("proven_least", c.proven);
            j.Field("optimize_for_error_cost", c.ruleCost).Field("optimize_for_error_sale_error", c.ruleSaleError);
            j.Field("text", c.Text()).EndObject();
        }
        if (curve) {
            auto points = [&](const char* key, const std::vector<design::TradeoffPoint>& pts) {
                j.Key(key).BeginArray();
                for (const auto& pt : pts)
                    j.BeginObject().Field("target", pt.target).Field("sale_error", pt.saleError).Field("cost", pt.cost).EndObject();
                j.EndArray();
            };
            j.Key("tradeoff").BeginObject();
            j.Key("current").BeginObject().Field("sale_error", ws.Totals().error).Field("cost", ws.Totals().cost).EndObject();
            points("points", *curve);
            points("least_cost_points", *leastCurve);
            j.EndObject();
        }
        j.Messages("messages", ui->Messages());
        j.EndObject();
    } else {
        PrintText(out, ws);
        if (designs) {
            out << "Saved designs:\n";
            for (const auto& id : *designs) out << "  " << id << '\n';
        }
        if (leastCost) out << leastCost->Text() << '\n';
        if (curve) {
            out << "Trade-off (target: sale error, cost):\n";
            for (const auto& pt : *curve)
                out << "  " << G(pt.target) << ": " << G(pt.saleError) << ", " << G(pt.cost) << '\n';
            out << "Least cost (target: sale error, cost):\n";
            for (const auto& pt : *leastCurve)
                out << "  " << G(pt.target) << ": " << G(pt.saleError) << ", " << G(pt.cost) << '\n';
        }
        if (!returned && committed && !ws.IsProduction())
            out << "Left with --exit: the design tables keep these values until the next compile, which rebuilds "
                   "them from the per-method tables (written by --return, the default).\n";
    }
    store.Close();
    return committed ? kExitOk : kExitFailure;
}

constexpr const char* kDetails =
    "The commands run in the order given, as on the design form. The run ends as the\n"
    "form's Return (the design is also written into the per-method tables, from which\n"
    "the next compile rebuilds it) unless --exit is given. When a command fails nothing\n"
    "of the run is kept: the file stays as it was.\n"
    "Questions: saving over a saved design, --remove-design, and invalid values in the\n"
    "design before --optimize. Without --yes they are answered No, the command fails and\n"
    "the file is not changed.\n";

const CommandRegistrar reg{Command{
    .name = "design",
    .synopsis = "design FILE.crz [--set S/SG/COL=V]... [--method S=M] [...] [--return|--exit]",
    .summary = "work on the design of a cruise file as the design form does",
    .run = Run,
    .details = kDetails,
    .arguments = {{"FILE.crz", "", "the cruise file, compiled"}},
    .options = {{"--set", "STRATUM/SG/COLUMN=VALUE", "edit a cell (an empty SG edits the stratum row)"},
                {"--method", "STRATUM=METHOD", "change the cruise method of a stratum"},
                {"--plot-size", "STRATUM=VALUE", "change the BAF or fixed plot size of a stratum"},
                {"--add-unit", "STRATUM:CODE:AREA", "add a new cutting unit to a stratum"},
                {"--remove-unit", "STRATUM:CODE", "remove a cutting unit from a stratum"},
                {"--lock", "STRATUM", "lock a stratum so that neither optimisation changes it"},
                {"--optimize", "ERROR", "Optimize For Error: sizes for a target sale error in percent"},
                {"--optimize-cost", "ERROR",
                 "Optimize At Least Cost: the cheapest sizes whose sale error is at most ERROR %, "
                 "with what Optimize For Error would cost (JSON: least_cost)"},
                {"--save-design", "ID", "save the design under a name"},
                {"--load-design", "ID", "load a saved design"},
                {"--remove-design", "ID", "remove a saved design"},
                {"--list-designs", "", "list the saved designs"},
                {"--tradeoff", "", "cost against sale error for targets of 2 to 30 %, by both optimisations"},
                {"--compare", "current,ID,...,proposal:K,best",
                 "the designs side by side: the current one, saved ones, advised strata"},
                {"--error", "E", "with --compare: the target sale error the proposals are sized for"},
                {"--csv", "OUT", "with --compare: write the comparison as CSV to OUT"},
                {"--return", "", "write the design back as Return does (the default)"},
                {"--exit", "", "close without the write-back, as Exit does: the next compile rebuilds the design"}}}};

}  // namespace

}  // namespace cli
