#include "output/field_file.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

#include "design/rows.h"
#include "output/field_file_forms.h"
#include "output/field_file_parts.h"
#include "output/forwarding_ui.h"
#include "stats/key_index.h"
#include "store/config.h"
#include "store/output_path.h"
#include "store/cruise_store.h"
#include "store/schema.h"

namespace output {

namespace fs = std::filesystem;

namespace detail {

constexpr size_t kMaxListedLines = 25;

// Unit codes of a Units text: a comma ends a code, blanks are skipped.
std::vector<std::string> SplitUnits(const std::string& units) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : units) {
        if (c == ',') {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else if (c != ' ' && c != '\t') {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

std::string JoinKey(std::initializer_list<std::string_view> parts) {
    std::string k;
    bool first = true;
    for (auto p : parts) {
        if (!first) k += '\x1f';
        k.append(p);
        first = false;
    }
    return k;
}

std::string ListLines(const std::vector<std::string>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size() && i < kMaxListedLines; ++i) out += lines[i] + "\n";
    if (lines.size() > kMaxListedLines)
        out += "... and " + std::to_string(lines.size() - kMaxListedLines) + " more\n";
    return out;
}

// A table of the new file with the layout the source holds it in.
mk::Result<mk::View> SameLayout(mk::Storage& src, mk::Storage& dst, const std::string& name) {
    return dst.GetAs(name + "[" + src.Structure(name) + "]");
}

}  // namespace detail

using detail::JoinKey;
using detail::ListLines;
using detail::SameLayout;
using detail::SplitUnits;

namespace {

bool OneOf(const std::string& m, std::initializer_list<const char*> list) {
    for (const char* x : list)
        if (m == x) return true;
    return false;
}
bool IsTreeMethod(const std::string& m) { return OneOf(m, {"100", "STR", "3P", "S3P"}); }
// Tree methods whose groups are tallied by species: they get keys and species names.
bool IsTallyMethod(const std::string& m) { return OneOf(m, {"STR", "3P", "S3P"}); }
bool IsPointMethod(const std::string& m) {
    return OneOf(m, {"PNT", "P3P", "PCMTRE", "3PPNT", "PCM"});
}
bool IsFixedMethod(const std::string& m) { return OneOf(m, {"FIX", "F3P", "FCM"}); }
bool IsKnownMethod(const std::string& m) {
    return IsTreeMethod(m) || IsPointMethod(m) || IsFixedMethod(m);
}
bool WritesNoFreq(const std::string& m) { return OneOf(m, {"100", "PCMTRE", "FCM", "PCM"}); }
bool UsesFreq(const std::string& m) { return OneOf(m, {"STR", "S3P"}); }
bool UsesKz(const std::string& m) { return OneOf(m, {"3P", "S3P", "F3P", "P3P", "3PPNT"}); }

constexpr int kMaxTallyKeys = 61;  // "1"-"9", "a"-"z", "A"-"Z"

const char* const kMultipleDefaults =
    "Multiple Rows of Information For a Species/ProdP/LD Combination Found.\nPlease Select From "
    "the Following List.\n\n\nNote: You May Modify These Values Within Kelvane.";

// The columns of a sub-population row that come from the species defaults.
const char* const kDefaultColumns[] = {"UOMP",      "UOMS",     "ProdS",    "CL",     "CDefP",
                                       "HDefP",     "CDefS",    "HDefS",    "RecDefP", "YC",
                                       "ContrSpec", "TreeGrade", "MerchHtT", "MerchHtLL", "FC",
                                       "DBHBTR",    "AvgZForm", "TopDIBP",  "TopDIBS"};

// The seven cost settings the field file carries, in the order missing ones are added.
const char* const kFieldCostKeys[] = {schema::kKeyCrewPlot,  schema::kKeyCrewTree,
                                      schema::kKeyCntPlot,   schema::kKeyTrav,
                                      schema::kKeyTreeTally, schema::kKeyTreeMeas,
                                      schema::kKeyTree3P};

int CostIndex(const std::string& key) {
    const auto& keys = schema::CostKeys();
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i] == key) return static_cast<int>(i);
    return -1;
}

bool ValidCustomName(const std::string& value) {
    if (value.empty()) return false;
    for (unsigned char c : value)
        if (!(std::isalnum(c) || c == '_')) return false;
    return true;
}

void CopyAllRows(const mk::View& from, mk::View& to) {
    for (int r = 0; r < from.RowCount(); ++r) to.AddRowFrom(from, r);
}

// Copies one cell by the target column's type.
void CopyTyped(const mk::View& from, int fr, int fc, mk::View& to, int tr, int tc) {
    switch (to.Column(tc).type) {
        case mk::Type::Int:
            to.SetInt(tr, tc, from.GetInt(fr, fc));
            break;
        case mk::Type::Long:
            to.SetLong(tr, tc, from.GetLong(fr, fc));
            break;
        case mk::Type::Float:
            to.SetFloat(tr, tc, from.GetFloat(fr, fc));
            break;
        case mk::Type::Double:
            to.SetDouble(tr, tc, from.GetDouble(fr, fc));
            break;
        default:  // text as stored: a byte without a character is carried, not refused
            to.SetBytes(tr, tc, from.GetBytes(fr, fc));
            break;
    }
}

// The settings rows (Block, Key, Value); older files name the columns sBlock, sKey, sValue.
std::vector<std::array<std::string, 3>> SettingRows(const mk::View& from) {
    bool old_form = from.FindColumn(schema::kColBlock) < 0 && from.FindColumn(schema::kColOldBlock) >= 0;
    int cb = from.FindColumn(old_form ? schema::kColOldBlock : schema::kColBlock);
    int ck = from.FindColumn(old_form ? schema::kColOldKey : schema::kColKey);
    int cv = from.FindColumn(old_form ? schema::kColOldValue : schema::kColValue);
    auto cell = [&](int r, int c) { return c < 0 ? std::string() : from.GetString(r, c); };
    std::vector<std::array<std::string, 3>> rows;
    for (int r = 0; r < from.RowCount(); ++r) rows.push_back({cell(r, cb), cell(r, ck), cell(r, cv)});
    return rows;
}

class TempFile {
public:
    ~TempFile() {
        if (!path_.empty()) {
            std::error_code ec;
            fs::remove(path_, ec);
        }
    }
    // A fresh, empty file beside target, with the permissions a new file gets.
    bool Make(const std::string& target) {
        fs::path t(target);
        fs::path dir = t.parent_path().empty() ? fs::path(".") : t.parent_path();
        std::string base = (dir / ("." + t.filename().string() + ".new-")).string() +
                           std::to_string(::getpid()) + "-";
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = base + std::to_string(attempt);
            int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                ::close(fd);
                path_ = name;
                return true;
            }
            if (errno != EEXIST) return false;
        }
        return false;
    }
    const std::string& Path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

class BusyScope {
public:
    BusyScope(ui::UiPort& ui, const std::string& what, long long total) : ui_(ui) {
        ui_.BeginBusy(what, total);
    }
    ~BusyScope() { ui_.EndBusy(); }

private:
    ui::UiPort& ui_;
};

// Refuses the open file as the target of the save dialog, so the dialog stays open.
class SameFileGuard : public ForwardingUi {
public:
    SameFileGuard(ui::UiPort& inner, std::string source) : ForwardingUi(inner), source_(std::move(source)) {}
    std::optional<std::string> SaveFileName(const ui::FileDialogSpec& spec) override {
        auto chosen = ForwardingUi::SaveFileName(spec);
        if (chosen && SameFile(source_, *chosen)) {
            Inner().Error(SameFileMessage(*chosen));
            return std::nullopt;
        }
        return chosen;
    }

private:
    std::string source_;
};

// One writing run: the source, the new storage and the plan.
class Run {
public:
    Run(ui::UiPort& ui, mk::Storage& src, const FieldFileRequest& req,
        const std::vector<FieldStratum>& strata, const std::vector<FieldSubPop>& subpops)
        : ui_(ui), src_(src), req_(req), strata_(strata), subpops_(subpops) {}

    // Everything the user is asked (selection lists, notes), before anything is
    // written, so the writing itself runs under a wait cursor without a question.
    void Ask();
    // Progress steps Write will report.
    long long Steps() const;
    // False when the run stopped: with a failure text when something failed, without
    // one when the user stopped it.
    bool Write(mk::Storage& dst);
    const std::string& FailureText() const { return failure_; }

private:
    bool Fail(const std::string& why) {
        failure_ = why;
        return false;
    }
    bool Tick() { return ui_.Progress(++done_); }
    mk::View Source(const char* name) { return src_.GetView(name); }
    bool Open(const std::string& description, mk::View& out) {
        auto v = dst_->GetAs(description);
        if (!v) return Fail(v.error().message);
        out = *v;
        return true;
    }

    bool CruiseInfo();
    bool Settings();
    bool CustomReports();
    bool EquationTables();
    bool CuttingUnits();
    bool StrataAndGroups();
    bool ReconPlots();
    int DefaultsRow(const std::string& sp, const std::string& prod, const std::string& ld);

    ui::UiPort& ui_;
    mk::Storage& src_;
    mk::Storage* dst_ = nullptr;
    const FieldFileRequest& req_;
    const std::vector<FieldStratum>& strata_;
    const std::vector<FieldSubPop>& subpops_;
    std::string failure_;
    long long done_ = 0;
    std::vector<std::string> custom_reports_;  // valid table names, each once

    // Species defaults: the SVSelAutoFill row of each planned sub-population or -1.
    mk::View autofill_;
    stats::KeyIndex autofill_index_;
    std::unordered_map<std::string, int> defaults_memo_;
    bool told_multiple_ = false;
    std::vector<int> defaults_;

    detail::ReconPlan recon_;
};

void Run::Ask() {
    std::vector<std::string> skipped;
    std::unordered_set<std::string> seen;
    for (const auto& [b, k, v] : SettingRows(Source(schema::kGlobalConfigurationTable))) {
        if (b != schema::kBlockProcessing || k != schema::kKeyCustomReport) continue;
        if (!ValidCustomName(v)) skipped.push_back("\"" + v + "\"");
        else if (seen.insert(v).second) custom_reports_.push_back("Custom" + v);
    }
    if (!skipped.empty())
        ui_.Warning("These custom reports were not copied, their names are not valid table "
                    "names:\n\n" + ListLines(skipped));

    autofill_ = Source(schema::kSVSelAutoFill);
    autofill_index_ = stats::KeyIndex(autofill_, {"Sp", "ProdP", "LD"});
    defaults_.clear();
    for (const FieldSubPop& s : subpops_) defaults_.push_back(DefaultsRow(s.sp, s.prod, s.ld));

    recon_ = detail::PlanReconTransfer(ui_, src_, strata_);
}

long long Run::Steps() const {
    long long steps = 7;
    if (!recon_.feeds.empty())
        for (const char* t : {schema::kPlotTable, schema::kTreeTable, schema::kLogTable})
            steps += src_.GetView(t).RowCount() / 4096 + 1;
    return steps;
}

bool Run::Write(mk::Storage& dst) {
    dst_ = &dst;
    return CruiseInfo() && Tick() && CustomReports() && Tick() && EquationTables() && Tick() &&
           CuttingUnits() && Tick() && StrataAndGroups() && Tick() && ReconPlots() && Tick();
}

bool Run::CruiseInfo() {
    if (src_.HasView(schema::kDataDictionary)) {
        auto dict = SameLayout(src_, *dst_, schema::kDataDictionary);
        if (!dict) return Fail(dict.error().message);
        CopyAllRows(Source(schema::kDataDictionary), *dict);
    }
    mk::View cruise;
    if (!Open(schema::kCruiseTableDesc, cruise)) return false;
    cruise.SetRowCount(1);
    const ui::SaleFields& f = req_.sale;
    const std::pair<const char*, const std::string*> cells[] = {
        {"SaleNo", &f.sale_no},   {"CruiseNo", &f.cruise_no}, {"SaleName", &f.sale_name},
        {"Region", &f.region},    {"Forest", &f.forest},      {"District", &f.district},
        {"CalYear", &f.cal_year}, {"Purpose", &f.purpose}};
    for (const auto& [col, value] : cells) cruise.SetString(0, col, *value);
    return Settings();
}

bool Run::Settings() {
    mk::View config;
    if (!Open(schema::kGlobalConfigurationTableDesc, config)) return false;
    config.RemoveAll();
    auto add = [&](const std::string& b, const std::string& k, const std::string& v) {
        int r = config.AddRow();
        config.SetString(r, schema::kColBlock, b);
        config.SetString(r, schema::kColKey, k);
        config.SetString(r, schema::kColValue, v);
    };
    auto cost = [&](const std::string& key) {
        int i = CostIndex(key);
        return i < 0 ? std::string() : req_.costs[static_cast<size_t>(i)];
    };
    auto is_field_cost = [](const std::string& key) {
        for (const char* k : kFieldCostKeys)
            if (key == k) return true;
        return false;
    };
    std::string setup_value = req_.setup_file;
    bool had_setup = false, had_mru = false, had_dirty = false, had_type = false;
    std::unordered_set<std::string> costs_seen;
    for (auto [b, k, v] : SettingRows(Source(schema::kGlobalConfigurationTable))) {
        if (b == schema::kBlockGeneral && k == schema::kKeySetup) {
            had_setup = true;
            if (!req_.setup_file.empty()) v = req_.setup_file;
            else setup_value = v;
        } else if (b == schema::kBlockGeneral && k == schema::kKeyMRU) {
            had_mru = true;
            v = schema::kMruDesign;
        } else if (b == schema::kBlockGeneral && k == schema::kKeyDirtyFlag) {
            had_dirty = true;
            v = schema::kClean;
        } else if (b == schema::kBlockStrovan && k == schema::kKeyType) {
            had_type = true;
            v = schema::kTypeProduction;
        } else if (b == schema::kBlockStrovan && is_field_cost(k)) {
            costs_seen.insert(k);
            v = cost(k);
        }
        add(b, k, v);
    }
    if (!had_setup) add(schema::kBlockGeneral, schema::kKeySetup, setup_value);
    if (!had_mru) add(schema::kBlockGeneral, schema::kKeyMRU, schema::kMruDesign);
    // Added on its own: a source with a DirtyFlag but no MRU must not get a second one.
    if (!had_dirty) add(schema::kBlockGeneral, schema::kKeyDirtyFlag, schema::kClean);
    if (!had_type) add(schema::kBlockStrovan, schema::kKeyType, schema::kTypeProduction);
    for (const char* k : kFieldCostKeys)
        if (!costs_seen.count(k)) add(schema::kBlockStrovan, k, cost(k));
    return true;
}

bool Run::CustomReports() {
    for (const std::string& name : custom_reports_) {
        if (!src_.HasView(name)) continue;
        auto table = SameLayout(src_, *dst_, name);
        if (!table) return Fail(table.error().message);
        CopyAllRows(src_.GetView(name), *table);
    }
    return true;
}

bool Run::EquationTables() {
    for (const char* name : {schema::kVolumeEquationTable, schema::kValueEquationTable,
                             schema::kWeightEquationTable, schema::kQAEquationTable}) {
        if (!src_.HasView(name)) continue;
        auto table = SameLayout(src_, *dst_, name);
        if (!table) return Fail(table.error().message);
        CopyAllRows(src_.GetView(name), *table);
    }
    return true;
}

bool Run::CuttingUnits() {
    mk::View units;
    if (!Open(schema::kCuttingUnitTableDesc, units)) return false;
    units.RemoveAll();
    mk::View from = Source(schema::kSVUnitsTable);
    for (int r = 0; r < from.RowCount(); ++r) {
        int t = units.AddRow();
        for (const char* col : {"CutUnit", "Description", "LogMeth", "PayUnit"})
            units.SetBytes(t, col, from.GetBytes(r, col));  // as stored, like CopyTyped
        units.SetDouble(t, "Area", from.GetDouble(r, "Area"));
    }
    return true;
}

int Run::DefaultsRow(const std::string& sp, const std::string& prod, const std::string& ld) {
    std::string key = JoinKey({sp, prod, ld});
    auto memo = defaults_memo_.find(key);
    if (memo != defaults_memo_.end()) return memo->second;
    const std::vector<int>* rows = &autofill_index_.Rows({sp, prod, ld});
    if (rows->empty()) rows = &autofill_index_.Rows({sp, prod, "L,D"});
    int chosen = -1;
    if (rows->size() == 1) {
        chosen = rows->front();
    } else if (rows->size() > 1) {
        if (!told_multiple_) {
            ui_.MessageBox("Information", kMultipleDefaults, ui::Icon::Information);
            told_multiple_ = true;
        }
        AutoFillChoiceForm form;
        form.species = sp;
        form.prod = prod;
        form.ld = ld;
        for (int c = 0; c < autofill_.ColumnCount(); ++c)
            form.columns.push_back(autofill_.Column(c).name);
        for (int r : *rows) {
            std::vector<std::string> cells;
            for (int c = 0; c < autofill_.ColumnCount(); ++c)
                cells.push_back(autofill_.GetString(r, c));
            form.rows.push_back(std::move(cells));
        }
        if (ui_.RunForm(form) && form.Chosen() >= 0) chosen = (*rows)[static_cast<size_t>(form.Chosen())];
    }
    defaults_memo_[key] = chosen;
    return chosen;
}

bool Run::StrataAndGroups() {
    mk::View strata, pops;
    if (!Open(schema::kStratumTableFieldDesc, strata)) return false;
    if (!Open(schema::kSubPopulationTableDesc, pops)) return false;
    strata.RemoveAll();
    pops.RemoveAll();

    int month = req_.month, year = req_.year;
    if (month <= 0 || year <= 0) {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        month = local.tm_mon + 1;
        year = local.tm_year + 1900;
    }
    std::vector<std::string> methods;
    for (const FieldStratum& s : strata_) {
        int r = strata.AddRow();
        strata.SetString(r, "Stratum", s.stratum);
        strata.SetString(r, "CruzMeth", s.cruz_meth);
        strata.SetString(r, "Units", s.units);
        strata.SetDouble(r, "BAF", s.baf);
        strata.SetDouble(r, "FPSize", s.fp_size);
        strata.SetInt(r, "Month", month);
        strata.SetInt(r, "Year", year);
        strata.SetString(r, "Description", s.description);
        methods.push_back(s.cruz_meth);
    }

    // The field program validates the method column against the dictionary's list.
    mk::View dict = dst_->GetView(schema::kDataDictionary);
    int ct = dict.FindColumn(schema::kColTableName), cc = dict.FindColumn(schema::kColColumnName);
    if (ct >= 0 && cc >= 0) {
        for (int r = 0; r < dict.RowCount(); ++r) {
            if (dict.GetString(r, ct) != schema::kStratumTable || dict.GetString(r, cc) != "CruzMeth")
                continue;
            dict.SetString(r, "Validate", ExtendValidate(dict.GetString(r, "Validate"), methods));
            break;
        }
    }

    std::vector<std::pair<int, int>> defaults_cols;  // (autofill column, sub-population column)
    for (const char* name : kDefaultColumns) {
        int a = autofill_.FindColumn(name), p = pops.FindColumn(name);
        if (a >= 0 && p >= 0) defaults_cols.emplace_back(a, p);
    }
    for (size_t i = 0; i < subpops_.size(); ++i) {
        const FieldSubPop& s = subpops_[i];
        int r = pops.AddRow();
        pops.SetString(r, "Stratum", strata_[static_cast<size_t>(s.stratum)].stratum);
        pops.SetString(r, "SG", s.sg);
        pops.SetString(r, "Sp", s.sp);
        pops.SetString(r, "ProdP", s.prod);
        pops.SetString(r, "LD", s.ld);
        pops.SetInt(r, "Freq", s.freq);
        pops.SetInt(r, "KZ", s.kz);
        pops.SetString(r, "Description", s.description);
        pops.SetString(r, "key", s.key);
        int d = defaults_[i];
        if (d >= 0)
            for (auto [a, p] : defaults_cols) CopyTyped(autofill_, d, a, pops, r, p);
    }
    return true;
}

bool Run::ReconPlots() {
    return detail::WriteReconTransfer(src_, *dst_, strata_, recon_, [this] { return Tick(); }, failure_);
}

}  // namespace

std::string ReconMethodFor(const std::string& m) {
    if (OneOf(m, {"PCM", "PCMTRE", "PNT", "P3P", "3PPNT"})) return "PNT";
    if (OneOf(m, {"FCM", "FIX", "F3P"})) return "FIX";
    return "";
}

std::string TallyKey(int n) {
    if (n < 0) n = 0;
    if (n < 9) return std::string(1, static_cast<char>('1' + n));
    if (n < 35) return std::string(1, static_cast<char>('a' + (n - 9)));
    if (n < 61) return std::string(1, static_cast<char>('A' + (n - 35)));
    return "Z";
}

std::string ExtendValidate(const std::string& validate, const std::vector<std::string>& codes) {
    std::unordered_set<std::string> tokens;
    std::string cur;
    for (char c : validate + " ") {
        if (c == ' ' || c == '\t') {
            if (!cur.empty()) tokens.insert(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    std::string out = validate + " ";
    for (const auto& code : codes) {
        if (code.empty() || !tokens.insert(code).second) continue;
        out += code + " ";
    }
    return out;
}

bool SameFile(const std::string& source, const std::string& target) {
    std::error_code ec;
    if (!fs::exists(target, ec) || !fs::exists(source, ec)) return false;
    bool same = fs::equivalent(source, target, ec);
    return !ec && same;
}

std::string SameFileMessage(const std::string& target) {
    return "The File " + target +
           " is the cruise file open in this program.\nThe Kelvane file must be saved under "
           "another name.";
}

FieldFileWriter::FieldFileWriter(ui::UiPort& ui, mk::Storage& source, std::string source_path)
    : ui_(ui), source_(source), source_path_(std::move(source_path)) {}

const FieldFileCheck& FieldFileWriter::Check() {
    check_ = {};
    strata_.clear();
    subpops_.clear();
    auto& errors = check_.errors;
    auto& warnings = check_.warnings;

    mk::View units = source_.GetView(schema::kSVUnitsTable);
    mk::View setup = source_.GetView(schema::kSVStrataTable);
    mk::View design = source_.GetView(schema::kSVDesignTable);
    mk::View groups = source_.GetView(schema::kSVDesignSgTable);
    mk::View summary = source_.GetView(schema::kSVSummaryTable);
    if (units.RowCount() == 0)
        errors.push_back("There are no cutting units (the unit table is missing or empty).");
    if (setup.RowCount() == 0)
        errors.push_back("There are no strata (the strata table is missing or empty).");
    if (design.RowCount() == 0)
        errors.push_back("The design has no strata (the design table is missing or empty).");
    // The design tables are rebuilt by the next compilation; until then they describe
    // strata and sample groups that may no longer be the setup's.
    if (store::GetSetting(source_, schema::kBlockStrovan, schema::kKeyUpdateFlag).value_or("") == schema::kFlagYes)
        warnings.push_back("The strata or sample groups were changed after the design was compiled; compile "
                           "again so that the design matches them.");

    std::unordered_set<std::string> unit_codes;
    for (int r = 0; r < units.RowCount(); ++r) unit_codes.insert(store::Trim(units.GetString(r, "CutUnit")));
    stats::KeyIndex setup_index(setup, {"Stratum"});

    std::unordered_set<std::string> seen;
    for (int r = 0; r < design.RowCount(); ++r) {
        FieldStratum s;
        s.stratum = design.GetString(r, "Stratum");
        s.cruz_meth = store::Trim(design.GetString(r, "CruzMeth"));
        s.description = design.GetString(r, "Description");
        s.units = store::Trim(design.GetString(r, "Units"));
        const auto& setup_rows = setup_index.Rows({s.stratum});
        if (s.units.empty() && !setup_rows.empty())
            s.units = store::Trim(setup.GetString(setup_rows.front(), "Units"));
        s.plot_size = design.GetDouble(r, "PlotSize");
        std::string name = "Stratum " + s.stratum;
        if (!seen.insert(s.stratum).second) {
            errors.push_back(name + " appears more than once in the design.");
            continue;
        }
        if (s.cruz_meth.empty()) errors.push_back(name + " has no cruise method.");
        else if (!IsKnownMethod(s.cruz_meth))
            errors.push_back(name + " has an unknown cruise method \"" + s.cruz_meth + "\".");
        if (IsPointMethod(s.cruz_meth)) s.baf = s.plot_size;
        if (IsFixedMethod(s.cruz_meth)) s.fp_size = s.plot_size;
        if ((IsPointMethod(s.cruz_meth) || IsFixedMethod(s.cruz_meth)) && s.plot_size <= 0)
            warnings.push_back(name + " (" + s.cruz_meth + "): the " +
                               (IsPointMethod(s.cruz_meth) ? "BAF" : "plot size") + " is 0.");
        std::vector<std::string> unit_list = SplitUnits(s.units);
        if (unit_list.empty()) errors.push_back(name + " has no cutting units.");
        for (const auto& u : unit_list)
            if (!unit_codes.count(u)) errors.push_back("Unit " + u + " of stratum " + s.stratum + " is not in the unit table.");
        strata_.push_back(std::move(s));
    }
    for (const auto& code : setup_index.Keys())
        if (!seen.count(code))
            warnings.push_back("Stratum " + code +
                               " of the strata definition is not in the design and is not written.");

    // Sub-populations: the species, product and live/dead combinations of each group.
    stats::KeyIndex group_index(groups, {"Stratum"});
    stats::KeyIndex by_tree(summary, {"Stratum", "SgTree"});
    stats::KeyIndex by_plot(summary, {"Stratum", "SgPlot"});
    int c_sp = summary.FindColumn("Species"), c_prod = summary.FindColumn("Prod"), c_ld = summary.FindColumn("LD");
    auto text = [&](int r, int c) { return c < 0 ? std::string() : summary.GetString(r, c); };
    std::unordered_set<std::string> written;
    for (size_t si = 0; si < strata_.size(); ++si) {
        const FieldStratum& s = strata_[si];
        bool tree = IsTreeMethod(s.cruz_meth), tally = IsTallyMethod(s.cruz_meth);
        int combos = 0;
        for (int g : group_index.Rows({s.stratum})) {
            std::string sg = groups.GetString(g, "SgCode");
            int freq = groups.GetInt(g, "Freq"), kz = groups.GetInt(g, "KZ");
            std::string where = "Stratum " + s.stratum + ", sample group " + sg + " (" + s.cruz_meth + ")";
            design::SgRow sizes;
            sizes.sgN = groups.GetInt(g, "SgN");
            sizes.sgN2 = groups.GetInt(g, "SgN2");
            // A crew sent out without a sample size has no precision to reach.
            if (IsKnownMethod(s.cruz_meth) && !design::ErrorComputable(sizes, s.cruz_meth))
                errors.push_back(where + " has no sample size (" +
                                 (sizes.sgN < 1 ? "SgN " + std::to_string(sizes.sgN)
                                                : "SgN2 " + std::to_string(sizes.sgN2)) +
                                 "), so its error cannot be computed. Enter its sizes in the design form.");
            if (UsesFreq(s.cruz_meth) && freq < 1)
                warnings.push_back(where + ": the frequency is " + std::to_string(freq) + ".");
            if (UsesKz(s.cruz_meth) && kz < 1)
                warnings.push_back(where + ": the KZ is " + std::to_string(kz) + ".");
            std::vector<std::array<std::string, 3>> found;
            std::unordered_set<std::string> distinct, species;
            for (int r : (tree ? by_tree : by_plot).Rows({s.stratum, sg})) {
                std::array<std::string, 3> c{text(r, c_sp), text(r, c_prod), text(r, c_ld)};
                if (!distinct.insert(JoinKey({c[0], c[1], c[2]})).second) continue;
                species.insert(c[0]);
                found.push_back(std::move(c));
            }
            if (found.empty())
                warnings.push_back(where + " has no species; it gets no sub-population.");
            std::string description = groups.GetString(g, "Description");
            for (const auto& c : found) {
                // Live and dead rows of one species and product stay apart.
                if (!written.insert(JoinKey({s.stratum, sg, c[0], c[1], c[2]})).second) continue;
                FieldSubPop p;
                p.stratum = static_cast<int>(si);
                p.sg = sg;
                p.sp = c[0];
                p.prod = c[1];
                p.ld = c[2];
                p.freq = WritesNoFreq(s.cruz_meth) ? 0 : freq;
                p.kz = kz;
                p.description = description;
                if (tally) {
                    if (species.size() > 1) p.description += (description.empty() ? "" : "-") + c[0];
                    p.key = TallyKey(combos);
                }
                ++combos;
                subpops_.push_back(std::move(p));
            }
        }
        if (tally && combos > kMaxTallyKeys)
            warnings.push_back("Stratum " + s.stratum + " (" + s.cruz_meth + ") has " + std::to_string(combos) +
                               " species combinations; only 61 get a key of their own, the rest share \"Z\".");
        if (combos == 0)
            warnings.push_back("Stratum " + s.stratum + " has no species in its sample groups.");
    }
    return check_;
}

FieldFileStatus FieldFileWriter::Write(const FieldFileRequest& request) {
    tables_.clear();
    if (!check_.errors.empty()) return FieldFileStatus::Refused;
    const std::string& given = request.target;
    if (SameFile(source_path_, given)) {
        ui_.Error(SameFileMessage(given));
        return FieldFileStatus::Refused;
    }
    auto failed = [&](const std::string& why) {
        ui_.MessageBox("File Error",
                       "The Cruise Object:\n\n" + given + "\n\nCould Not Be Created.\n" + why,
                       ui::Icon::Stop);
        return FieldFileStatus::Failed;
    };
    std::error_code ec;
    if (fs::is_directory(given, ec)) return failed("A folder has that name.");
    const store::OutputTarget resolved = store::ResolveOutputPath(given);
    if (!resolved.why.empty()) return failed(resolved.why);
    const std::string& target = resolved.path;
    Run run(ui_, source_, request, strata_, subpops_);
    run.Ask();
    TempFile temp;
    if (!temp.Make(target)) return failed("The folder cannot be written to.");
    auto created = mk::Storage::Create(temp.Path());
    if (!created) return failed(created.error().message);
    mk::Storage& dst = *created;
    // Messages wait until the wait cursor is gone.
    bool written = false;
    mk::Status committed;
    {
        BusyScope busy(ui_, "Making the Kelvane file...", run.Steps());
        written = run.Write(dst);
        if (written) committed = dst.Commit();
    }
    if (!written) {
        dst.Close();
        if (run.FailureText().empty()) return FieldFileStatus::Cancelled;
        return failed(run.FailureText());
    }
    if (!committed) return failed(committed.error().message);
    for (const auto& name : dst.ViewNames()) tables_.push_back({name, dst.GetView(name).RowCount()});
    dst.Close();
    fs::rename(temp.Path(), target, ec);
    if (ec) {
        tables_.clear();
        return failed(ec.message());
    }
    temp.Keep();
    return FieldFileStatus::Created;
}

FieldFileStatus MakeFieldFile(ui::UiPort& ui, mk::Storage& source, const std::string& source_path,
                              const CostValues& costs, const SaleDialog& dialog) {
    FieldFileWriter writer(ui, source, source_path);
    const FieldFileCheck& check = writer.Check();
    if (!check.errors.empty()) {
        ui.Error("The Kelvane file cannot be made:\n\n" + ListLines(check.errors) +
                 "\nNothing was written.");
        return FieldFileStatus::Refused;
    }
    if (!check.warnings.empty() &&
        !ui.Question("Please check the design before it goes to the field:\n\n" +
                     ListLines(check.warnings) + "\nMake the Kelvane file anyway?"))
        return FieldFileStatus::Cancelled;

    ui::SaleFields fields;
    mk::View cruise = source.GetView(schema::kCruiseTable);
    if (cruise.RowCount() > 0) {
        fields.sale_no = cruise.GetString(0, "SaleNo");
        fields.cruise_no = cruise.GetString(0, "CruiseNo");
        fields.sale_name = cruise.GetString(0, "SaleName");
        fields.region = cruise.GetString(0, "Region");
        fields.forest = cruise.GetString(0, "Forest");
        fields.district = cruise.GetString(0, "District");
        fields.cal_year = cruise.GetString(0, "CalYear");
    }
    SameFileGuard guarded(ui, source_path);
    if (!dialog(guarded, fields) || fields.output_file.empty()) return FieldFileStatus::Cancelled;

    FieldFileRequest request;
    request.target = fields.output_file;
    request.sale = fields;
    request.costs = costs;
    FieldFileStatus status = writer.Write(request);
    if (status == FieldFileStatus::Created)
        ui.MessageBox("Information",
                      "The Cruise Object:\n\n" + request.target + "\n\nHas Been Created",
                      ui::Icon::Information);
    return status;
}

}  // namespace output
