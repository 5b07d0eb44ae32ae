// report: any report of a cruise file, as its saved text, a paged PDF, or JSON with
// every cell (row, column, span and text) so a report can be checked without a display.
#include <ostream>

#include "command_line.h"
#include "commands.h"
#include "grid/grid_print.h"
#include "json_writer.h"
#include "mk/mk.h"
#include "reports/report_window.h"
#include "reports/reports.h"

namespace {

constexpr const char* kUsage =
    "usage: strovan-cli report FILE.crz --kind summary|kelvane|mirtel|recon-current|recon-all "
    "[--text OUT.txt] [--pdf OUT.pdf] [--json]\n";

void JsonCells(cli::JsonWriter& json, const reports::ReportGrid& rep) {
    const grid::GridModel& g = rep.Grid();
    json.Key("cells").BeginArray();
    for (int64_t r = 0; r < g.RowCount(); ++r) {
        for (int c = 0; c < g.ColumnCount(); ++c) {
            auto span = g.SpanAt(c, r);
            if (span && (span->col0 != c || span->row0 != r)) continue;
            std::string text = rep.Raw(c, r);
            if (text.empty()) continue;
            json.BeginObject().Key("row").Int(r).Key("column").Int(c);
            json.Key("span").BeginObject()
                .Key("columns").Int(span ? span->col1 - span->col0 + 1 : 1)
                .Key("rows").Int(span ? span->row1 - span->row0 + 1 : 1)
                .EndObject();
            json.Field("text", text).EndObject();
        }
    }
    json.EndArray();
}

int Report(const std::vector<std::string>& raw, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args = raw;
    cli::CommonOptions opts;
    std::string problem;
    if (!cli::CommonOptions::Extract(args, opts, problem))
        return cli::UsageError(err, problem, kUsage, "strovan-cli report");
    std::string kindName, text, pdf;
    std::vector<std::string> pos;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--kind" || a == "--text" || a == "--pdf") && i + 1 < args.size()) {
            (a == "--kind" ? kindName : a == "--text" ? text : pdf) = args[++i];
        } else if (a.rfind("--", 0) == 0) {
            err << "strovan-cli report: unknown option " << a << '\n' << kUsage;
            return cli::kExitUsage;
        } else {
            pos.push_back(a);
        }
    }
    reports::ReportKind kind;
    if (pos.size() != 1 || !reports::KindFromName(kindName, kind)) {
        err << kUsage;
        return cli::kExitUsage;
    }
    const std::string& file = pos[0];
    auto ui = cli::MakeCommandUi(opts, out, err);

    auto fail = [&](const std::string& why) {
        if (opts.json) {
            cli::JsonWriter json(out);
            json.BeginObject().Field("file", file).Field("kind", kindName).Field("ok", false)
                .Field("error", why).Messages("messages", ui->Messages()).EndObject();
        } else {
            err << "strovan-cli report: " << why << '\n';
        }
        return cli::kExitFailure;
    };

    auto storage = mk::Storage::Open(file, mk::OpenMode::ReadOnly);
    if (!storage) return fail(storage.error().message);
    reports::ReportInputs inputs = reports::ReadReportInputs(*storage);
    std::unique_ptr<reports::ReportGrid> rep = reports::BuildReport(kind, inputs);
    if (!rep) return fail("the report could not be built");

    if (!text.empty()) {
        if (!reports::CanSaveText(kind)) return fail("This report cannot be saved to a file.");
        std::string why;
        if (!reports::SaveReportText(*rep, text, why)) return fail(why);
    }
    if (!pdf.empty()) {
        grid::PrintResult r = reports::ExportReportPdf(*rep, kind, pdf, *ui);
        if (r != grid::PrintResult::Printed) {
            if (!opts.json) return cli::kExitFailure;  // the job's message was shown
            return fail(ui->Messages().empty() ? "nothing was printed" : ui->Messages().back().text);
        }
    }

    if (opts.json) {
        const grid::GridModel& g = rep->Grid();
        cli::JsonWriter json(out);
        json.BeginObject().Field("file", file).Field("kind", kindName).Field("ok", true)
            .Field("title", reports::WindowTitle(kind));
        if (!text.empty()) json.Field("text_file", text);
        if (!pdf.empty()) json.Field("pdf", pdf);
        if (!rep->Notice().empty()) json.Field("notice", rep->Notice());
        json.Key("column_widths").BeginArray();
        for (int c = 0; c < g.ColumnCount(); ++c) json.Int(g.ColumnWidth(c));
        json.EndArray();
        json.Key("row_count").Int(g.RowCount());
        JsonCells(json, *rep);
        json.Messages("messages", ui->Messages()).EndObject();
    } else if (text.empty() && pdf.empty()) {
        rep->WriteText(out);
    }
    return cli::kExitOk;
}

cli::CommandRegistrar reportCmd{cli::Command{
    .name = "report",
    .synopsis = "report FILE.crz --kind summary|kelvane|mirtel|recon-current|recon-all [--text OUT.txt] "
                "[--pdf OUT.pdf]",
    .summary = "build a report of a cruise file: its text, a paged PDF, or every cell as JSON",
    .run = Report,
    .details = "The cruise file is only read. --text and --pdf follow a link and write its target;\n"
               "a folder, a device or a FIFO is refused.\n",
    .arguments = {{"FILE.crz", "", "the cruise file holding the design"}},
    .options = {{"--kind", "summary|kelvane|mirtel|recon-current|recon-all",
                 "the design summary, the Kelvane or Mirtel setup forms, or the recon sample sizes of the "
                 "current design or of all methods"},
                {"--text", "OUT.txt", "save the report as text (not the kelvane and mirtel forms)"},
                {"--pdf", "OUT.pdf", "print the report into a paged PDF"}}}};

}  // namespace
