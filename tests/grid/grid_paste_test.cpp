#include "grid/grid_paste.h"

#include <gtest/gtest.h>

namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(GridPaste, TabTextSplitsAtTabsAndEveryKindOfLineBreak) {
    EXPECT_EQ(grid::ParseTabText(""), Rows{});
    EXPECT_EQ(grid::ParseTabText("a"), (Rows{{"a"}}));
    // A spreadsheet ends its last line with a break; that makes no empty row.
    EXPECT_EQ(grid::ParseTabText("a\tb\r\nc\td\r\n"), (Rows{{"a", "b"}, {"c", "d"}}));
    EXPECT_EQ(grid::ParseTabText("a\tb\nc\td"), (Rows{{"a", "b"}, {"c", "d"}}));
    EXPECT_EQ(grid::ParseTabText("a\rb\r"), (Rows{{"a"}, {"b"}}));
    // Empty cells keep their places; a blank line is a row of one empty cell.
    EXPECT_EQ(grid::ParseTabText("\tx\t\n\n"), (Rows{{"", "x", ""}, {""}}));
}

// A 4 x 5 grid: column 1 read-only, column 2 hidden, row 3 hidden; cell (c, r) holds
// "c,r". Column 0 takes only digits.
struct Sheet {
    grid::GridModel g;
    int edits = 0;
    Sheet() {
        g.Unbind(4, 5);
        for (int c = 0; c < 4; ++c) g.SetHeading(c, std::string(1, static_cast<char>('A' + c)));
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 5; ++r) g.SetText(c, r, std::to_string(c) + "," + std::to_string(r));
        g.SetColumnReadOnly(1, true);
        g.SetColumnHidden(2, true);
        g.SetRowHidden(3, true);
        g.OnCheckEdit([](const grid::GridModel&, int col, int64_t, const std::string& text) {
            return col == 0 && text.find_first_not_of("0123456789") != std::string::npos ? "Digits only"
                                                                                          : std::string();
        });
        g.OnEdit([this](grid::GridModel&, const grid::EditEvent&) { ++edits; });
    }
    std::vector<std::string> Column(int c) const {
        std::vector<std::string> out;
        for (int r = 0; r < 5; ++r) out.push_back(g.Text(c, r));
        return out;
    }
};

TEST(GridPaste, BlockGoesAcrossShownColumnsAndDownShownRowsAsUserEdits) {
    Sheet s;
    s.g.SetText(1, 1, "same");
    s.g.SetText(1, 2, "same");
    // Columns 0, 1 (unchanged, so its read-only cells pass), then 3: column 2 is hidden.
    // Rows 1, 2, then 4: row 3 is hidden.
    auto r = grid::PasteText(s.g, {0, 1, 0, 1}, "7\tsame\tx\n 8 \tsame\ty\n9\t1,4\tz\n");
    ASSERT_TRUE(r.ok) << r.refusal;
    EXPECT_EQ(r.changed, 6);
    EXPECT_EQ(s.edits, 6);
    EXPECT_EQ(s.Column(0), (std::vector<std::string>{"0,0", "7", "8", "0,3", "9"}));
    EXPECT_EQ(s.Column(2), (std::vector<std::string>{"2,0", "2,1", "2,2", "2,3", "2,4"}));
    EXPECT_EQ(s.Column(3), (std::vector<std::string>{"3,0", "x", "y", "3,3", "z"}));
    EXPECT_TRUE(s.g.IsModified());
}

TEST(GridPaste, OneRefusedCellRefusesTheWholeBlockBeforeAnythingIsWritten) {
    struct Case {
        grid::CellBlock at;
        std::string text;
        std::string refusal_start;
        grid::CellRef cell;
    };
    const Case cases[] = {
        // The checks of the form: the second row's first cell is no number.
        {{0, 0, 0, 0}, "5\t1,0\nx5\t1,1\n", "Row 2, column A: Digits only", {0, 1}},
        // A read-only cell that would change.
        {{0, 0, 0, 0}, "5\tnew\n", "Row 1, column B: This cell cannot be changed.", {1, 0}},
        // Runs past the last shown column (3) or row (4).
        {{3, 0, 3, 0}, "a\tb\n", "The pasted block has 1 rows and 2 columns; from the current cell the grid "
                                 "has room for 1 rows and 1 columns.", {-1, -1}},
        {{3, 2, 3, 2}, "a\nb\nc\n", "The pasted block has 3 rows and 1 columns; from the current cell the grid "
                                    "has room for 2 rows and 1 columns.", {-1, -1}},
        {{0, 0, 0, 0}, "", "The clipboard holds no cells to paste.", {-1, -1}},
    };
    for (const Case& c : cases) {
        Sheet s;
        auto r = grid::PasteText(s.g, c.at, c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.refusal.rfind(c.refusal_start, 0), 0u) << r.refusal;
        EXPECT_NE(r.refusal.find("Nothing was pasted."), std::string::npos);
        EXPECT_EQ(r.refused_cell, c.cell);
        EXPECT_EQ(r.changed, 0);
        EXPECT_EQ(s.edits, 0) << c.text;
        EXPECT_FALSE(s.g.IsModified());
        EXPECT_EQ(s.Column(0), (std::vector<std::string>{"0,0", "0,1", "0,2", "0,3", "0,4"}));
    }
}

TEST(GridPaste, OneValueFillsTheShownCellsOfTheSelection) {
    Sheet s;
    auto r = grid::PasteText(s.g, {3, 4, 3, 0}, "v\n");  // selected bottom-up
    ASSERT_TRUE(r.ok) << r.refusal;
    EXPECT_EQ(r.changed, 4);  // the hidden row 3 is left alone
    EXPECT_EQ(s.Column(3), (std::vector<std::string>{"v", "v", "v", "3,3", "v"}));
    // Over the read-only column the fill is refused whole.
    Sheet t;
    r = grid::PasteText(t.g, {0, 0, 1, 0}, "4");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(t.g.Text(0, 0), "0,0");
}

TEST(GridPaste, ACellRefusedWhileWritingRollsBackOrLeavesItToTheForm) {
    for (bool roll_back : {true, false}) {
        Sheet s;
        // The table takes nothing in row 2 once row 1 changed, although each check
        // alone passes: the case of rules that depend on the row before.
        s.g.OnCheckEdit({});
        int written = 0;
        s.g.OnEdit([&](grid::GridModel& m, const grid::EditEvent&) {
            if (++written == 1)
                m.OnCheckEdit([&](const grid::GridModel&, int, int64_t row, const std::string& text) {
                    return row == 2 && text != "0,2" ? "Stale" : std::string();
                });
        });
        auto r = grid::PasteText(s.g, {0, 1, 0, 1}, "5\n6\n", {roll_back});
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.refused_cell, (grid::CellRef{0, 2}));
        EXPECT_EQ(r.changed, roll_back ? 0 : 1);
        EXPECT_EQ(s.g.Text(0, 1), roll_back ? "0,1" : "5");
        EXPECT_EQ(s.g.Text(0, 2), "0,2");
    }
}

}  // namespace
