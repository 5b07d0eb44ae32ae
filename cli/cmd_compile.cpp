// `compile`: the design processing's compilation on a cruise file, without the design
// form. A Design or Recon cruise gets the recon compilation with the file's own unit
// of measure and cost settings; a Production cruise goes to the production statistics.
#include <cstdio>
#include <map>
#include <ostream>

#include "app/cruise_file.h"
#include "app/main_dialog.h"
#include "command_line.h"
#include "commands.h"
#include "compile_dispatch.h"
#include "json_writer.h"
#include "stats/recon_compiler.h"
#include "stats/recon_tables.h"
#include "store/config.h"
#include "store/file_checker.h"
#include "store/schema.h"
#include "store/unit_of_work.h"

namespace cli {

namespace {

constexpr const char* kUsage = "usage: strovan-cli compile FILE.crz [--json] [--all-methods]\n";

void StratumJson(JsonWriter& j, const design::StratumRow& s) {
    j.Field("Stratum", s.stratum)
        .Field("CruzMeth", s.cruzMeth)
        .Field("Description", s.description)
        .Field("Units", s.units)
        .Field("TotAcres", s.totAcres)
        .Field("TotCircum", s.totCircum)
        .Field("Error", s.error)
        .Field("SumN", s.sumN)
        .Field("SumN2", s.sumN2)
        .Field("WtCV", s.wtCV)
        .Field("WtCV2", s.wtCV2)
        .Field("Trees/Acre", s.treesAcre)
        .Field("Vol/Acre", s.volAcre)
        .Field("TotalVol", s.totalVol)
        .Field("Trees/Plot", s.treesPlot)
        .Field("PlotSpacing", s.plotSpacing)
        .Field("PlotSize", s.plotSize)
        .Field("StrCost", s.strCost);
}

void SgJson(JsonWriter& j, const design::SgRow& g) {
    j.Field("Stratum", g.stratum)
        .Field("SgCode", g.sgCode)
        .Field("Description", g.description)
        .Field("SgErr", g.sgErr)
        .Field("SgN", g.sgN)
        .Field("SgN2", g.sgN2)
        .Field("SgCV", g.sgCV)
        .Field("SgCV2", g.sgCV2)
        .Field("Trees/Acre", g.treesAcre)
        .Field("Vol/Acre", g.volAcre)
        .Field("Freq", g.freq)
        .Field("KZ", g.kz)
        .Field("Trees/Plot", g.treesPlot)
        .Field("AvgHt", g.avgHt)
        .Field("BigBaf", g.bigBaf)
        .Field("C", g.c)
        .Field("C2", g.c2)
        .Field("T", g.t)
        .Field("V", g.v);
}

std::string Num(const char* fmt, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

void PrintSg(std::ostream& out, const design::SgRow& g, const char* indent) {
    out << indent << "SG " << (g.sgCode.empty() ? "(none)" : g.sgCode) << ": CV " << Num("%g", g.sgCV);
    if (g.sgCV2 != 0) out << '/' << Num("%g", g.sgCV2);
    out << ", n " << g.sgN;
    if (g.sgN2 != 0) out << '/' << g.sgN2;
    out << ", error " << Num("%g", g.sgErr) << "%, trees/acre " << Num("%g", g.treesAcre) << ", vol/acre "
        << Num("%g", g.volAcre) << ", freq " << g.freq << ", KZ " << g.kz << ", marks " << g.c << g.c2 << g.t
        << g.v << '\n';
}

void PrintStratum(std::ostream& out, const design::StratumRow& s) {
    out << "Stratum " << s.stratum << " " << s.cruzMeth << ": " << Num("%g", s.totAcres) << " acres, error "
        << Num("%g", s.error) << "%, n " << s.sumN;
    if (s.sumN2 != 0) out << '/' << s.sumN2;
    out << ", CV " << Num("%g", s.wtCV) << ", total volume " << Num("%.1f", s.totalVol) << ", cost "
        << Num("%.1f", s.strCost) << '\n';
}

int Run(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args = argv;
    CommonOptions opts;
    std::string problem;
    if (!CommonOptions::Extract(args, opts, problem)) return UsageError(err, problem, kUsage);
    bool allMethods = false;
    std::vector<std::string> pos;
    for (const std::string& a : args) {
        if (a == "--all-methods") allMethods = true;
        else if (a.rfind("--", 0) == 0) {
            err << "strovan-cli: unknown option " << a << '\n' << kUsage;
            return kExitUsage;
        } else pos.push_back(a);
    }
    if (pos.size() != 1) {
        err << kUsage;
        return kExitUsage;
    }
    const std::string& path = pos[0];
    auto ui = MakeCommandUi(opts, out, err);

    // What the command did, for the closing report.
    std::string outcome = "refused";
    int code = kExitFailure;
    int recon = -1;
    std::vector<std::string> warnings, compiled;
    std::vector<design::StratumRow> design, methodsOut;
    std::vector<stats::MethodRow> methods;
    std::vector<design::SgRow> designSgs;
    std::vector<stats::MethodSgRow> methodSgs;
    std::string uom;

    [&] {
        store::CFileChecker checker(*ui, "");
        int checked = checker.CheckCruiseFile(path, ".crz");
        if (checked == 1) app::ReportNotCruiseFile(*ui, path);
        if (checked != 0) return;
        app::CruiseFile file(*ui);
        if (!file.Open(path)) return;
        mk::Storage& s = file.Storage();
        // The run is one step: the type, the compilation and the update flag land
        // together, or nothing does.
        store::UnitOfWork step(s);
        if (!opts.answer && !store::GetSetting(s, schema::kBlockStrovan, schema::kKeyType) &&
            s.HasView(schema::kTreeTable) && s.GetView(schema::kTreeTable).RowCount() > 0) {
            // Either answer would write a type; unattended, neither is safe to guess.
            ui->Error("The file does not say whether its trees are recon data.\nGive --yes for a recon cruise "
                      "or --no for a production cruise.",
                      "Error");
            return;
        }
        bool processed = false;
        int type = app::CheckCruiseType(*ui, s, std::nullopt, processed);
        if (type < 0) return;
        if (type == 1) {
            if (step.Complete()) outcome = "production";
            return;
        }
        uom = store::GetSetting(s, schema::kBlockStrovan, schema::kKeyUOM).value_or(schema::kUomCubicFeet);
        if (uom.empty()) uom = schema::kUomCubicFeet;
        const app::CostFigures costs = app::ComputeCostFigures(app::ReadCostValues(s));
        stats::ReconCompiler compiler(s, *ui, uom, costs, 0);
        recon = compiler.Compile();
        warnings = compiler.Warnings();
        compiled = compiler.CompiledStrata();
        if (recon == stats::kReconNoStrata) ui->Error(stats::kNoStrataText, "Error");
        if (recon == stats::kReconZeroAcres) ui->Error(stats::kZeroAcresText, "Error");
        if (recon == stats::kReconCommitFailed) ui->Error("The cruise file could not be saved.", "File Error");
        if (recon != stats::kReconDone) return;
        // The design tables now match the setup.
        store::SetSetting(s, schema::kBlockStrovan, schema::kKeyUpdateFlag, schema::kFlagNo);
        if (!step.Complete()) {
            ui->Error("The cruise file could not be saved.", "File Error");
            return;
        }
        design = stats::ReadDesignRows(s.GetView(schema::kSVDesignTable));
        designSgs = stats::ReadDesignSgRows(s.GetView(schema::kSVDesignSgTable));
        if (allMethods) {
            methods = stats::ReadMethodRows(s.GetView(schema::kSVMethodsTable));
            methodSgs = stats::ReadMethodSgRows(s.GetView(schema::kSVMethodsSgTable));
        }
        outcome = "done";
        code = kExitOk;
    }();

    if (outcome == "production") {
        if (ProductionCompiler()) {
            // The production side takes the common options; every method is a recon notion.
            std::vector<std::string> rest;
            for (const std::string& a : argv)
                if (a != path && a != "--all-methods") rest.push_back(a);
            return ProductionCompiler()(path, rest, out, err);
        }
        ui->Error("Production statistics are not available in this version of Strovan.", "Error");
        outcome = "refused";
    }

    // Sample groups of each (stratum, method), in table order.
    std::map<std::pair<std::string, std::string>, std::vector<const stats::MethodSgRow*>> bySg;
    for (const stats::MethodSgRow& g : methodSgs) bySg[{g.sg.stratum, g.cruzMeth}].push_back(&g);

    if (opts.json) {
        JsonWriter j(out);
        j.BeginObject().Field("file", path).Field("result", outcome);
        if (recon >= 0) j.Field("code", recon);
        j.Field("uom", uom);
        j.Key("compiledStrata").BeginArray();
        for (const std::string& c : compiled) j.String(c);
        j.EndArray();
        j.Key("warnings").BeginArray();
        for (const std::string& w : warnings) j.String(w);
        j.EndArray();
        if (code == kExitOk) {
            j.Key("design").BeginObject().Key("strata").BeginArray();
            for (const design::StratumRow& s : design) {
                j.BeginObject();
                StratumJson(j, s);
                j.EndObject();
            }
            j.EndArray().Key("sampleGroups").BeginArray();
            for (const design::SgRow& g : designSgs) {
                j.BeginObject();
                SgJson(j, g);
                j.EndObject();
            }
            j.EndArray().EndObject();
            if (allMethods) {
                j.Key("methods").BeginArray();
                for (const stats::MethodRow& m : methods) {
                    j.BeginObject();
                    StratumJson(j, m.s);
                    j.Field("Select", m.select);
                    j.Key("sampleGroups").BeginArray();
                    for (const stats::MethodSgRow* g : bySg[{m.s.stratum, m.s.cruzMeth}]) {
                        j.BeginObject();
                        SgJson(j, g->sg);
                        j.Field("MTrees", g->mTrees).Field("MPlots", g->mPlots);
                        j.EndObject();
                    }
                    j.EndArray().EndObject();
                }
                j.EndArray();
            }
        }
        j.Messages("messages", ui->Messages());
        j.EndObject();
        return code;
    }
    if (code != kExitOk) return code;
    out << "Compiled " << path << " (" << (uom == schema::kUomBoardFeet ? "board feet" : "cubic feet") << ")\n";
    out << "Strata compiled in this run: " << compiled.size() << '\n';
    out << "Design:\n";
    for (const design::StratumRow& s : design) {
        PrintStratum(out, s);
        for (const design::SgRow& g : designSgs)
            if (g.stratum == s.stratum) PrintSg(out, g, "  ");
    }
    if (allMethods) {
        out << "All methods:\n";
        for (const stats::MethodRow& m : methods) {
            PrintStratum(out, m.s);
            for (const stats::MethodSgRow* g : bySg[{m.s.stratum, m.s.cruzMeth}]) {
                PrintSg(out, g->sg, "  ");
                out << "    trees used " << g->mTrees << ", plots used " << g->mPlots << '\n';
            }
        }
    }
    return code;
}

const CommandRegistrar kCompile{Command{
    .name = "compile",
    .synopsis = "compile FILE.crz [--all-methods]",
    .summary = "compile the recon (or production) data into the design tables",
    .run = Run,
    .details = "A refused compilation leaves the file as it was. A file that does not say\n"
               "whether its trees are recon data is asked about: --yes for a recon\n"
               "cruise, --no for a production cruise; without either it is refused.\n",
    .arguments = {{"FILE.crz", "", "the cruise file"}},
    .options = {{"--all-methods", "", "show the statistics of every cruise method, not only the chosen ones"}}}};

}  // namespace

}  // namespace cli
