// The strata and sample-groups commands, and the same steps through the forms.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/setup_file.h"
#include "commands.h"
#include "setup/import_svz.h"
#include "setup/setup_session.h"
#include "setup/strata_forms.h"
#include "setup_test_util.h"
#include "store/config.h"
#include "ui/scripted_ui.h"

using namespace setuptest;
using namespace setup;

namespace {

const std::string kExample = std::string(STROVAN_SOURCE_DIR) + "/examples/sale.svz";

class StrataCli : public ::testing::Test {
protected:
    std::string MakeSale(const std::string& name) {
        std::string p = dir.Path(name);
        auto s = mk::Storage::Create(p);
        EXPECT_TRUE(s);
        EXPECT_TRUE(app::BuildSetup(*s));
        store::SetSetting(*s, "Strovan", "Type", "Design");
        EXPECT_TRUE(s->Commit());
        ui::ScriptedUi ui;
        EXPECT_EQ(ImportSvz(ui, p, kExample), 0);
        return p;
    }
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return cli::RunCli(args, out, err);
    }
    std::vector<std::string> Tables(const std::string& p) {
        auto v = Rows(p, "SVSummaryTable",
                      {"CutUnit", "Stratum", "SgTree", "SgPlot", "Species", "Prod", "LD", "DiaFlag", "DMin", "DMax"});
        for (auto& s : Rows(p, "SVStrataTable", {"Stratum", "Units", "TotAcres", "DClassMin", "SG_Tree", "SG_Plot", "Modified"}))
            v.push_back("strata " + s);
        return v;
    }
    TempDir dir;
    std::ostringstream out, err;
};

TEST_F(StrataCli, SameTablesAsTheFormsForQuickStrataRangesAndSampleGroups) {
    const std::string cli_path = MakeSale("cli.crz"), form_path = MakeSale("form.crz");

    // Strata of units with two products need their sample groups before OK.
    EXPECT_EQ(Run({"strata", cli_path, "--diameter-ranges", "0-11.9,12-99", "--quick", "unit"}), 1);
    EXPECT_NE(err.str().find("Products must be in separate sample groups."), std::string::npos) << err.str();
    EXPECT_EQ(Run({"strata", cli_path, "--diameter-ranges", "0-11.9,12-99", "--quick", "unit", "--sample-groups",
                   "tree=species,product", "plot=product", "--json"}),
              0)
        << err.str();
    EXPECT_NE(out.str().find("\"committed\": true"), std::string::npos) << out.str();
    EXPECT_EQ(Run({"sample-groups", cli_path, "--quick", "tree=species,product", "plot=product"}), 0) << err.str();
    EXPECT_EQ(Run({"sample-groups", cli_path, "--sort", "Stratum,Species,DMin"}), 0) << err.str();

    ui::ScriptedUi ui;
    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, [](PopulationsForm& f) {
        f.QuickStrata(0);
        f.QuickStrata(0);
        f.QuickSg(0);
        f.SortTable(0);
        return true;
    });
    ui.PushFormAs<QuickStrataForm>(QuickStrataForm::kId, [](QuickStrataForm& d) {
        d.choice = QuickStrataForm::Choice::DiameterRanges;
        return true;
    });
    ui.PushFormAs<DiameterRangesForm>(DiameterRangesForm::kId, [](DiameterRangesForm& d) {
        d.SetRanges({{"0", "11.9"}, {"12", "99"}});
        d.scope = RangeScope::AllRows;
        return true;
    });
    ui.PushFormAs<QuickStrataForm>(QuickStrataForm::kId, [](QuickStrataForm& d) {
        d.keys.unit = true;
        return true;
    });
    ui.PushFormAs<QuickSgForm>(QuickSgForm::kId, [](QuickSgForm& d) {
        d.tree.species = d.tree.prod = true;
        d.plot.prod = true;
        d.choice = QuickSgForm::Choice::AllStrata;
        return true;
    });
    ui.PushFormAs<SortForm>(SortForm::kId, [](SortForm& d) {
        d.by[0] = "Stratum";
        d.by[1] = "Species";
        d.by[2] = "DMin";
        return true;
    });
    StrataDefinitionsForm setup_dialog(ui, form_path, "N");
    EXPECT_EQ(setup_dialog.SetupTable(), 0);

    const auto cli_tables = Tables(cli_path);
    EXPECT_EQ(cli_tables, Tables(form_path));
    EXPECT_GT(cli_tables.size(), 40u);
    EXPECT_NE(std::find_if(cli_tables.begin(), cli_tables.end(),
                           [](const std::string& s) { return s.rfind("strata 1|", 0) == 0; }),
              cli_tables.end());
}

TEST_F(StrataCli, RefusalsChangeNothingAndExitWithFailure) {
    const std::string p = MakeSale("sale.crz");
    const std::string before = ReadBytes(p);
    EXPECT_EQ(Run({"strata", p, "--diameter-ranges", "12-6"}), 2);
    EXPECT_EQ(Run({"strata", p, "--diameter-ranges", "0-12,10-99"}), 2);
    EXPECT_EQ(Run({"strata", p, "--delete", "5", "--json"}), 1);
    EXPECT_NE(out.str().find("Stratum '5' is not defined."), std::string::npos);
    EXPECT_EQ(Run({"sample-groups", p, "--quick", "tree=species", "--scope", "stratum:3", "--json"}), 1);
    EXPECT_EQ(Run({"sample-groups", p, "--remove-ranges"}), 1);
    EXPECT_EQ(Run({"sample-groups", p, "--sort", "Bogus"}), 2);
    EXPECT_EQ(Run({"sample-groups", p, "--quick"}), 2);
    EXPECT_EQ(ReadBytes(p), before);
    // A code or description wider than the field program's field defines nothing.
    EXPECT_EQ(Run({"strata", p, "--define", "ABC", "--units", "1", "--json"}), 1);
    EXPECT_NE(out.str().find("Stratum: 'ABC' is too long. Please enter no more than 2 characters."), std::string::npos);
    EXPECT_EQ(Run({"strata", p, "--define", "7", "--units", "1", "--description", std::string(26, 'x')}), 1);
    EXPECT_TRUE(Rows(p, "SVStrataTable", {"Stratum"}).empty());
}

TEST_F(StrataCli, DefineByUnitsAndItemsThenDeleteAll) {
    const std::string p = MakeSale("sale.crz");
    ASSERT_EQ(Run({"strata", p, "--define", "7", "--units", "1,2", "--description", "north", "--sample-groups",
                   "tree=product", "plot=product", "--json"}),
              0)
        << out.str() << err.str();
    auto strata = Rows(p, "SVStrataTable", {"Stratum", "Description", "Units", "Modified"});
    ASSERT_EQ(strata.size(), 1u);
    EXPECT_EQ(strata[0], "7|north|1,2|Y");
    EXPECT_FALSE(HasTable(p, "SVFillSGTable"));
    // The same code again is refused.
    EXPECT_EQ(Run({"strata", p, "--define", "7", "--units", "3", "--sample-groups", "tree=product"}), 1);
    EXPECT_EQ(Run({"strata", p, "--delete", "all"}), 0);
    EXPECT_TRUE(Rows(p, "SVStrataTable", {"Stratum"}).empty());
    for (const auto& s : Column(p, "SVSummaryTable", "Stratum")) EXPECT_EQ(s, "");
}

}  // namespace
