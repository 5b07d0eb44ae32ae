#include <gtest/gtest.h>

#include "app/costs_dialog.h"
#include "app/settings.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

using app::CostValues;
using namespace ui;

namespace {
CostValues Sample() {
    CostValues v;
    v[kCrewPlot] = "60";
    v[kCntPlot] = "4";
    v[kTrav] = "10";
    v[kCrewTree] = "30";
    v[kTreeTally] = "100";
    v[kTree3P] = "50";
    v[kTreeMeas] = "6";
    v[kPaint] = "12.5";
    v[kTreePaint] = "50";
    return v;
}

mk::View Config(mk::Storage& s) {
    auto v = s.GetAs(schema::kGlobalConfigurationTableDesc);
    EXPECT_TRUE(v);
    return v ? *v : mk::View();
}
}  // namespace

TEST(CostFigures, SixFiguresFromTheNineSettings) {
    app::CostFigures f = app::ComputeCostFigures(Sample());
    EXPECT_DOUBLE_EQ(f.plot, 15.0);
    EXPECT_DOUBLE_EQ(f.traverse, 10.0);  // 10 minutes of a 60 an hour crew
    EXPECT_DOUBLE_EQ(f.tally, 0.3);
    EXPECT_DOUBLE_EQ(f.threeP, 0.6);
    EXPECT_DOUBLE_EQ(f.measure, 5.0);
    EXPECT_DOUBLE_EQ(f.paint, 0.25);  // paint keeps its decimals
}

TEST(CostFigures, NonPositiveOrMissingInputsGiveZero) {
    app::CostFigures empty = app::ComputeCostFigures(CostValues{});
    EXPECT_EQ(empty.plot + empty.traverse + empty.tally +
                  empty.threeP + empty.measure + empty.paint,
              0.0);
    CostValues v = Sample();
    v[kCntPlot] = "0";
    v[kCrewTree] = "-5";
    v[kTreePaint] = "lots";
    app::CostFigures f = app::ComputeCostFigures(v);
    EXPECT_EQ(f.plot, 0.0);
    EXPECT_DOUBLE_EQ(f.traverse, 10.0);
    EXPECT_EQ(f.tally, 0.0);
    EXPECT_EQ(f.threeP, 0.0);
    EXPECT_EQ(f.measure, 0.0);
    EXPECT_EQ(f.paint, 0.0);

    // Only a leading decimal number counts: no infinity, no hexadecimal.
    v = Sample();
    v[kPaint] = "inf";
    v[kTreePaint] = "0x32";
    EXPECT_EQ(app::ComputeCostFigures(v).paint, 0.0);
    v[kPaint] = " 12.5 per quart";
    v[kTreePaint] = "5e1 trees";
    EXPECT_DOUBLE_EQ(app::ComputeCostFigures(v).paint, 0.25);
}

TEST(CostFigures, TreeCrewCostMovesOnlyTreeFigures) {
    CostValues v = Sample();
    app::CostFigures before = app::ComputeCostFigures(v);
    v[kCrewTree] = "90";
    app::CostFigures after = app::ComputeCostFigures(v);
    EXPECT_EQ(after.plot, before.plot);
    EXPECT_EQ(after.traverse, before.traverse);
    EXPECT_EQ(after.paint, before.paint);
    EXPECT_DOUBLE_EQ(after.tally, 3 * before.tally);
    EXPECT_DOUBLE_EQ(after.threeP, 3 * before.threeP);
    EXPECT_DOUBLE_EQ(after.measure, 3 * before.measure);
}

TEST(CostSettings, WrittenInKeyOrderAndReadBackWithLaterRowsWinning) {
    mk::Storage s;
    mk::View config = Config(s);
    app::AddSetting(config, "General", "MRU", "Design");
    app::WriteCostValues(s, Sample());
    ASSERT_EQ(config.RowCount(), 10);
    const char* order[] = {"CrewPlot", "CrewTree", "CntPlot", "Trav",     "TreeTally",
                           "TreeMeas", "Tree3P",   "Paint",   "TreePaint"};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(config.GetString(i + 1, "Block"), "Strovan");
        EXPECT_EQ(config.GetString(i + 1, "Key"), order[i]);
    }
    EXPECT_EQ(app::ReadCostValues(s), Sample());

    // A duplicate row read later overrides; saving again updates both rows, so what
    // the user typed is what is read back.
    app::AddSetting(config, "Strovan", "CrewPlot", "99");
    EXPECT_EQ(app::ReadCostValues(s)[kCrewPlot], "99");
    CostValues edited = Sample();
    edited[kCrewPlot] = "70";
    app::WriteCostValues(s, edited);
    EXPECT_EQ(config.RowCount(), 11);
    EXPECT_EQ(app::ReadCostValues(s)[kCrewPlot], "70");
    // Other blocks do not count.
    app::AddSetting(config, "General", "Paint", "1");
    EXPECT_EQ(app::ReadCostValues(s)[kPaint], "12.5");
}

TEST(CostsDialog, DigitFieldsRefuseOtherTextPaintFieldsTakeAnything) {
    ScriptedUi u;
    app::CCostsDialog dlg(u, Sample());
    dlg.Values()[kPaint] = "3.75";
    EXPECT_TRUE(dlg.OnOk());
    EXPECT_TRUE(u.Messages().empty());
    dlg.Values()[kTrav] = "7.5";
    EXPECT_FALSE(dlg.OnOk());
    ASSERT_EQ(u.Texts().size(), 1u);
    EXPECT_EQ(u.Last()->icon, Icon::Exclamation);
    // The paint field takes decimals, but a number and nothing else.
    dlg.Values()[kTrav] = "7";
    dlg.Values()[kPaint] = "3.75 a quart";
    EXPECT_FALSE(dlg.OnOk());
    EXPECT_EQ(u.Texts().back(),
              "Cost of a quart of marker paint: '3.75 a quart' is not a number. Enter a number from 0 to 1,000 $ per "
              "quart, or leave it empty.");
    u.Clear();
    dlg.Values()[kPaint] = " 3.75 ";
    dlg.Values()[kTrav] = "";
    EXPECT_TRUE(dlg.OnOk());  // empty fields are stored empty
    EXPECT_EQ(dlg.Values()[kPaint], "3.75");  // without its blanks

    // What the file holds passes unchanged, even where typing it would be refused.
    CostValues stored = Sample();
    stored[kTrav] = "7.5";
    app::CCostsDialog kept(u, stored);
    EXPECT_TRUE(kept.OnOk());
    kept.Values()[kTrav] = "7.25";
    EXPECT_FALSE(kept.OnOk());
    EXPECT_EQ(u.Texts().size(), 1u);

    dlg.OnHelp();
    EXPECT_EQ(u.Last()->kind, "help");
    EXPECT_EQ(u.Last()->text, "6");
}
