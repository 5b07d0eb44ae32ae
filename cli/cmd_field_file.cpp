// field-file: "Make Kelvane" from the command line. The design form's own command runs
// with the choices its dialogs would ask for given as options.
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <ostream>

#include "app/settings.h"
#include "app/step_hooks.h"
#include "command_line.h"
#include "commands.h"
#include "design/data_warnings.h"
#include "json_writer.h"
#include "mk/mk.h"
#include "output/field_file.h"
#include "output/field_file_forms.h"
#include "output/forwarding_ui.h"
#include "store/cruise_store.h"
#include "store/file_checker.h"
#include "store/schema.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: strovan-cli field-file FILE.crz OUT.crz [--purpose TEXT] [--recon-strata 1,3|none]\n"
    "       [--autofill N|none] [--sale-name TEXT] [--cruise N] [--sale N] [--yes | --no] [--json]\n"
    "  --purpose       TS, CC, ROW, OTH or the list entry (\"Timber Sale\", ...)\n"
    "  --recon-strata  recon strata whose plots are carried over (default none)\n"
    "  --autofill      which of several species default rows to take, from 1 (default none)\n"
    "  --yes           answer questions with Yes and replace an existing OUT.crz\n";

struct Choices {
    std::optional<std::string> purpose;  // an entry of the purpose list
    std::vector<std::string> recon;      // recon strata to tick
    int autofill = 0;                    // 1-based row of several defaults; 0 none
    std::optional<std::string> sale_name, cruise, sale;
};

// "TS" or "Timber Sale" (any case) gives "Timber Sale".
std::optional<std::string> PurposeEntry(const std::string& text) {
    static const char* const codes[] = {"TS", "CC", "ROW", "OTH"};
    auto lower = [](std::string s) {
        for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    for (size_t i = 0; i < ui::kPurposeEntries.size(); ++i)
        if (lower(text) == lower(ui::kPurposeEntries[i]) || lower(text) == lower(codes[i]))
            return std::string(ui::kPurposeEntries[i]);
    return std::nullopt;
}

std::vector<std::string> SplitComma(const std::string& text) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : text + ",") {
        if (c == ',') {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else if (c != ' ') {
            cur += c;
        }
    }
    return out;
}

bool ParseChoices(const std::vector<std::string>& args, Choices& ch, std::vector<std::string>& pos,
                  std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            pos.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) {
            err << "strovan-cli: missing value for " << a << '\n';
            return false;
        }
        const std::string& v = args[++i];
        if (a == "--purpose") {
            ch.purpose = PurposeEntry(v);
            if (!ch.purpose) {
                err << "strovan-cli: --purpose is one of TS, CC, ROW, OTH (or \"Timber Sale\", "
                       "\"Check Cruise\", \"Right of Way\", \"Other\")\n";
                return false;
            }
        } else if (a == "--recon-strata") {
            ch.recon = v == "none" ? std::vector<std::string>{} : SplitComma(v);
        } else if (a == "--autofill") {
            if (v == "none") {
                ch.autofill = 0;
            } else {
                char* end = nullptr;
                long n = std::strtol(v.c_str(), &end, 10);
                if (end == v.c_str() || *end || n < 1 || n > 100000) {
                    err << "strovan-cli: --autofill wants a row number from 1 or none\n";
                    return false;
                }
                ch.autofill = static_cast<int>(n);
            }
        } else if (a == "--sale-name") {
            ch.sale_name = v;
        } else if (a == "--cruise") {
            ch.cruise = v;
        } else if (a == "--sale") {
            ch.sale = v;
        } else {
            err << "strovan-cli: unknown option " << a << '\n';
            return false;
        }
    }
    return true;
}

// Plays the user in front of the two selection lists.
class ChoicesUi : public output::ForwardingUi {
public:
    ChoicesUi(ui::UiPort& inner, const Choices& ch) : ForwardingUi(inner), ch_(ch) {}
    bool RunForm(ui::Form& form) override {
        if (auto* recon = dynamic_cast<output::ReconStrataForm*>(&form)) {
            recon->SelectStrata(ch_.recon);
            return true;
        }
        if (auto* pick = dynamic_cast<output::AutoFillChoiceForm*>(&form)) {
            if (ch_.autofill < 1 || !pick->Choose(ch_.autofill - 1)) {
                skipped_defaults.push_back(pick->species + "/" + pick->prod + "/" + pick->ld);
                return false;
            }
            return true;
        }
        return ForwardingUi::RunForm(form);
    }
    std::vector<std::string> skipped_defaults;

private:
    const Choices& ch_;
};

std::vector<design::SgRow> Marks(mk::Storage& s) {
    std::vector<design::SgRow> rows;
    mk::View v = s.GetView(schema::kSVDesignSgTable);
    for (int r = 0; r < v.RowCount(); ++r) {
        design::SgRow row;
        row.c = v.GetString(r, "C");
        row.c2 = v.GetString(r, "C2");
        row.t = v.GetString(r, "T");
        row.v = v.GetString(r, "V");
        row.stratum = v.GetString(r, "Stratum");
        row.sgCode = v.GetString(r, "SgCode");
        rows.push_back(std::move(row));
    }
    return rows;
}

// A column of a made table and how it is written: text, a number, a whole number.
struct JsonColumn {
    const char* name;
    char kind;  // 'S', 'D', 'I'
};

void JsonTableRows(JsonWriter& j, const char* key, mk::Storage* made, const char* table,
                   std::initializer_list<JsonColumn> columns) {
    j.Key(key).BeginArray();
    if (made) {
        mk::View v = made->GetView(table);
        for (int r = 0; r < v.RowCount(); ++r) {
            j.BeginObject();
            for (const JsonColumn& c : columns) {
                if (c.kind == 'D') j.Field(c.name, v.GetDouble(r, c.name));
                else if (c.kind == 'I') j.Field(c.name, v.GetInt(r, c.name));
                else j.Field(c.name, v.GetString(r, c.name));
            }
            j.EndObject();
        }
    }
    j.EndArray();
}

void WriteJson(std::ostream& out, const std::string& source, const std::string& target, bool created,
               mk::Storage* made, const ChoicesUi& choices, const ui::ScriptedUi& ui) {
    JsonWriter j(out);
    j.BeginObject();
    j.Field("source", source).Field("output", target).Field("created", created);
    j.Key("tables").BeginArray();
    if (made)
        for (const auto& name : made->ViewNames())
            j.BeginObject().Field("name", name).Field("rows", made->GetView(name).RowCount()).EndObject();
    j.EndArray();
    JsonTableRows(j, "strata", made, schema::kStratumTable,
                  {{"Stratum", 'S'}, {"CruzMeth", 'S'}, {"Units", 'S'}, {"BAF", 'D'}, {"FPSize", 'D'},
                   {"Month", 'I'}, {"Year", 'I'}, {"Description", 'S'}});
    JsonTableRows(j, "subpopulations", made, schema::kSubPopulationTable,
                  {{"Stratum", 'S'}, {"SG", 'S'}, {"Sp", 'S'}, {"ProdP", 'S'}, {"LD", 'S'}, {"Freq", 'I'},
                   {"KZ", 'I'}, {"key", 'S'}, {"Description", 'S'}, {"UOMP", 'S'}});
    j.Key("defaults_not_chosen").BeginArray();
    for (const auto& c : choices.skipped_defaults) j.String(c);
    j.EndArray();
    j.Messages("messages", ui.Messages());
    j.EndObject();
}

int RunFieldFileCommand(const std::vector<std::string>& all_args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args = all_args;
    CommonOptions opts;
    std::string error;
    if (!CommonOptions::Extract(args, opts, error)) return UsageError(err, error, kUsage);
    Choices ch;
    std::vector<std::string> pos;
    if (!ParseChoices(args, ch, pos, err) || pos.size() != 2) {
        err << kUsage;
        return kExitUsage;
    }
    const std::string& source = pos[0];
    const std::string& target = pos[1];
    auto ui = MakeCommandUi(opts, out, err);
    ChoicesUi choices(*ui, ch);
    bool created = false;
    auto finish = [&](int code) {
        std::optional<mk::Storage> made;
        if (created) {
            auto s = mk::Storage::Open(target, mk::OpenMode::ReadOnly);
            if (s) made = std::move(*s);
        }
        if (opts.json) {
            WriteJson(out, source, target, created, made ? &*made : nullptr, choices, *ui);
        } else if (made) {
            out << "Tables:\n";
            for (const auto& name : made->ViewNames())
                out << "  " << name << ": " << made->GetView(name).RowCount() << " rows\n";
            for (const auto& c : choices.skipped_defaults) out << "No defaults chosen for " << c << '\n';
        }
        return code;
    };

    std::error_code ec;
    if (std::filesystem::exists(target, ec) && !output::SameFile(source, target) && opts.answer != true) {
        ui->Error("The File " + target + " already exists.\nGive --yes to replace it.");
        return finish(kExitFailure);
    }
    store::CFileChecker checker(*ui, "");
    if (checker.CheckCruiseFile(source, ".crz") != 0) {
        ui->Error("The File " + source + " is not a cruise file that can be used.", "File Error");
        return finish(kExitFailure);
    }
    store::CCruiseStore store(*ui);
    if (store.Open(source) != 0) return finish(kExitFailure);
    mk::Storage& storage = *store.Storage();

    if (!ch.recon.empty()) {
        mk::View recon = storage.GetView(schema::kStratumTable);
        for (const auto& code : ch.recon) {
            bool offered = false;
            for (int r = 0; r < recon.RowCount() && !offered; ++r) {
                std::string m = recon.GetString(r, "CruzMeth");
                offered = recon.GetString(r, "Stratum") == code && (m == "PNT" || m == "FIX");
            }
            if (!offered) {
                ui->Error("Recon stratum " + code + " is not a PNT or FIX stratum of " + source + ".");
                return finish(kExitFailure);
            }
        }
    }
    if (!design::ConfirmDataWarnings(Marks(storage), choices)) return finish(kExitFailure);

    app::DesignFormInputs in;
    in.path = source;
    if (storage.HasView(schema::kGlobalConfigurationTable))
        in.cost_values = app::ReadCostValues(storage.GetView(schema::kGlobalConfigurationTable));
    ui->PushFileName(target);
    ui->PushNewCruise(ui::ScriptedUi::Submit([&ch](ui::NewCruiseForm& form) {
        ui::SaleFields& f = form.Fields();
        if (ch.sale) f.sale_no = *ch.sale;
        if (ch.cruise) f.cruise_no = *ch.cruise;
        if (ch.sale_name) f.sale_name = *ch.sale_name;
        if (ch.purpose) form.OnPurposeChosen(*ch.purpose);
    }));
    const auto& hook = app::Hooks().field_file;
    int rc = hook ? hook(choices, store, in) : 1;
    store.Close();
    created = rc == 0;
    return finish(created ? kExitOk : kExitFailure);
}

CommandRegistrar field_file_reg{Command{
    .name = "field-file",
    .synopsis = "field-file FILE.crz OUT.crz [OPTIONS]",
    .summary = "write the design of a cruise file into a new cruise file for the field program",
    .run = RunFieldFileCommand,
    .details = "The cruise file is only read. Questions (invalid values in the design, a setup\n"
               "changed since the last compile, other points to check before the field) are\n"
               "answered No without --yes: nothing is written. An existing OUT.crz is replaced\n"
               "only with --yes; a link is followed and its target written; a folder, a device or\n"
               "a FIFO is refused.\n",
    .arguments = {{"FILE.crz", "", "the cruise file holding the design"},
                  {"OUT.crz", "", "the field cruise file to write"}},
    .options = {{"--purpose", "TEXT", "TS, CC, ROW, OTH or the list entry (\"Timber Sale\", ...)"},
                {"--recon-strata", "1,3|none", "recon strata whose plots are carried over (default none)"},
                {"--autofill", "N|none", "which of several species default rows to take, from 1 (default none)"},
                {"--sale-name", "TEXT", "sale name of the field file (default: the cruise file's)"},
                {"--cruise", "N", "cruise number of the field file"},
                {"--sale", "N", "sale number of the field file"}}}};

}  // namespace
}  // namespace cli
