#include "store/structure_updater.h"

#include <filesystem>

#include "mk/file_io.h"
#include "store/config.h"
#include "store/file_checker.h"
#include "store/schema.h"
#include "store_fixture.h"
#include "ui/scripted_ui.h"

using namespace store;
using storetest::Table;
namespace fs = std::filesystem;

namespace {

TEST(VersionDayNumber, BothDateFormsAgreeAndOthersAreZero) {
    EXPECT_EQ(VersionDayNumber("03.18.2010"), VersionDayNumber("2010.03.18"));
    EXPECT_EQ(VersionDayNumber("2010.03.18"), 3731);  // 3652.5 + 60.8 + 18 + 0.5
    EXPECT_LT(VersionDayNumber("02.20.2007"), VersionDayNumber("2008.12.19"));
    EXPECT_EQ(VersionDayNumber(""), 0);
    EXPECT_EQ(VersionDayNumber("2010-03-18"), 0);
    EXPECT_EQ(VersionDayNumber("1.2.2010"), 0);
}

TEST(CheckVersion, ResultCodes) {
    ui::ScriptedUi ui;
    CStructureUpdater u(ui);
    const std::string req = schema::kCurrentVersion;
    EXPECT_EQ(u.CheckVersion(req, "2010.03.18", ""), kVersionCurrent);
    EXPECT_EQ(u.CheckVersion(req, "03.18.2010", ""), kVersionCurrent);
    EXPECT_EQ(u.CheckVersion(req, "02.20.2007", ""), kUpdateNeeded);
    EXPECT_EQ(u.CheckVersion(req, "2011.01.05", ""), kFileNewer);
    EXPECT_EQ(u.CheckVersion(req, "01.05.2011", ""), kFileNewer);
    EXPECT_EQ(u.CheckVersion(req, "2010.3.18", ""), kVersionNotFound);
    EXPECT_EQ(u.CheckVersion(req, "2010-03-18", ""), kBadVersionText);
    EXPECT_EQ(u.CheckVersion("2012.01.01", "2010.03.18", ""), kRequiredNewerThanUpdater);
    EXPECT_EQ(u.CheckVersion("2008.12.19", "02.20.2007", ""), kFileNewerThanRequired);
    EXPECT_EQ(u.CheckVersion(req, "", "/nonexistent/x.crz"), kCheckNoFile);
    EXPECT_EQ(UpdaterMessage(kCheckNoFile, "Strovan"), "Verlane:  File could not be found.");
    EXPECT_EQ(UpdaterMessage(kRequiredNewerThanUpdater, "Strovan"),
              "Cruise Object Structure Newer Then Program.\nPlease download latest version of "
              "program.");
    // Every refusal says why; an unreadable version text too.
    for (int rc : {1, 2, 3, 4, 5, 7, 10, 11, 12, 13, 14, 15, 16, 17})
        EXPECT_NE(UpdaterMessage(rc, "Strovan"), "") << rc;
    EXPECT_EQ(UpdaterMessage(kBadVersionText, "Strovan"),
              "Cruise object version number could not be read.\nFile cannot be used.");
    // A checker made without a program name still names the program that is too old.
    EXPECT_EQ(UpdaterMessage(kFileNewer, ""),
              "New Cruise Object Structure.\nStrovan is out of date.\nPlease download latest "
              "version.");
}

// A cruise file at an old version, shaped as the steps expect it.
class UpdaterTest : public ::testing::Test {
protected:
    void Build(const std::string& version, bool old_config = false,
               const std::vector<std::string>& skip = {}) {
        Table dict = storetest::Dictionary(skip);
        // Older files name these columns as they were before the renaming steps.
        for (auto& row : dict.rows) {
            if (row[0] == "TreeTable" && row[3] == "ContrSpec") row[3] = "ContSpec";
            if (row[0] == "WeightEquationTable" && row[3] == "WgtEqFactor") row[3] = "WgtEqLbsP";
            if (row[0] == "WeightEquationTable" && row[3] == "WgtEqPercent") row[3] = "WgtEqLbsS";
        }
        storetest::WriteFile(path_, {
            storetest::ConfigTable(version, old_config),
            dict,
            Table{"TreeTable[Stratum:S,Tree:S,ContSpec:S,DBH:F]",
                  {{"1", "1", "DF2", "14.5"}, {"2", "7", "WH", "22"}}},
            Table{"WeightEquationTable[Sp:S,WgtEqLbsP:F]", {{"DF", "62.5"}}},
        });
    }
    std::vector<std::string> LogRows() {
        auto s = mk::Storage::Open(path_);
        return storetest::Column(*s, "MessageLog", "Msg");
    }
    std::string Version() {
        auto s = mk::Storage::Open(path_);
        return ReadStructureVersion(*s);
    }

    storetest::TempDir dir_;
    std::string path_ = dir_.Path("SALE.crz");
    ui::ScriptedUi ui_;
    CStructureUpdater updater_{ui_};
};

std::string StepLog(const char* from, const char* to) {
    return std::string("Updated version from ") + from + " to " + to + " by updater 2010.03.18";
}

TEST_F(UpdaterTest, OldestFileRunsEveryStep) {
    Build("01.15.2004");
    EXPECT_EQ(updater_.RunUpdater(path_, "01.15.2004"), 0);
    EXPECT_EQ(Version(), "2010.03.18");
    EXPECT_EQ(LogRows(), (std::vector<std::string>{
                             StepLog("01.15.2004", "10.31.2004"), StepLog("10.31.2004", "04.01.2005"),
                             StepLog("04.01.2005", "02.20.2007"), StepLog("02.20.2007", "2008.12.19"),
                             StepLog("2008.12.19", "2010.03.18")}));
    EXPECT_TRUE(fs::exists(dir_.Path("SALE_v20040115.crz.BAK")));
    EXPECT_EQ(updater_.BackupPath(), dir_.Path("SALE_v20040115.crz.BAK"));
    // The message names the backup actually written.
    EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{
                               "The Cruise Object has been updated to the new structure.\nThe "
                               "original has been saved as " +
                               dir_.Path("SALE_v20040115.crz.BAK") + "."}));

    auto s = mk::Storage::Open(path_);
    // Renamed columns keep their values; rebuilt tables keep their rows.
    EXPECT_EQ(storetest::Column(*s, "TreeTable", "ContrSpec"), (std::vector<std::string>{"DF2", "WH"}));
    EXPECT_EQ(storetest::Column(*s, "TreeTable", "Tree"), (std::vector<std::string>{"1", "7"}));
    EXPECT_EQ(s->GetView("WeightEquationTable").GetDouble(0, "WgtEqFactor"), 62.5);
    mk::View dict = s->GetView("DataDictionary");
    auto has = [&](const std::string& t, const std::string& c) {
        int n = 0;
        for (int r = 0; r < dict.RowCount(); ++r)
            n += dict.GetString(r, "TableName") == t && dict.GetString(r, "ColumnName") == c;
        return n;
    };
    EXPECT_EQ(has("TreeTable", "ContrSpec"), 1);
    EXPECT_EQ(has("TreeTable", "ContSpec"), 0);
    EXPECT_EQ(has("TreeTable", "UserDef3"), 1);
    EXPECT_EQ(has("WeightEquationTable", "WgtEqPercent2"), 1);
    EXPECT_EQ(has("StratumTable", "Tally_Setup"), 1);
    EXPECT_EQ(has("TreeTable", "WgtBFT"), 1);
    EXPECT_EQ(has("TreeTable", "CompoundSelection"), 1);  // already there: not doubled
    // Added rows sit among the rows of their own table.
    int last_tree = -1, first_log = -1;
    for (int r = 0; r < dict.RowCount(); ++r) {
        if (dict.GetString(r, "TableName") == "TreeTable") last_tree = r;
        if (dict.GetString(r, "TableName") == "LogTable" && first_log < 0) first_log = r;
    }
    EXPECT_LT(last_tree, first_log);

    // A second check finds the file current: no backup, no message.
    ui_.Clear();
    EXPECT_EQ(updater_.RunUpdater(path_, Version()), 0);
    EXPECT_TRUE(ui_.Messages().empty());
    EXPECT_FALSE(fs::exists(dir_.Path("SALE_v20100318.crz.BAK")));
}

TEST_F(UpdaterTest, File2007RunsTheLastTwoSteps) {
    Build("02.20.2007");
    EXPECT_EQ(updater_.Update(path_), kUpdated);
    EXPECT_EQ(LogRows(), (std::vector<std::string>{StepLog("02.20.2007", "2008.12.19"),
                                                   StepLog("2008.12.19", "2010.03.18")}));
    EXPECT_TRUE(fs::exists(dir_.Path("SALE_v20070220.crz.BAK")));
    auto s = mk::Storage::Open(path_);
    mk::View dict = s->GetView("DataDictionary");
    for (int r = 0; r < dict.RowCount(); ++r) {
        if (dict.GetString(r, "TableName") == "TreeTable" && dict.GetString(r, "ColumnName") == "DBH") {
            EXPECT_EQ(dict.GetInt(r, "Order8"), 3);
        }
    }
    EXPECT_EQ(s->GetView("MessageLog").GetString(0, "Program"), "Verlane");
    EXPECT_EQ(s->GetView("MessageLog").GetString(0, "Level"), "I");
}

TEST_F(UpdaterTest, OldConfigurationColumnsAreConverted) {
    Build("2008.12.19", /*old_config=*/true);
    EXPECT_EQ(updater_.CheckVersion(schema::kCurrentVersion, "", path_), kUpdateNeeded);
    EXPECT_EQ(updater_.Update(path_), kUpdated);
    auto s = mk::Storage::Open(path_);
    EXPECT_EQ(s->Structure("GlobalConfigurationTable"), "Block:S,Key:S,Value:S");
    EXPECT_EQ(ReadStructureVersion(*s), "2010.03.18");
    EXPECT_EQ(GetSetting(*s, "General", "MRU").value_or(""), "Kelvane");
}

TEST_F(UpdaterTest, AFailedStepLeavesTheLastVersionReached) {
    Build("04.01.2005", false, {"TreeTable/KPI"});
    ui::ScriptedUi ui;
    CFileChecker checker(ui);
    EXPECT_EQ(checker.CheckCruiseFile(path_, "CRZ"), -1);
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{
                              "Unknown problem with the data dictionary.\nPlease contact the "
                              "Service Center."}));
    EXPECT_EQ(Version(), "02.20.2007");
    EXPECT_EQ(LogRows(), (std::vector<std::string>{StepLog("04.01.2005", "02.20.2007")}));
}

TEST_F(UpdaterTest, StopVersionAndUnknownVersions) {
    Build("01.15.2004");
    EXPECT_EQ(updater_.Update(path_, "04.01.2005"), kUpdated);
    EXPECT_EQ(Version(), "04.01.2005");
    EXPECT_EQ(LogRows().size(), 2u);

    Build("06.01.2006");
    EXPECT_EQ(updater_.RunUpdater(path_, "06.01.2006"), kUnknownVersion);
    EXPECT_EQ(Version(), "06.01.2006");

    Build("2010.03.18");
    EXPECT_EQ(updater_.Update(path_), kAlreadyCurrent);
    EXPECT_EQ(updater_.Update(""), kNoPath);
    EXPECT_EQ(updater_.Update(dir_.Path("gone.crz")), kNoFile);
}

TEST_F(UpdaterTest, DuplicateDictionaryRowsAreLeftAlone) {
    Build("04.01.2005");
    {
        auto s = mk::Storage::Open(path_);
        mk::View dict = s->GetView("DataDictionary");
        for (int r = 0; r < dict.RowCount(); ++r)
            if (dict.GetString(r, "TableName") == "TreeTable" &&
                dict.GetString(r, "ColumnName") == "TreeCnt") {
                dict.AddRowFrom(dict, r);
                break;
            }
        ASSERT_TRUE(s->Commit().ok());
    }
    EXPECT_EQ(updater_.Update(path_), kUpdated);
    auto s = mk::Storage::Open(path_);
    mk::View dict = s->GetView("DataDictionary");
    for (int r = 0; r < dict.RowCount(); ++r) {
        if (dict.GetString(r, "ColumnName") == "TreeCnt") {
            EXPECT_EQ(dict.GetString(r, "DefaultValue"), "");  // only a single row is changed
        }
    }
}

// One dictionary row's fields as text, for checking what the steps wrote.
struct DictEntry {
    int count = 0;
    mk::View view;
    int row = -1;
    std::string Get(const char* field) const { return view.GetString(row, field); }
};

class UpdaterStepTest : public UpdaterTest {
protected:
    DictEntry Entry(const std::string& table, const std::string& column) {
        storage_ = std::make_unique<mk::Storage>(std::move(*mk::Storage::Open(path_)));
        DictEntry e;
        e.view = storage_->GetView("DataDictionary");
        for (int r = 0; r < e.view.RowCount(); ++r)
            if (e.view.GetString(r, "TableName") == table &&
                e.view.GetString(r, "ColumnName") == column) {
                if (e.row < 0) e.row = r;
                ++e.count;
            }
        return e;
    }
    void Edit(const std::string& table, const std::string& column, const char* field,
              const std::string& value) {
        auto s = mk::Storage::Open(path_);
        mk::View dict = s->GetView("DataDictionary");
        bool found = false;
        for (int r = 0; r < dict.RowCount(); ++r)
            if (dict.GetString(r, "TableName") == table &&
                dict.GetString(r, "ColumnName") == column) {
                dict.SetString(r, field, value);
                found = true;
            }
        ASSERT_TRUE(found) << table << "/" << column;
        ASSERT_TRUE(s->Commit().ok());
    }
    std::unique_ptr<mk::Storage> storage_;
};

TEST_F(UpdaterStepTest, StepOneAdjustsUseOrderingAndGeospatialRows) {
    Build("01.15.2004");
    Edit("TreeTable", "GBDFTVolSP", "IsUsed", "N");
    Edit("TreeTable", "NBDFTVolSP", "IsUsed", "N");
    Edit("TreeTable", "GeospatialLink", "ColumnName", "Geospatial Link");
    Edit("LogTable", "Plot", "Order5", "7");
    Edit("LogTable", "Tree", "Order12", "3");
    Edit("LogTable", "Stratum", "Order5", "7");
    ASSERT_EQ(updater_.Update(path_, "10.31.2004"), kUpdated);
    EXPECT_EQ(Entry("TreeTable", "GBDFTVolSP").Get("IsUsed"), "Y");
    EXPECT_EQ(Entry("TreeTable", "NBDFTVolSP").Get("IsUsed"), "Y");
    EXPECT_EQ(Entry("LogTable", "Plot").Get("Order5"), "0");
    EXPECT_EQ(Entry("LogTable", "Tree").Get("Order12"), "0");
    EXPECT_EQ(Entry("LogTable", "Stratum").Get("Order5"), "7");  // other rows keep theirs
    EXPECT_EQ(Entry("TreeTable", "GeospatialLink").count, 1);
    EXPECT_EQ(Entry("TreeTable", "Geospatial Link").count, 0);

    // An unused TotCubicVol leaves the three volume rows alone.
    Build("01.15.2004");
    Edit("TreeTable", "TotCubicVol", "IsUsed", "n");
    Edit("TreeTable", "GBDFTVolRP", "IsUsed", "N");
    ASSERT_EQ(updater_.Update(path_, "10.31.2004"), kUpdated);
    EXPECT_EQ(Entry("TreeTable", "GBDFTVolRP").Get("IsUsed"), "N");
}

TEST_F(UpdaterStepTest, AddedRowsCarryExactlyTheirGivenFields) {
    Build("10.31.2004", false,
          {"CountTable/CompoundSelection", "CruiseTable/Remarks", "WeightEquationTable/WgtEqSP",
           "WeightEquationTable/WgtEqFactor2", "SubPopulationTable/DBH", "TreeTable/WgtBBL"});
    ASSERT_EQ(updater_.Update(path_, "02.20.2007"), kUpdated);

    DictEntry cs = Entry("CountTable", "CompoundSelection");
    ASSERT_EQ(cs.count, 1);
    EXPECT_EQ(cs.Get("Description"), "Compound selection");
    EXPECT_EQ(cs.Get("FieldType"), "I");
    EXPECT_EQ(cs.Get("Length"), "1");
    EXPECT_EQ(cs.Get("IsUsed"), "");
    EXPECT_EQ(cs.Get("Order1"), "0");

    DictEntry dbh = Entry("SubPopulationTable", "DBH");
    EXPECT_EQ(dbh.Get("Description"), "DBH outside bark");
    EXPECT_EQ(dbh.Get("Min") + "/" + dbh.Get("Max") + "/" + dbh.Get("IsUsed"), "0/120/Y");

    DictEntry f2 = Entry("WeightEquationTable", "WgtEqFactor2");
    EXPECT_EQ(f2.Get("Description"), "Weight equation weight factor secondary");
    EXPECT_EQ(f2.Get("Min") + "/" + f2.Get("Max") + "/" + f2.Get("FieldEdit") + "/" +
                  f2.Get("Length") + "/" + f2.Get("Validate"),
              "0/999999.99/N/9/");
    EXPECT_EQ(Entry("WeightEquationTable", "WgtEqFactor").Get("Description"),
              "Weight equation weight factor primary");

    DictEntry remarks = Entry("CruiseTable", "Remarks");
    EXPECT_EQ(remarks.Get("FieldType"), "S");
    EXPECT_EQ(remarks.Get("Description"), "");
    EXPECT_EQ(Entry("TreeTable", "TreeCnt").Get("DefaultValue"), "V1");
    EXPECT_EQ(Entry("TreeTable", "CompoundSelection").Get("IsUsed"), "Y");

    storage_.reset();
    ASSERT_EQ(updater_.Update(path_), kUpdated);
    DictEntry sp = Entry("WeightEquationTable", "WgtEqSP");
    EXPECT_EQ(sp.Get("Description"), "Weight equation secondary product code");
    EXPECT_EQ(sp.Get("FieldType"), "");
    EXPECT_EQ(sp.Get("IsUsed"), "N");
    DictEntry bbl = Entry("TreeTable", "WgtBBL");
    EXPECT_EQ(bbl.Get("Description") + "/" + bbl.Get("FieldType") + "/" + bbl.Get("IsUsed") + "/" +
                  bbl.Get("Length") + "/" + bbl.Get("FieldEdit"),
              "Biomass live branches/D/N/7/N");
}

TEST_F(UpdaterStepTest, StepFourOrderingHonoursIfZero) {
    Build("02.20.2007");
    Edit("TreeTable", "TreeCnt", "Order8", "5");
    Edit("CountTable", "Freq", "Order7", "2");
    Edit("TreeTable", "KPI", "Order8", "6");
    ASSERT_EQ(updater_.Update(path_, "2008.12.19"), kUpdated);
    EXPECT_EQ(Entry("TreeTable", "TreeCnt").Get("Order8"), "5");
    EXPECT_EQ(Entry("CountTable", "Freq").Get("Order7"), "2");
    EXPECT_EQ(Entry("TreeTable", "KPI").Get("Order8"), "0");
    EXPECT_EQ(Entry("TreeTable", "KPI").Get("Order7"), "9");
    EXPECT_EQ(Entry("TreeTable", "CM").Get("Order7"), "8");
    EXPECT_EQ(Entry("TreeTable", "DBH").Get("Order8"), "3");
    EXPECT_EQ(Entry("SubPopulationTable", "UOMS").Get("Order1"), "0");
    EXPECT_EQ(Entry("PlotTable", "SlopePct").Get("FieldType"), "F");
    EXPECT_EQ(Entry("StratumTable", "Tally_Setup").count, 1);
}

TEST_F(UpdaterTest, MissingDictionaryIsRefusedWithoutChanges) {
    storetest::WriteFile(path_, {storetest::ConfigTable("2008.12.19"),
                                 Table{"TreeTable[Tree:S]", {{"1"}}}});
    ui::ScriptedUi ui;
    CFileChecker checker(ui);
    EXPECT_EQ(checker.CheckCruiseFile(path_, "CRZ"), -1);
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{
                              "Unknown problem with the data dictionary.\nPlease contact the "
                              "Service Center."}));
    EXPECT_EQ(Version(), "2008.12.19");
    auto s = mk::Storage::Open(path_);
    EXPECT_FALSE(s->HasView("DataDictionary"));
    EXPECT_FALSE(s->HasView("MessageLog"));
    EXPECT_TRUE(fs::exists(dir_.Path("SALE_v20081219.crz.BAK")));
}

TEST_F(UpdaterTest, VersionRowThatIsNotUniqueIsNotFound) {
    Table config = storetest::ConfigTable("02.20.2007");
    config.rows.push_back({"General", "StructureVersion", "02.20.2007"});
    storetest::WriteFile(path_, {config, storetest::Dictionary()});
    EXPECT_EQ(updater_.CheckVersion(schema::kCurrentVersion, "", path_), kVersionNotFound);
    EXPECT_EQ(updater_.Update(path_), kNoVersionRow);

    ui::ScriptedUi ui;
    CFileChecker checker(ui);
    EXPECT_EQ(checker.CheckCruiseFile(path_, "CRZ"), -1);
    EXPECT_EQ(ui.Texts(),
              (std::vector<std::string>{"Cruise object version number could not be found."}));
    auto s = mk::Storage::Open(path_);
    EXPECT_EQ(storetest::Column(*s, "GlobalConfigurationTable", "Value"),
              (std::vector<std::string>{"Kelvane", "02.20.2007", "02.20.2007"}));
    EXPECT_FALSE(s->HasView("MessageLog"));
}

// A crash at any write of an update leaves a readable file at one of the versions of
// the chain, with exactly one log row per step it reached.
TEST_F(UpdaterTest, CutShortAtEveryWriteLeavesAValidVersion) {
    const std::vector<std::string> chain = {"02.20.2007", "2008.12.19", "2010.03.18"};
    for (int n = 0;; ++n) {
        Build("02.20.2007");
        mk::detail::FailWritesAfter(n);
        int rc = updater_.Update(path_);
        bool finished = mk::detail::WritesSinceArmed() <= n;
        mk::detail::StopFailingWrites();
        auto s = mk::Storage::Open(path_);
        ASSERT_TRUE(s.ok()) << "cut at write " << n;
        std::string v = ReadStructureVersion(*s);
        auto at = std::find(chain.begin(), chain.end(), v);
        ASSERT_NE(at, chain.end()) << "cut at write " << n << ": " << v;
        EXPECT_EQ(storetest::Column(*s, "MessageLog", "Msg").size(),
                  static_cast<size_t>(at - chain.begin()))
            << "cut at write " << n;
        if (finished) {
            EXPECT_EQ(rc, kUpdated);
            EXPECT_EQ(v, "2010.03.18");
            break;
        }
        EXPECT_EQ(rc, kStepFailed) << "cut at write " << n;
        ASSERT_LT(n, 200);
    }
}

}  // namespace
