// `compile` on a production cruise: the statistics the cruise achieved, written as
// the file's design and shown per stratum and sample group with the tallies they
// came from.
#include <cstdio>
#include <ostream>

#include "app/cruise_file.h"
#include "app/settings.h"
#include "command_line.h"
#include "commands.h"
#include "compile_dispatch.h"
#include "design/stratum.h"
#include "json_writer.h"
#include "stats/production.h"
#include "store/config.h"
#include "store/schema.h"

namespace cli {

namespace {

std::string Fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

void WriteJson(JsonWriter& j, const std::string& path, const std::string& uom, int result, bool committed,
               const stats::ProductionReport& rep, const ui::ScriptedUi& ui) {
    j.BeginObject();
    j.Field("file", path);
    j.Field("type", schema::kTypeProduction);
    j.Field("uom", uom);
    j.Field("result", result);
    j.Field("committed", committed);
    std::vector<design::StratumRow> rows;
    j.Key("strata").BeginArray();
    for (const auto& s : rep.strata) {
        const design::StratumRow& r = s.row;
        rows.push_back(r);
        j.BeginObject();
        j.Field("Stratum", r.stratum);
        j.Field("CruzMeth", r.cruzMeth);
        j.Field("Description", r.description);
        j.Field("Units", r.units);
        j.Field("TotAcres", r.totAcres);
        j.Field("acresMissing", s.acresMissing);
        j.Field("TotCircum", r.totCircum);
        j.Field("Error", r.error);
        j.Field("SumN", r.sumN);
        j.Field("SumN2", r.sumN2);
        j.Field("WtCV", r.wtCV);
        j.Field("WtCV2", r.wtCV2);
        j.Field("Trees/Acre", r.treesAcre);
        j.Field("Vol/Acre", r.volAcre);
        j.Field("TotalVol", r.totalVol);
        j.Field("StrCost", r.strCost);
        j.Field("Trees/Plot", r.treesPlot);
        j.Field("PlotSpacing", r.plotSpacing);
        j.Field("PlotSize", r.plotSize);
        j.Key("groups").BeginArray();
        for (const auto& g : s.groups) {
            const design::SgRow& x = g.row;
            j.BeginObject();
            j.Field("SgCode", x.sgCode);
            j.Field("SgCV", x.sgCV);
            j.Field("SgCV2", x.sgCV2);
            j.Field("SgN", x.sgN);
            j.Field("SgN2", x.sgN2);
            j.Field("SgErr", x.sgErr);
            j.Field("Trees/Acre", x.treesAcre);
            j.Field("Vol/Acre", x.volAcre);
            j.Field("Trees/Plot", x.treesPlot);
            j.Field("C", x.c);
            j.Field("C2", x.c2);
            j.Field("T", x.t);
            j.Field("V", x.v);
            j.Key("tallies").BeginObject();
            j.Field("N", g.tallies.n);
            j.Field("SumKPI", g.tallies.sumKpi);
            j.Field("m", g.tallies.m);
            j.Field("n", g.plots);
            j.EndObject();
            j.EndObject();
        }
        j.EndArray();
        j.EndObject();
    }
    j.EndArray();
    design::SaleTotals sale = design::SaleErrorAndCost(rows);
    j.Field("saleError", sale.error);
    j.Field("cost", sale.cost);
    j.Messages("messages", ui.Messages());
    j.EndObject();
}

void WriteText(std::ostream& out, const stats::ProductionReport& rep) {
    std::vector<design::StratumRow> rows;
    for (const auto& s : rep.strata) {
        const design::StratumRow& r = s.row;
        rows.push_back(r);
        out << "Stratum " << r.stratum << " (" << r.cruzMeth << "), " << Fixed(r.totAcres, 1) << " acres"
            << (s.acresMissing ? " (no acres in its units)" : "") << ": error " << Fixed(r.error, 2) << " %, CV "
            << Fixed(r.wtCV, 3) << " / " << Fixed(r.wtCV2, 3) << ", n " << r.sumN << " / " << r.sumN2 << ", "
            << Fixed(r.treesAcre, 1) << " trees/acre, " << Fixed(r.volAcre, 1) << " vol/acre, cost "
            << Fixed(r.strCost, 1) << '\n';
        for (const auto& g : s.groups) {
            const design::SgRow& x = g.row;
            out << "  " << (x.sgCode.empty() ? "(none)" : x.sgCode) << ": CV " << Fixed(x.sgCV, 3) << " [" << x.c
                << "] / " << Fixed(x.sgCV2, 3) << " [" << x.c2 << "], n " << x.sgN << " / " << x.sgN2 << ", error "
                << Fixed(x.sgErr, 2) << " %, " << Fixed(x.treesAcre, 1) << " [" << x.t << "] trees/acre, "
                << Fixed(x.volAcre, 1) << " [" << x.v << "] vol/acre, " << Fixed(x.treesPlot, 1)
                << " trees/plot; N " << g.tallies.n << ", SumKPI " << g.tallies.sumKpi << ", m " << g.tallies.m
                << ", n " << g.plots << '\n';
        }
    }
    design::SaleTotals sale = design::SaleErrorAndCost(rows);
    out << "Sale error " << design::FormatSaleError(sale.error) << " %, cost " << design::FormatCost(sale.cost)
        << '\n';
}

int RunProduction(const std::string& path, const std::vector<std::string>& args, std::ostream& out,
                  std::ostream& err) {
    std::vector<std::string> rest = args;
    CommonOptions opts;
    std::string error;
    if (!CommonOptions::Extract(rest, opts, error)) return UsageError(err, error, {}, "compile");
    if (!rest.empty()) {
        err << "compile: unknown argument '" << rest.front() << "'\nusage: strovan-cli compile FILE.crz [--json]\n";
        return kExitUsage;
    }
    auto ui = MakeCommandUi(opts, out, err);
    stats::ProductionReport rep;
    std::string uom = schema::kUomCubicFeet;
    int result = -1;
    bool committed = false;
    {
        app::CruiseFile file(*ui);
        if (file.Open(path)) {
            // A file without a unit is cubic, as the main window takes it.
            uom = store::GetSetting(file.Storage(), schema::kBlockStrovan, schema::kKeyUOM)
                      .value_or(schema::kUomCubicFeet);
            app::CostFigures costs;
            if (file.Storage().HasView(schema::kGlobalConfigurationTable))
                costs = app::ComputeCostFigures(app::ReadCostValues(file.Config()));
            result = stats::CompileProductionStatistics(file.Storage(), uom, costs, &rep);
            if (result == 0) committed = file.Commit();
            else ui->Error(stats::ProductionResultMessage(result, uom), "Error");
        }
    }
    if (opts.json) {
        JsonWriter j(out);
        WriteJson(j, path, uom, result, committed, rep, *ui);
    } else if (committed) {
        WriteText(out, rep);
    }
    return committed ? kExitOk : kExitFailure;
}

const ProductionCompilerRegistrar kRegistrar{RunProduction};

}  // namespace

}  // namespace cli
