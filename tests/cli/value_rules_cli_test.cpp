// Every value typed on the command line, in the cost dialog and in the unit editor,
// against the catalogue of bad inputs: refused in the words of its rule, exit 1, and
// the cruise file left byte for byte as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "app/costs_dialog.h"
#include "app/setup_file.h"
#include "design/workspace_fixture.h"
#include "setup/setup_grid.h"
#include "setup/units_editor.h"
#include "store/value_rules.h"
#include "support/bad_inputs.h"
#include "support/cli_fixture.h"

namespace {

using testsupport::BadInputs;
using testsupport::ReadBytes;

class TypedValues : public testsupport::CliTest {
protected:
    void SetUp() override {
        std::vector<wstest::StratumSpec> sale = wstest::DefaultSale();
        // Strata whose methods show the height and the big BAF.
        sale.push_back({"5", "P3P", 50, {"A"}, "15"});
        sale.push_back({"6", "PCM", 60, {"A", "B"}, "16"});
        wstest::WriteSale(crz_, sale);
    }

    // Runs a command that must be refused; true when it exits 1, says `why` and leaves
    // the file as it was.
    void ExpectRefused(const std::vector<std::string>& args, const std::string& why) {
        const std::string before = ReadBytes(crz_);
        std::string shown;
        for (const auto& a : args) shown += a + " ";
        EXPECT_EQ(Run(args), cli::kExitFailure) << shown;
        EXPECT_NE(err_.str().find(why), std::string::npos) << shown << "\n" << err_.str();
        EXPECT_TRUE(ReadBytes(crz_) == before) << "the file changed: " << shown;
    }

    std::string crz_ = dir_ + "/sale.crz";
};

TEST_F(TypedValues, DesignCellsOnTheCommandLine) {
    // A sample group whose stratum's method shows the column.
    const std::map<std::string, std::string> where = {
        {"SgErr", "1/A"},    {"SgN", "1/A"},  {"SgCV", "1/A"}, {"Trees/Acre", "1/A"}, {"Vol/Acre", "1/A"},
        {"Freq", "1/A"},     {"Description", "1/A"}, {"SgN2", "3/A"}, {"SgCV2", "3/A"}, {"KZ", "3/A"},
        {"Trees/Plot", "2/B"}, {"AvgHt", "5/A"}, {"BigBaf", "6/B"},
    };
    for (const auto& [col, at] : where) {
        const store::ValueRule& rule = *store::RuleFor(schema::kSVDesignSgTable, col);
        for (const std::string& bad : BadInputs(rule))
            ExpectRefused({"design", crz_, "--set", at + "/" + col + "=" + bad},
                          "design: " + store::Refusal(rule, bad) + "\n");
    }
    for (const char* col : {"Description", "Lock"}) {
        const store::ValueRule& rule = *store::RuleFor(schema::kSVDesignTable, col);
        for (const std::string& bad : BadInputs(rule))
            ExpectRefused({"design", crz_, "--set", std::string("1//") + col + "=" + bad}, store::Refusal(rule, bad));
    }
    for (const std::string& bad : BadInputs(store::rules::kBaf))
        if (!bad.empty()) ExpectRefused({"design", crz_, "--plot-size", "2=" + bad}, "was not changed");
    ExpectRefused({"design", crz_, "--save-design", "   "}, "did not complete");
    ExpectRefused({"design", crz_, "--save-design", std::string(26, 'D')}, "did not complete");
}

TEST_F(TypedValues, CostsInTheDialogAndOnTheCommandLine) {
    const auto& keys = schema::CostKeys();
    for (int f = 0; f < ui::kCostFieldCount; ++f) {
        const store::ValueRule& rule = store::rules::Costs()[f];
        for (const std::string& bad : BadInputs(rule)) {
            ui::ScriptedUi u;
            app::CCostsDialog dlg(u, {});
            dlg.Values()[f] = bad;
            EXPECT_FALSE(dlg.OnOk()) << keys[f] << " '" << bad << "'";
            ASSERT_NE(u.Last(), nullptr);
            EXPECT_EQ(u.Last()->text.rfind(rule.name, 0), 0u) << u.Last()->text;
            ExpectRefused({"costs", crz_, "--set", keys[f] + "=" + bad}, rule.name);
        }
    }
}

TEST_F(TypedValues, UnitsInTheEditorAndOnTheCommandLine) {
    auto st = mk::Storage::Open(crz_, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(st.ok());
    setup::SetupGrid grid(st->GetView(schema::kSVUnitsTable).Clone(), schema::kSVUnitsTable);
    for (const char* col : {"CutUnit", "Area", "Description", "LogMeth", "PayUnit"}) {
        const store::ValueRule& rule = *store::RuleFor(schema::kSVUnitsTable, col);
        const int c = grid.FindColumn(col);
        const std::string kept = grid.Text(0, c);
        for (const std::string& bad : BadInputs(rule)) {
            EXPECT_FALSE(grid.SetText(0, c, bad)) << col << " '" << bad << "'";
            EXPECT_EQ(grid.EditRefusal(0, c, bad), store::Refusal(rule, bad));
            EXPECT_EQ(grid.Text(0, c), kept);
            ExpectRefused({"setup", crz_, "--set", std::string("SVUnitsTable:") + col + "=" + bad, "--where",
                           "CutUnit=10"},
                          store::Refusal(rule, bad));
        }
    }
    // The unit editor's own checks hold on the command line too: no code twice.
    ExpectRefused({"setup", crz_, "--set", "SVUnitsTable:CutUnit=11", "--where", "CutUnit=10"},
                  "Unit '11' is in the unit table more than once");
    ExpectRefused({"setup", crz_, "--add-unit", " :5"}, setup::kNeedUnitCode);
    ExpectRefused({"setup", crz_, "--add-unit", "10:5"}, "Unit '10' is already in the unit table.");
    ExpectRefused({"setup", crz_, "--add-unit", " 10 :5"}, "Unit '10' is already in the unit table.");
    ExpectRefused({"setup", crz_, "--add-unit", "1234:5"}, "Please enter no more than 3 characters.");
    for (const std::string& bad : BadInputs(store::rules::kUnitArea)) {
        if (bad.find_first_not_of(' ') == std::string::npos) continue;  // an empty area is the next line
        ExpectRefused({"setup", crz_, "--add-unit", "77:" + bad}, store::Refusal(store::rules::kUnitArea, bad));
    }
    ExpectRefused({"setup", crz_, "--add-unit", "77: "}, setup::kNeedUnitArea);
    // Sample-group and stratum codes are as wide as the field program takes them.
    ExpectRefused({"setup", crz_, "--set", "SVSummaryTable:SgTree=" + std::string(36, 'Q'), "--where", "CutUnit=10"},
                  "SgTree: '" + std::string(36, 'Q') + "' is too long. Please enter no more than 2 characters.");
    ExpectRefused({"setup", crz_, "--set", "SVSummaryTable:DMin=abc", "--where", "CutUnit=10"},
                  "DMin: 'abc' is not a number.");
    // A good value is taken, trimmed.
    ASSERT_EQ(Run({"setup", crz_, "--add-unit", " 77 :12.5"}), cli::kExitOk) << err_.str();
    auto after = mk::Storage::Open(crz_, mk::OpenMode::ReadOnly);
    mk::View units = after->GetView(schema::kSVUnitsTable);
    EXPECT_EQ(units.GetString(units.RowCount() - 1, "CutUnit"), "77");
    EXPECT_EQ(units.GetDouble(units.RowCount() - 1, "Area"), 12.5);
}

TEST_F(TypedValues, ASaleNumberIsDigits) {
    const std::string setup = dir_ + "/default.stp";
    ASSERT_TRUE(app::WriteSetupFile(setup));
    ASSERT_EQ(Run({"new", "--setup", setup, "--sale", "12a", dir_ + "/new.crz"}), cli::kExitFailure);
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/new.crz"));
    EXPECT_NE((err_.str() + out_.str()).find("Sale Number: '12a' is not made of digits alone."), std::string::npos)
        << err_.str() << out_.str();
}

// Without sample sizes the sale error is not computable: the command line says so and
// names the stratum, and the field file is not made from such a design.
TEST_F(TypedValues, ADesignWithoutSampleSizesHasNoSaleErrorAndNoFieldFile) {
    {
        auto s = mk::Storage::Open(crz_, mk::OpenMode::ReadWrite);
        ASSERT_TRUE(s.ok());
        mk::View g = s->GetView(schema::kSVDesignSgTable);
        g.SetInt(0, "SgN", 0);  // stratum 1, group A
        ASSERT_TRUE(s->Commit().ok());
    }
    ASSERT_EQ(Run({"design", crz_, "--json"}), cli::kExitOk) << err_.str();
    const std::string json = out_.str();
    EXPECT_NE(json.find("\"sale_error\": null"), std::string::npos) << json;
    EXPECT_NE(json.find("\"sale_error_text\": \"not computable\""), std::string::npos);
    const std::size_t list = json.find("\"uncomputable_strata\": [");
    ASSERT_NE(list, std::string::npos);
    EXPECT_NE(json.substr(list, json.find(']', list) - list).find("\"1\""), std::string::npos);
    EXPECT_NE(json.find("\"SgErr\": null"), std::string::npos);
    ASSERT_EQ(Run({"design", crz_}), cli::kExitOk);
    EXPECT_NE(out_.str().find("Sale Error: not computable\nCost:"), std::string::npos) << out_.str();
    EXPECT_NE(out_.str().find("stratum 1 has a sample group without a sample size"), std::string::npos);

    ASSERT_EQ(Run({"report", crz_, "--kind", "summary"}), cli::kExitOk) << err_.str();
    EXPECT_NE(out_.str().find("not computable"), std::string::npos);

    const std::string before = ReadBytes(crz_);
    EXPECT_EQ(Run({"field-file", crz_, dir_ + "/field.crz", "--yes"}), cli::kExitFailure);
    EXPECT_NE((err_.str() + out_.str()).find("Stratum 1, sample group A (STR) has no sample size (SgN 0)"),
              std::string::npos)
        << err_.str() << out_.str();
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/field.crz"));
    EXPECT_TRUE(ReadBytes(crz_) == before) << "the file changed";
}

// A change of costs reaches a design that exists: its stratum costs follow at once.
TEST_F(TypedValues, CostsReachTheDesignWhenSaved) {
    auto cost = [&] {
        auto s = mk::Storage::Open(crz_, mk::OpenMode::ReadOnly);
        return s->GetView(schema::kSVDesignTable).GetDouble(0, "StrCost");  // the STR stratum
    };
    ASSERT_EQ(Run({"costs", crz_, "--set", "TreeMeas=4"}), cli::kExitOk) << err_.str();
    const double slow = cost();
    ASSERT_EQ(Run({"costs", crz_, "--set", "TreeMeas=8"}), cli::kExitOk) << err_.str();
    EXPECT_LT(cost(), slow);  // twice the trees an hour: each costs less
    ASSERT_EQ(Run({"design", crz_, "--json"}), cli::kExitOk);
    char shown[64];
    std::snprintf(shown, sizeof shown, "\"StrCost\": %g", cost());
    EXPECT_NE(out_.str().find(shown), std::string::npos) << out_.str().substr(0, 600);
}

}  // namespace
