#include "store/structure_updater.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <pwd.h>
#include <unistd.h>

#include "store/config.h"
#include "store/cruise_store.h"
#include "store/file_lock.h"

namespace store {

namespace fs = std::filesystem;

int VersionDayNumber(const std::string& v) {
    if (v.size() < 10) return 0;
    auto num = [&](size_t pos, size_t len) { return std::atoi(v.substr(pos, len).c_str()); };
    int year, month, day;
    if (v[2] == '.') {
        month = num(0, 2), day = num(3, 2), year = num(6, 4);
    } else if (v[4] == '.') {
        year = num(0, 4), month = num(5, 2), day = num(8, 2);
    } else {
        return 0;
    }
    return static_cast<int>(std::trunc((year - 2000) * 365.25 + (month - 1) * 30.4 + day + 0.5));
}

std::string UpdaterMessage(int result, const std::string& program) {
    switch (result) {
        case kNoPath: case kNoFile: case kCheckNoFile:
            return "Verlane:  File could not be found.";
        case kFileInUse: case kCheckFileInUse:
            return "Verlane:  File is in use by another application.";
        case kNoVersionRow: case kVersionNotFound:
            return "Cruise object version number could not be found.";
        case kUnknownVersion:
            return "Current cruise object version number is unknown.\nFile cannot be updated.";
        case kStepFailed:
            return "Unknown problem with the data dictionary.\nPlease contact the Service Center.";
        case kRequiredNewerThanUpdater:
            return "Cruise Object Structure Newer Then Program.\nPlease download latest version "
                   "of program.";
        case kFileNewerThanRequired: case kFileNewer:
            return "New Cruise Object Structure.\n" + (program.empty() ? ui::kAppName : program) +
                   " is out of date.\nPlease download latest version.";
        case kBadVersionText:
            return "Cruise object version number could not be read.\nFile cannot be used.";
        case kBackupFailed:
            return "Verlane:  The backup copy could not be made.\nFile cannot be updated.";
        default:
            return "";
    }
}

CStructureUpdater::CStructureUpdater(ui::UiPort& ui) : ui_(ui) {}

int CStructureUpdater::RunUpdater(const std::string& path, const std::string& version_found) {
    // Without a version text the file itself is asked, so that a file lacking the
    // version row is reported as such rather than as missing.
    int rc = CheckVersion(kLatestVersion, version_found, version_found.empty() ? path : "");
    if (rc == kVersionCurrent) return 0;
    if (rc != kUpdateNeeded) return rc;
    rc = Update(path);
    if (rc == kUpdated)
        ui_.MessageBox("INFORMATION",
                       "The Cruise Object has been updated to the new structure.\nThe original "
                       "has been saved as " +
                           backup_ + ".",
                       ui::Icon::Information);
    if (rc == kAlreadyCurrent) rc = 0;
    return rc;
}

namespace {

// The version row of a configuration table in either column form: -1 unless exactly one.
int CountVersionRows(const mk::View& v, std::string& value) {
    bool old = v.FindColumn(schema::kColBlock) < 0;
    const char* b = old ? schema::kColOldBlock : schema::kColBlock;
    const char* k = old ? schema::kColOldKey : schema::kColKey;
    const char* val = old ? schema::kColOldValue : schema::kColValue;
    int found = 0;
    for (int r = 0; r < v.RowCount(); ++r) {
        if (v.GetString(r, b) == schema::kBlockGeneral &&
            v.GetString(r, k) == schema::kKeyStructureVersion) {
            ++found;
            value = v.GetString(r, val);
        }
    }
    return found;
}

}  // namespace

int CStructureUpdater::CheckVersion(const std::string& required,
                                    const std::string& version_found, const std::string& path) {
    std::string version = version_found;
    if (version.empty()) {
        FileAccess access = FileLock::Probe(path);
        if (access == FileAccess::InUse) return kCheckFileInUse;
        if (access != FileAccess::Ok) return kCheckNoFile;
        auto storage = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
        if (!storage || !storage->HasView(schema::kGlobalConfigurationTable))
            return kVersionNotFound;
        if (CountVersionRows(storage->GetView(schema::kGlobalConfigurationTable), version) != 1)
            return kVersionNotFound;
    }
    if (version.size() < 10) return kVersionNotFound;
    int f = VersionDayNumber(version), r = VersionDayNumber(required),
        l = VersionDayNumber(kLatestVersion);
    if (f == 0 || r == 0 || l == 0) return kBadVersionText;
    if (f == r) return kVersionCurrent;
    if (f > r) return kFileNewer;
    if (r == l) return kUpdateNeeded;
    return l < r ? kRequiredNewerThanUpdater : kFileNewerThanRequired;
}

// ---- the update steps --------------------------------------------------------------------

namespace {

struct DictRow {
    DictRow(std::string t, std::string ty, std::string d, std::string c, std::string u = "",
            int len = 0, std::string mn = "", std::string mx = "", std::string fe = "")
        : table(std::move(t)), type(std::move(ty)), description(std::move(d)),
          column(std::move(c)), used(std::move(u)), length(len), min(std::move(mn)),
          max(std::move(mx)), field_edit(std::move(fe)) {}
    std::string table, type, description, column, used;
    int length = 0;
    std::string min, max, validate, callbacks, default_value, field_edit, compound;
};

// The data dictionary operations the steps are made of.
class Dictionary {
public:
    Dictionary(CCruiseStore& store, int slot) : store_(store), v_(store.View(slot)) {}

    int Find(const std::string& table, const std::string& column, int* count = nullptr) const {
        int found = -1, n = 0;
        for (int r = 0; r < v_.RowCount(); ++r)
            if (v_.GetString(r, schema::kColTableName) == table &&
                v_.GetString(r, schema::kColColumnName) == column) {
                if (found < 0) found = r;
                ++n;
            }
        if (count) *count = n;
        return found;
    }
    bool Has(const std::string& table, const std::string& column) const {
        return Find(table, column) >= 0;
    }
    bool FoundOnce(const std::string& table, const std::string& column) const {
        int n = 0;
        Find(table, column, &n);
        return n == 1;
    }

    // Adds the row among the rows of its table unless the table already has it: a
    // second row for one column would make later look-ups ambiguous.
    bool Add(const DictRow& d) {
        if (Has(d.table, d.column)) return true;
        int at = InsertPosition(d.table);
        v_.InsertRows(at, 1);
        const std::pair<const char*, std::string> texts[] = {
            {"TableName", d.table},       {"FieldType", d.type},
            {"Description", d.description}, {"ColumnName", d.column},
            {"IsUsed", d.used},           {"Min", d.min},
            {"Max", d.max},               {"Validate", d.validate},
            {"Callbacks", d.callbacks},   {"DefaultValue", d.default_value},
            {"FieldEdit", d.field_edit},  {"CompoundSelection", d.compound}};
        for (const auto& [col, value] : texts) SetText(at, col, value);
        v_.SetInt(at, schema::kColLength, d.length);
        return Has(d.table, d.column);
    }

    // Sets one field of every row selected by table and column; false when none.
    bool Set(const std::string& table, const std::string& column, const std::string& field,
             const std::string& value) {
        bool any = false;
        for (int r = 0; r < v_.RowCount(); ++r)
            if (v_.GetString(r, schema::kColTableName) == table &&
                v_.GetString(r, schema::kColColumnName) == column) {
                SetText(r, field, value);
                any = true;
            }
        return any;
    }
    // Like Set, but a row whose field already holds a non-zero value keeps it.
    bool SetIfZero(const std::string& table, const std::string& column, const std::string& field,
                   const std::string& value) {
        bool any = false;
        for (int r = 0; r < v_.RowCount(); ++r)
            if (v_.GetString(r, schema::kColTableName) == table &&
                v_.GetString(r, schema::kColColumnName) == column) {
                if (v_.GetDouble(r, field) == 0) SetText(r, field, value);
                any = true;
            }
        return any;
    }

    // The table's stored layout built from its rows in Order1 order.
    std::string Layout(const std::string& table) const {
        std::vector<std::pair<int, int>> rows;  // (Order1, row)
        for (int r = 0; r < v_.RowCount(); ++r) {
            if (v_.GetString(r, schema::kColTableName) != table) continue;
            int order = v_.GetInt(r, "Order1");
            std::string used = v_.GetString(r, schema::kColIsUsed);
            if (order >= 1 && (used == "Y" || used == "M")) rows.emplace_back(order, r);
        }
        std::stable_sort(rows.begin(), rows.end(),
                         [](auto& a, auto& b) { return a.first < b.first; });
        std::string fields;
        for (auto [order, r] : rows) {
            std::string name = v_.GetString(r, schema::kColColumnName);
            name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
            std::string type = v_.GetString(r, schema::kColFieldType);
            if (type != "S" && type != "I" && type != "L" && type != "F" && type != "D") type = "S";
            if (!fields.empty()) fields += ",";
            fields += name + ":" + type;
        }
        return fields;
    }

private:
    void SetText(int row, const std::string& field, const std::string& value) {
        int col = v_.FindColumn(field);
        if (col < 0) return;
        switch (v_.Column(col).type) {
            case mk::Type::Int: case mk::Type::Long: v_.SetLong(row, col, LeadingInteger(value)); break;
            case mk::Type::Float: case mk::Type::Double: v_.SetDouble(row, col, LeadingDouble(value)); break;
            default: v_.SetString(row, col, value); break;
        }
    }

    int InsertPosition(const std::string& table) const {
        const auto& order = schema::DictionaryTableOrder();
        auto rank = [&](const std::string& t) {
            auto it = std::find(order.begin(), order.end(), t);
            return it == order.end() ? -1 : static_cast<int>(it - order.begin());
        };
        int mine = rank(table);
        if (mine < 0) return v_.RowCount();
        int last_own = -1, first_later = -1;
        for (int r = 0; r < v_.RowCount(); ++r) {
            int k = rank(v_.GetString(r, schema::kColTableName));
            if (k == mine) last_own = r;
            else if (k > mine && first_later < 0) first_later = r;
        }
        if (last_own >= 0) return last_own + 1;
        return first_later >= 0 ? first_later : v_.RowCount();
    }

    CCruiseStore& store_;
    mk::View& v_;
};

class Steps {
public:
    Steps(CCruiseStore& store, Dictionary& dict) : store_(store), dict_(dict) {}

    bool Rebuild(const std::string& table) {
        mk::Storage* s = store_.Storage();
        if (!s->HasView(table)) return true;
        std::string layout = dict_.Layout(table);
        if (layout.empty()) return true;  // nothing described: leave the table alone
        return static_cast<bool>(s->GetAs(table + "[" + layout + "]"));
    }
    void Rename(const std::string& table, const std::string& from, const std::string& to) {
        store_.RenameColumn(table, from, to);
    }

    bool Step1() {
        int r = dict_.Find("TreeTable", "TotCubicVol");
        if (r >= 0) {
            std::string used = Used("TreeTable", "TotCubicVol");
            if (used != "N" && used != "n")
                for (const char* c : {"GBDFTVolSP", "NBDFTVolSP", "GBDFTVolRP"})
                    dict_.Set("TreeTable", c, "IsUsed", "Y");
        }
        Rename("TreeTable", "ContSpec", "ContrSpec");
        for (const char* row : {"Plot", "Tree"})
            for (int k = 2; k <= 12; ++k)
                dict_.Set("LogTable", row, "Order" + std::to_string(k), "0");
        dict_.Set("TreeTable", "Geospatial Link", "ColumnName", "GeospatialLink");
        dict_.Set("PlotTable", "Geospatial Link", "ColumnName", "GeospatialLink");
        return true;
    }

    bool Step2() {
        bool ok = dict_.Add({"SubPopulationTable", "F", "DBH outside bark", "DBH", "Y", 5, "0", "120"});
        ok &= dict_.Add(Compound("SubPopulationTable"));
        for (int i = 1; i <= 3; ++i)
            ok &= dict_.Add({"TreeTable", "S", "User defined " + std::to_string(i),
                             "UserDef" + std::to_string(i), "N", 65});
        for (const char* t : {"TreeTable", "CountTable", "PlotTable", "LogTable",
                              "CuttingUnitTable", "StratumTable"})
            ok &= dict_.Add(Compound(t));
        ok &= dict_.Add({"WeightEquationTable", "S", "Weight Live Dead code", "WgtEqLiveDead"});
        for (const char* t : {"SubPopulationTable", "TreeTable", "WeightEquationTable"})
            ok &= Rebuild(t);
        Rename("SubPopulationTable", "MerchHtType", "MrchHtT");
        Rename("SubPopulationTable", "MerchHtLogLen", "MrchHtLL");
        Rename("WeightEquationTable", "WgtEqLbsP", "WgtEqFactor");
        Rename("WeightEquationTable", "WgtEqLbsS", "WgtEqPercent");
        return ok;
    }

    bool Step3() {
        bool ok = true;
        for (auto [col, desc] : {std::pair{"WgtEqFactor2", "Weight equation weight factor secondary"},
                                 std::pair{"WgtEqPercent2", "Weight equation percent removed secondary"}})
            ok &= dict_.Add({"WeightEquationTable", "F", desc, col, "Y", 9, "0", "999999.99", "N"});
        ok &= Rebuild("WeightEquationTable");
        if (dict_.FoundOnce("WeightEquationTable", "WgtEqFactor"))
            dict_.Set("WeightEquationTable", "WgtEqFactor", "Description",
                      "Weight equation weight factor primary");
        if (dict_.FoundOnce("WeightEquationTable", "WgtEqPercent"))
            dict_.Set("WeightEquationTable", "WgtEqPercent", "Description",
                      "Weight equation percent removed primary");
        ok &= dict_.Add({"CruiseTable", "S", "", "Remarks"});
        ok &= Rebuild("CruiseTable");
        ok &= Rebuild("MessageLog");
        store_.Rewrite(schema::kDataDictionary);
        if (dict_.FoundOnce("TreeTable", "Stratum")) dict_.Set("TreeTable", "Stratum", "Order12", "0");
        if (dict_.FoundOnce("TreeTable", "TreeCnt"))
            dict_.Set("TreeTable", "TreeCnt", "DefaultValue", "V1");
        if (dict_.FoundOnce("TreeTable", "CompoundSelection"))
            dict_.Set("TreeTable", "CompoundSelection", "IsUsed", "Y");
        return ok;
    }

    bool Step4() {
        struct Order { const char* table; const char* column; const char* field; const char* value; bool if_zero; };
        static const Order orders[] = {
            {"SubPopulationTable", "UOMS", "Order1", "0", false},
            {"TreeTable", "TreeCnt", "Order8", "4", true},
            {"TreeTable", "KPI", "Order8", "0", false},
            {"TreeTable", "3Pcode", "Order8", "0", false},
            {"TreeTable", "SDefP", "Order8", "0", false},
            {"TreeTable", "LD", "Order8", "0", false},
            {"TreeTable", "DBH", "Order8", "3", false},
            {"TreeTable", "TotHt", "Order8", "0", false},
            {"TreeTable", "CM", "Order7", "8", true},
            {"TreeTable", "KPI", "Order7", "9", true},
            {"CountTable", "Freq", "Order7", "7", true},
            {"CountTable", "SumKPI", "Order7", "0", false},
        };
        for (const Order& o : orders) {
            bool found = o.if_zero ? dict_.SetIfZero(o.table, o.column, o.field, o.value)
                                   : dict_.Set(o.table, o.column, o.field, o.value);
            if (!found) return false;
        }
        bool ok = dict_.Add({"StratumTable", "S", "Tally Setup", "Tally_Setup", "Y"});
        // Only the dictionary rows change: the program's own layouts still name MetaData.
        for (const char* t : {"TreeTable", "PlotTable"})
            if (dict_.Set(t, "MetaData", "ColumnName", "GeospatialLink"))
                dict_.Set(t, "GeospatialLink", "Description", "Geospatial link");
        for (auto [col, desc] : {std::pair{"XCoord", "X coordinate"}, std::pair{"YCoord", "Y coordinate"},
                                 std::pair{"ZCoord", "Z coordinate"}})
            dict_.Set("PlotTable", col, "Description", desc);
        dict_.Set("PlotTable", "SlopePct", "FieldType", "F");
        ok &= dict_.Add({"WeightEquationTable", "", "Weight equation secondary product code",
                         "WgtEqSP", "N"});
        dict_.Set("CruiseTable", "Remarks", "Description", "Remarks");
        return ok;
    }

    bool Step5() {
        struct Col { const char* table; const char* column; const char* desc; const char* type; const char* used; int length; };
        static const Col cols[] = {
            {"WeightEquationTable", "BioPr", "Biomass product", "S", "Y", 0},
            {"WeightEquationTable", "BioEqFol", "Biomass equation foliage", "I", "Y", 0},
            {"WeightEquationTable", "BioMoistFol", "Biomass moisture foliage", "F", "Y", 0},
            {"WeightEquationTable", "BioRemvFol", "Biomass removed foliage", "F", "Y", 0},
            {"WeightEquationTable", "BioEqLBr", "Biomass equation live branches", "I", "Y", 0},
            {"WeightEquationTable", "BioMoistLBr", "Biomass moisture live branches", "F", "Y", 0},
            {"WeightEquationTable", "BioRemvLBr", "Biomass removed live branches", "F", "Y", 0},
            {"WeightEquationTable", "BioEqDBr", "Biomass equation dead branches", "I", "Y", 0},
            {"WeightEquationTable", "BioMoistDBr", "Biomass moisture dead branches", "F", "Y", 0},
            {"WeightEquationTable", "BioRemvDBr", "Biomass removed dead branches", "F", "Y", 0},
            {"WeightEquationTable", "BioEqTotTree", "Biomass equation total tree", "I", "Y", 0},
            {"WeightEquationTable", "BioMoistTotTree", "Biomass moisture total tree", "F", "Y", 0},
            {"WeightEquationTable", "BioRemvTotTree", "Biomass removed total tree", "F", "Y", 0},
            {"TreeTable", "WgtPP", "Primary product weight", "D", "N", 7},
            {"TreeTable", "WgtSP", "Secondary product weight", "D", "N", 7},
            {"TreeTable", "BioPr", "Biomass Product", "S", "Y", 2},
            {"TreeTable", "WgtBAT", "Biomass total stem", "D", "N", 7},
            {"TreeTable", "WgtBBL", "Biomass live branches", "D", "N", 7},
            {"TreeTable", "WgtBBD", "Biomass dead branches", "D", "N", 7},
            {"TreeTable", "WgtBFT", "Biomass foliage", "D", "N", 7},
        };
        for (const Col& c : cols)
            if (!dict_.Add({c.table, c.type, c.desc, c.column, c.used, c.length, "", "", "N"}))
                return false;
        return true;
    }

private:
    static DictRow Compound(const char* table) {
        return {table, "I", "Compound selection", "CompoundSelection", "", 1};
    }
    std::string Used(const std::string& table, const std::string& column) {
        int r = dict_.Find(table, column);
        return r < 0 ? "" : store_.View(dict_slot_).GetString(r, schema::kColIsUsed);
    }

public:
    int dict_slot_ = -1;

private:
    CCruiseStore& store_;
    Dictionary& dict_;
};

struct StepDef {
    const char* from;
    const char* to;
    bool (Steps::*run)();
};

const StepDef kSteps[] = {
    {schema::kVersion2004a, schema::kVersion2004b, &Steps::Step1},
    {schema::kVersion2004b, schema::kVersion2005, &Steps::Step2},
    {schema::kVersion2005, schema::kVersion2007, &Steps::Step3},
    {schema::kVersion2007, schema::kVersion2008, &Steps::Step4},
    {schema::kVersion2008, schema::kVersion2010, &Steps::Step5},
};

std::string LogNote() {
    std::string user, host;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) user = pw->pw_name;
    if (user.empty())
        if (const char* u = std::getenv("USER")) user = u;
    char buf[256] = {};
    if (gethostname(buf, sizeof buf - 1) == 0) host = buf;
    return (user.empty() ? "unknown user" : user) + " on " + (host.empty() ? "unknown PC" : host);
}

}  // namespace

int CStructureUpdater::Update(const std::string& path, const std::string& stop_version) {
    backup_.clear();
    if (path.empty()) return kNoPath;
    std::error_code ec;
    if (!fs::exists(path, ec)) return kNoFile;
    if (FileLock::Probe(path) == FileAccess::InUse) return kFileInUse;

    backup_ = MakeBackupCopy(path, "BAK");
    if (backup_.empty()) return kBackupFailed;

    CCruiseStore store(ui_, StoreVariant::Updater);
    if (store.Open(path) != 0)
        return FileLock::Probe(path) == FileAccess::InUse ? kFileInUse : kNoVersionRow;
    int config = store.OpenView(schema::kGlobalConfigurationTable);
    if (config < 0) return kNoVersionRow;
    if (store.View(config).FindColumn(schema::kColOldKey) >= 0 &&
        store.View(config).FindColumn(schema::kColKey) < 0) {
        store.CloseView(config);
        store.RenameColumn(schema::kGlobalConfigurationTable, schema::kColOldBlock, schema::kColBlock);
        store.RenameColumn(schema::kGlobalConfigurationTable, schema::kColOldKey, schema::kColKey);
        store.RenameColumn(schema::kGlobalConfigurationTable, schema::kColOldValue, schema::kColValue);
        if (store.Commit() != 0) return kStepFailed;
        config = store.OpenView(schema::kGlobalConfigurationTable);
        if (config < 0) return kNoVersionRow;
    }
    int version_slot = store.OpenSelected(schema::kGlobalConfigurationTable, schema::kColValue,
                                          "Block=General,Key=StructureVersion", "");
    if (version_slot < 0 || store.RowCount(version_slot) != 1 ||
        store.View(version_slot).ColumnCount() != 1)
        return kNoVersionRow;
    std::string version;
    store.GetString(version_slot, 0, schema::kColValue, version);
    if (version == kLatestVersion) return kAlreadyCurrent;

    // Steps on a dictionary made up here would leave a file with only the rows they add.
    if (!store.Storage()->HasView(schema::kDataDictionary)) return kStepFailed;
    int dict_slot = store.OpenViewAs(schema::kDataDictionaryUpdaterDesc);
    if (dict_slot < 0) return kStepFailed;
    Dictionary dict(store, dict_slot);
    Steps steps(store, dict);
    steps.dict_slot_ = dict_slot;
    const std::string note = LogNote();
    while (true) {
        store.GetString(version_slot, 0, schema::kColValue, version);
        if (version == kLatestVersion || (!stop_version.empty() && version == stop_version))
            return kUpdated;
        const StepDef* step = nullptr;
        for (const StepDef& s : kSteps)
            if (version == s.from) step = &s;
        if (!step) return kUnknownVersion;
        if (!(steps.*(step->run))()) return kStepFailed;
        store.SetString(version_slot, 0, schema::kColValue, step->to);
        // The log row's commit carries the step, its new version and the row itself, so
        // the file is at a valid version with its log after every step, or at the last.
        std::string msg = std::string("Updated version from ") + step->from + " to " + step->to +
                          " by updater " + kLatestVersion;
        if (store.Log(msg, "I", note, kLogProgram) != 0) return kStepFailed;
    }
}

// ---- backup --------------------------------------------------------------------------------

std::string MakeBackupCopy(const std::string& path, const std::string& backup_ext) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return {};
    std::string target = BackupCopyName(path, ReadStructureVersion(path), backup_ext);
    // Copy under a temporary name first: a half-written backup is never left under
    // the name a forester would restore from.
    std::string tmp = target + ".part";
    if (!fs::copy_file(path, tmp, fs::copy_options::overwrite_existing, ec)) {
        fs::remove(tmp, ec);
        return {};
    }
    fs::rename(tmp, target, ec);
    if (ec) {
        fs::remove(tmp, ec);
        return {};
    }
    return target;
}

}  // namespace store
