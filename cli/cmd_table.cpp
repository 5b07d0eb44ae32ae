// table: any table of a cruise file (or of any Metakit file) through the grid model,
// shown as text or JSON, or written as CSV or as a paged PDF.
#include <algorithm>
#include <ostream>

#include "command_line.h"
#include "commands.h"
#include "grid/grid_export.h"
#include "grid/grid_model.h"
#include "grid/pdf_canvas.h"
#include "json_writer.h"
#include "mk/mk.h"

namespace {

constexpr const char* kUsage =
    "usage: strovan-cli table FILE TABLE [--json] [--csv OUT | --pdf OUT [--landscape]]\n";

// Typed values for JSON: numbers stay numbers at full precision.
void JsonCell(cli::JsonWriter& json, const grid::GridModel& g, const mk::View& view, int row, int col) {
    switch (view.Column(col).type) {
        case mk::Type::Int:
        case mk::Type::Long: json.Int(view.GetLong(row, col)); break;
        case mk::Type::Float:
        case mk::Type::Double: json.Double(view.GetDouble(row, col)); break;
        case mk::Type::String: json.String(view.GetString(row, col)); break;
        default: json.String(g.Text(col, row)); break;
    }
}

// Columns as wide as their widest text among the first rows (at most 40 characters).
void WriteText(std::ostream& out, const grid::GridModel& g) {
    int cols = g.ColumnCount();
    int64_t rows = g.RowCount();
    std::vector<size_t> width(cols);
    for (int c = 0; c < cols; ++c) {
        width[c] = g.Heading(c).size();
        for (int64_t r = 0; r < std::min<int64_t>(rows, 200); ++r) width[c] = std::max(width[c], g.Text(c, r).size());
        width[c] = std::min<size_t>(width[c], 40);
    }
    auto line = [&](auto&& text) {
        std::string s;
        for (int c = 0; c < cols; ++c) {
            std::string t = text(c);
            if (c + 1 < cols && t.size() < width[c]) t.resize(width[c], ' ');
            s += t;
            if (c + 1 < cols) s += "  ";
        }
        out << s << '\n';
    };
    line([&](int c) { return g.Heading(c); });
    for (int64_t r = 0; r < rows; ++r) line([&](int c) { return g.Text(c, r); });
}

int Table(const std::vector<std::string>& raw, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args = raw;
    cli::CommonOptions opts;
    std::string problem;
    if (!cli::CommonOptions::Extract(args, opts, problem))
        return cli::UsageError(err, problem, kUsage, "strovan-cli table");
    std::string csv, pdf;
    bool landscape = false;
    std::vector<std::string> pos;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--csv" || a == "--pdf") && i + 1 < args.size()) {
            (a == "--csv" ? csv : pdf) = args[++i];
        } else if (a == "--landscape") {
            landscape = true;
        } else if (a.rfind("--", 0) == 0) {
            err << "strovan-cli table: unknown option " << a << '\n' << kUsage;
            return cli::kExitUsage;
        } else {
            pos.push_back(a);
        }
    }
    if (pos.size() != 2 || (!csv.empty() && !pdf.empty())) {
        err << kUsage;
        return cli::kExitUsage;
    }
    const std::string& file = pos[0];
    const std::string& table = pos[1];
    auto ui = cli::MakeCommandUi(opts, out, err);

    auto fail = [&](const std::string& text) {
        if (opts.json) {
            cli::JsonWriter json(out);
            json.BeginObject().Field("file", file).Field("table", table).Field("ok", false)
                .Field("error", text).Messages("messages", ui->Messages()).EndObject();
        } else {
            err << "strovan-cli table: " << text << '\n';
        }
        return cli::kExitFailure;
    };

    auto storage = mk::Storage::Open(file, mk::OpenMode::ReadOnly);
    if (!storage) return fail(storage.error().message);
    std::string name;
    for (const std::string& v : storage->ViewNames())
        if (mk::SameName(v, table)) name = v;
    if (name.empty()) {
        std::string list;
        for (const std::string& v : storage->ViewNames()) list += (list.empty() ? "" : ", ") + v;
        return fail("no table " + table + " in " + file + " (tables: " + list + ")");
    }
    mk::View view = storage->GetView(name);
    grid::GridModel g;
    g.BindView(view, /*read_only=*/true);
    g.SetTitle(name);

    if (!pdf.empty()) {
        // Widths from the printed font, in screen pixels.
        grid::Font font = g.DefaultFont();
        g.FitColumnWidths([&](const std::string& s) {
            return static_cast<int>(grid::PdfCanvas::StandardTextWidth(s, font) * 96 / 72 + 0.5);
        });
        for (int c = 0; c < g.ColumnCount(); ++c) g.SetColumnWidth(c, std::min(g.ColumnWidth(c), 400));
        g.SetPrintMargins({15, 15, 10, 10});
        grid::PdfExportOptions po;
        po.landscape = landscape;
        grid::PrintResult result = grid::SavePdf(g, pdf, *ui, po);
        if (result != grid::PrintResult::Printed) {
            // Without --json the job's message has been shown already.
            if (!opts.json) return cli::kExitFailure;
            return fail(ui->Messages().empty() ? "nothing was printed" : ui->Messages().back().text);
        }
    } else if (!csv.empty()) {
        std::string why;
        if (!grid::SaveCsv(g, csv, why)) return fail(why);
    }

    if (opts.json) {
        cli::JsonWriter json(out);
        json.BeginObject().Field("file", file).Field("table", name).Field("ok", true);
        json.Key("row_count").Int(g.RowCount());
        if (!pdf.empty()) json.Field("pdf", pdf);
        if (!csv.empty()) json.Field("csv", csv);
        json.Key("columns").BeginArray();
        for (int c = 0; c < g.ColumnCount(); ++c)
            json.BeginObject().Field("name", g.Heading(c))
                .Field("type", std::string(1, static_cast<char>(view.Column(c).type))).EndObject();
        json.EndArray();
        if (pdf.empty() && csv.empty()) {
            json.Key("rows").BeginArray();
            for (int64_t r = 0; r < g.RowCount(); ++r) {
                json.BeginArray();
                for (int c = 0; c < g.ColumnCount(); ++c) JsonCell(json, g, view, static_cast<int>(r), c);
                json.EndArray();
            }
            json.EndArray();
        }
        json.Messages("messages", ui->Messages()).EndObject();
    } else if (pdf.empty() && csv.empty()) {
        WriteText(out, g);
    }
    return cli::kExitOk;
}

cli::CommandRegistrar tableCmd{cli::Command{
    .name = "table",
    .synopsis = "table FILE TABLE [--csv OUT | --pdf OUT [--landscape]]",
    .summary = "show a table of a cruise (or any Metakit) file, or write it as CSV or a paged PDF",
    .run = Table,
    .details = "The file is only read. --csv and --pdf follow a link and write its target; a folder,\n"
               "a device or a FIFO is refused.\n",
    .arguments = {{"FILE", "", "the cruise file (or any Metakit file)"}, {"TABLE", "", "the table's name"}},
    .options = {{"--csv", "OUT", "write the table as comma-separated text"},
                {"--pdf", "OUT", "print the table into a paged PDF"},
                {"--landscape", "", "print the PDF across the page"}}}};

}  // namespace
