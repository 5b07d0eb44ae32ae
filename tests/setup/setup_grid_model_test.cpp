// The setup grids as the grid model shows and edits them.
#include "setup/setup_grid_model.h"

#include <gtest/gtest.h>

#include "setup/setup_tables.h"
#include "store/schema.h"

namespace {

mk::View Table(const char* fields, const std::vector<std::vector<std::string>>& rows) {
    mk::View v = *mk::View::Make(fields);
    for (const auto& cells : rows) {
        int r = v.AddRow();
        for (size_t c = 0; c < cells.size(); ++c) v.SetString(r, static_cast<int>(c), cells[c]);
    }
    return v;
}

const char* kSummaryFields =
    "Recon:S,DiaFlag:S,Modify:S,CutUnit:S,Stratum:S,SgTree:S,SgPlot:S,Species:S,Prod:S,LD:S,DMin:S,DMax:S";

TEST(SetupGridModel, SummaryEditsThroughTheModelMarkRowsAndStayTrimmed) {
    mk::View v = Table(kSummaryFields, {{"1", "", "N", "1", "1", "A", "A", "DF", "01", "L"},
                                        {"1", "", "N", "2", "1", "A", "A", "WH", "01", "L"},
                                        {"1", "", "A", "3", "2", "A", "A", "RA", "02", "D"}});
    setup::SetupGrid sg(v, schema::kSVSummaryTable);
    grid::GridModel m;
    setup::BindSetupGrid(m, sg);
    ASSERT_EQ(m.ColumnCount(), 12);
    for (const char* hidden : {"Recon", "DiaFlag", "Modify", "DMin", "DMax"})
        EXPECT_TRUE(m.IsColumnHidden(m.FindColumn(hidden))) << hidden;
    EXPECT_FALSE(m.IsColumnHidden(m.FindColumn("Stratum")));
    EXPECT_FALSE(m.IsModified());

    const int str = m.FindColumn("Stratum"), sgtree = m.FindColumn("SgTree");
    ASSERT_TRUE(m.EditCell(str, 0, "  5 "));
    EXPECT_EQ(v.GetString(0, "Stratum"), "5");
    EXPECT_EQ(v.GetString(0, "Modify"), "Y");
    EXPECT_EQ(v.GetString(1, "Modify"), "Y") << "stratum 1, which the row left, changed too";
    EXPECT_EQ(v.GetString(2, "Modify"), "A") << "a row waiting for recompilation keeps its mark";
    EXPECT_TRUE(m.IsModified());
    EXPECT_TRUE(sg.Modified());
    ASSERT_TRUE(m.EditCell(sgtree, 2, "B"));
    EXPECT_EQ(v.GetString(2, "Modify"), "A");

    // A hand row: Recon "0" and blue text.
    int64_t r = m.AddRow();
    ASSERT_EQ(r, 3);
    setup::ApplySetupPresentation(m, sg);
    EXPECT_EQ(v.GetString(3, "Recon"), "0");
    EXPECT_EQ(m.Format(str, 3).text_color, grid::colors::kMarkBlue);
    EXPECT_FALSE(m.Format(str, 0).text_color.has_value());

    // Diameter columns appear once a range is defined at either level.
    v.SetString(1, "DiaFlag", "Sg1");
    sg.Rebind();
    setup::BindSetupGrid(m, sg);
    EXPECT_FALSE(m.IsColumnHidden(m.FindColumn("DMin")));

    // Delete Row of a first piece of a split hands its mark on to the next piece.
    v.SetString(2, "DiaFlag", "Sg");
    v.SetString(2, "Species", "WH");
    v.SetString(2, "Prod", "01");
    v.SetString(2, "LD", "L");
    v.SetString(2, "CutUnit", "2");
    ASSERT_TRUE(m.DeleteRow(1));
    EXPECT_EQ(v.GetString(1, "DiaFlag"), "Sg1");
}

TEST(SetupGridModel, StrataAreReadOnlyButTheirDescriptionAndUnitsHaveCheckBoxesAndLookup) {
    mk::View strata = Table("TotCircum:S,Stratum:S,Description:S,Units:S,TotAcres:S,DClassMin:S,DClassMax:S,"
                            "SG_Tree:S,SG_Plot:S,Modified:S",
                            {{"              739.9", "1", "", "1", "            1.0", "", "", "A", "A", "Y"}});
    setup::SetupGrid sg(strata, schema::kSVStrataTable, {true, false, false});
    grid::GridModel m;
    setup::BindSetupGrid(m, sg);
    EXPECT_TRUE(m.IsColumnHidden(m.FindColumn("TotCircum")));
    EXPECT_FALSE(m.IsColumnHidden(m.FindColumn("Modified")));
    EXPECT_EQ(m.Text(m.FindColumn("TotAcres"), 0), "1.0") << "shown trimmed";
    EXPECT_FALSE(m.EditCell(m.FindColumn("Units"), 0, "1,2"));
    EXPECT_EQ(m.Format(m.FindColumn("Units"), 0).background, grid::colors::kReadOnlyGrey);
    EXPECT_TRUE(m.EditCell(m.FindColumn("Description"), 0, " North ridge "));
    EXPECT_EQ(strata.GetString(0, "Description"), "North ridge");

    std::vector<std::string> got;
    m.OnRightClick([&](grid::GridModel&, grid::CellRef c) {
        return setup::SetupMenu(sg, c, [&](const std::string& item, int, int) { got.push_back(item); });
    });
    auto items = m.RightClick(2, 0);
    std::vector<std::string> texts;
    for (auto& i : items) texts.push_back(i.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Modify Strata Definition", "", "Delete Strata",
                                               "Delete All Strata", "", "Add Unit To Stratum",
                                               "Remove Unit From Stratum"}));
    items[5].action();
    EXPECT_EQ(got, std::vector<std::string>{"Add Unit To Stratum"});

    mk::View units = Table("Select:S,CutUnit:S,Area:D,Description:S,LogMeth:S,PayUnit:S",
                           {{"0", "1"}, {"0", "2"}});
    setup::SetupGrid ug(units, schema::kSVUnitsTable, {false, true, false});
    setup::BindSetupGrid(m, ug);
    EXPECT_EQ(m.Kind(0, 0), grid::CellKind::CheckBox);
    EXPECT_TRUE(m.ToggleCheck(0, 1));
    EXPECT_EQ(units.GetString(1, "Select"), "1");
    EXPECT_EQ(ug.ContextMenu(m.FindColumn("LogMeth")),
              (std::vector<std::string>{"Add Row", "Delete Row", "", "Select All", "Unselect All", "",
                                        "Logging Method Lookup"}));
    ASSERT_TRUE(m.EditCell(m.FindColumn("Area"), 0, "12.5"));
    EXPECT_EQ(units.GetDouble(0, "Area"), 12.5);

    // Rows of the tree pick that already belong to a stratum are grey and read-only,
    // and keep their tick through Select All.
    mk::View sel = Table("Recon:S,DiaFlag:S,Select:S,Species:S,Prod:S,LD:S,DMin:S,DMax:S,Stratum:S",
                         {{"1", "", "0", "DF", "01", "L", "", "", "2"}, {"1", "", "0", "WH", "01", "L", "", "", ""}});
    setup::SetupGrid tg(sel, schema::kSVSelTreeTable);
    setup::BindSetupGrid(m, tg);
    EXPECT_TRUE(m.IsColumnHidden(m.FindColumn("Stratum")));
    EXPECT_TRUE(m.IsReadOnly(m.FindColumn("Species"), 0));
    EXPECT_EQ(m.Format(m.FindColumn("Species"), 0).text_color, grid::colors::kGreyText);
    EXPECT_FALSE(m.IsReadOnly(m.FindColumn("Species"), 1));
    tg.SelectAll(true);
    EXPECT_EQ(sel.GetString(0, "Select"), "0");
    EXPECT_EQ(sel.GetString(1, "Select"), "1");
}

}  // namespace
