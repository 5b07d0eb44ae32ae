#include "grid/grid_model.h"

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "store/cruise_store.h"
#include "ui/scripted_ui.h"

namespace {

namespace fs = std::filesystem;

// A cruise-like file with one work table, opened through the store.
class BoundGrid : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("grid_model_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        path_ = (dir_ / "t.crz").string();
        {
            auto s = mk::Storage::Create(path_);
            ASSERT_TRUE(s.ok());
            auto v = s->GetAs("SVStrataTable[Stratum:S,TotAcres:S,Area:D,Count:I,Select:S]");
            ASSERT_TRUE(v.ok());
            for (int i = 0; i < 3; ++i) {
                int r = v->AddRow();
                v->SetString(r, 0, std::to_string(i + 1));
                v->SetString(r, 1, "      1" + std::to_string(i) + ".5");
                v->SetDouble(r, 2, 10.25 * (i + 1));
                v->SetInt(r, 3, i * 7);
                v->SetString(r, 4, "0");
            }
            ASSERT_TRUE(s->Commit().ok());
        }
        ASSERT_EQ(store_.Open(path_), 0);
        slot_ = store_.OpenView("SVStrataTable");
        ASSERT_GE(slot_, 0);
        grid_.BindStore(store_, slot_);
    }
    void TearDown() override {
        store_.Close();
        fs::remove_all(dir_);
    }

    fs::path dir_;
    std::string path_;
    ui::ScriptedUi ui_;
    store::CCruiseStore store_{ui_};
    int slot_ = -1;
    grid::GridModel grid_;
};

TEST(Color, WindowsColourNumbersAreBlueGreenRed) {
    EXPECT_EQ(grid::Color::FromColorRef(15000804), grid::Color::Rgb(228, 228, 228));
    EXPECT_EQ(grid::Color::FromColorRef(255), grid::Color::Rgb(255, 0, 0));
    EXPECT_EQ(grid::Color::FromColorRef(13107200), grid::Color::Rgb(0, 0, 200));
    EXPECT_EQ(grid::Color::FromColorRef(16770740), grid::Color::Rgb(0xB4, 0xE6, 0xFF));
    EXPECT_EQ(grid::Color::Rgb(1, 2, 3).ToColorRef(), 0x030201u);
}

TEST_F(BoundGrid, ColumnsComeFromTheTableAndCellsAreShownTrimmedWithTheStoresConversions) {
    ASSERT_EQ(grid_.ColumnCount(), 5);
    EXPECT_EQ(grid_.RowCount(), 3);
    EXPECT_EQ(grid_.Heading(0), "Stratum");
    EXPECT_EQ(grid_.Heading(4), "Select");
    EXPECT_EQ(grid_.FindColumn("totacres"), 1);
    EXPECT_EQ(grid_.Text(1, 0), "10.5");  // stored with leading blanks
    EXPECT_EQ(grid_.Text(2, 1), "20.5");  // a double through "%g"
    EXPECT_EQ(grid_.Text(3, 2), "14");
    EXPECT_EQ(grid_.Text(9, 0), "");
    EXPECT_EQ(grid_.Text(0, 3), "");
    EXPECT_FALSE(grid_.IsModified());
    EXPECT_EQ(grid_.Kind(2, 0), grid::CellKind::Number);
    EXPECT_EQ(grid_.Format(3, 0).align, grid::Align::Right);
    EXPECT_EQ(grid_.Kind(1, 0), grid::CellKind::Text);
}

TEST_F(BoundGrid, AnEditIsWrittenThroughTrimmedAndSurvivesACommit) {
    EXPECT_TRUE(grid_.EditCell(0, 1, "   7  "));
    EXPECT_TRUE(grid_.EditCell(2, 0, " 3.75abc"));  // a double column keeps the leading number
    EXPECT_TRUE(grid_.EditCell(3, 0, "12"));
    EXPECT_TRUE(grid_.IsModified());
    std::string s;
    store_.GetString(slot_, 1, "Stratum", s);
    EXPECT_EQ(s, "7");
    EXPECT_EQ(grid_.Text(2, 0), "3.75");
    ASSERT_EQ(store_.Commit(), 0);
    store_.Close();

    auto reopened = mk::Storage::Open(path_, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(reopened.ok());
    mk::View v = reopened->GetView("SVStrataTable");
    EXPECT_EQ(v.GetString(1, "Stratum"), "7");
    EXPECT_DOUBLE_EQ(v.GetDouble(0, "Area"), 3.75);
    EXPECT_EQ(v.GetInt(0, "Count"), 12);
}

TEST_F(BoundGrid, ReadOnlyAndHiddenCellsRefuseEditsButTheProgramMayWrite) {
    grid_.SetColumnReadOnly(1, true);
    grid_.SetReadOnly(0, 2, true);
    grid_.SetColumnHidden(3, true);
    grid_.SetRowHidden(1, true);
    EXPECT_FALSE(grid_.EditCell(1, 0, "x"));
    EXPECT_FALSE(grid_.EditCell(0, 2, "x"));
    EXPECT_FALSE(grid_.EditCell(3, 0, "x"));
    EXPECT_FALSE(grid_.EditCell(0, 1, "x"));
    EXPECT_FALSE(grid_.EditCell(0, 7, "x"));
    EXPECT_FALSE(grid_.IsModified());
    EXPECT_TRUE(grid_.SetText(1, 0, " 99 "));
    EXPECT_EQ(grid_.Text(1, 0), "99");
    EXPECT_FALSE(grid_.IsModified());
    // Cell layer overrides the column layer.
    grid_.SetReadOnly(1, 0, false);
    EXPECT_TRUE(grid_.EditCell(1, 0, "5"));
}

TEST_F(BoundGrid, AddAndDeleteRowChangeTheTableAndShiftRowPresentation) {
    grid_.SetRowHidden(2, true);
    grid_.SetTextColor(0, 2, grid::colors::kMarkBlue);
    int64_t added = grid_.AddRow();
    EXPECT_EQ(added, 3);
    EXPECT_EQ(store_.RowCount(slot_), 4);
    EXPECT_TRUE(grid_.IsModified());
    grid_.SetModified(false);

    ASSERT_TRUE(grid_.DeleteRow(0));
    EXPECT_TRUE(grid_.IsModified());
    EXPECT_EQ(store_.RowCount(slot_), 3);
    EXPECT_EQ(grid_.Text(0, 0), "2");
    EXPECT_TRUE(grid_.IsRowHidden(1));
    EXPECT_FALSE(grid_.IsRowHidden(2));
    EXPECT_EQ(grid_.Format(0, 1).text_color, grid::colors::kMarkBlue);
    EXPECT_FALSE(grid_.Format(0, 2).text_color.has_value());
    EXPECT_FALSE(grid_.DeleteRow(3));
}

TEST_F(BoundGrid, RebindKeepsColumnPresentationByNameButResetsRowsAndModified) {
    grid_.SetColumnHidden(1, true);
    grid_.SetColumnWidthDu(4, 30);
    grid_.SetHint(2, "area of the stratum");
    ASSERT_TRUE(grid_.EditCell(0, 0, "x"));
    grid_.SetRowHidden(0, true);
    grid_.SetCurrent(2, 2);
    ASSERT_TRUE(grid_.IsModified());

    int slot = store_.OpenSelected("SVStrataTable", "", "Select=0", "");
    ASSERT_GE(slot, 0);
    grid_.BindStore(store_, slot);
    EXPECT_FALSE(grid_.IsModified());
    EXPECT_TRUE(grid_.IsColumnHidden(grid_.FindColumn("TotAcres")));
    EXPECT_EQ(grid_.ColumnWidth(grid_.FindColumn("Select")), 45);
    EXPECT_EQ(grid_.Hint(grid_.FindColumn("Area")), "area of the stratum");
    EXPECT_FALSE(grid_.IsRowHidden(0));
    EXPECT_EQ(grid_.Current(), (grid::CellRef{0, 0}));
}

TEST_F(BoundGrid, CheckBoxesReadNumericallyAndWriteTheColumnsValues) {
    int sel = grid_.FindColumn("Select");
    grid_.SetColumnKind(sel, grid::CellKind::CheckBox);
    EXPECT_EQ(grid_.Format(sel, 0).align, grid::Align::Center);
    grid_.SetText(sel, 1, "1.000000");
    EXPECT_TRUE(grid_.IsChecked(sel, 1));
    EXPECT_FALSE(grid_.IsChecked(sel, 0));
    EXPECT_TRUE(grid_.ToggleCheck(sel, 0));
    EXPECT_EQ(grid_.Text(sel, 0), "1");
    EXPECT_TRUE(grid_.ToggleCheck(sel, 1));
    EXPECT_EQ(grid_.Text(sel, 1), "0");
    grid_.SetCheckValues(sel, "Y", "N");
    grid_.SetChecked(sel, 2, false);
    EXPECT_EQ(grid_.Text(sel, 2), "N");
}

TEST(GridModel, EditHandlerSeesOldAndNewTextAndRuleWritesDoNotReEnter) {
    grid::GridModel g;
    g.Unbind(3, 2);
    int calls = 0;
    std::vector<grid::EditEvent> seen;
    g.OnEdit([&](grid::GridModel& m, const grid::EditEvent& e) {
        ++calls;
        seen.push_back(e);
        EXPECT_TRUE(m.Busy());
        // A rule that writes other cells through the grid, as a user edit would.
        m.EditCell(1, e.row, "rule");
        m.EditCell(2, e.row, "rule");
    });
    g.SetText(0, 0, "old");
    EXPECT_TRUE(g.EditCell(0, 0, "  new "));
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].old_text, "old");
    EXPECT_EQ(seen[0].new_text, "new");
    EXPECT_EQ(g.Text(1, 0), "rule");
    EXPECT_FALSE(g.Busy());
    {
        grid::GridModel::RuleWriteScope scope(g);
        g.EditCell(0, 1, "quiet");
    }
    EXPECT_EQ(calls, 1);
    g.SetText(0, 1, "program");  // the program's writes never notify
    EXPECT_EQ(calls, 1);
}

TEST(GridModel, EditCheckRefusesBeforeAnythingIsWrittenButNotTheRulesOwnWrites) {
    grid::GridModel g;
    g.Unbind(2, 1);
    int edits = 0;
    g.OnCheckEdit([](const grid::GridModel&, int col, int64_t, const std::string& text) {
        return col == 0 && text != "ok" ? "SgN must be a whole number" : std::string();
    });
    g.OnEdit([&](grid::GridModel& m, const grid::EditEvent&) {
        ++edits;
        EXPECT_TRUE(m.EditCell(0, 0, "rule"));  // refused to a user, taken from a rule
    });
    g.SetText(0, 0, "old");
    EXPECT_EQ(g.CheckEdit(0, 0, " abc "), "SgN must be a whole number");
    EXPECT_FALSE(g.EditCell(0, 0, "abc"));
    EXPECT_EQ(g.LastRefusal(), "SgN must be a whole number");
    EXPECT_EQ(g.Text(0, 0), "old");
    EXPECT_FALSE(g.IsModified());
    EXPECT_EQ(edits, 0);
    EXPECT_TRUE(g.EditCell(1, 0, "x"));
    EXPECT_EQ(g.LastRefusal(), "");
    EXPECT_EQ(g.Text(0, 0), "rule");
    EXPECT_EQ(edits, 1);
}

TEST(GridModel, LayeredFormatCellOverRowOverColumnOverGrid) {
    grid::GridModel g;
    g.Unbind(3, 3);
    g.SetGridStyle({.background = grid::colors::kWhite});
    g.SetColumnStyle(1, {.kind = grid::CellKind::Number, .background = grid::colors::kReadOnlyGrey});
    g.SetRowStyle(2, {.text_color = grid::colors::kGreyText});
    g.SetCellStyle(1, 2, {.background = grid::colors::kMarkRed, .font = grid::Font{"Arial", 20, true}});
    g.SetShaded(0, 0, true);

    auto f = g.Format(1, 0);
    EXPECT_EQ(f.background, grid::colors::kReadOnlyGrey);
    EXPECT_EQ(f.align, grid::Align::Right);  // numbers are right-aligned unless told
    EXPECT_EQ(f.font.family, "MS Sans Serif");
    f = g.Format(1, 2);
    EXPECT_EQ(f.background, grid::colors::kMarkRed);
    EXPECT_EQ(f.text_color, grid::colors::kGreyText);
    EXPECT_EQ(f.font.family, "Arial");
    EXPECT_TRUE(f.font.bold);
    EXPECT_EQ(g.Format(2, 1).background, grid::colors::kWhite);
    EXPECT_EQ(g.Format(0, 0).background, grid::Color::FromColorRef(14474460));
    g.SetBordersRange(0, 1, 2, 1, grid::kBorderAll);
    EXPECT_EQ(g.Format(2, 1).borders, unsigned(grid::kBorderAll));
    EXPECT_EQ(g.Format(2, 0).borders, unsigned(grid::kBorderNone));
    g.ClearCellStyles();
    EXPECT_EQ(g.Format(1, 2).background, grid::colors::kReadOnlyGrey);
}

TEST(GridModel, SpansRefuseOverlapAndFollowRowRemoval) {
    grid::GridModel g;
    g.Unbind(9, 10);
    EXPECT_TRUE(g.Join(1, 0, 7, 0));
    EXPECT_FALSE(g.Join(0, 0, 1, 1));   // overlaps
    EXPECT_FALSE(g.Join(8, 9, 9, 9));   // leaves the grid
    EXPECT_TRUE(g.Join(4, 3, 8, 4));
    auto s = g.SpanAt(6, 4);
    ASSERT_TRUE(s);
    EXPECT_EQ(*s, (grid::Span{4, 3, 8, 4}));
    EXPECT_FALSE(g.SpanAt(3, 3));
    g.DeleteRow(1);
    EXPECT_EQ(*g.SpanAt(4, 2), (grid::Span{4, 2, 8, 3}));
    g.DeleteRow(0);  // the one-row title span goes with its row
    EXPECT_FALSE(g.SpanAt(1, 0));
    EXPECT_EQ(g.Spans().size(), 1u);
    g.Unjoin(5, 2);
    EXPECT_TRUE(g.Spans().empty());
    EXPECT_FALSE(g.SpanAt(4, 1));
}

TEST(GridModel, WidthsHeightsAndHiddenRows) {
    grid::GridModel g;
    g.Unbind(2, 4);
    EXPECT_EQ(g.ColumnWidth(0), grid::GridModel::kDefaultColumnWidth);
    g.SetColumnWidthDu(0, 60);
    EXPECT_EQ(g.ColumnWidth(0), 90);
    g.SetRowHeight(1, 0);
    EXPECT_TRUE(g.IsRowHidden(1));
    EXPECT_EQ(g.RowHeight(1), 0);
    g.SetRowHeight(1, 20);
    EXPECT_FALSE(g.IsRowHidden(1));
    g.SetRowHeight(2, 33);
    EXPECT_EQ(g.RowHeight(2), 33);
    EXPECT_EQ(g.RowHeading(2), "3");
    g.SetRowHeading(2, "Total");
    EXPECT_EQ(g.RowHeading(2), "Total");
    g.SetText(0, 0, "wide text here");
    g.FitColumnWidths([](const std::string& s) { return static_cast<int>(s.size()) * 7; });
    EXPECT_EQ(g.ColumnWidth(0), 14 * 7 + 8);
}

TEST(GridModel, FindWrapsSkipsHiddenCellsAndSaysItemNotFound) {
    grid::GridModel g;
    g.Unbind(3, 3);
    g.SetText(0, 0, "Douglas fir");
    g.SetText(2, 1, "fir");
    g.SetText(1, 2, "FIR hidden");
    g.SetRowHidden(2, true);
    ui::ScriptedUi ui;
    auto hit = g.Find("fir", {}, &ui);
    ASSERT_TRUE(hit);
    EXPECT_EQ(*hit, (grid::CellRef{2, 1}));
    hit = g.Find("fir", {}, &ui);  // wraps past the hidden row to the start
    ASSERT_TRUE(hit);
    EXPECT_EQ(*hit, (grid::CellRef{0, 0}));
    EXPECT_EQ(g.Current(), (grid::CellRef{0, 0}));
    hit = g.Find("fir", {.whole_cell = true}, &ui);
    EXPECT_EQ(*hit, (grid::CellRef{2, 1}));
    hit = g.Find("FIR", {.match_case = true, .forward = false}, &ui);
    EXPECT_FALSE(hit);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Item not found");
    EXPECT_EQ(g.Current(), (grid::CellRef{2, 1}));
}

TEST(GridModel, ClicksMoveTheCurrentCellAndTheFormSuppliesTheMenu) {
    grid::GridModel g;
    g.Unbind(2, 2);
    std::vector<grid::CellRef> clicks;
    g.OnClick([&](grid::GridModel&, grid::CellRef c) { clicks.push_back(c); });
    g.Click(1, 1);
    EXPECT_EQ(g.Current(), (grid::CellRef{1, 1}));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_TRUE(g.RightClick(0, 1).empty());
    bool ran = false;
    g.OnRightClick([&](grid::GridModel&, grid::CellRef c) {
        std::vector<grid::MenuItem> m;
        m.push_back({"Add Row", [&] { ran = true; }});
        m.push_back(grid::MenuItem::Separator());
        if (c.col == 1) m.push_back({"Logging Method Lookup", nullptr});
        return m;
    });
    auto menu = g.RightClick(1, 0);
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_TRUE(menu[1].IsSeparator());
    menu[0].action();
    EXPECT_TRUE(ran);
    EXPECT_EQ(g.Current(), (grid::CellRef{1, 0}));
}

TEST(GridModel, CopyAndCsvLeaveHiddenPartsOutAndQuoteWhereNeeded) {
    grid::GridModel g;
    g.Unbind(3, 3);
    g.SetHeading(0, "Name");
    g.SetHeading(1, "Note");
    g.SetHeading(2, "Secret");
    g.SetText(0, 0, "a");
    g.SetText(1, 0, "x, \"y\"");
    g.SetText(0, 1, "b");
    g.SetText(1, 1, "tab\there");
    g.SetText(0, 2, "c");
    g.SetColumnHidden(2, true);
    g.SetRowHidden(2, true);
    EXPECT_EQ(g.CopyText(0, 0, 2, 2), "a\tx, \"y\"\nb\ttab here\n");
    std::ostringstream csv;
    g.WriteCsv(csv);
    EXPECT_EQ(csv.str(), "Name,Note\r\na,\"x, \"\"y\"\"\"\r\nb,tab\there\r\n");
}

class CountingObserver : public grid::GridObserver {
public:
    void CellsChanged(int, int64_t, int, int64_t) override { ++cells; }
    void LayoutChanged() override { ++layouts; }
    void CurrentChanged(grid::CellRef) override { ++currents; }
    int cells = 0, layouts = 0, currents = 0;
};

TEST(GridModel, ObserversHearOfWritesLayoutAndCurrentCell) {
    grid::GridModel g;
    CountingObserver o;
    g.AddObserver(&o);
    g.Unbind(2, 2);
    EXPECT_EQ(o.layouts, 1);
    g.SetText(0, 0, "x");
    EXPECT_EQ(o.cells, 1);
    g.SetColumnHidden(1, true);
    g.SetColumnHidden(1, true);  // no change, no news
    EXPECT_EQ(o.layouts, 2);
    g.SetCurrent(1, 1);
    g.SetCurrent(1, 1);
    EXPECT_EQ(o.currents, 1);
    g.RemoveObserver(&o);
    g.SetText(0, 0, "y");
    EXPECT_EQ(o.cells, 1);
}

TEST(GridModel, ReadOnlyViewSourceRefusesChanges) {
    auto v = mk::View::Make("a:S,b:F,c:L");
    ASSERT_TRUE(v.ok());
    int r = v->AddRow();
    v->SetFloat(r, 1, 2.5f);
    v->SetLong(r, 2, 1234567890123LL);
    grid::GridModel g;
    g.BindView(*v, /*read_only=*/true);
    EXPECT_EQ(g.Text(1, 0), "2.5");
    EXPECT_EQ(g.Text(2, 0), "1234567890123");
    EXPECT_FALSE(g.EditCell(0, 0, "x"));
    EXPECT_EQ(g.AddRow(), -1);
    EXPECT_FALSE(g.DeleteRow(0));
    EXPECT_FALSE(g.IsModified());
}

}  // namespace
