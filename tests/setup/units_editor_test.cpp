#include "setup/units_editor.h"

#include <gtest/gtest.h>

#include "setup/setup_tables.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

namespace {

using setup::EditDataForm;

mk::View Units(const std::vector<std::pair<std::string, double>>& rows) {
    auto v = mk::View::Make("Select:S,CutUnit:S,Area:D,Description:S,LogMeth:S,PayUnit:S");
    for (const auto& [code, area] : rows) {
        int r = v->AddRow();
        v->SetString(r, "Select", "0");
        v->SetString(r, "CutUnit", code);
        v->SetDouble(r, "Area", area);
        v->SetString(r, "Description", "Unit " + code);
        v->SetString(r, "LogMeth", "420");
        v->SetString(r, "PayUnit", "P" + code);
    }
    return *v;
}

TEST(UnitEditor, OkNeedsPositiveAreasAndOneRowPerCode) {
    EXPECT_EQ(setup::CheckUnitTable(Units({{"1", 10}, {"2", 0.5}})), "");
    EXPECT_EQ(setup::CheckUnitTable(Units({{"1", 10}, {"2", 0}})),
              "Warning:  One or more units contain zero acres!\nPlease add correct number of acres in the "
              "'Area' column.");
    EXPECT_EQ(setup::CheckUnitTable(Units({{"1", -4}})),
              "Warning:  One or more units contain zero acres!\nPlease add correct number of acres in the "
              "'Area' column.");
    EXPECT_NE(setup::CheckUnitTable(Units({{"1", 10}, {"1", 3}})).find("Unit '1'"), std::string::npos);
    EXPECT_NE(setup::CheckUnitTable(Units({{" ", 10}})).find("no unit code"), std::string::npos);

    // An area typed as anything but a positive number is refused at the cell and the
    // cell keeps its value; an area of 0 that the table already holds (an older file)
    // keeps the dialog open until it is mended.
    ui::ScriptedUi ui;
    mk::View units = Units({{"1", 10}, {"2", 5}});
    ui.PushFormAs<EditDataForm>(EditDataForm::kId, [](EditDataForm& f) {
        EXPECT_EQ(f.Title(), "Edit Unit Table");
        const int area = f.Grid().FindColumn("Area");
        for (const char* bad : {"many", "0", "-7", "", "1e400", "nan"}) {
            EXPECT_FALSE(f.Grid().SetText(1, area, bad)) << bad;
            EXPECT_NE(f.Grid().EditRefusal(1, area, bad), "") << bad;
        }
        EXPECT_EQ(f.Grid().EditRefusal(1, area, "many"),
                  "Area: 'many' is not a number. Enter a number greater than 0 and at most 1,000,000 acres.");
        EXPECT_EQ(f.Grid().View().GetDouble(1, "Area"), 5);
        EXPECT_FALSE(f.Grid().SetText(0, "CutUnit", "1234"));  // wider than the field
        EXPECT_FALSE(f.Grid().SetText(0, "CutUnit", "  "));
        EXPECT_EQ(f.Grid().View().GetString(0, "CutUnit"), "1");
        f.Grid().View().SetDouble(1, "Area", 0);
        return true;  // OK pressed: refused, the dialog stays open
    });
    ui.PushFormAs<EditDataForm>(EditDataForm::kId, [](EditDataForm& f) {
        f.Grid().SetText(1, "Area", " 12.5 ");
        return true;  // OK pressed; the check runs on it
    });
    EXPECT_TRUE(setup::RunUnitEditor(ui, units));
    EXPECT_EQ(units.GetDouble(1, "Area"), 12.5);
    EXPECT_EQ(ui.Texts(),
              std::vector<std::string>{
                  "Warning:  One or more units contain zero acres!\nPlease add correct number of acres in the "
                  "'Area' column."});

    // Cancel takes back the edits written while the dialog was open, bad areas too.
    ui.PushFormAs<EditDataForm>(EditDataForm::kId, [](EditDataForm& f) {
        f.Grid().SetText(0, "Description", "  Ridge  ");
        f.Grid().SetText(0, "Area", "-5");
        f.Grid().AddRow();
        return false;
    });
    EXPECT_FALSE(setup::RunUnitEditor(ui, units));
    EXPECT_EQ(units.RowCount(), 2);
    EXPECT_EQ(units.GetString(0, "Description"), "Unit 1");
    EXPECT_EQ(units.GetDouble(0, "Area"), 10.0);
    EXPECT_EQ(units.GetDouble(1, "Area"), 12.5);
}

TEST(UnitEditor, LoggingMethodLookupPicksOneOfTheFixedList) {
    const auto& list = setup::LogMethods();
    EXPECT_EQ(list.front().code, std::string("401"));
    EXPECT_EQ(list[16].description, std::string("Grabinski"));
    EXPECT_EQ(list[19].code, std::string("454"));
    EXPECT_EQ(list[23].code, std::string("464"));
    EXPECT_EQ(list.back().description, std::string("Cut to length"));
    for (size_t i = 1; i < list.size(); ++i) EXPECT_LT(std::string(list[i - 1].code), list[i].code);

    ui::ScriptedUi ui;
    mk::View units = Units({{"1", 10}, {"2", 5}});
    ui.PushFormAs<EditDataForm>(EditDataForm::kId, [](EditDataForm& f) {
        EXPECT_EQ(f.Title(), "Select Logging Method");
        EXPECT_EQ(f.Grid().RowCount(), 32);
        EXPECT_EQ(f.Picked(), -1) << "no pick remembered from before";
        f.Tick(5);
        f.Tick(0);  // ticking a row clears the others
        int ticked = 0;
        for (int r = 0; r < 32; ++r) ticked += f.Grid().View().GetString(r, "Select") == "1";
        EXPECT_EQ(ticked, 1);
        return true;
    });
    EXPECT_TRUE(setup::LogMethodLookup(ui, units, 1));
    EXPECT_EQ(units.GetString(1, "LogMeth"), "401") << "the first row can be picked";
    // OK without a pick and Cancel change nothing.
    ui.PushFormAs<EditDataForm>(EditDataForm::kId, [](EditDataForm&) { return true; });
    ui.PushFormAs<EditDataForm>(EditDataForm::kId, [](EditDataForm& f) {
        f.Tick(3);
        return false;
    });
    EXPECT_FALSE(setup::LogMethodLookup(ui, units, 1));
    EXPECT_FALSE(setup::LogMethodLookup(ui, units, 1));
    EXPECT_EQ(units.GetString(1, "LogMeth"), "401");
}

TEST(UnitDialogs, AddAUnitRefusesKnownCodesAndBadAreas) {
    ui::ScriptedUi ui;
    mk::View units = Units({{"1", 10}});
    setup::AddUnitForm f(ui, units, setup::UnitCaller::StrataForm);
    EXPECT_EQ(f.Title(), "Add a Unit ");
    EXPECT_FALSE(f.AddEnabled());
    EXPECT_FALSE(f.SetCode("1234"));
    EXPECT_EQ(ui.Texts().back(), "Please enter no more than 3 characters.");
    EXPECT_FALSE(f.SetDescription(std::string(26, 'x')));
    EXPECT_EQ(ui.Texts().back(), "Please enter no more than 25 characters.");

    ASSERT_TRUE(f.SetCode("1"));
    f.CodeLeft();
    EXPECT_FALSE(f.AddEnabled());
    EXPECT_EQ(ui.Texts().back(),
              "Unit Exists in Unit Table.  Cannot Add the Unit to the Stratum.\n\nPlease Select the Modify "
              "Stratum Definition Option to Add This Unit.");
    EXPECT_EQ(f.Area(), "   10.0");
    EXPECT_EQ(f.Description(), "Unit 1");

    setup::AddUnitForm d(ui, units, setup::UnitCaller::DesignForm);
    d.SetCode("1");
    d.CodeLeft();
    EXPECT_EQ(ui.Texts().back(),
              "Unit Exists in Unit Table.  Cannot Add the Unit to the Stratum Here.\n\nPlease Return to the "
              "Setup Strata Section to Add This Unit.");

    setup::AddUnitForm g(ui, units, setup::UnitCaller::StrataForm);
    EXPECT_FALSE(g.AddUnit());
    EXPECT_EQ(ui.Texts().back(), "Must Provide a Cutting Unit Code.");
    g.SetCode(" 7 ");
    g.CodeLeft();
    EXPECT_TRUE(g.AddEnabled());
    g.SetArea("  ");
    EXPECT_FALSE(g.AddUnit());
    EXPECT_EQ(ui.Texts().back(), "Must Provide Unit Area in Acres.");
    for (const char* area : {"abc", "0", "-5", "12acres", "inf", "1e400"}) {
        g.SetArea(area);
        EXPECT_FALSE(g.AddUnit()) << area;
        EXPECT_EQ(ui.Texts().back().rfind("Area: '" + std::string(area) + "'", 0), 0u) << ui.Texts().back();
    }
    g.SetArea("2.5");
    g.SetLogMethod("480");
    ASSERT_TRUE(g.AddUnit());
    EXPECT_EQ(g.Choice().code, "7");
    EXPECT_EQ(g.Choice().area, 2.5);
}

class StrataRow : public ::testing::Test {
protected:
    void SetUp() override {
        strata = *mk::View::Make(
            "TotCircum:S,Stratum:S,Description:S,Units:S,TotAcres:S,DClassMin:S,DClassMax:S,SG_Tree:S,"
            "SG_Plot:S,Modified:S");
        int r = strata.AddRow();
        strata.SetString(r, "Stratum", "1");
        strata.SetString(r, "Units", "1");
        strata.SetString(r, "TotAcres", setup::FormatAcres(10));
        strata.SetString(r, "TotCircum", setup::FormatCircumference(setup::UnitCircumference(10)));
        strata.SetString(r, "Modified", "N");
        summary = *mk::View::Make(
            "Recon:S,DiaFlag:S,Modify:S,CutUnit:S,Stratum:S,SgTree:S,SgPlot:S,Species:S,Prod:S,LD:S,"
            "DMin:S,DMax:S");
        // Unit 1 in stratum 1, split at stratum and sample-group level; unit 2 elsewhere.
        for (auto [unit, stratum, flag, sp] :
             {std::tuple{"1", "1", "Str1", "DF"}, {"1", "1", "Str", "DF"}, {"1", "1", "Sg1", "WH"},
              {"1", "1", "Sg", "WH"}, {"1", "1", "", "RA"}, {"2", "1", "", "DF"}, {"1", "2", "", "RC"}}) {
            int s = summary.AddRow();
            summary.SetString(s, "CutUnit", unit);
            summary.SetString(s, "Stratum", stratum);
            summary.SetString(s, "DiaFlag", flag);
            summary.SetString(s, "Species", sp);
            summary.SetString(s, "SgTree", "A");
            summary.SetString(s, "DMin", *flag ? "10.0" : "");
        }
    }
    mk::View strata, summary;
    mk::View units = Units({{"1", 10}});
    ui::ScriptedUi ui;
};

TEST_F(StrataRow, AddingAUnitGrowsAcresAndPerimeter) {
    ui.PushFormAs<setup::AddUnitForm>(setup::AddUnitForm::kId, [](setup::AddUnitForm& f) {
        f.SetCode("2");
        f.CodeLeft();
        f.SetArea("30");
        f.SetPayUnit("P2");
        return f.AddUnit();
    });
    ASSERT_TRUE(setup::AddUnitDialog(ui, units, strata, 0, setup::UnitCaller::StrataForm));
    EXPECT_EQ(units.RowCount(), 2);
    EXPECT_EQ(units.GetString(1, "PayUnit"), "P2");
    EXPECT_EQ(strata.GetString(0, "Units"), "1,2");
    EXPECT_EQ(strata.GetString(0, "TotAcres"), "           40.0");
    EXPECT_EQ(strata.GetString(0, "TotCircum"),
              setup::FormatCircumference(setup::UnitCircumference(10) + setup::UnitCircumference(30)));
    EXPECT_EQ(strata.GetString(0, "Modified"), "Y");
}

TEST_F(StrataRow, RemovingAUnitUngroupsItsRowsAndDropsFurtherPieces) {
    ui.PushFormAs<setup::RemoveUnitForm>(setup::RemoveUnitForm::kId, [](setup::RemoveUnitForm& f) {
        EXPECT_EQ(f.Codes(), std::vector<std::string>{"1"});
        EXPECT_FALSE(f.RemoveEnabled());
        EXPECT_FALSE(f.RemoveUnit());
        f.Choose("1");
        EXPECT_TRUE(f.RemoveEnabled());
        EXPECT_EQ(f.AreaText(), "           10.0");
        return f.RemoveUnit();
    });
    ASSERT_TRUE(setup::RemoveUnitDialog(ui, units, summary, strata, 0));
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Must Provide a Cutting Unit Code."});
    // The only unit went: Units empty, acres 0.0 after twelve blanks.
    EXPECT_EQ(strata.GetString(0, "Units"), "");
    EXPECT_EQ(strata.GetString(0, "TotAcres"), "            0.0");
    EXPECT_EQ(strata.GetString(0, "Modified"), "Y");
    std::vector<std::string> rows;
    for (int r = 0; r < summary.RowCount(); ++r)
        rows.push_back(summary.GetString(r, "CutUnit") + "|" + summary.GetString(r, "Stratum") + "|" +
                       summary.GetString(r, "DiaFlag") + "|" + summary.GetString(r, "Species") + "|" +
                       summary.GetString(r, "SgTree") + "|" + summary.GetString(r, "DMin"));
    EXPECT_EQ(rows, (std::vector<std::string>{"1|||DF||", "1|||WH||", "1|||RA||", "2|1||DF|A|",
                                              "1|2||RC|A|"}));
}

TEST_F(StrataRow, AUnitListedButMissingFromTheTableCanStillBeRemoved) {
    strata.SetString(0, "Units", "1,5");
    setup::RemoveUnitForm f(ui, units, strata.GetString(0, "Units"));
    f.Choose("5");
    EXPECT_TRUE(f.RemoveEnabled());
    ASSERT_TRUE(f.RemoveUnit());
    setup::RemoveUnitFromStratum(summary, strata, 0, f.Choice());
    EXPECT_EQ(strata.GetString(0, "Units"), "1");
    EXPECT_EQ(strata.GetString(0, "TotAcres"), "           10.0");
}

}  // namespace
