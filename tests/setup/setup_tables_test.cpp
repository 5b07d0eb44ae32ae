#include "setup/setup_tables.h"

#include <gtest/gtest.h>

#include "setup/setup_grid.h"
#include "setup/setup_session.h"
#include "setup/units_editor.h"
#include "setup_test_util.h"
#include "store/cruise_store.h"
#include "ui/scripted_ui.h"

using namespace setuptest;
using setup::PopulationsForm;

namespace {

// A small recon sale: three units in two recon strata, species DF/WH/RA, one tree
// without a species.
std::vector<Tree> SaleTrees() {
    return {{"1", "2", "1", "1", "DF", "02", "L"}, {"1", "1", "1", "1", "WH", "01", "L"},
            {"1", "1", "1", "2", "DF", "01", "L"}, {"1", "1", "2", "1", "DF", "01", "L"},
            {"2", "3", "1", "1", "RA", "02", "D"}, {"2", "3", "1", "2", "", "", ""},
            {"1", "1", "3", "1", "DF", "01", "D"}};
}
std::vector<Unit> SaleUnits() {
    return {{"1", 1.0, "North", "420"}, {"2", 10.0, "East", "430"}, {"3", 40.0, "South", ""}};
}

class SetupTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.Path("sale.crz");
        MakeCruise(path, SaleTrees(), SaleUnits(), {{"1", "PNT"}, {"2", "FIX"}});
    }
    // Opens the file, prepares the table variant, runs body on the open form,
    // then closes the store (uncommitted changes are dropped).
    void WithForm(const std::function<void(PopulationsForm&)>& body) {
        store::CCruiseStore store(ui);
        ASSERT_EQ(store.Open(path), 0);
        setup::PrepareWorkTables(*store.Storage(), ui, setup::PrepareVariant::Table);
        ASSERT_EQ(store.Commit(), 0);
        PopulationsForm form(ui, store, "SVSummaryTable", true);
        body(form);
    }
    // Assigns every summary row of a unit to a stratum and sample groups.
    static void Assign(PopulationsForm& f, const std::string& unit, const std::string& stratum,
                       const std::string& sg_tree = "A", const std::string& sg_plot = "A") {
        auto& g = f.Grid();
        for (int r = 0; r < g.RowCount(); ++r) {
            if (g.Text(r, g.FindColumn("CutUnit")) != unit) continue;
            g.SetText(r, "Stratum", stratum);
            g.SetText(r, "SgTree", sg_tree);
            g.SetText(r, "SgPlot", sg_plot);
        }
    }

    TempDir dir;
    std::string path;
    ui::ScriptedUi ui;
};

TEST_F(SetupTablesTest, PrepareBuildsUnitsAndSummaryOnceFromRecon) {
    WithForm([](PopulationsForm&) {});
    EXPECT_EQ(Rows(path, "SVUnitsTable", {"Select", "CutUnit", "Area", "Description", "LogMeth", "PayUnit"}),
              (std::vector<std::string>{"0|1|1|North|420|", "0|2|10|East|430|", "0|3|40|South||"}));
    // Distinct (unit, species, product, live/dead) ascending; the tree without species
    // makes no row.
    EXPECT_EQ(Rows(path, "SVSummaryTable", {"Recon", "Modify", "CutUnit", "Species", "Prod", "LD", "Stratum"}),
              (std::vector<std::string>{"1|Y|1|DF|01|D|", "1|Y|1|DF|01|L|", "1|Y|1|WH|01|L|",
                                        "1|Y|2|DF|02|L|", "1|Y|3|RA|02|D|"}));
    EXPECT_TRUE(ui.Messages().empty()) << "PNT and FIX strata give no warning";

    // A second run keeps what the forester has, even a table that was edited.
    {
        auto s = mk::Storage::Open(path);
        ASSERT_TRUE(s);
        s->GetView("SVUnitsTable").SetString(0, "Description", "edited");
        s->GetView("SVSummaryTable").RemoveRows(0, 2);
        ASSERT_TRUE(s->Commit());
    }
    WithForm([](PopulationsForm&) {});
    EXPECT_EQ(Column(path, "SVUnitsTable", "Description")[0], "edited");
    EXPECT_EQ(Column(path, "SVSummaryTable", "CutUnit").size(), 3u);
}

TEST_F(SetupTablesTest, OtherCruiseMethodsWarnOnlyWhenTheSummaryIsBuilt) {
    MakeCruise(path, SaleTrees(), SaleUnits(), {{"1", "PNT"}, {"2", "3P"}, {"3", "STR"}});
    WithForm([](PopulationsForm&) {});
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].title, "Warning");
    EXPECT_EQ(ui.Messages()[0].text,
              "Cruise methods other than PNT, FIX, and 100\nhave been detected in the recon cruise.\n\n"
              "No Strovan statistics will be computed for those strata.\nSee documentation for further "
              "details.");
    EXPECT_EQ(ui.Messages()[0].icon, ui::Icon::Exclamation);
    ui.Clear();
    WithForm([](PopulationsForm&) {});
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(SetupTablesTest, NoTreesLeavesTheSummaryEmptyForHandRows) {
    MakeCruise(path, {}, SaleUnits());
    WithForm([](PopulationsForm& f) {
        EXPECT_EQ(f.Grid().RowCount(), 0);
        int r = f.AddRow();
        EXPECT_EQ(f.Grid().View().GetString(r, "Recon"), "0");
        EXPECT_EQ(f.Grid().Foreground(r, 0), setup::kHandRowText);
    });
}

TEST_F(SetupTablesTest, RebuildWritesStrataWithExactFormats) {
    WithForm([&](PopulationsForm& f) {
        Assign(f, "1", "1", "A", "P");
        Assign(f, "2", "1", "B", "R");
        Assign(f, "3", "2", "", "Q");
        ASSERT_TRUE(f.Accept());
    });
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "Units", "TotAcres", "TotCircum", "SG_Tree", "SG_Plot", "Modified"}),
              (std::vector<std::string>{
                  "1|1,2|           11.0|              3079.5|A,B|P,R|Y",
                  "2|3|           40.0|              4679.3||Q|Y"}));
    EXPECT_EQ(setup::FormatAcres(1.0), "            1.0");
    EXPECT_EQ(setup::FormatCircumference(setup::UnitCircumference(1.0)), "               739.9");
    EXPECT_EQ(setup::FormatCircumference(setup::UnitCircumference(10.0)), "              2339.6");
    EXPECT_EQ(Column(path, "SVSummaryTable", "Modify"),
              (std::vector<std::string>(5, "N")));
}

TEST_F(SetupTablesTest, RebuildModifiedRules) {
    // First build: everything "Y".
    WithForm([&](PopulationsForm& f) {
        Assign(f, "1", "1");
        Assign(f, "2", "2");
        auto& g = f.Grid();
        for (int r = 0; r < g.RowCount(); ++r)
            if (g.Text(r, g.FindColumn("LD")) == "D" && g.Text(r, g.FindColumn("CutUnit")) == "1")
                g.SetText(r, "SgTree", "B");
        ASSERT_TRUE(f.Accept());
    });
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "SG_Tree", "Modified"}),
              (std::vector<std::string>{"1|A,B|Y", "2|A|Y"}));
    {  // the compilation has run since
        auto s = mk::Storage::Open(path);
        mk::View st = s->GetView("SVStrataTable");
        for (int r = 0; r < st.RowCount(); ++r) st.SetString(r, "Modified", "N");
        st.SetString(0, "Description", "ridge");
        ASSERT_TRUE(s->Commit());
    }
    WithForm([&](PopulationsForm& f) {
        auto& g = f.Grid();
        // Moving WH from sample group A to B inside stratum 1 changes neither its
        // units nor its code lists, yet its trees moved.
        for (int r = 0; r < g.RowCount(); ++r)
            if (g.Text(r, g.FindColumn("Species")) == "WH") g.SetText(r, "SgTree", "B");
        // A new stratum typed into the grid.
        Assign(f, "3", "7");
        ASSERT_TRUE(f.Accept());
    });
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "Description", "SG_Tree", "Modified"}),
              (std::vector<std::string>{"1|ridge|A,B|Y", "2||A|N", "7||A|Y"}));

    // Untouched strata stay "N"; a stratum waiting for its compilation stays "Y"
    // across a setup run in which it is not touched.
    {
        auto s = mk::Storage::Open(path);
        mk::View st = s->GetView("SVStrataTable");
        st.SetString(0, "Modified", "N");
        ASSERT_TRUE(s->Commit());
    }
    WithForm([&](PopulationsForm& f) {
        f.Grid().SetModified(true);
        ASSERT_TRUE(f.Accept());
    });
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "Modified"}),
              (std::vector<std::string>{"1|N", "2|N", "7|Y"}));
}

TEST_F(SetupTablesTest, MovingARowMarksTheStratumItLeaves) {
    WithForm([&](PopulationsForm& f) {
        Assign(f, "1", "1");
        Assign(f, "2", "1", "B", "B");
        Assign(f, "3", "2", "C", "C");
        ASSERT_TRUE(f.Accept());
    });
    {
        auto s = mk::Storage::Open(path);
        mk::View st = s->GetView("SVStrataTable");
        for (int r = 0; r < st.RowCount(); ++r) st.SetString(r, "Modified", "N");
        ASSERT_TRUE(s->Commit());
    }
    WithForm([&](PopulationsForm& f) {
        auto& g = f.Grid();
        // Unit 1's WH row goes to stratum 2; stratum 1 keeps units 1 and 2 and code A.
        for (int r = 0; r < g.RowCount(); ++r)
            if (g.Text(r, g.FindColumn("Species")) == "WH") g.SetText(r, "Stratum", "2");
        ASSERT_TRUE(f.Accept());
    });
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "Units", "Modified"}),
              (std::vector<std::string>{"1|1,2|Y", "2|1,3|Y"}));
}

TEST_F(SetupTablesTest, UnitsMissingFromTheUnitTableAndBlankStrata) {
    WithForm([&](PopulationsForm& f) {
        auto& g = f.Grid();
        int r = g.AddRow();
        g.SetText(r, "CutUnit", "  9 ");
        g.SetText(r, "Stratum", "5");
        g.SetText(r, "Species", "DF");
        Assign(f, "1", "");  // blank stratum: no strata row
        // The unit editor opens at once; the forester gives the new unit no acres and
        // cancels.
        ui.PushFormAs<setup::EditDataForm>(setup::EditDataForm::kId, [](setup::EditDataForm& e) {
            EXPECT_EQ(e.Grid().Table(), "SVUnitsTable");
            EXPECT_FALSE(e.Accept());
            return false;
        });
        ASSERT_TRUE(f.Accept());
    });
    EXPECT_EQ(ui.Messages()[0].text, "Units Added.\nPlease Add Unit Acres to Unit Table.");
    EXPECT_EQ(ui.Messages()[0].title, "Information");
    EXPECT_EQ(ui.Messages()[0].icon, ui::Icon::Exclamation);
    EXPECT_EQ(ui.Messages()[1].kind, "form");
    EXPECT_EQ(ui.Messages()[2].text,
              "Warning:  One or more units contain zero acres!\nPlease add correct number of acres in the "
              "'Area' column.");
    EXPECT_EQ(ui.PendingForms(setup::EditDataForm::kId), 0u);
    EXPECT_EQ(Rows(path, "SVUnitsTable", {"CutUnit", "Area"}).back(), "9|0");
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "Units", "TotAcres", "TotCircum"}),
              (std::vector<std::string>{"5|9|            0.0|                 0.0"}));
    // A stratum whose units are all missing from the unit table: Units filled, totals
    // empty.
    {
        auto s = mk::Storage::Open(path);
        mk::View units = s->GetView("SVUnitsTable");
        units.RemoveRows(units.RowCount() - 1, 1);
        setup::RebuildStrataSummary(*s);
        EXPECT_EQ(s->GetView("SVStrataTable").GetString(0, "Units"), "9");
        EXPECT_EQ(s->GetView("SVStrataTable").GetString(0, "TotAcres"), "");
        EXPECT_EQ(s->GetView("SVStrataTable").GetString(0, "TotCircum"), "");
    }
}

TEST_F(SetupTablesTest, ProductCheckListsMixedCodesAndKeepsTheFormOpen) {
    WithForm([&](PopulationsForm& f) {
        Assign(f, "1", "1", "A", "");
        Assign(f, "2", "1", "A", "");
        Assign(f, "3", "2", "C", "C");
        // Unit 3's RA (02) shares plot code C with a hand row of product 01.
        auto& g = f.Grid();
        int r = g.AddRow();
        for (auto [c, v] : {std::pair{"CutUnit", "3"}, {"Stratum", "2"}, {"SgTree", "D"},
                            {"SgPlot", "C"}, {"Species", "WH"}, {"Prod", "01"}})
            g.SetText(r, c, v);
        EXPECT_FALSE(f.Accept());
        EXPECT_FALSE(f.Done());
    });
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text,
              "Products must be in separate sample groups.\n"
              "\nStrata Number 1\nTree Based Sample Groups\nSample Group 'A'\n"
              "\nStrata Number 1\nPlot Based Sample Groups\nSample Group ''\n"
              "\nStrata Number 2\nPlot Based Sample Groups\nSample Group 'C'\n");
    EXPECT_FALSE(HasTable(path, "SVStrataTable"));

    // The sample-group table is one group, without stratum headings.
    auto fill = mk::View::Make("SgTree:S,SgPlot:S,Prod:S");
    ASSERT_TRUE(fill);
    for (auto [t, p, prod] : {std::tuple{"A", "X", "01"}, {"A", "Y", "02"}}) {
        int r = fill->AddRow();
        fill->SetString(r, 0, t);
        fill->SetString(r, 1, p);
        fill->SetString(r, 2, prod);
    }
    EXPECT_EQ(setup::ProductCheckMessage(*fill, false),
              "Products must be in separate sample groups.\n\nTree Based Sample Groups\nSample Group 'A'\n");
}

TEST_F(SetupTablesTest, RemakeAsksFirstAndMarksRowsAgain) {
    WithForm([&](PopulationsForm& f) {
        Assign(f, "1", "1");
        ASSERT_TRUE(f.Accept());
    });
    WithForm([&](PopulationsForm& f) {
        ui.PushQuestionAnswer(false);
        f.Remake();
        EXPECT_FALSE(f.Grid().Modified());
        EXPECT_EQ(f.Grid().View().GetString(0, "Stratum"), "1");
        ui.PushQuestionAnswer(true);
        f.Remake();
        EXPECT_TRUE(f.Grid().Modified());
        EXPECT_EQ(f.Grid().RowCount(), 5);
        EXPECT_EQ(f.Grid().View().GetString(0, "Stratum"), "");
        EXPECT_EQ(f.Grid().View().GetString(0, "Modify"), "A");
        Assign(f, "2", "3");
        ASSERT_TRUE(f.Accept());
    });
    EXPECT_EQ(ui.Messages()[0].kind, "question");
    EXPECT_EQ(ui.Messages()[0].text,
              "\r\n\r\nYou are about to reset your data.\r\n\r\nAll your changes will be lost.\r\n\r\n"
              "Do You Wish to Continue?");
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "Modified"}), (std::vector<std::string>{"3|Y"}));
}

TEST_F(SetupTablesTest, CancelKeepsTablesInAgreement) {
    WithForm([&](PopulationsForm& f) {
        Assign(f, "1", "1");
        Assign(f, "3", "2");
        ASSERT_TRUE(f.Accept());
    });
    // Cancel of an untouched grid only clears the change marks.
    WithForm([&](PopulationsForm& f) { f.Cancel(); });
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "Units"}),
              (std::vector<std::string>{"1|1", "2|3"}));
    EXPECT_EQ(Column(path, "SVSummaryTable", "Modify"), std::vector<std::string>(5, "N"));
    // Cancel takes the edits back; the strata table still agrees with the rows.
    WithForm([&](PopulationsForm& f) {
        Assign(f, "3", "");
        f.Cancel();
    });
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "Units"}), (std::vector<std::string>{"1|1", "2|3"}));
    EXPECT_EQ(Rows(path, "SVSummaryTable", {"CutUnit", "Stratum"}).size(), 5u);
    EXPECT_EQ(Column(path, "SVSummaryTable", "Modify"), std::vector<std::string>(5, "N"));
}

TEST_F(SetupTablesTest, TableVariantCarriesWaitingStrataIntoTheirRows) {
    WithForm([&](PopulationsForm& f) {
        Assign(f, "1", "1");
        Assign(f, "3", "2");
        ASSERT_TRUE(f.Accept());
    });
    {
        auto s = mk::Storage::Open(path);
        s->GetView("SVStrataTable").SetString(1, "Modified", "N");
        ASSERT_TRUE(s->Commit());
    }
    WithForm([&](PopulationsForm& f) {
        auto& v = f.Grid().View();
        for (int r = 0; r < v.RowCount(); ++r) {
            std::string s = v.GetString(r, "Stratum");
            EXPECT_EQ(v.GetString(r, "Modify"), s == "1" ? "A" : s == "2" ? "N" : "N") << r;
        }
    });
}

TEST_F(SetupTablesTest, FormVariantEmptiesTheTreePickAndStartsAtTheLastStratum) {
    store::CCruiseStore store(ui);
    ASSERT_EQ(store.Open(path), 0);
    mk::Storage& s = *store.Storage();
    auto sel = s.GetAs(schema::kSVSelTreeTableDesc);
    sel->AddRow();
    auto r = setup::PrepareWorkTables(s, ui, setup::PrepareVariant::Form);
    EXPECT_EQ(r.current_stratum, "1");
    EXPECT_EQ(s.GetView("SVSelTreeTable").RowCount(), 0);
    auto st = s.GetAs(schema::kSVStrataTableDesc);
    st->SetString(st->AddRow(), "Stratum", "4");
    st->SetString(st->AddRow(), "Stratum", "12");
    EXPECT_EQ(setup::PrepareWorkTables(s, ui, setup::PrepareVariant::Form).current_stratum, "12");
}

TEST_F(SetupTablesTest, DiameterClassOfTheStratumAndUnitsAddedByHand) {
    WithForm([&](PopulationsForm& f) {
        auto& g = f.Grid();
        Assign(f, "1", "1");
        // A stratum-level split of the WH row.
        for (int r = 0; r < g.RowCount(); ++r)
            if (g.Text(r, g.FindColumn("Species")) == "WH") {
                g.View().SetString(r, "DiaFlag", "Str1");
                g.View().SetString(r, "DMin", "0.0");
                g.View().SetString(r, "DMax", "12.9");
            }
        ASSERT_TRUE(f.Accept());
    });
    EXPECT_EQ(Rows(path, "SVStrataTable", {"DClassMin", "DClassMax"}),
              (std::vector<std::string>{"|"}))
        << "the empty flag of the other rows sorts first";
    // Unit 8 added to stratum 1 by the unit dialog: it has no summary rows and must
    // survive the next rebuild.
    {
        auto s = mk::Storage::Open(path);
        mk::View units = s->GetView("SVUnitsTable"), strata = s->GetView("SVStrataTable");
        setup::AddUnitToStratum(units, strata, 0, {"8", 5.0, "", "", ""});
        ASSERT_TRUE(s->Commit());
    }
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Units", "TotAcres"}),
              (std::vector<std::string>{"1,8|            6.0"}));
    WithForm([&](PopulationsForm& f) {
        f.Grid().SetModified(true);
        ASSERT_TRUE(f.Accept());
    });
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Units", "TotAcres"}),
              (std::vector<std::string>{"1,8|            6.0"}));
}

}  // namespace
